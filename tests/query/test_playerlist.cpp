// The player list of the clicked server, over loopback against the simulator.
#include "query/PlayerList.h"
#include "query/Refresh.h"
#include "store/FlexGrid.h"
#include "support/TestSupport.h"
#include "tools/simulator/QuerySimulator.h"

#include <QListWidget>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

using sim::Behaviour;

namespace {

struct Rig {
    FlexGrid grid;
    QListWidget list;
    QList<qint32> settingsShown;
    query::PlayerList players{
        {&grid, &list, [] { return false; }, [this](qint32 id) { settingsShown << id; }}};

    query::Result click(int row) {
        grid.setRow(row);
        QSignalSpy done(&players, &query::PlayerList::finished);
        players.MSFlexGrid1_Click();
        if (done.isEmpty() && !done.wait(10000)) {
            return {};
        }
        return done.takeFirst().at(0).value<query::Result>();
    }
    [[nodiscard]] QStringList entries() const {
        QStringList out;
        for (int i = 0; i < list.count(); ++i) {
            out << list.item(i)->text();
        }
        return out;
    }
};

QStringList server(int id, quint16 voice, quint16 query) {
    return {QString::number(id), QStringLiteral("S"), QStringLiteral("127.0.0.1"),
            QString::number(voice), QString::number(query)};
}

} // namespace

class TestPlayerList : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void initTestCase() { qRegisterMetaType<query::Result>(); }
    void listsNamesWithAwayMarks();
    void malformedRowEndsTheList();
    void silentServerGivesUpAfterASecondAndKeepsTheSocket();
    void newClickEndsTheRunningList();
    void clickDuringRefreshLeavesTheRefreshAlone();
    void unusableRowsDoNothing();
};

void TestPlayerList::listsNamesWithAwayMarks() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    simulator.addServer(8767, {{"Zoe", "z", 0},
                               {"Away \"Al\"", "a", 8},
                               {"Rec", "r", 72},
                               {"Spk", "s", 40},
                               {"Mic", "m", 16},
                               {"Big", "b", 136},
                               {"Neg", "n", -8},
                               {"J\xf6rg", "j", 0}});
    Rig rig;
    fillGrid(rig.grid, {server(7, 8767, port)});
    const auto result = rig.click(1);
    QCOMPARE(result.outcome, query::Outcome::Answered);
    QCOMPARE(rig.entries(), QStringList({"Zoe", "Away Al (Away)", "Rec (Away)", "Spk (Away)", "Mic",
                                         "Big", "Neg", QStringLiteral("J\u00f6rg")}));
    QCOMPARE(rig.list.item(2)->toolTip(), QStringLiteral("Flags 72: away, recording"));
    QCOMPARE(rig.settingsShown, QList<qint32>{7});
    // The voice port text goes out as it stands in the cell.
    QCOMPARE(simulator.rawReceived(), QByteArray("sel 8767\r\nPL\r\n"));
    QTRY_COMPARE(simulator.openConnections(), 0);
}

void TestPlayerList::malformedRowEndsTheList() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen();
    simulator.addServer(8767, {});
    Rig rig;
    fillGrid(rig.grid, {server(1, 8767, port)});
    // A server of our own making: a good row, a four-field row, another good row.
    QTcpServer fake;
    QVERIFY(fake.listen(QHostAddress::LocalHost));
    connect(&fake, &QTcpServer::newConnection, this, [&] {
        QTcpSocket* s = fake.nextPendingConnection();
        s->write("[TS]\r\n");
        connect(s, &QTcpSocket::readyRead, s, [s] {
            const QByteArray in = s->readAll();
            if (in.startsWith("sel")) {
                s->write("OK\r\n");
            } else {
                s->write("h\tx\r\n1\t8\t\"0\"\t\"First\"\t\"f\"\t\r\na\t\"Short\"\tb\t\r\n1\t0\t\"0"
                         "\"\t\"Third\"\t\"t\"\t\r\nOK\r\n");
            }
        });
    });
    rig.grid.setTextMatrix(1, 4, QString::number(fake.serverPort()));
    rig.click(1);
    QCOMPARE(rig.entries(), QStringList{"First (Away)"});
}

