// SPDX-License-Identifier: MIT
#include "query/QueryConnection.h"

#include <QHostInfo>
#include <QTcpSocket>
#include <QTimer>

namespace query {

namespace {
constexpr qint64 kReadChunk = qint64{64} * 1024;

struct SystemLookup : HostLookup {
    void lookUp(const QString& host, QObject* context, Found done) const override {
        // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks): Qt owns the slot object
        QHostInfo::lookupHost(host, context, [done = std::move(done)](const QHostInfo& info) {
            done(info.error() == QHostInfo::NoError ? info.addresses() : QList<QHostAddress>(),
                 info.errorString());
        });
    }
};
const SystemLookup kSystemLookup;

// "[::1]", the form a link needs, is the address ::1.
QString withoutBrackets(const QString& host) {
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'))) {
        QString inner = host.mid(1, host.size() - 2);
        if (QHostAddress(inner).protocol() == QAbstractSocket::IPv6Protocol) {
            return inner;
        }
    }
    return host;
}
} // namespace

QueryConnection::QueryConnection(ExchangeRules rules, QObject* parent)
    : QObject(parent), m_exchange(std::move(rules)), m_lookup(&kSystemLookup),
      m_nextAddress(new QTimer(this)), m_pause(new QTimer(this)) {
    m_pause->setSingleShot(true);
    m_nextAddress->setSingleShot(true);
    connect(m_pause, &QTimer::timeout, this, [this] { perform(m_exchange.pauseElapsed()); });
    connect(m_nextAddress, &QTimer::timeout, this, &QueryConnection::tryNextAddress);
}

void QueryConnection::start(const Server& server, bool waitBeforeConnect) {
    perform(m_exchange.start(server, waitBeforeConnect));
}

void QueryConnection::close() {
    // Closed now, not when this goes; whatever is still on its way is ignored.
    m_closed = true;
    for (QTcpSocket* socket : std::as_const(m_attempts)) {
        socket->abort();
    }
    if (Winsock1 != nullptr) {
        Winsock1->abort();
    }
    deleteLater();
}

void QueryConnection::connectTo(const QString& host, quint16 port) {
    m_port = port;
    const QString name = withoutBrackets(host);
    if (const QHostAddress literal(name); !literal.isNull()) {
        m_addresses = {literal};
        tryNextAddress();
        return;
    }
    m_lookup->lookUp(name, this, [this](QList<QHostAddress> addresses, const QString& why) {
        // Never from inside the Connect action itself: the exchange goes on first.
        // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks): Qt owns the slot object
        QTimer::singleShot(0, this, [this, addresses = std::move(addresses), why] {
            if (m_closed) {
                return;
            }
            if (addresses.isEmpty()) {
                report(QAbstractSocket::HostNotFoundError, why);
                return;
            }
            m_addresses = addresses;
            tryNextAddress();
        });
    });
}

void QueryConnection::tryNextAddress() {
    if (m_closed || Winsock1 != nullptr || m_addresses.isEmpty()) {
        return;
    }
    auto* attempt = new QTcpSocket(this);
    // Small reads: a server that floods is cut off after the reply limit,
    // not after filling memory.
    attempt->setReadBufferSize(kReadChunk);
    m_attempts << attempt;
    connect(attempt, &QTcpSocket::connected, this, [this, attempt] { connected(attempt); });
    // Queued: a failure reported from inside connectToHost must not re-enter.
    connect(
        attempt, &QTcpSocket::errorOccurred, this, [this, attempt] { attemptFailed(attempt); },
        Qt::QueuedConnection);
    attempt->connectToHost(m_addresses.takeFirst(), m_port);
    if (!m_addresses.isEmpty()) {
        m_nextAddress->start(kNextAddressMs);
    }
}

void QueryConnection::attemptFailed(QTcpSocket* attempt) {
    if (m_closed || !m_attempts.contains(attempt)) {
        return;
    }
    m_attempts.removeOne(attempt);
    attempt->deleteLater();
    if (!m_addresses.isEmpty()) {
        m_nextAddress->stop();
        tryNextAddress();
    } else if (m_attempts.isEmpty()) {
        report(attempt->error(), attempt->errorString());
    }
}

void QueryConnection::connected(QTcpSocket* winner) {
    m_attempts.removeOne(winner);
    for (QTcpSocket* other : std::as_const(m_attempts)) {
        other->abort();
        other->deleteLater();
    }
    m_attempts.clear();
    Winsock1 = winner;
    disconnect(winner, nullptr, this, nullptr);
    connect(winner, &QTcpSocket::readyRead, this, &QueryConnection::Winsock1_DataArrival);
    connect(winner, &QTcpSocket::errorOccurred, this, &QueryConnection::onError,
            Qt::QueuedConnection);
}

void QueryConnection::Winsock1_DataArrival() {
    while (Winsock1->bytesAvailable() > 0 && !m_exchange.finished()) {
        perform(m_exchange.dataArrived(Winsock1->read(kReadChunk)));
    }
}

void QueryConnection::fWait(int ms) {
    m_pause->start(ms);
}

void QueryConnection::onError() {
    // Data that came with the close is read first.
    if (Winsock1->bytesAvailable() > 0 && !m_exchange.finished()) {
        perform(m_exchange.dataArrived(Winsock1->readAll()));
    }
    report(Winsock1->error(), Winsock1->errorString());
}

void QueryConnection::report(QAbstractSocket::SocketError error, const QString& text) {
    SocketFailure failure = SocketFailure::Other;
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        failure = SocketFailure::Refused;
        break;
    case QAbstractSocket::HostNotFoundError:
        failure = SocketFailure::HostNotFound;
        break;
    case QAbstractSocket::RemoteHostClosedError:
        failure = SocketFailure::ClosedByServer;
        break;
    default:
        break;
    }
    perform(m_exchange.socketFailed(failure, text));
}

void QueryConnection::perform(const std::vector<Action>& actions) {
    for (const Action& action : actions) {
        if (m_closed) {
            return;
        }
        switch (action.kind) {
        case Action::Kind::Connect:
            connectTo(action.host, action.port);
            break;
        case Action::Kind::Send:
            Winsock1->write(action.bytes);
            break;
        case Action::Kind::ArmPause:
            fWait(action.ms);
            break;
        case Action::Kind::CancelPause:
            m_pause->stop();
            break;
        case Action::Kind::Finish:
            Q_EMIT done(m_exchange.result());
            break;
        }
    }
}

} // namespace query
