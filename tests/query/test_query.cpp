// SPDX-License-Identifier: MIT
// The query conversation as a state machine driven by hand (every pause, every
// byte sent, answers cut anywhere), then the refresh and the player list over
// real loopback sockets against the simulator: servers that fail in every way.
#include "app/Words.h"
#include "query/Exchange.h"
#include "query/PlayerList.h"
#include "query/QueryConnection.h"
#include "query/Refresh.h"
#include "store/ServerGrid.h"
#include "support/ListSource.h"
#include "tools/simulator/QuerySimulator.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <array>

using Mode = sim::Behaviour::Mode;
using query::Action;
using query::Outcome;
Q_DECLARE_METATYPE(sim::Behaviour)
Q_DECLARE_METATYPE(Outcome)

namespace {

Server server(qint32 id, quint16 queryPort, const QString& voicePort = "8767") {
    return {id, QString("S%1").arg(id), QString("127.0.0.1"), voicePort,
            QString::number(queryPort)};
}

// Runs one exchange by hand and keeps what it asked for.
struct Run {
    explicit Run(bool refresh, const QString& voicePort = "8767")
        : exchange(refresh ? query::ExchangeRules::refresh([] { return std::optional<int>(150); })
                           : query::ExchangeRules::playerList(150)) {
        take(exchange.start(server(1, 51234, voicePort), false));
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
    [[nodiscard]] const query::ExchangeResult& result() const { return exchange.result(); }

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

// Once one wait hangs, the waits after it fail at once.
bool waited(QSignalSpy& spy) {
    static bool hung = false;
    hung = hung || !spy.wait(20000);
    return !hung;
}

// What the refresh reported of a server: its count, or why it gave none.
struct Report {
    int players = -1;
    NotCounted why;
};

// A grid of servers, refreshed with the given timeout text, and what the
// refresh reported of each server ID.
struct Rig {
    explicit Rig(const QList<Server>& servers, const QString& timeoutText = "1500")
        : source(grid, timeoutText) {
        grid.load(ServerList::of(servers));
        QObject::connect(&refresh, &query::Refresh::asking,
                         [this](const Server& asked) { this->asked << asked.id; });
        QObject::connect(&refresh, &query::Refresh::counted,
                         [this](const Server& asked, Moment at, int players) {
                             told[asked.id] = {players, {}};
                             when[asked.id] = at;
                         });
        QObject::connect(&refresh, &query::Refresh::notCounted,
                         [this](const Server& asked, Moment, const NotCounted& why) {
                             told[asked.id] = {-1, why};
                         });
    }
    bool refreshAll() {
        QSignalSpy done(&refresh, &query::Refresh::finished);
        refresh.start();
        return !refresh.running() || waited(done);
    }

    ServerGrid grid;
    ListSource source;
    query::Refresh refresh{source};
    QList<qint32> asked;
    QHash<qint32, Report> told;
    // The count reported, or -1.
    [[nodiscard]] int players(qint32 id) const { return told.value(id).players; }
    [[nodiscard]] Outcome outcome(qint32 id) const {
        return players(id) >= 0 ? Outcome::Answered : told.value(id).why.outcome;
    }
    QHash<qint32, Moment> when;
};

} // namespace

class TestQuery : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void waitsGiveUpAfterTheirPauses() {
        // The pauses and the commands sent when the server falls silent, its answers before
        // having come after `arrivals` pauses each.
        const auto silence = [](bool refresh, const QList<int>& arrivals) {
            Run run(refresh);
            for (qsizetype i = 0; i < arrivals.size(); ++i) {
                for (int n = 0; n < arrivals[i]; ++n) {
                    run.tick();
                }
                run.data(i == 0 ? kGreeting : kOk);
            }
            while (run.tick()) {
            }
            return run.result().outcome == Outcome::TimedOut
                       ? QList<int>{run.result().pauses, int(run.sent.size())}
                       : QList<int>{};
        };
        QCOMPARE(silence(true, {}), (QList<int>{9, 0}));
        QCOMPARE(silence(true, {8}), (QList<int>{19, 1})); // the greeting in the last pause
        QCOMPARE(silence(true, {2, 9}), (QList<int>{23, 2}));
        QCOMPARE(silence(false, {}), (QList<int>{10, 0}));
        QCOMPARE(silence(false, {5, 3}), (QList<int>{10, 2})); // "sel" answered in pause 10
    }

