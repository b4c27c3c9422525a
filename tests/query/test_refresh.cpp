// The refresh over real loopback sockets against the query-port simulator.
#include "query/Refresh.h"
#include "store/FlexGrid.h"
#include "support/TestSupport.h"
#include "tools/simulator/QuerySimulator.h"

#include <QElapsedTimer>
#include <QtTest>

using sim::Behaviour;
using Mode = sim::Behaviour::Mode;
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
    void splitAnswersCountTheSame();
    void eachMisbehavingServerEndsOnlyItsOwnQuery();
    void unusableCellsEndTheRefresh();
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

void TestRefresh::eachMisbehavingServerEndsOnlyItsOwnQuery() {
    sim::QuerySimulator simulator;
    simulator.addServer(8767, kTwo);
    const quint16 port = simulator.listen();
    Behaviour noTab;
    noTab.trailingTab = false;
    Behaviour huge;
    huge.hugeBytes = qint64{4} * 1024 * 1024;
    struct Case {
        QStringList server;
        QString cell;      // what the Player cell shows afterwards ("5" was there before)
        QString tipStarts; // how its tooltip begins
    };
    const QList<Case> cases{
        {server(1, 8767, port), "2", "Counted at"},
        {server(2, 8767, simulator.listen(Mode::Silent)), "5", "No answer within 900 ms"},
        {server(3, 8767, simulator.listen(Mode::GreetingOnly)), "5", "No answer within 1000 ms"},
        {server(4, 8767, closedPort()), "5", "Connection refused"},
        {server(5, 8767, simulator.listen(Mode::CloseAtOnce)), "5", "Connection closed"},
        // Half a list, then the close: judged on what came (a cut row), never below zero.
        {server(6, 8767, simulator.listen(Mode::CloseMidAnswer)), "X", "Not a player list"},
        {server(7, 8767, simulator.listen(huge)), "5", "Answer too large"},
        // "ERROR" to sel, then no player list: never a negative count.
        {server(8, 9999, port), "X", "Not a player list"},
        {server(9, 8767, simulator.listen(Mode::Garbage)), "X", "Not a player list"},
        {server(10, 8767, simulator.listen(noTab)), "2", "Counted at"},
        {server(11, 8767, 51234, QStringLiteral("no-such-host.invalid")), "5", ""},
        {server(12, 8767, port), "2", "Counted at"},
    };
    Rig rig;
    rig.timeout = QStringLiteral("1000");
    QList<QStringList> servers;
    for (const Case& c : cases) {
        servers << c.server;
    }
    fillGrid(rig.grid, servers);
    for (int row = 1; row < rig.grid.Rows(); ++row) {
        rig.grid.setTextMatrix(row, 5, QStringLiteral("5"));
    }
    QVERIFY(rig.run(60000));
    for (int i = 0; i < cases.size(); ++i) {
        const QString what =
            QStringLiteral("row %1: %2, %3")
                .arg(i + 1)
                .arg(rig.grid.TextMatrix(i + 1, 5), rig.grid.cellToolTip(i + 1, 5));
        QVERIFY2(rig.grid.TextMatrix(i + 1, 5) == cases[i].cell, qPrintable(what));
        QVERIFY2(rig.grid.cellToolTip(i + 1, 5).startsWith(cases[i].tipStarts), qPrintable(what));
    }
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
    const quint16 port = simulator.listen(Mode::Silent);
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
