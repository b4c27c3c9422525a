// SPDX-License-Identifier: MIT
// The query conversation as a state machine driven by hand (every pause, every
// byte sent, answers cut anywhere), then the refresh and the player list over
// real loopback sockets against the simulator: servers that fail in every way.
#include "query/Exchange.h"
#include "query/PlayerList.h"
#include "query/QueryConnection.h"
#include "query/Refresh.h"
#include "store/ServerGrid.h"
#include "tools/simulator/QuerySimulator.h"

#include <QtTest>
#include <arpa/inet.h>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using Mode = sim::Behaviour::Mode;
using query::Action;
using query::Outcome;
Q_DECLARE_METATYPE(sim::Behaviour)

namespace {

// Runs one exchange and keeps what it asked for.
struct Run {
    explicit Run(bool refresh, const QString& queryPort = "51234",
                 const QString& voicePort = "8767", bool stepZero = false)
        : exchange({refresh, refresh, [] { return std::optional<int>(150); }}) {
        take(exchange.start("host", queryPort, voicePort, stepZero));
    }
    void take(const std::vector<Action>& actions) {
        for (const Action& action : actions) {
            connected = action.kind == Action::Kind::Connect ? action.port : connected;
            armed = action.kind == Action::Kind::ArmPause      ? action.ms
                    : action.kind == Action::Kind::CancelPause ? -1
                                                               : armed;
            if (action.kind == Action::Kind::Send) {
                sent << action.bytes;
            }
        }
    }
    bool tick() {
        const bool was = std::exchange(armed, -1) >= 0;
        if (was) {
            take(exchange.pauseElapsed());
        }
        return was;
    }
    void data(const QByteArray& bytes) { take(exchange.dataArrived(bytes)); }

    query::Exchange exchange;
    QList<QByteArray> sent;
    int armed = -1;
    quint16 connected = 0;
};

const QByteArray kGreeting = "[TS]\r\n";
const QByteArray kOk = "OK\r\n";
const QByteArray kList = "id\tnick\tx\r\n1\t0\t0\t0\t\"Ann\"\t\"a\"\t\r\n"
                         "2\t0\t8\t0\t\"Bob\"\t\"b\"\t\r\nOK\r\n";

sim::Behaviour behaviour(Mode mode, int chunk = 0, int delay = 0, bool perLine = false,
                         qint64 huge = 0) {
    return {mode, 0, chunk, delay, perLine, true, huge, {}};
}

mod_DB::Server server(qint32 id, quint16 queryPort, const QString& voicePort = "8767") {
    return {id, QString("S%1").arg(id), QString("127.0.0.1"), voicePort,
            QString::number(queryPort)};
}

// Once one wait hangs, the waits after it fail at once.
bool waited(QSignalSpy& spy) {
    static bool hung = false;
    hung = hung || !spy.wait(20000);
    return !hung;
}

// A grid of servers, refreshed with the given timeout text.
struct Rig {
    explicit Rig(const QList<mod_DB::Server>& servers, QString timeoutText = "1500")
        : timeout(std::move(timeoutText)) {
        grid.load(mod_DB::ServerList::of(servers));
    }
    bool refreshAll() {
        QSignalSpy done(&refresh, &query::Refresh::finished);
        refresh.start();
        return !refresh.running() || waited(done);
    }
    [[nodiscard]] QString cell(int row) const { return grid.TextMatrix(row, ServerGrid::Player); }
    [[nodiscard]] QString tip(int row) const { return grid.toolTip(row, ServerGrid::Player); }