    void theRefreshSendsTheVoicePortAsANumber() {
        Run run(true, " 8767.4"); // the player list sends it as typed
        QCOMPARE(run.connected, quint16{51234});
        run.data(kGreeting);
        run.data(kOk);
        run.data(kList);
        QCOMPARE(run.sent, QList<QByteArray>({"sel 8767\r\n", "PL\r\n"}));
        QCOMPARE(run.result().answer, QString::fromLatin1(kList));
    }

    void answersAreTakenWhole() {
        Run partial(true); // the start of the answer to "sel" came with the greeting
        partial.data(kGreeting + "O");
        while (partial.tick()) {
        }
        QCOMPARE(partial.result().outcome, Outcome::TimedOut);
        QCOMPARE(partial.result().pauses, 1 + 10); // one before the greeting came, ten for "sel"
        Run ahead(true); // a server answering before it is asked, all in one piece
        ahead.data(kGreeting + kOk + kList + "trailing");
        QCOMPARE(ahead.result().answer, QString::fromLatin1(kList));
        Run full(true); // an answer may fill the limit, not pass it
        full.data(kGreeting);
        full.data(kOk);
        full.data(QByteArray(query::Exchange::kMaxReply, 'x'));
        QVERIFY(!full.exchange.finished());
        full.data("x");
        QCOMPARE(full.result().outcome, Outcome::TooLarge);
        Run bare(true); // a greeting of nothing but its line end
        bare.data("\r\n");
        QCOMPARE(bare.sent.size(), 1);
    }

    void aVoicePortThatCannotGoOutIsNotContacted() {
        // The player list sends it as typed, the refresh as a number.
        for (const auto& [refresh, voicePort] : {std::pair(false, "1\nquit"), {true, "eighty"}}) {
            Run run(refresh, voicePort);
            QCOMPARE(run.connected, quint16{0});
            QCOMPARE(run.result().outcome, Outcome::BadVoicePort);
        }
    }

    void readingAnswers() {
        QCOMPARE(answer::decode("\x80\xe9\x81"), QString::fromUtf16(u"\u20ac\u00e9\u0081"));
    }

    void pauseOfTheTimeout() {
        const auto pause = [](const char* timeout) {
            return query::refreshPause(timeout).value_or(-1);
        };
        QCOMPARE(pause(" 1500 "), 150); // a tenth
        QCOMPARE(pause("25"), 2);       // halves to the even neighbour
        QCOMPARE(pause("35"), 4);
        // A 16-bit whole number, read the same on every desktop: no separator, no fraction.
        for (const char* none : {"-10", "32768", "fast", "1.500", "1,500"}) {
            QVERIFY2(pause(none) == -1, none);
        }
    }

    void initTestCase() { simulator.addServer(8767, sim::QuerySimulator::crowd(3)); }

