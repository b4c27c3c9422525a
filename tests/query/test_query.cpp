// Refresh and player list over real loopback sockets against the simulator:
// answers in pieces, servers that fail in every way, rows that cannot be asked.
#include "query/PlayerList.h"
#include "query/Refresh.h"
#include "store/ServerGrid.h"
#include "tools/simulator/QuerySimulator.h"

#include <QSignalSpy>
#include <QtTest>
#include <memory>

using Mode = sim::Behaviour::Mode;
Q_DECLARE_METATYPE(sim::Behaviour)

namespace {

sim::Behaviour behaviour(Mode mode, int chunk = 0, int delay = 0, bool perLine = false,
                         qint64 huge = 0) {
    return {mode, 0, chunk, delay, perLine, true, huge};
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
        grid.load(servers);
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

} // namespace

class TestQuery : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() { simulator.addServer(8767, sim::QuerySimulator::crowd(3)); }
    void refreshCountsWholeAnswersOnly_data() {
        QTest::addColumn<sim::Behaviour>("how");
        QTest::addColumn<int>("playerCount");
        QTest::addColumn<QString>("shown"); // the cell, then the start of its tooltip
        const auto row = [](const char* name, sim::Behaviour how, int players, const char* shown) {
            QTest::newRow(name) << how << players << QString(shown);
        };
        row("whole", behaviour(Mode::Normal), 3, "3 Counted at");
        row("1-byte pieces", behaviour(Mode::Normal, 1, 1), 3, "3 Counted at");
        row("200 players, a piece a line", behaviour(Mode::Normal, 0, 0, true), 200, "200 Counted");
        const char* incomplete = "X The player list was incomplete";
        row("half a list, stalled", behaviour(Mode::StallMidAnswer), 30, incomplete);
        row("half a list, reset", behaviour(Mode::ResetMidAnswer), 30, incomplete);
        row("half a list, closed", behaviour(Mode::CloseMidAnswer), 30, incomplete);
        row("greeting only", behaviour(Mode::GreetingOnly), 3, "X No answer within 500 ms");
        row("silent", behaviour(Mode::Silent), 3, "X No answer within 450 ms");
        row("floods", behaviour(Mode::Normal, 0, 0, false, 3 << 20), 3, "X Answer too large");
        row("closes at once", behaviour(Mode::CloseAtOnce), 3, "X Connection closed by the server");
    }

    void refreshCountsWholeAnswersOnly() {
        QFETCH(sim::Behaviour, how);
        QFETCH(int, playerCount);
        QFETCH(QString, shown);
        const quint16 voicePort = 9000 + QTest::currentDataTag()[0];
        simulator.addServer(voicePort, sim::QuerySimulator::crowd(playerCount));
        const QString cell = shown.section(' ', 0, 0);
        // Short waits where no count comes; room for answers in pieces elsewhere.
        Rig rig({server(1, simulator.listen(how), QString::number(voicePort))},
                cell == "X" ? "500" : "1500");
        QVERIFY(rig.refreshAll());
        QCOMPARE(rig.cell(1), cell);
        QVERIFY2(rig.tip(1).startsWith(shown.section(' ', 1)), qPrintable(rig.tip(1)));
        QCOMPARE(rig.grid.isCurrent(1), cell != QLatin1String("X"));
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

        // A timeout that is no number concerns every row: the refresh ends at the first.
        rig.timeout = QString("fast");
        rig.grid.load({server(1, port), server(2, port)});
        QVERIFY(rig.refreshAll());
        QVERIFY(rig.tip(1).startsWith(QString("Not asked: the timeout")));
        QCOMPARE(rig.tip(2), QString());
        QCOMPARE(rig.cell(1) + rig.cell(2), QString("XX"));
    }

    void countsNotConfirmedStayGreyed() {
        auto leaving = std::make_unique<sim::QuerySimulator>();
        leaving->addServer(8767, sim::QuerySimulator::crowd(2));
        Rig rig({server(1, leaving->listen()), server(2, simulator.listen())});
        QVERIFY(rig.refreshAll());
        QCOMPARE(rig.cell(1), QString("2"));
        QVERIFY(rig.grid.isCurrent(1));
        QTRY_COMPARE(leaving->openConnections(), 0); // each server's connection ends with it
        leaving.reset(); // the server goes away: its port now refuses
        QVERIFY(rig.refreshAll());
        QCOMPARE(rig.cell(1), QString("2"));
        QVERIFY(!rig.grid.index(0, ServerGrid::Player).data(ServerGrid::CurrentRole).toBool());
        QVERIFY(rig.grid.index(0, ServerGrid::IP).data(ServerGrid::CurrentRole).toBool());
        QVERIFY(rig.tip(1).contains("Connection refused") &&
                rig.tip(1).contains("last counted at"));
        QVERIFY(rig.grid.isCurrent(2));
    }

    void playerListListsWholeAnswersOnly_data() {
        QTest::addColumn<sim::Behaviour>("how");
        QTest::addColumn<int>("playerCount");
        QTest::addColumn<int>("listed"); // -1: no list at all
        QTest::newRow("whole") << behaviour(Mode::Normal) << 3 << 3;
        QTest::newRow("5-byte pieces") << behaviour(Mode::Normal, 5, 2) << 3 << 3;
        QTest::newRow("200 players, a piece a line")
            << behaviour(Mode::Normal, 0, 0, true) << 200 << 200;
        QTest::newRow("half a list, stalled") << behaviour(Mode::StallMidAnswer) << 30 << -1;
    }

    void playerListListsWholeAnswersOnly() {
        QFETCH(sim::Behaviour, how);
        QFETCH(int, playerCount);
        QFETCH(int, listed);
        const quint16 voicePort = 9100 + QTest::currentDataTag()[0];
        simulator.addServer(voicePort, sim::QuerySimulator::crowd(playerCount));
        query::PlayerList list;
        QSignalSpy players(&list, &query::PlayerList::listed);
        QSignalSpy done(&list, &query::PlayerList::finished);
        // The voice port goes out as typed.
        const QString typed = "0" + QString::number(voicePort);
        list.start("127.0.0.1", typed, QString::number(simulator.listen(how)), false);
        QVERIFY(waited(done));
        QVERIFY(simulator.received().contains("sel " + typed.toLatin1()));
        // A list that never ended keeps its connection open; any other closes it.
        QTest::qWait(50);
        QTRY_COMPARE(simulator.openConnections(), listed == -1 ? 1 : 0);
        QCOMPARE(players.isEmpty() ? -1 : int(players[0][0].value<QList<answer::Player>>().size()),
                 listed);
        if (listed > 1) {
            const auto got = players[0][0].value<QList<answer::Player>>();
            QCOMPARE(answer::playerEntry(got[0]) + answer::playerEntry(got[1]),
                     QString("Player 0Player 1 (Away)"));
            QCOMPARE(got.last().name, QString("Player %1").arg(listed - 1));
        }
    }

  private:
    sim::QuerySimulator simulator;
};

QTEST_GUILESS_MAIN(TestQuery)
#include "test_query.moc"