    ServerGrid grid;
    QString timeout;
    query::Refresh refresh{grid, [this] { return timeout; }, [] { return false; }};
};

// A listener whose accept queue is full, so that it answers no SYN: an
// address whose route is broken, as far as a client can tell.
struct BlackHole {
    BlackHole(const char* address, quint16 port) {
        sockaddr_in at{};
        at.sin_family = AF_INET;
        at.sin_port = htons(port);
        inet_pton(AF_INET, address, &at.sin_addr);
        const auto* where = reinterpret_cast<const sockaddr*>(&at);
        listener = socket(AF_INET, SOCK_STREAM, 0);
        ok = bind(listener, where, sizeof at) == 0 && ::listen(listener, 0) == 0;
        for (int i = 0; ok && i < 3; ++i) {
            fillers << socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            (void)::connect(fillers.last(), where, sizeof at);
        }
        QTest::qWait(100);
    }
    ~BlackHole() {
        for (const int fd : fillers) {
            ::close(fd);
        }
        ::close(listener);
    }
    BlackHole(const BlackHole&) = delete;
    BlackHole& operator=(const BlackHole&) = delete;
    int listener = -1;
    QList<int> fillers;
    bool ok = false;
};

query::ExchangeRules refreshRules() {
    return {true, true, [] { return std::optional<int>(150); }};
}

} // namespace

