// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>

class QTcpServer;
class QTcpSocket;

// A stand-in for the query port of a voice server, on loopback, for tests,
// benchmarks and the demo. It greets with "[TS]", answers "sel <port>" with
// "OK" (or an ERROR line for an unknown port) and "pl" with a header, one row
// per player and "OK"; anything else with "error".
namespace sim {

struct Player {
    QByteArray nick; // single-byte text, sent as it stands
    QByteArray login;
    qint32 flags = 0;
};

struct Behaviour {
    enum class Mode {
        Normal,
        GreetingOnly,   // greets, then never answers
        Silent,         // accepts and never sends a byte
        CloseAtOnce,    // accepts and closes
        CloseMidAnswer, // sends half the player list, then closes
        StallMidAnswer, // sends half the player list, then nothing more
        ResetMidAnswer, // sends half the player list, then resets the connection
        Garbage,        // answers the player list with bytes of no shape
    };
    Mode mode = Mode::Normal;
    int replyDelayMs = 0;        // before the greeting and every answer
    int chunkBytes = 0;          // 0: each answer in one write; else cut into pieces of this size
    int chunkDelayMs = 0;        // between two pieces
    bool pieceEveryLine = false; // cut every answer after each CR LF instead
    bool trailingTab = true;
    qint64 hugeBytes = 0;  // pad the player list with rows up to this size
    QByteArray listAnswer; // when set, the answer to "pl" as it stands
};

class QuerySimulator : public QObject {
    Q_OBJECT
  public:
    explicit QuerySimulator(QObject* parent = nullptr);
    ~QuerySimulator() override;
    QuerySimulator(const QuerySimulator&) = delete;
    QuerySimulator& operator=(const QuerySimulator&) = delete;

    // Opens one more listening port on 127.0.0.1 or the given address (0: any
    // free port) and returns it (0 on failure).
    quint16 listen(const Behaviour& behaviour = {}, quint16 port = 0,
                   const QHostAddress& address = QHostAddress(QHostAddress::LocalHost));
    quint16 listen(Behaviour::Mode mode) {
        Behaviour behaviour;
        behaviour.mode = mode;
        return listen(behaviour);
    }
    // A virtual server, reached with "sel <voicePort>" on any listening port.
    void addServer(quint16 voicePort, const QList<Player>& players);

    // Every command line received, without its line end, in order.
    [[nodiscard]] const QList<QByteArray>& received() const { return m_received; }
    // The raw bytes received over all connections.
    [[nodiscard]] const QByteArray& rawReceived() const { return m_raw; }
    [[nodiscard]] int accepted() const { return m_accepted; }
    [[nodiscard]] int openConnections() const;

    // count players named "Player 0", "Player 1", ...; every fourth from the second is away.
    static QList<Player> crowd(int count);
    // A loopback port on which nothing listens: connecting is refused.
    static quint16 closedPort();
    static QByteArray header();
    static QByteArray row(int id, const Player& player, bool trailingTab);

  private:
    void accept(QTcpServer* server, const Behaviour& behaviour);
    void handle(QTcpSocket* socket, const Behaviour& behaviour, const QByteArray& line);
    // `ending` CloseMidAnswer or ResetMidAnswer ends the connection after the bytes.
    void reply(QTcpSocket* socket, const Behaviour& behaviour, const QByteArray& bytes,
               Behaviour::Mode ending = Behaviour::Mode::Normal);
    QByteArray playerList(quint16 voicePort, const Behaviour& behaviour) const;

    QList<QTcpServer*> m_servers;
    QMap<quint16, QList<Player>> m_virtual;
    QList<QByteArray> m_received;
    QByteArray m_raw;
    int m_accepted = 0;
};

} // namespace sim
