// The refresh over real loopback sockets against the query-port simulator.
#include "query/Refresh.h"
#include "store/FlexGrid.h"
#include "support/TestSupport.h"
#include "tools/simulator/QuerySimulator.h"

#include <QElapsedTimer>
#include <QtTest>

using sim::Behaviour;
using sim::Player;

namespace {

const QList<Player> kTwo{{"Anna", "anna", 0}, {"Bert", "bert", 8}};

struct Rig {
    FlexGrid grid;
    QString timeout = QStringLiteral("1500");
    bool notNormal = false;
    int clears = 0;
    query::Refresh refresh{
        {&grid, [this] { return timeout; }, [this] { return notNormal; }, [this] { ++clears; }}};

    bool run(int limitMs = 30000) {
        QSignalSpy done(&refresh, &query::Refresh::finished);
        refresh.start();
        return !done.isEmpty() || done.wait(limitMs);
    }
    [[nodiscard]] QStringList players() const {
        QStringList out;
        for (int r = 1; r < grid.Rows(); ++r) {
            out << grid.TextMatrix(r, 5);
        }
        return out;
    }
};

QStringList server(int id, quint16 voice, quint16 query,
                   const QString& host = QStringLiteral("127.0.0.1")) {
    return {QString::number(id), QStringLiteral("S%1").arg(id), host, QString::number(voice),
            QString::number(query)};
}

} // namespace

class TestRefresh : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void countsEveryServerInOrder();
    void silentSecondServerKeepsItsCell();
    void splitAnswersCountTheSame();
    void rowsWithoutTrailingTab();
    void errorAnswersShowX();
    void refusedAndUnknownHostsAreSkipped();
    void unusableCellsEndTheRefresh();
    void megabytesEndOnlyThatQuery();
    void refreshWhileRunningDoesNothing();
    void eventLoopKeepsRunning();
    void emptyGridOnlyClearsTheBoxes();
};

void TestRefresh::countsEveryServerInOrder() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    simulator.addServer(8767, kTwo);
    simulator.addServer(8768, {});
    Rig rig;
    fillGrid(rig.grid, {server(1, 8767, port), server(2, 8768, port)});
    QElapsedTimer clock;
    clock.start();
    QVERIFY(rig.run());
    QCOMPARE(rig.players(), QStringList({"2", "0"}));
    QCOMPARE(simulator.received(), QList<QByteArray>({"sel 8767", "PL", "sel 8768", "PL"}));
    QCOMPARE(simulator.rawReceived(), QByteArray("sel 8767\r\nPL\r\nsel 8768\r\nPL\r\n"));
    QCOMPARE(rig.clears, 1);
    // The refresh leaves the last row selected and every socket closed.
    QCOMPARE(rig.grid.Row(), 2);
    QTRY_COMPARE(simulator.openConnections(), 0);
    QVERIFY(rig.grid.cellToolTip(1, 5).startsWith(QStringLiteral("Counted at")));
    // Answering servers cost round trips, not pauses (generous bound).
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QString::number(clock.elapsed())));
}

void TestRefresh::silentSecondServerKeepsItsCell() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    Behaviour silent;
    silent.mode = Behaviour::Mode::Silent;
    const quint16 silentPort = simulator.listen(silent);
    Behaviour greeting;
    greeting.mode = Behaviour::Mode::GreetingOnly;
    const quint16 greetingPort = simulator.listen(greeting);
    simulator.addServer(8767, kTwo);
    Rig rig;
    rig.timeout = QStringLiteral("1000");
    fillGrid(rig.grid, {server(1, 8767, port), server(2, 8767, silentPort), server(3, 8767, port),
                        server(4, 8767, greetingPort)});
    rig.grid.setTextMatrix(2, 5, QStringLiteral("5"));
    QVERIFY(rig.run());
    QCOMPARE(rig.players(), QStringList({"2", "5", "2", "X"}));
    QVERIFY(rig.grid.cellToolTip(2, 5).startsWith(QStringLiteral("No answer within 900 ms (")));
    QVERIFY(rig.grid.cellToolTip(4, 5).startsWith(QStringLiteral("No answer within 1000 ms")));
}

