// SPDX-License-Identifier: MIT
#include "tools/simulator/QuerySimulator.h"

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <functional>
#include <sys/socket.h>

namespace sim {

namespace {
constexpr auto kSelected = "quarnelSimSelected";
constexpr auto kInput = "quarnelSimInput";

enum class After { Nothing, Close, Reset };

// Runs `work` after `ms` on a timer the socket owns, so it dies with the socket.
void later(QTcpSocket* socket, int ms, const std::function<void()>& work) {
    auto* timer = new QTimer(socket);
    timer->setSingleShot(true);
    QObject::connect(timer, &QTimer::timeout, socket, [timer, work] {
        timer->deleteLater();
        work();
    });
    timer->start(ms);
}

// Writes the first piece now and the rest one by one, `delayMs` apart; the
// timers die with the socket.
void sendPieces(QTcpSocket* socket, QList<QByteArray> pieces, int delayMs, After after) {
    if (!pieces.isEmpty()) {
        socket->write(pieces.takeFirst());
    }
    if (!pieces.isEmpty()) {
        later(socket, delayMs, [=] { sendPieces(socket, pieces, delayMs, after); });
    } else if (after == After::Close) {
        socket->disconnectFromHost();
    } else if (after == After::Reset) {
        // Linger 0: the close sends a reset, not an orderly end.
        socket->flush();
        const linger now{1, 0};
        ::setsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_LINGER, &now,
                     sizeof now);
        socket->abort();
    }
}

} // namespace

QuerySimulator::QuerySimulator(QObject* parent) : QObject(parent) {}

QuerySimulator::~QuerySimulator() = default;

quint16 QuerySimulator::listen(const Behaviour& behaviour, quint16 port,
                               const QHostAddress& address) {
    auto* server = new QTcpServer(this);
    if (!server->listen(address, port)) {
        delete server;
        return 0;
    }
    connect(server, &QTcpServer::newConnection, this,
            [this, server, behaviour] { accept(server, behaviour); });
    m_servers << server;
    return server->serverPort();
}

void QuerySimulator::addServer(quint16 voicePort, const QList<Player>& players) {
    m_virtual[voicePort] = players;
}

int QuerySimulator::openConnections() const {
    int open = 0;
    for (const QTcpServer* server : m_servers) {
        for (const QTcpSocket* socket : server->findChildren<QTcpSocket*>()) {
            open += socket->state() == QAbstractSocket::ConnectedState ? 1 : 0;
        }
    }
    return open;
}

QList<Player> QuerySimulator::crowd(int count) {
    QList<Player> players;
    for (int i = 0; i < count; ++i) {
        players << Player{"Player " + QByteArray::number(i), "login", i % 4 == 1 ? 8 : 0};
    }
    return players;
}

quint16 QuerySimulator::closedPort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

QByteArray QuerySimulator::header() {
    return QByteArrayLiteral(
        "p_id\tc_id\tps\tbs\tpr\tbr\tpl\tping\tlogintime\tidletime\tcprivs\tpprivs\t"
        "pflags\tip\tnick\tloginname\r\n");
}

QByteArray QuerySimulator::row(int id, const Player& player, bool trailingTab) {
    QByteArray line = QByteArray::number(id) +
                      "\t16\t40450\t1924469\t60903\t1845286\t0\t2\t497623\t197\t0\t5\t" +
                      QByteArray::number(player.flags) + "\t\"0.0.0.0\"\t\"" + player.nick +
                      "\"\t\"" + player.login + "\"";
    if (trailingTab) {
        line += '\t';
    }
    return line + "\r\n";
}

QByteArray QuerySimulator::playerList(quint16 voicePort, const Behaviour& behaviour) const {
    QByteArray answer = header();
    const QList<Player> players = m_virtual.value(voicePort);
    int id = 1;
    for (const Player& player : players) {
        answer += row(id++, player, behaviour.trailingTab);
    }
    const Player filler{QByteArrayLiteral("Filler player with a long name"),
                        QByteArrayLiteral("filler"), 0};
    while (answer.size() < behaviour.hugeBytes) {
        answer += row(id++, filler, behaviour.trailingTab);
    }
    return answer + "OK\r\n";
}