    void serversAsTheyAnswer_data() {
        QTest::addColumn<sim::Behaviour>("how");
        QTest::addColumn<int>("players");       // the simulator's crowd
        QTest::addColumn<Outcome>("outcome");   // what the refresh reported
        QTest::addColumn<int>("counted");       // the count it reported; -1: none
        QTest::addColumn<int>("listed");        // the player list's entries; -1: no list at all
        QTest::addColumn<QStringList>("first"); // its first entries
        QTest::addColumn<int>("open");          // connections left open by the list
        const QStringList crowd{"Player 0", "Player 1 (Away)"};
        const auto row = [](const char* name, const sim::Behaviour& how, int players, int counted,
                            int listed, const QStringList& first) {
            QTest::newRow(name) << how << players << Outcome::Answered << counted << listed << first
                                << 0;
        };
        const auto fails = [](const char* name, const sim::Behaviour& how, Outcome outcome,
                              int open) {
            QTest::newRow(name) << how << 30 << outcome << -1 << -1 << QStringList() << open;
        };
        row("whole", behaviour(Mode::Normal), 3, 3, 3, crowd);
        row("5-byte pieces", behaviour(Mode::Normal, 5, 1), 3, 3, 3, crowd);
        fails("half a list, stalled", behaviour(Mode::StallMidAnswer), Outcome::Incomplete, 1);
        fails("half a list, reset", behaviour(Mode::ResetMidAnswer), Outcome::Incomplete, 0);
        fails("silent", behaviour(Mode::Silent), Outcome::TimedOut, 1);
        fails("floods", behaviour(Mode::Normal, 0, 0, false, 3 << 20), Outcome::TooLarge, 0);
        fails("closes at once", behaviour(Mode::CloseAtOnce), Outcome::Closed, 0);
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
        row("a header without TAB",
            answer("Players\r\n" + line("0", "\"Ann\"") + line("8", "\"Bob\"") + "OK\r\n"), 0, 2, 2,
            {"Ann", "Bob (Away)"});
        row("quotes and flags",
            answer(tabbed + line("72", "\"Bo\"b\"") + line("40", "C") + line("12", "D") +
                   line("16", "E") + line("136", "F") + line("-8", "G") + "OK\r\n"),
            0, 6, 6, {"Bob (Away)", "C (Away)", "D (Away)", "E", "F", "G"});
        row("five fields are enough, four end the list",
            answer(tabbed + line("8", "A") + "8\t0\t\"E\"\t0\t0\r\n" + "0\t8\tX\t\"l\"\r\n" +
                   line("0", "B") + "OK\r\n"),
            0, 4, 2, {"A (Away)", "E (Away)"});
        row("flags that are no number end the list",
            answer(tabbed + line("0", "A") + line("x", "B") + line("0", "C") + "OK\r\n"), 0, 3, 1,
            {"A"});
    }

    void serversAsTheyAnswer() {
        QFETCH(sim::Behaviour, how);
        QFETCH(int, players);
        QFETCH(Outcome, outcome);
        QFETCH(int, counted);
        QFETCH(int, listed);
        QFETCH(QStringList, first);
        QFETCH(int, open);
        static quint16 voicePort = 9000;
        simulator.addServer(++voicePort, sim::QuerySimulator::crowd(players));
        const quint16 port = simulator.listen(how);
        // Short waits where no count comes; room for answers in pieces elsewhere.
        Rig rig({server(1, port, QString::number(voicePort))}, counted >= 0 ? "1500" : "500");
        QVERIFY(rig.refreshAll());
        QCOMPARE(rig.outcome(1), outcome);
        QCOMPARE(rig.players(1), counted);
        if (outcome == Outcome::TimedOut) {
            QCOMPARE(rig.told.value(1).why.waitedMs, 9 * 50); // the pauses of the greeting's wait
        }
        // Nothing of a finished refresh stays open or alive.
        QTRY_COMPARE(simulator.openConnections(), 0);
        QTRY_VERIFY(rig.refresh.findChildren<query::QueryConnection*>().isEmpty());

        query::PlayerList list;
        QSignalSpy entries(&list, &query::PlayerList::listed);
        QSignalSpy done(&list, &query::PlayerList::finished);
        const QString typed = "0" + QString::number(voicePort); // goes out as typed
        list.start(server(1, port, typed), false);
        QVERIFY(waited(done));
        const bool greets = how.mode != Mode::Silent && how.mode != Mode::CloseAtOnce;
        QCOMPARE(simulator.received().contains("sel " + typed.toLatin1()), greets);
        QStringList got;
        for (const answer::Player& player :
             entries.value(0).value(0).value<QList<answer::Player>>()) {
            got << words::playerEntry(player);
        }
        QCOMPARE(entries.isEmpty() ? -1 : int(got.size()), listed);
        QCOMPARE(got.mid(0, first.size()), first);
        // A list that never ended keeps its connection open; any other closes it.
        QTest::qWait(50);
        QTRY_COMPARE(simulator.openConnections(), open);
    }

