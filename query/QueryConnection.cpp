#include "query/QueryConnection.h"

#include <QTcpSocket>
#include <QTimer>

namespace query {

namespace {
constexpr qint64 kReadChunk = qint64{64} * 1024;
} // namespace

QueryConnection::QueryConnection(ExchangeRules rules, QObject* parent)
    : QObject(parent), m_exchange(std::move(rules)), m_socket(new QTcpSocket(this)),
      m_pause(new QTimer(this)) {
    m_pause->setSingleShot(true);
    // Small reads: a server that floods is cut off after the reply limit,
    // not after filling memory.
    m_socket->setReadBufferSize(kReadChunk);
    connect(m_pause, &QTimer::timeout, this, [this] { run(m_exchange.pauseElapsed()); });
    connect(m_socket, &QTcpSocket::readyRead, this, [this] {
        while (m_socket->bytesAvailable() > 0 && !m_exchange.finished()) {
            run(m_exchange.dataArrived(m_socket->read(kReadChunk)));
        }
    });
    // Queued: a failure reported from inside connectToHost must not re-enter the exchange.
    connect(m_socket, &QTcpSocket::errorOccurred, this, &QueryConnection::onError,
            Qt::QueuedConnection);
}

void QueryConnection::start(const QString& host, const QString& queryPort, const QString& voicePort,
                            bool stepZero) {
    run(m_exchange.start(host, queryPort, voicePort, stepZero));
}

void QueryConnection::close() {
    // Closed now, not when this goes; whatever is still on its way is ignored.
    m_closed = true;
    m_socket->abort();
    deleteLater();
}

void QueryConnection::onError() {
    // Data that came with the close is read first.
    if (m_socket->bytesAvailable() > 0 && !m_exchange.finished()) {
        run(m_exchange.dataArrived(m_socket->readAll()));
    }
    SocketFailure failure = SocketFailure::Other;
    switch (m_socket->error()) {
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
    run(m_exchange.socketFailed(failure, m_socket->errorString()));
}

void QueryConnection::run(const std::vector<Action>& actions) {
    for (const Action& action : actions) {
        if (m_closed) {
            return;
        }
        switch (action.kind) {
        case Action::Kind::Connect:
            m_socket->connectToHost(action.host, action.port);
            break;
        case Action::Kind::Send:
            m_socket->write(action.bytes);
            break;
        case Action::Kind::ArmPause:
            m_pause->start(action.ms);
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
