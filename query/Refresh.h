// SPDX-License-Identifier: MIT
#pragma once

#include "query/Exchange.h"

#include <QObject>
#include <QPointer>
#include <functional>

class ServerGrid;

namespace query {

class QueryConnection;

// The pause of one try: a tenth of the timeout text, which must be a whole
// number from 0 to 32767 (a fraction rounds half to even); nullopt otherwise.
std::optional<int> refreshPause(const QString& timeoutText);

// Why a finished exchange gave no count, in the user's words.
QString whyNotCounted(const Result& result);

// Asks every server of the grid, one after the other, for its player count and
// reports each by server ID into the grid. A server that gives no count keeps
// its old one, marked as not current; a timeout text that is no usable number
// ends the whole refresh.
class Refresh : public QObject {
    Q_OBJECT
  public:
    Refresh(ServerGrid& grid, std::function<QString()> timeoutText,
            std::function<bool()> minimisedOrMaximised, QObject* parent = nullptr);

    // Starts a refresh; does nothing while one is running.
    void start();
    void stop();
    [[nodiscard]] bool running() const { return m_running; }

  Q_SIGNALS:
    void finished();

  private:
    void next();
    void nextSoon();
    void onDone(const Result& result);
    void end();

    ServerGrid& m_grid;
    std::function<QString()> m_timeoutText;
    std::function<bool()> m_notNormal;
    bool m_running = false;
    int m_run = 0; // which start a queued step belongs to
    int m_row = 0;
    int m_lastRow = 0;
    qint32 m_id = 0;
    QPointer<QueryConnection> m_connection;
};

} // namespace query
