// SPDX-License-Identifier: MIT
// The database layer on real files: what each operation stores, and that a
// half-done change never leaves a trace.
#include "launch/mod_Userdata.h"
#include "store/Convert.h"
#include "store/ServerGrid.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"

#include <QtTest>

class TestStore : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void openingNeedsBothTables() {
        TempFolder folder;
        folder.exec("DROP TABLE tbl_Userdata");
        QVERIFY(!mod_DB::fDBConnect(true, folder.path()));
        QVERIFY(!mod_DB::dbTS);
    }

    void serversAreStoredByFieldName() {
        TempFolder folder;
        // A hand-made file whose fields stand in another order.
        folder.exec("DROP TABLE tbl_Srv");
        folder.exec("CREATE TABLE tbl_Srv (TCPPort, IP, ID INTEGER PRIMARY KEY, Port, ServerName)");
        folder.exec("INSERT INTO tbl_Srv (ID) VALUES (9)");
        folder.open();
        QVERIFY(mod_DB::addServer({0, "Name 'x'", "host", " 8767", QString()}));
        QCOMPARE(folder.rows("SELECT ID, ServerName, IP, Port, TCPPort FROM tbl_Srv"),
                 QStringList({"9|<null>|<null>|<null>|<null>", "10|Name 'x'|host| 8767|"}));
        QVERIFY(!mod_DB::readServer(11).value().has_value());
        const Server before{10, "Name 'x'", "host", " 8767", ""};
        const Server after{0, "N", "I", "P", "T"};
        QCOMPARE(mod_DB::saveServer({"11", before, after}).value(), Write::Gone); // not stored
        QCOMPARE(mod_DB::saveServer({"10 OR 1=1", before, after}).value(), Write::Gone);
        QCOMPARE(mod_DB::saveServer({"10", before, after}).value(), Write::Done);
        QCOMPARE(mod_DB::listServers()->servers.last().server, (Server{10, "N", "I", "P", "T"}));
    }

    void deletingTakesTheLoginSettingsAlongOrNothing() {
        TempFolder folder;
        folder.exec("DROP TABLE tbl_Srv");
        folder.exec("CREATE TABLE tbl_Srv (ID INTEGER PRIMARY KEY, ServerName, IP, Port, TCPPort)");
        // Settings an older program left behind under an ID no server has.
        folder.exec("INSERT INTO tbl_Userdata VALUES (1, 'orphan', 'o', 'leaked')");
        folder.open();
        QVERIFY(mod_DB::addServer({0, "First", "first.host", "1", "2"}));
        QVERIFY(!mod_Userdata::fGetUserdata(1).Found); // not inherited by the new server
        QVERIFY(mod_Userdata::fSaveUserdata(1, {"nick", "login", "secret", false}));
        QVERIFY(mod_DB::fDelServer(1));
        QVERIFY(mod_DB::addServer({0, "New", "new.host", "1", "2"}));
        QVERIFY(!mod_Userdata::fGetUserdata(1).Found);
        // The server's row refuses to go after its settings went: both stay.
        QVERIFY(mod_Userdata::fSaveUserdata(1, {"n", "l", "p", false}));
        folder.exec(
            "CREATE TRIGGER keep BEFORE DELETE ON tbl_Srv BEGIN SELECT RAISE(ABORT, 'kept'); END");
        QVERIFY(mod_DB::fDelServer(1).error().contains("kept"));
        QVERIFY(mod_Userdata::fGetUserdata(1).Found);
    }

    void idsThatDoNotNameOneRow() {
        TempFolder folder;
        // A hand-made file: no primary key, IDs of every kind.
        folder.exec("DROP TABLE tbl_Srv");
        folder.exec("CREATE TABLE tbl_Srv (ID, ServerName, IP, Port, TCPPort)");
        folder.exec("INSERT INTO tbl_Srv (ID, ServerName) VALUES (3, 'a'), (7, 'b'), (3, 'c'), "
                    "(7.4, 'd'), (NULL, 'e'), ('abc', 'f'), (2147483648, 'g'), (8.0, 'h'), "
                    "('9', 'i'), (2147483647, 'j'), (-2147483648, 'k'), (-2147483649, 'l')");
        folder.open();
        const auto list = mod_DB::listServers();
        QVERIFY(list);
        QStringList shown;
        for (const ListedServer& listed : list->servers) {
            shown << listed.server.name + QString::number(static_cast<int>(listed.mark));
        }
        // 0: none, 1: not unique, 2: not a whole number.
        QCOMPARE(shown, QStringList({"a1", "b0", "c1", "d2", "h0", "i2", "j0", "k0"}));
        QCOMPARE(list->leftOut, QStringList({"\"e\" (ID: none)", "\"f\" (ID: abc)",
                                             "\"g\" (ID: 2147483648)", "\"l\" (ID: -2147483649)"}));
        // The one row 7 names can be deleted; a statement for 3 would reach two.
        QCOMPARE(mod_DB::fDelServer(3).value(), Write::Gone);
        QCOMPARE(mod_DB::fDelServer(7).value(), Write::Done);
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Srv"), QStringList{"11"});
        // Adding to a file that does not number its rows is undone and told.
        const Status added = mod_DB::addServer({0, "new", "h", "1", "2"});
        QVERIFY2(added.error().contains("does not number new servers"), qPrintable(added.error()));
        // Nor to one that gives every new row the same number.
        folder.exec("CREATE TABLE numbered (ID DEFAULT 8, ServerName, IP, Port, TCPPort)");
        folder.exec("DROP TABLE tbl_Srv");
        folder.exec("ALTER TABLE numbered RENAME TO tbl_Srv");
        QVERIFY(mod_DB::addServer({0, "first", "h", "1", "2"}));
        QVERIFY(mod_DB::addServer({0, "second", "h", "1", "2"})
                    .error()
                    .contains("got the ID 8, which another server already has"));
        QCOMPARE(folder.rows("SELECT ServerName FROM tbl_Srv"), QStringList{"first"});
    }

    void loginSettingsEditTheFirstRowOnly() {
        TempFolder folder;
        folder.exec("INSERT INTO tbl_Srv (ID) VALUES (5), (6), (7)");
        folder.exec(
            "INSERT INTO tbl_Userdata VALUES (5, NULL, NULL, NULL), (5, 'second', 'b', 'c')");
        folder.open();
        const UserData nulls = mod_Userdata::fGetUserdata(5);
        QVERIFY(nulls.Found);
        QCOMPARE(nulls.Password, QString()); // nulls read as empty texts
        QVERIFY(mod_Userdata::fSaveUserdata(5, {"n", "l", "p", false}));
        QVERIFY(mod_Userdata::fSaveUserdata(6, {"n6", "l6", "p6", false}));
        QVERIFY(mod_Userdata::fSaveUserdata(6, {"m'6", "", "q6", false}));
        QCOMPARE(folder.rows("SELECT * FROM tbl_Userdata ORDER BY rowid"),
                 QStringList({"5|n|l|p", "5|second|b|c", "6|m'6||q6"}));
        QCOMPARE(mod_Userdata::fGetUserdata(6).Password, QStringLiteral("q6"));
        QVERIFY(!mod_Userdata::fGetUserdata(7).Found);
    }

    void theGridKeepsCountsTyped() {
        ServerGrid grid;
        grid.load(ServerList::of({{1, "A", "h", "1", "2"}, {2, "B", "h", "1", "2"}}));
        QSignalSpy changed(&grid, &QAbstractItemModel::dataChanged);
        const QModelIndex players = grid.index(0, ServerGrid::Player);
        grid.setNotCounted(1, QTime(9, 0, 1), "Connection refused");
        QCOMPARE(players.data().toString(), "X");
        QCOMPARE(players.data(Qt::ToolTipRole).toString(), "Connection refused (09:00:01)");
        grid.setCount(1, QTime(9, 0, 2), 7);
        QCOMPARE(players.data().toString(), "7");
        QCOMPARE(players.data(Qt::ToolTipRole).toString(), "Counted at 09:00:02");
        QVERIFY(players.data(ServerGrid::CountConfirmedRole).toBool());
        grid.setNotCounted(1, QTime(9, 0, 3), "Connection refused");
        QCOMPARE(players.data().toString(), "7"); // the old count stays, not confirmed
        QVERIFY(!players.data(ServerGrid::CountConfirmedRole).toBool());
        const QString tip = "Connection refused (09:00:03); last counted at 09:00:02";
        QCOMPARE(players.data(Qt::ToolTipRole).toString(), tip);
        QCOMPARE(players.data(Qt::AccessibleDescriptionRole).toString(), "Not current: " + tip);
        // Only the Player cell is redrawn, and only for a listed server.
        QCOMPARE(changed.size(), 3);
        QCOMPARE(changed.last().value(0).toModelIndex(), players);
        QCOMPARE(changed.last().value(1).toModelIndex(), players);
        grid.setCount(99, {}, 1);
        QCOMPARE(changed.size(), 3);
        const QModelIndex ip = grid.index(0, ServerGrid::IP);
        QVERIFY(ip.data(ServerGrid::CountConfirmedRole).toBool());
        QCOMPARE(ip.data(Qt::ToolTipRole), QVariant());
        QCOMPARE(ip.data(Qt::AccessibleDescriptionRole).toString(), QString());
        QVERIFY(grid.index(1, ServerGrid::Player).data(ServerGrid::CountConfirmedRole).toBool());
        QCOMPARE(grid.TextMatrix(3, ServerGrid::IP), QString()); // past the last row
    }

    void numbersFromText_data() {
        // Texts as the boxes hold them; 0: not a port, -1: not a 32-bit number.
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("port");
        QTest::addColumn<qint64>("number");
        QTest::newRow("smallest port") << "1" << 1 << qint64{1};
        QTest::newRow("largest port") << "65535" << 65535 << qint64{65535};
        QTest::newRow("a half rounds to even") << " 8767.5 " << 8768 << qint64{8768};
        QTest::newRow("zero is no port") << "0" << 0 << qint64{0};
        QTest::newRow("past the ports") << "65536" << 0 << qint64{65536};
        QTest::newRow("no exponents") << "1e3" << 0 << qint64{-1};
        QTest::newRow("smallest long") << "-2147483648" << 0 << qint64{INT32_MIN};
        QTest::newRow("largest long") << "2147483647" << 0 << qint64{INT32_MAX};
        QTest::newRow("past the longs") << "2147483648" << 0 << qint64{-1};
        QTest::newRow("below the longs") << "-2147483649" << 0 << qint64{-1};
    }

    void numbersFromText() {
        QFETCH(QString, text);
        QFETCH(int, port);
        QFETCH(qint64, number);
        QCOMPARE(convert::toPort(text).value_or(0), port);
        QCOMPARE(convert::toLong(text).value_or(-1), number);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
