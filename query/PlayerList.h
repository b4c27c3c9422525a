// SPDX-License-Identifier: MIT
#pragma once

#include "query/Answer.h"
#include "query/Exchange.h"

#include <QList>
#include <QObject>
#include <QPointer>

namespace query {

class QueryConnection;

// Lists the players of one server: 100 ms pauses, at most 10 in all three
// waits together, whatever the timeout box says.
class PlayerList : public QObject {
    Q_OBJECT
  public:
    static constexpr int kPause = 100;

    using QObject::QObject;

    // Ends a list still running and asks this server.
    void start(const Server& server, bool waitBeforeConnect);
    void closeConnection();

  Q_SIGNALS:
    // The players of a whole answer, in its order; a malformed line ends the
    // list there. Not emitted for a server that gave no whole answer.
    void listed(const QList<answer::Player>& players);
    void finished(const query::ExchangeResult& result);

  private:
    void onDone(const ExchangeResult& result);
    QPointer<QueryConnection> m_connection;
};

} // namespace query