void TestPlayerList::silentServerGivesUpAfterASecondAndKeepsTheSocket() {
    sim::QuerySimulator simulator;
    const quint16 port = simulator.listen(Behaviour::Mode::Silent);
    const quint16 good = simulator.listen();
    simulator.addServer(8767, {{"A", "a", 0}});
    Rig rig;
    fillGrid(rig.grid, {server(3, 8767, port), server(4, 8767, good)});
    rig.list.addItem(QStringLiteral("old entry"));
    QElapsedTimer clock;
    clock.start();
    const auto result = rig.click(1);
    QCOMPARE(result.outcome, query::Outcome::TimedOut);
    QCOMPARE(result.pauses, 10);
    QCOMPARE(result.waitedMs, 1000);
    QVERIFY(clock.elapsed() >= 900);
    QCOMPARE(rig.list.count(), 0);
    QCOMPARE(rig.settingsShown, QList<qint32>{3});
    // The socket stays open after a timeout until the next click closes it.
    QTRY_COMPARE(simulator.openConnections(), 1);
    rig.click(2);
    QCOMPARE(rig.entries(), QStringList{"A"});
    QTRY_COMPARE(simulator.openConnections(), 0);
}

void TestPlayerList::newClickEndsTheRunningList() {
    sim::QuerySimulator simulator;
    Behaviour slow;
    slow.replyDelayMs = 300;
    const quint16 slowPort = simulator.listen(slow);
    const quint16 port = simulator.listen();
    simulator.addServer(8767, {{"Slow", "s", 0}});
    simulator.addServer(8768, {{"Fast", "f", 0}});
    Rig rig;
    fillGrid(rig.grid, {server(1, 8767, slowPort), server(2, 8768, port)});
    QSignalSpy done(&rig.players, &query::PlayerList::finished);
    rig.grid.setRow(1);
    rig.players.MSFlexGrid1_Click();
    QVERIFY(rig.players.running());
    rig.click(2);
    QTest::qWait(500);
    QCOMPARE(rig.entries(), QStringList{"Fast"});
    QCOMPARE(done.size(), 1);
}

void TestPlayerList::clickDuringRefreshLeavesTheRefreshAlone() {
    sim::QuerySimulator simulator;
    Behaviour slow;
    slow.replyDelayMs = 100;
    const quint16 port = simulator.listen(slow);
    simulator.addServer(8767, {{"A", "a", 0}, {"B", "b", 8}});
    Rig rig;
    fillGrid(rig.grid, {server(1, 8767, port), server(2, 8767, port), server(3, 8767, port)});
    query::Refresh refresh(
        {&rig.grid, [] { return QStringLiteral("1500"); }, [] { return false; }, [] {}});
    QSignalSpy refreshed(&refresh, &query::Refresh::finished);
    refresh.start();
    QTest::qWait(150);
    rig.players.MSFlexGrid1_Click(); // on whatever row the refresh selected
    QVERIFY(refreshed.wait(10000));
    QTRY_COMPARE(rig.list.count(), 2);
    QCOMPARE(rig.grid.TextMatrix(1, 5), QStringLiteral("2"));
    QCOMPARE(rig.grid.TextMatrix(2, 5), QStringLiteral("2"));
    QCOMPARE(rig.grid.TextMatrix(3, 5), QStringLiteral("2"));
}

void TestPlayerList::unusableRowsDoNothing() {
    Rig rig;
    fillGrid(rig.grid, {{"x", "S", "127.0.0.1", "1", "2"}});
    rig.list.addItem(QStringLiteral("kept"));
    rig.grid.setRow(1);
    rig.players.MSFlexGrid1_Click();
    QVERIFY(!rig.players.running());
    QVERIFY(rig.settingsShown.isEmpty());
    // No server row selected at all.
    fillGrid(rig.grid, {});
    rig.players.MSFlexGrid1_Click();
    QCOMPARE(rig.list.count(), 1);
}

QTEST_MAIN(TestPlayerList)
#include "test_playerlist.moc"