class TestQuery : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void waitsGiveUpAfterTheirPauses_data() {
        QTest::addColumn<bool>("refresh");
        QTest::addColumn<QList<int>>("arrivals"); // pauses elapsed before each answer comes
        QTest::addColumn<int>("pauses");
        QTest::addColumn<int>("sent");
        QTest::newRow("refresh, silent") << true << QList<int>{} << 9 << 0;
        QTest::newRow("refresh, greeting in the last pause") << true << QList<int>{8} << 19 << 1;
        QTest::newRow("refresh, silent after PL") << true << QList<int>{2, 9} << 23 << 2;
        QTest::newRow("player list, silent") << false << QList<int>{} << 10 << 0;
        QTest::newRow("player list, greeting in pause 6") << false << QList<int>{5} << 10 << 1;
        QTest::newRow("player list, sel answered in pause 10")
            << false << QList<int>{5, 3} << 10 << 2;
    }

    void waitsGiveUpAfterTheirPauses() {
        QFETCH(bool, refresh);
        QFETCH(QList<int>, arrivals);
        QFETCH(int, pauses);
        QFETCH(int, sent);
        Run run(refresh);
        for (qsizetype i = 0; i < arrivals.size(); ++i) {
            for (int n = 0; n < arrivals[i]; ++n) {
                run.tick();
            }
            run.data(i == 0 ? kGreeting : kOk);
        }
        while (run.tick()) {
        }
        QCOMPARE(run.exchange.result().outcome, Outcome::TimedOut);
        QCOMPARE(run.exchange.result().pauses, pauses);
        QCOMPARE(run.sent.size(), sent);
    }

    void bytesOnTheWire() {
        Run refresh(true, "51234", " 8767.4");
        Run list(false, "51234", "08767 ");
        for (Run* run : {&refresh, &list}) {
            QCOMPARE(run->connected, quint16{51234});
            run->data(kGreeting);
            run->data(kOk);
            run->data(kList);
            QCOMPARE(run->exchange.result().answer, QString::fromLatin1(kList));
        }
        QCOMPARE(refresh.sent, QList<QByteArray>({"sel 8767\r\n", "PL\r\n"}));
        QCOMPARE(list.sent, QList<QByteArray>({"sel 08767 \r\n", "PL\r\n"}));
        Run ahead(true); // a server answering before it is asked, all in one piece
        ahead.data(kGreeting + kOk + kList + "trailing");
        QCOMPARE(ahead.exchange.result().answer, QString::fromLatin1(kList));
        QCOMPARE(answer::decode("\x80\xe9\x81"), QString::fromUtf16(u"\u20ac\u00e9\u0081"));
        QCOMPARE(answer::flagNames(73), QString("Flags 73: channel commander, away, recording"));
        Run bare(true); // a greeting of nothing but its line end
        bare.data("\r\n");
        QCOMPARE(bare.sent.size(), 1);
        // A line break in the voice port would smuggle a command of its own.
        Run smuggling(false, "51234", "1\nquit");
        smuggling.data(kGreeting);
        QVERIFY(smuggling.sent.isEmpty() && smuggling.exchange.finished());
        // A failing socket ends the wait and its pause; half a list is an incomplete one.
        const QList<std::tuple<query::SocketFailure, QByteArray, Outcome>> failures{
            {query::SocketFailure::Other, "", Outcome::SocketError},
            {query::SocketFailure::ClosedByServer, kGreeting + kOk, Outcome::Closed},
            {query::SocketFailure::ClosedByServer, kGreeting + kOk + kList.left(20),
             Outcome::Incomplete}};
        for (const auto& [failure, received, outcome] : failures) {
            Run run(false);
            run.data(received);
            run.take(run.exchange.socketFailed(failure, "gone"));
            QVERIFY(run.exchange.result().outcome == outcome && run.armed == -1);
        }
        // A reply may be 1 MiB long, not a byte more.
        Run big(true);
        big.data(QByteArray(query::Exchange::kMaxReply, 'x'));
        QVERIFY(!big.exchange.finished());
        big.data("x");
        QCOMPARE(big.exchange.result().outcome, Outcome::TooLarge);
        // Step 0 pauses 500 ms before connecting.
        Run minimised(false, "51234", "1", true);
        QCOMPARE(minimised.armed, 500);
        QCOMPARE(minimised.connected, quint16{0});
        minimised.tick();
        QCOMPARE(minimised.connected, quint16{51234});
    }

    void pauseOfTheTimeout() {
        // A tenth of a 16-bit whole number of milliseconds, halves to the even neighbour.
        const QList<std::pair<QString, int>> pauses{{"1500", 150}, {"0", 0},    {"25", 2},
                                                    {"35", 4},     {"-10", -1}, {"32768", -1},
                                                    {"fast", -1}};
        for (const auto& [timeout, pause] : pauses) {
            QCOMPARE(query::refreshPause(timeout).value_or(-1), pause);
        }
    }

    void initTestCase() { simulator.addServer(8767, sim::QuerySimulator::crowd(3)); }
    void serversAsTheyAnswer_data() {
        QTest::addColumn<sim::Behaviour>("how");
        QTest::addColumn<int>("players");       // the simulator's crowd
        QTest::addColumn<QString>("shown");     // the refresh's cell, then the start of its tooltip
        QTest::addColumn<int>("listed");        // the player list's entries; -1: no list at all
        QTest::addColumn<QStringList>("first"); // its first entries
        QTest::addColumn<int>("open");          // connections left open by the list
        const QStringList crowd{"Player 0", "Player 1 (Away)"};
        const auto row = [](const char* name, const sim::Behaviour& how, int players,
                            const char* shown, int listed, const QStringList& first, int open) {
            QTest::newRow(name) << how << players << QString(shown) << listed << first << open;
        };
        row("whole", behaviour(Mode::Normal), 3, "3 Counted at", 3, crowd, 0);
        row("1-byte pieces", behaviour(Mode::Normal, 1, 1), 3, "3 Counted at", 3, crowd, 0);
        row("200 players, a piece a line", behaviour(Mode::Normal, 0, 0, true), 200, "200 Counted",
            200, crowd, 0);
        const char* incomplete = "X The player list was incomplete";
        row("half a list, stalled", behaviour(Mode::StallMidAnswer), 30, incomplete, -1, {}, 1);
        row("half a list, reset", behaviour(Mode::ResetMidAnswer), 30, incomplete, -1, {}, 0);
        row("greeting only", behaviour(Mode::GreetingOnly), 3, "X No answer within 500 ms", -1, {},
            1);
        row("silent", behaviour(Mode::Silent), 3, "X No answer within 450 ms", -1, {}, 1);
        row("floods", behaviour(Mode::Normal, 0, 0, false, 3 << 20), 3, "X Answer too large", -1,
            {}, 0);
        row("closes at once", behaviour(Mode::CloseAtOnce), 3, "X Connection closed by the server",
            -1, {}, 0);
        // Answers as servers write them, whatever their header holds.
        const auto answer = [](const QByteArray& text) {
            sim::Behaviour how;
            how.listAnswer = text;
            return how;
        };
        const auto line = [](const char* flags, const char* name) {
            return QByteArray("7\t16\t0\t0\t0\t0\t0\t2\t0\t0\t0\t5\t") + flags + "\t\"0.0.0.0\"\t" +
                   name + "\t\"login\"\t\r\n";
        };
        const QByteArray tabbed = sim::QuerySimulator::header();
        row("a header without TAB, two players",
            answer("Players\r\n" + line("0", "\"Ann\"") + line("8", "\"Bob\"") + "OK\r\n"), 0,
            "2 Counted", 2, {"Ann", "Bob (Away)"}, 0);
        row("a header without TAB, no player", answer("Players\r\nOK\r\n"), 0, "0 Counted", 0, {},
            0);
        row("a header with TABs, no player", answer(tabbed + "OK\r\n"), 0, "0 Counted", 0, {}, 0);
        row("quotes and flags",
            answer(tabbed + line("72", "\"Bo\"b\"") + line("40", "C") + line("12", "D") +
                   line("16", "E") + line("136", "F") + line("-8", "G") + "OK\r\n"),
            0, "6 Counted", 6, {"Bob (Away)", "C (Away)", "D (Away)", "E", "F", "G"}, 0);
        row("a line of four fields ends the list",
            answer(tabbed + line("8", "A") + "0\t8\tX\t\"l\"\r\n" + line("0", "B") + "OK\r\n"), 0,
            "3 Counted", 1, {"A (Away)"}, 0);
        row("flags that are no number end the list",
            answer(tabbed + line("0", "A") + line("x", "B") + line("0", "C") + "OK\r\n"), 0,
            "3 Counted", 1, {"A"}, 0);
    }

    void serversAsTheyAnswer() {
        QFETCH(sim::Behaviour, how);
        QFETCH(int, players);
        QFETCH(QString, shown);
        QFETCH(int, listed);
        QFETCH(QStringList, first);
        QFETCH(int, open);
        static quint16 voicePort = 9000;
        simulator.addServer(++voicePort, sim::QuerySimulator::crowd(players));
        const QString port = QString::number(simulator.listen(how));
        const QString cell = shown.section(' ', 0, 0);
        // Short waits where no count comes; room for answers in pieces elsewhere.
        Rig rig({server(1, port.toUShort(), QString::number(voicePort))},
                cell == "X" ? "500" : "1500");
        QVERIFY(rig.refreshAll());
        QCOMPARE(rig.cell(1), cell);
        QVERIFY2(rig.tip(1).startsWith(shown.section(' ', 1)), qPrintable(rig.tip(1)));
        QCOMPARE(rig.grid.isCurrent(1), cell != QLatin1String("X"));

        query::PlayerList list;
        // A list still waiting ends when the next one starts.
        list.start("127.0.0.1", "8767", QString::number(simulator.listen(behaviour(Mode::Silent))),
                   false);
        QSignalSpy entries(&list, &query::PlayerList::listed);
        QSignalSpy done(&list, &query::PlayerList::finished);
        const QString typed = "0" + QString::number(voicePort); // goes out as typed
        list.start("127.0.0.1", typed, port, false);
        QVERIFY(waited(done));
        if (how.mode == Mode::GreetingOnly) { // ten pauses in all three waits together
            QCOMPARE(done.value(0).value(0).value<query::Result>().pauses, 10);
        }
        const bool greets = how.mode != Mode::Silent && how.mode != Mode::CloseAtOnce;
        QCOMPARE(simulator.received().contains("sel " + typed.toLatin1()), greets);
        QStringList got;
        for (const answer::Player& player :
             entries.value(0).value(0).value<QList<answer::Player>>()) {
            got << answer::playerEntry(player);
        }
        QCOMPARE(entries.isEmpty() ? -1 : int(got.size()), listed);
        QCOMPARE(got.mid(0, first.size()), first);
        // A list that never ended keeps its connection open; any other closes it.
        QTest::qWait(50);
        QTRY_COMPARE(simulator.openConnections(), open);
    }

    void stoppingEndsTheConnectionAtOnce() {
        Rig rig({server(1, simulator.listen(behaviour(Mode::Silent)))});
        rig.refresh.start();
        QTRY_COMPARE(simulator.openConnections(), 1);
        rig.refresh.stop();
        QTest::qWait(300); // well before the silent server's wait would end on its own
        QCOMPARE(simulator.openConnections(), 0);
    }

    void unusableRowsAreSkipped() {
        const quint16 port = simulator.listen();
        Rig rig({server(1, port, "eighty"),
                 server(2, 0),
                 server(3, sim::QuerySimulator::closedPort()),
                 {4, "S4", "no-such-host.invalid", "8767", QString::number(port)},
                 server(5, port)});
        QVERIFY(rig.refreshAll());
        QVERIFY(rig.tip(1).startsWith(QString("Not asked: voice port \"eighty\"")));
        QVERIFY(rig.tip(2).startsWith(QString("Not asked: query port \"0\"")));
        QVERIFY(rig.tip(3).startsWith(QString("Connection refused")));
        QVERIFY(rig.tip(4).startsWith(QString("Host not found")));
        QCOMPARE(rig.cell(5), QString("3"));

        // Many such rows neither grow the stack nor hold the event loop.
        QList<mod_DB::Server> many;
        for (int id = 1; id <= 12000; ++id) {
            many << mod_DB::Server{id, "S", "127.0.0.1", "8767", "none"};
        }
        rig.grid.load(mod_DB::ServerList::of(many));
        bool loopRan = false;
        QTimer::singleShot(0, [&] { loopRan = rig.refresh.running(); });
        QVERIFY(rig.refreshAll() && loopRan);

        // A timeout that is no number concerns every row: the refresh ends at the first.
        rig.timeout = QString("fast");
        QSignalSpy resetting(&rig.grid, &QAbstractItemModel::modelAboutToBeReset);
        rig.grid.load(mod_DB::ServerList::of({server(1, port), server(2, port)}));
        QCOMPARE(resetting.size(), 1); // views are told before the rows go
        QVERIFY(rig.refreshAll());
        QVERIFY(rig.tip(1).startsWith(QString("Not asked: the timeout")));
        QCOMPARE(rig.tip(2), QString());
        QCOMPARE(rig.cell(1) + rig.cell(2), QString("XX"));
    }

    void countsNotConfirmedStayGreyed() {
        auto leaving = std::make_unique<sim::QuerySimulator>();
        leaving->addServer(8767, sim::QuerySimulator::crowd(2));
        Rig rig({server(1, leaving->listen()), server(2, simulator.listen())});
        QSignalSpy counted(&rig.grid, &QAbstractItemModel::dataChanged);
        QVERIFY(rig.refreshAll());
        const QModelIndex cell = rig.grid.index(0, ServerGrid::Player);
        QVERIFY(std::any_of(counted.begin(), counted.end(), [&](const QList<QVariant>& change) {
            return change[0].toModelIndex() == cell; // views redraw the new count
        }));
        QCOMPARE(rig.cell(1), QString("2"));
        QVERIFY(rig.grid.isCurrent(1));
        QTRY_COMPARE(leaving->openConnections(), 0); // each server's connection ends with it
        leaving.reset();                             // the server goes away: its port now refuses
        QSignalSpy redrawn(&rig.grid, &QAbstractItemModel::dataChanged);
        QVERIFY(rig.refreshAll());
        const QModelIndex greyed = rig.grid.index(0, ServerGrid::Player);
        QVERIFY(std::any_of(redrawn.begin(), redrawn.end(), [&](const QList<QVariant>& change) {
            return change[0].toModelIndex() == greyed && change[1].toModelIndex() == greyed;
        }));
        QCOMPARE(rig.cell(1), QString("2"));
        QVERIFY(!rig.grid.index(0, ServerGrid::Player).data(ServerGrid::CurrentRole).toBool());
        QVERIFY(rig.grid.index(0, ServerGrid::IP).data(ServerGrid::CurrentRole).toBool() &&
                rig.grid.toolTip(1, ServerGrid::IP).isEmpty() &&
                rig.grid.TextMatrix(3, ServerGrid::IP).isEmpty()); // past the last row
        QVERIFY(rig.tip(1).contains("Connection refused") &&
                rig.tip(1).contains("last counted at"));
        QCOMPARE(greyed.data(Qt::AccessibleDescriptionRole).toString(),
                 "Not current: " + rig.tip(1)); // told to a screen reader too
        QCOMPARE(rig.grid.index(0, ServerGrid::IP).data(Qt::AccessibleDescriptionRole).toString(),
                 QString());
        QVERIFY(rig.grid.isCurrent(2));
    }

    void aDeadFirstAddressGivesWayToTheNext() {
        const quint16 port = simulator.listen();
        BlackHole dead("127.0.0.2", port);
        if (!dead.ok) {
            QSKIP("127.0.0.2 is not a loopback address here");
        }
        // The black hole really swallows connections.
        QTcpSocket probe;
        probe.connectToHost("127.0.0.2", port);
        QVERIFY(!probe.waitForConnected(400));
        probe.abort();

        query::QueryConnection connection(refreshRules());
        QString asked;
        connection.setResolver([&](const QString& host, QObject*, auto done) {
            asked = host;
            done({QHostAddress("127.0.0.2"), QHostAddress("127.0.0.1")}, {});
        });
        QSignalSpy done(&connection, &query::QueryConnection::done);
        connection.start("dual.example", QString::number(port), "8767", false);
        QVERIFY(waited(done));
        QCOMPARE(asked, QString("dual.example"));
        const auto result = connection.result();
        QCOMPARE(result.outcome, Outcome::Answered);
        QCOMPARE(answer::playerCount(answer::cutLines(result.answer)), 3);
        // The next address started after a quarter second, within the first wait.
        QVERIFY(result.pauses < 9);

        // Every address refused: told as refused, at once.
        query::QueryConnection refused(refreshRules());
        refused.setResolver([](const QString&, QObject*, auto done) {
            done({QHostAddress("127.0.0.1"), QHostAddress("127.0.0.1")}, {});
        });
        QSignalSpy refusedDone(&refused, &query::QueryConnection::done);
        refused.start("x", QString::number(sim::QuerySimulator::closedPort()), "8767", false);
        QVERIFY(waited(refusedDone));
        QCOMPARE(refused.result().outcome, Outcome::Refused);
        QVERIFY(refused.result().pauses <= 1);
    }

    void anIpv6AddressInBrackets() {
        const quint16 port = simulator.listen({}, 0, QHostAddress(QHostAddress::LocalHostIPv6));
        if (port == 0) {
            QSKIP("no IPv6 loopback here");
        }
        for (const char* host : {"[::1]", "::1"}) {
            query::QueryConnection connection(refreshRules());
            connection.setResolver([](const QString&, QObject*, auto done) {
                done({}, "a literal address needs no lookup");
            });
            QSignalSpy done(&connection, &query::QueryConnection::done);
            connection.start(host, QString::number(port), "8767", false);
            QVERIFY(waited(done));
            QCOMPARE(connection.result().outcome, Outcome::Answered);
        }
    }

  private:
    sim::QuerySimulator simulator;
};

QTEST_GUILESS_MAIN(TestQuery)
#include "test_query.moc"