void TestRefresh::splitAnswersCountTheSame() {
    sim::QuerySimulator simulator;
    simulator.addServer(8767, kTwo);
    const int answerSize =
        static_cast<int>(sim::QuerySimulator::header().size() +
                         sim::QuerySimulator::row(1, kTwo[0], true).size() * 2 + 4);
    QList<quint16> ports;
    for (int chunk = 1; chunk <= answerSize; ++chunk) {
        Behaviour split;
        split.chunkBytes = chunk;
        split.chunkDelayMs = chunk < 16 ? 0 : 1; // at most a few ms of trickle in all
        ports << simulator.listen(split);
    }
    Rig rig;
    rig.timeout = QStringLiteral("5000");
    QList<QStringList> servers;
    for (int i = 0; i < ports.size(); ++i) {
        servers << server(i + 1, 8767, ports[i]);
    }
    fillGrid(rig.grid, servers);
    QVERIFY(rig.run(120000));
    QCOMPARE(rig.players(), QStringList(ports.size(), QStringLiteral("2")));
}

void TestRefresh::rowsWithoutTrailingTab() {
    sim::QuerySimulator simulator;
    Behaviour noTab;
    noTab.trailingTab = false;
    const quint16 port = simulator.listen(noTab);
    simulator.addServer(8767, kTwo);
    Rig rig;
    fillGrid(rig.grid, {server(1, 8767, port)});
    QVERIFY(rig.run());
    QCOMPARE(rig.players(), QStringList{"2"});
}

void TestRefresh::errorAnswersShowX() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    simulator.addServer(8767, kTwo);
    Behaviour garbage;
    garbage.mode = Behaviour::Mode::Garbage;
    const quint16 garbagePort = simulator.listen(garbage);
    Rig rig;
    fillGrid(rig.grid,
             {server(1, 9999, port), server(2, 8767, garbagePort), server(3, 8767, port)});
    rig.grid.setTextMatrix(1, 5, QStringLiteral("3"));
    QVERIFY(rig.run());
    // Unknown voice port: "ERROR" to sel, then no player list; never a negative count.
    QCOMPARE(rig.grid.TextMatrix(1, 5), QStringLiteral("X"));
    QVERIFY(rig.grid.cellToolTip(1, 5).contains(QStringLiteral("ERROR")));
    QVERIFY(rig.grid.TextMatrix(2, 5) == QStringLiteral("X") ||
            rig.grid.TextMatrix(2, 5).toInt() >= 0);
    QCOMPARE(rig.grid.TextMatrix(3, 5), QStringLiteral("2"));
}

void TestRefresh::refusedAndUnknownHostsAreSkipped() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    simulator.addServer(8767, kTwo);
    Behaviour closing;
    closing.mode = Behaviour::Mode::CloseAtOnce;
    const quint16 closingPort = simulator.listen(closing);
    Behaviour midway;
    midway.mode = Behaviour::Mode::CloseMidAnswer;
    const quint16 midwayPort = simulator.listen(midway);
    Rig rig;
    rig.timeout = QStringLiteral("1000");
    fillGrid(rig.grid,
             {server(1, 8767, closedPort()),
              server(2, 8767, 51234, QStringLiteral("no-such-host.invalid")),
              server(3, 8767, closingPort), server(4, 8767, midwayPort), server(5, 8767, port)});
    QElapsedTimer clock;
    clock.start();
    QVERIFY(rig.run(60000));
    QCOMPARE(rig.grid.TextMatrix(1, 5), QStringLiteral("X"));
    QVERIFY(rig.grid.cellToolTip(1, 5).startsWith(QStringLiteral("Connection refused")));
    QCOMPARE(rig.grid.TextMatrix(2, 5), QStringLiteral("X"));
    QCOMPARE(rig.grid.TextMatrix(3, 5), QStringLiteral("X"));
    QVERIFY(rig.grid.cellToolTip(3, 5).startsWith(QStringLiteral("Connection closed")));
    // Half a list, then the close: judged on what came (a count, never below zero).
    QVERIFY(rig.grid.TextMatrix(4, 5) != QStringLiteral("-1"));
    QCOMPARE(rig.grid.TextMatrix(5, 5), QStringLiteral("2"));
}