void QuerySimulator::accept(QTcpServer* server, const Behaviour& behaviour) {
    while (QTcpSocket* socket = server->nextPendingConnection()) {
        ++m_accepted;
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        switch (behaviour.mode) {
        case Behaviour::Mode::CloseAtOnce:
            socket->disconnectFromHost();
            continue;
        case Behaviour::Mode::Silent:
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                const QByteArray bytes = socket->readAll();
                m_raw += bytes;
            });
            continue;
        default:
            break;
        }
        connect(socket, &QTcpSocket::readyRead, socket, [this, socket, behaviour] {
            const QByteArray bytes = socket->readAll();
            m_raw += bytes;
            QByteArray input = socket->property(kInput).toByteArray() + bytes;
            qsizetype end = 0;
            while ((end = input.indexOf('\n')) >= 0) {
                QByteArray line = input.left(end);
                input.remove(0, end + 1);
                if (line.endsWith('\r')) {
                    line.chop(1);
                }
                m_received << line;
                handle(socket, behaviour, line);
            }
            socket->setProperty(kInput, input);
        });
        reply(socket, behaviour, QByteArrayLiteral("[TS]\r\n"));
    }
}

void QuerySimulator::handle(QTcpSocket* socket, const Behaviour& behaviour,
                            const QByteArray& line) {
    if (behaviour.mode == Behaviour::Mode::GreetingOnly) {
        return;
    }
    const QByteArray command = line.trimmed();
    if (command.startsWith("sel ")) {
        bool ok = false;
        const uint port = command.mid(4).trimmed().toUInt(&ok);
        if (ok && port <= 65535 && m_virtual.contains(static_cast<quint16>(port))) {
            socket->setProperty(kSelected, port);
            reply(socket, behaviour, QByteArrayLiteral("OK\r\n"));
        } else {
            reply(socket, behaviour, QByteArrayLiteral("ERROR, invalid id\r\n"));
        }
    } else if (command.compare("pl", Qt::CaseInsensitive) == 0) {
        const QVariant selected = socket->property(kSelected);
        if (!selected.isValid()) {
            reply(socket, behaviour, QByteArrayLiteral("ERROR, no server selected\r\n"));
            return;
        }
        const QByteArray list = behaviour.listAnswer.isEmpty()
                                    ? playerList(static_cast<quint16>(selected.toUInt()), behaviour)
                                    : behaviour.listAnswer;
        switch (behaviour.mode) {
        case Behaviour::Mode::CloseMidAnswer:
        case Behaviour::Mode::StallMidAnswer:
        case Behaviour::Mode::ResetMidAnswer:
            reply(socket, behaviour, list.left(list.size() / 2), behaviour.mode);
            break;
        case Behaviour::Mode::Garbage: {
            QByteArray junk;
            for (int i = 0; i < 512; ++i) {
                junk += static_cast<char>((i * 37 + 11) % 256);
            }
            reply(socket, behaviour, junk);
            break;
        }
        default:
            reply(socket, behaviour, list);
            break;
        }
    } else if (command == "quit") {
        socket->disconnectFromHost();
    } else {
        reply(socket, behaviour, QByteArrayLiteral("error\r\n"));
    }
}

void QuerySimulator::reply(QTcpSocket* socket, const Behaviour& behaviour, const QByteArray& bytes,
                           Behaviour::Mode ending) {
    QList<QByteArray> pieces;
    if (behaviour.pieceEveryLine) {
        for (qsizetype at = 0, end = 0; at < bytes.size(); at = end) {
            end = bytes.indexOf("\r\n", at);
            end = end < 0 ? bytes.size() : end + 2;
            pieces.append(bytes.mid(at, end - at));
        }
    } else {
        const qsizetype size =
            behaviour.chunkBytes > 0 ? behaviour.chunkBytes : std::max<qsizetype>(bytes.size(), 1);
        for (qsizetype at = 0; at < bytes.size(); at += size) {
            pieces.append(bytes.mid(at, size));
        }
    }
    const After after = ending == Behaviour::Mode::CloseMidAnswer   ? After::Close
                        : ending == Behaviour::Mode::ResetMidAnswer ? After::Reset
                                                                    : After::Nothing;
    if (behaviour.replyDelayMs > 0) {
        later(socket, behaviour.replyDelayMs,
              [=, delay = behaviour.chunkDelayMs] { sendPieces(socket, pieces, delay, after); });
    } else {
        sendPieces(socket, pieces, behaviour.chunkDelayMs, after);
    }
}

} // namespace sim
