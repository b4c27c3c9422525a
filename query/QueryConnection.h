// SPDX-License-Identifier: MIT
#pragma once

#include "query/Exchange.h"

#include <QHostAddress>
#include <QList>
#include <QObject>
#include <functional>

class QHostInfo;
class QTcpSocket;
class QTimer;

namespace query {

// Looks a host name up and calls `done` with its addresses, or an empty list
// and why, unless `context` has gone by then. Tests hand in addresses of their own.
class HostLookup {
  public:
    using Found = std::function<void(QList<QHostAddress> addresses, QString why)>;
    virtual ~HostLookup() = default;
    virtual void lookUp(const QString& host, QObject* context, Found done) const = 0;
};

// Runs one Exchange over a real socket and a timer. Owns both; nothing blocks.
// A host name with several addresses is tried the way browsers do: the next
// address starts when the one before has not connected within kNextAddressMs
// (or at once when it failed); the first that connects carries the exchange.
class QueryConnection : public QObject {
    Q_OBJECT
  public:
    static constexpr int kNextAddressMs = 250;

    explicit QueryConnection(ExchangeRules rules, QObject* parent = nullptr);
    // A connection owned by `owner` whose result goes to its `onDone`; the
    // caller keeps it before starting it, since a start can end at once.
    template <typename Owner>
    static QueryConnection* make(ExchangeRules rules, Owner* owner,
                                 void (Owner::*onDone)(const ExchangeResult&)) {
        auto* connection = new QueryConnection(std::move(rules), owner);
        connect(connection, &QueryConnection::done, owner, onDone);
        return connection;
    }

    // The system's look-up unless told another, which must outlive this.
    void setLookup(const HostLookup& lookup) { m_lookup = &lookup; }
    void start(const Server& server, bool waitBeforeConnect);
    // Ends the connection and deletes this object soon; a running exchange just stops.
    void close();

  Q_SIGNALS:
    void done(const query::ExchangeResult& result);

  private:
    void perform(const std::vector<Action>& actions);
    void connectTo(const QString& host, quint16 port);
    void tryNextAddress();
    void attemptFailed(QTcpSocket* attempt);
    void connected(QTcpSocket* winner);
    // Everything that has arrived goes to the exchange, which judges it whole.
    void Winsock1_DataArrival();
    // The pause of one try; the event loop runs on meanwhile.
    void fWait(int ms);
    void onError();
    void report(QAbstractSocket::SocketError error, const QString& text);

    Exchange m_exchange;
    const HostLookup* m_lookup;
    QList<QHostAddress> m_addresses; // not tried yet
    quint16 m_port = 0;
    QList<QTcpSocket*> m_attempts; // connecting, none connected yet
    // The query socket of this exchange, once an address connected. Each
    // exchange has a socket of its own, so no two ever drive the same one.
    QTcpSocket* Winsock1 = nullptr;
    QTimer* m_nextAddress;
    QTimer* m_pause;
    bool m_closed = false;
};

} // namespace query