    void eachServerIsReportedByItsId() {
        const quint16 port = simulator.listen();
        ServerList list = ServerList::of({server(11, port, "eighty"),
                                          server(12, 0),
                                          server(13, sim::QuerySimulator::closedPort()),
                                          {14, "S4", "no-such..host", "8767", "1"},
                                          server(15, port),
                                          server(16, port),
                                          {17, "S7", "[::1]", "8767", "1"},
                                          {18, "S8", "localhost", "8767", QString::number(port)},
                                          {19, "S9", "[::1", "8767", QString::number(port)}});
        list.servers[5].mark = IdMark::NotUnique; // shown, never asked
        Rig rig({});
        rig.grid.load(list);
        rig.refresh.setClock([] { return Moment{123456}; });
        QSignalSpy progress(&rig.refresh, &query::Refresh::progress);
        const int accepted = simulator.accepted();
        QVERIFY(rig.refreshAll());
        QCOMPARE(rig.asked, QList<qint32>({11, 12, 13, 14, 15, 17, 18, 19}));
        QCOMPARE(simulator.accepted() - accepted, 2); // a server not asked is not contacted
        // Every row counts in the progress, the skipped one too.
        QCOMPARE(progress.last(), QVariantList({9, 9}));
        QCOMPARE(rig.outcome(11), Outcome::BadVoicePort);
        QCOMPARE(rig.told.value(11).why.detail, "eighty");
        QCOMPARE(rig.outcome(12), Outcome::BadQueryPort);
        QCOMPARE(rig.told.value(12).why.detail, "0");
        QCOMPARE(rig.outcome(13), Outcome::Refused);
        QCOMPARE(rig.outcome(14), Outcome::HostNotFound);
        QCOMPARE(rig.players(15), 3);
        QVERIFY(!rig.told.contains(16));
        QCOMPARE(rig.when.value(15).ms, 123456);
        QVERIFY(rig.outcome(17) != Outcome::HostNotFound); // an address, in brackets
        QCOMPARE(rig.players(18), 3);                      // a name found on this machine
        QCOMPARE(rig.outcome(19), Outcome::HostNotFound);  // half a bracket is no address
    }

    void eachRowsConnectionClosesAndAStoppedRefreshSaysNoMore() {
        const quint16 silent = simulator.listen(behaviour(Mode::Silent));
        Rig rig({server(1, silent), server(2, silent)}, "500");
        const int accepted = simulator.accepted();
        rig.refresh.start();
        QTRY_COMPARE(simulator.accepted(), accepted + 2);
        QTRY_COMPARE(simulator.openConnections(), 1); // the first row's went with its row
        rig.refresh.stop();
        QTRY_COMPARE(simulator.openConnections(), 0);
        QTest::qWait(600); // longer than the second row's wait
        QCOMPARE(rig.told.keys(), QList<qint32>{1});
    }

    void aRefreshStoppedBetweenRowsAsksNoMore() {
        const quint16 port = simulator.listen();
        Rig rig({server(1, port), server(2, port)});
        QTimer stopping; // from the event loop, before the next row's turn comes
        stopping.setSingleShot(true);
        QObject::connect(&stopping, &QTimer::timeout, [&rig] { rig.refresh.stop(); });
        QObject::connect(&rig.refresh, &query::Refresh::counted,
                         [&stopping] { stopping.start(0); });
        rig.refresh.start();
        QTRY_VERIFY(rig.told.contains(1));
        QTest::qWait(200); // the next row would be asked at once
        QCOMPARE(rig.asked, QList<qint32>{1});
    }

    void aRefreshEndsWhereAReloadedListEnds() {
        const quint16 port = simulator.listen();
        Rig rig({server(1, port), server(2, port), server(3, port)});
        QObject::connect(&rig.refresh, &query::Refresh::counted,
                         [&rig, port] { rig.grid.load(ServerList::of({server(1, port)})); });
        QVERIFY(rig.refreshAll());
        QCOMPARE(rig.asked, QList<qint32>{1});
    }