void TestRefresh::unusableCellsEndTheRefresh() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    simulator.addServer(8767, kTwo);
    Rig rig;
    fillGrid(
        rig.grid,
        {server(1, 8767, port), {"2", "bad", "127.0.0.1", "8767", "abc"}, server(3, 8767, port)});
    QVERIFY(rig.run());
    QCOMPARE(rig.players(), QStringList({"2", "X", "X"}));

    // A voice port that is no number ends it after the greeting of that server.
    Rig voice;
    fillGrid(voice.grid, {server(1, 8767, port),
                          {"2", "bad", "127.0.0.1", "x", QString::number(port)},
                          server(3, 8767, port)});
    simulator.addServer(8767, kTwo);
    const int before = simulator.accepted();
    QVERIFY(voice.run());
    QCOMPARE(voice.players(), QStringList({"2", "X", "X"}));
    QCOMPARE(simulator.accepted() - before, 2);

    // So does a timeout text that is no usable number, and a negative one.
    for (const QString& timeout :
         {QStringLiteral("soon"), QStringLiteral("-100"), QStringLiteral("99999")}) {
        Rig bad;
        bad.timeout = timeout;
        fillGrid(bad.grid, {server(1, 8767, port), server(2, 8767, port)});
        QVERIFY(bad.run());
        QCOMPARE(bad.players(), QStringList({"X", "X"}));
    }
}

void TestRefresh::megabytesEndOnlyThatQuery() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    Behaviour huge;
    huge.hugeBytes = qint64{4} * 1024 * 1024;
    const quint16 hugePort = simulator.listen(huge);
    simulator.addServer(8767, kTwo);
    Rig rig;
    fillGrid(rig.grid, {server(1, 8767, hugePort), server(2, 8767, port)});
    QVERIFY(rig.run());
    QCOMPARE(rig.players(), QStringList({"X", "2"}));
    QVERIFY(rig.grid.cellToolTip(1, 5).startsWith(QStringLiteral("Answer too large")));
}

void TestRefresh::refreshWhileRunningDoesNothing() {
    sim::QuerySimulator simulator;
    Behaviour slow;
    slow.replyDelayMs = 50;
    const quint16 port = simulator.listen(slow);
    simulator.addServer(8767, kTwo);
    Rig rig;
    fillGrid(rig.grid, {server(1, 8767, port)});
    QSignalSpy done(&rig.refresh, &query::Refresh::finished);
    rig.refresh.start();
    rig.refresh.start();
    QVERIFY(done.wait(10000));
    QTest::qWait(100);
    QCOMPARE(done.size(), 1);
    QCOMPARE(simulator.accepted(), 1);
    QCOMPARE(rig.clears, 1);
}

void TestRefresh::eventLoopKeepsRunning() {
    sim::QuerySimulator simulator;
    Behaviour silent;
    silent.mode = Behaviour::Mode::Silent;
    const quint16 port = simulator.listen(silent);
    Rig rig;
    rig.timeout = QStringLiteral("1000");
    fillGrid(rig.grid, {server(1, 8767, port), server(2, 8767, port)});
    QTimer ticker;
    int ticks = 0;
    qint64 longestGap = 0;
    QElapsedTimer gap;
    gap.start();
    connect(&ticker, &QTimer::timeout, this, [&] {
        ++ticks;
        longestGap = std::max(longestGap, gap.restart());
    });
    ticker.start(10);
    QVERIFY(rig.run());
    ticker.stop();
    // Two silent servers: about 1.8 s of waiting, and the loop ran all along
    // (a blocking wait would stall it for 0.9 s at a time).
    QVERIFY2(ticks > 40, qPrintable(QString::number(ticks)));
    QVERIFY2(longestGap < 400, qPrintable(QString::number(longestGap)));
}

void TestRefresh::emptyGridOnlyClearsTheBoxes() {
    Rig rig;
    fillGrid(rig.grid, {});
    QVERIFY(rig.run());
    QCOMPARE(rig.clears, 1);
    QVERIFY(!rig.refresh.running());
}

QTEST_MAIN(TestRefresh)
#include "test_refresh.moc"
