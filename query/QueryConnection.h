#pragma once

#include "query/Exchange.h"

#include <QObject>

class QTcpSocket;
class QTimer;

namespace query {

// Runs one Exchange over a real socket and a timer. Owns both; nothing blocks.
class QueryConnection : public QObject {
    Q_OBJECT
  public:
    explicit QueryConnection(ExchangeRules rules, QObject* parent = nullptr);

    void start(const QString& host, const QString& queryPort, const QString& voicePort,
               bool stepZero);
    // Ends the connection and deletes this object soon; a running exchange just stops.
    void close();
    [[nodiscard]] const Result& result() const { return m_exchange.result(); }
    [[nodiscard]] bool finished() const { return m_exchange.finished(); }

  Q_SIGNALS:
    void done(const query::Result& result);

  private:
    void run(const std::vector<Action>& actions);
    void onError();

    Exchange m_exchange;
    QTcpSocket* m_socket;
    QTimer* m_pause;
    bool m_closed = false;
};

} // namespace query