    void failuresEndTheWaitAtOnceWithWhatTheyWere() {
        Run refused(true); // the list refused after "sel" was taken: quoted as it answered
        refused.data(kGreeting + kOk + "ERROR, not allowed\r\n");
        QVERIFY(refused.exchange.finished()); // told at once, not after the whole wait
        QCOMPARE(refused.armed, -1);          // and the wait's pause is called off
        const NotCounted why = refused.result().whyNot();
        QCOMPARE(why.outcome, Outcome::ServerError);
        QCOMPARE(why.detail, "ERROR, not allowed");
        QCOMPARE(why.port, QString()); // "sel" was taken
        Run cut(true);
        cut.data(kGreeting);
        cut.take(cut.exchange.socketFailed(query::SocketFailure::Other, "Network unreachable"));
        QVERIFY(cut.exchange.finished());
        QCOMPARE(cut.result().outcome, Outcome::SocketError);
        QCOMPARE(cut.result().detail, "Network unreachable");
        Run closed(true); // closed before the list began: closed, not an incomplete list
        closed.data(kGreeting + kOk);
        closed.take(closed.exchange.socketFailed(query::SocketFailure::ClosedByServer, {}));
        QCOMPARE(closed.result().outcome, Outcome::Closed);
    }

    void aNameWithSeveralAddresses() {
        // What asking "dual.example" ends with when it is looked up as `addresses`.
        struct Given : query::HostLookup {
            void lookUp(const QString&, QObject*, Found done) const override {
                done(addresses, {});
            }
            QList<QHostAddress> addresses;
        } lookup;
        qsizetype sockets = 0; // the connection's sockets when its answer came
        const auto ask = [&lookup, &sockets](const QList<QHostAddress>& addresses, quint16 port) {
            lookup.addresses = addresses;
            query::QueryConnection dual(
                query::ExchangeRules::refresh([] { return std::optional<int>(150); }));
            dual.setLookup(lookup);
            QSignalSpy done(&dual, &query::QueryConnection::done);
            dual.start({1, "S", "dual.example", "8767", QString::number(port)}, false);
            const bool came = waited(done);
            sockets = dual.findChildren<QTcpSocket*>().size();
            return came ? done.value(0).value(0).value<query::ExchangeResult>()
                        : query::ExchangeResult{};
        };
        const QHostAddress local("127.0.0.1");
        const auto refused = ask({local, local}, sim::QuerySimulator::closedPort());
        QCOMPARE(refused.outcome, Outcome::Refused);
        QVERIFY(refused.pauses <= 1); // every address refusing is told at once
        // The first to connect is the one asked, however long its answers take.
        sim::Behaviour slow;
        slow.replyDelayMs = 2 * query::QueryConnection::kNextAddressMs;
        const quint16 slowPort = simulator.listen(slow);
        const int accepted = simulator.accepted();
        QCOMPARE(ask({local, local}, slowPort).outcome, Outcome::Answered);
        QCOMPARE(simulator.accepted(), accepted + 1);
        // A listener that accepts nothing and whose queue is full drops every further connect:
        // 127.0.0.2 neither answers nor refuses, and the simulator waits on 127.0.0.1.
        QTcpServer dead;
        dead.setListenBacklogSize(0);
        QVERIFY(dead.listen(QHostAddress("127.0.0.2")));
        dead.pauseAccepting();
        std::array<QTcpSocket, 3> queued;
        for (QTcpSocket& socket : queued) {
            socket.connectToHost(dead.serverAddress(), dead.serverPort());
        }
        const quint16 port = dead.serverPort();
        if (simulator.listen({}, port) != port) {
            QSKIP("the port is taken on 127.0.0.1");
        }
        QCOMPARE(ask({QHostAddress("127.0.0.2"), local}, port).outcome, Outcome::Answered);
        QCOMPARE(sockets, 1); // the attempt that lost is gone, not kept to the end
    }

  private:
    sim::QuerySimulator simulator;
};

QTEST_GUILESS_MAIN(TestQuery)
#include "test_query.moc"
