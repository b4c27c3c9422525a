// The database layer on real files: what each operation stores, and that a
// refused or half-done change never leaves a trace.
#include "launch/mod_Userdata.h"
#include "store/ServerGrid.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QtTest>

class TestStore : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void openingNeedsTheFileAndBothTables();
    void serversAreStoredByFieldName();
    void deletingTakesTheLoginSettingsAlong();
    void deletingIsAllOrNothing();
    void loginSettingsEditTheFirstRowOnly();
    void reloadKeepsThePickAndSurvivesAFailedRead();
    void refusedWritesComeBackAsErrors_data();
    void refusedWritesComeBackAsErrors();
};

void TestStore::openingNeedsTheFileAndBothTables() {
    QTemporaryDir empty;
    const Status missing = mod_DB::fDBConnect(true, empty.path());
    QVERIFY(!missing);
    QVERIFY(missing.error().contains(empty.path() + QStringLiteral("/TS.mdb")));
    QVERIFY(!QFile::exists(empty.path() + QStringLiteral("/TS.mdb")));
    QVERIFY(!mod_DB::dbTS);

    TempFolder folder;
    folder.exec(QStringLiteral("DROP TABLE tbl_Userdata"));
    QVERIFY(!mod_DB::fDBConnect(true, folder.path()));
    QVERIFY(!mod_DB::dbTS);
}

void TestStore::serversAreStoredByFieldName() {
    TempFolder folder;
    // A hand-made file whose fields stand in another order.
    folder.exec(QStringLiteral("DROP TABLE tbl_Srv"));
    folder.exec(QStringLiteral("CREATE TABLE tbl_Srv (TCPPort TEXT, IP TEXT, ID INTEGER PRIMARY "
                               "KEY, Port TEXT, ServerName TEXT)"));
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ID) VALUES (9)"));
    folder.open();
    QVERIFY(mod_DB::addServer({0, QStringLiteral("Name 'x'"), QStringLiteral("host"),
                               QStringLiteral(" 8767"), QString()}));
    QCOMPARE(folder.rows(QStringLiteral("SELECT ID, ServerName, IP, Port, TCPPort FROM tbl_Srv")),
             QStringList({"9|<null>|<null>|<null>|<null>", "10|Name 'x'|host| 8767|"}));

    const auto nulls = mod_DB::readServer(9);
    QVERIFY(nulls && nulls->has_value());
    QCOMPARE((*nulls)->name, QString());
    QVERIFY(mod_DB::readServer(11) && !mod_DB::readServer(11)->has_value());

    QCOMPARE(mod_DB::saveServer(QStringLiteral("10"), {0, "N", "I", "P", "T"}).value(), true);
    QCOMPARE(mod_DB::saveServer(QStringLiteral("11"), {0, "N", "I", "P", "T"}).value(), false);
    QCOMPARE(mod_DB::saveServer(QStringLiteral("10 OR 1=1"), {0, "N", "I", "P", "T"}).value(),
             false);
    QCOMPARE(folder.rows(QStringLiteral("SELECT ServerName, IP, Port, TCPPort FROM tbl_Srv")),
             QStringList({"<null>|<null>|<null>|<null>", "N|I|P|T"}));
}

void TestStore::deletingTakesTheLoginSettingsAlong() {
    TempFolder folder;
    // IDs that come back once deleted: a file without AUTOINCREMENT.
    folder.exec(QStringLiteral("DROP TABLE tbl_Srv"));
    folder.exec(QStringLiteral(
        "CREATE TABLE tbl_Srv (ID INTEGER PRIMARY KEY, ServerName, IP, Port, TCPPort)"));
    folder.open();
    QVERIFY(mod_DB::addServer({0, "Old", "old.host", "1", "2"}));
    QVERIFY(mod_Userdata::fSaveUserdata(1, {"nick", "login", "secret", false}));
    QVERIFY(mod_DB::fDelServer(1));
    QVERIFY(mod_DB::addServer({0, "New", "new.host", "1", "2"}));
    QCOMPARE(folder.rows(QStringLiteral("SELECT ID FROM tbl_Srv")), QStringList{"1"});
    QVERIFY(!mod_Userdata::fGetUserdata(1).Found);
}

void TestStore::deletingIsAllOrNothing() {
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName) VALUES ('A')"));
    folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'n', 'l', 'p')"));
    // The server's row refuses to go after its settings went.
    folder.exec(QStringLiteral("CREATE TRIGGER keep BEFORE DELETE ON tbl_Srv BEGIN "
                               "SELECT RAISE(ABORT, 'kept'); END"));
    folder.open();
    const Status deleted = mod_DB::fDelServer(1);
    QVERIFY(!deleted);
    QVERIFY(deleted.error().contains(QStringLiteral("kept")));
    QCOMPARE(folder.rows(QStringLiteral("SELECT count(*) FROM tbl_Userdata")), QStringList{"1"});
}

void TestStore::loginSettingsEditTheFirstRowOnly() {
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (5, NULL, NULL, NULL)"));
    folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (5, 'second', 'b', 'c')"));
    folder.open();
    const UserData nulls = mod_Userdata::fGetUserdata(5);
    QVERIFY(nulls.Found);
    QCOMPARE(nulls.Nickname + nulls.LoginName + nulls.Password, QString());
    QVERIFY(mod_Userdata::fSaveUserdata(5, {"n", "l", "p", false}));
    QVERIFY(mod_Userdata::fSaveUserdata(6, {"n6", "l6", "p6", false}));
    QVERIFY(mod_Userdata::fSaveUserdata(6, {"m6", "", "q6", false}));
    QCOMPARE(folder.rows(QStringLiteral("SELECT * FROM tbl_Userdata ORDER BY rowid")),
             QStringList({"5|n|l|p", "5|second|b|c", "6|m6||q6"}));
    const UserData six = mod_Userdata::fGetUserdata(6);
    QCOMPARE(QStringList({six.Nickname, six.LoginName, six.Password}),
             QStringList({"m6", "", "q6"}));
    QVERIFY(!mod_Userdata::fGetUserdata(7).Found);
}

void TestStore::reloadKeepsThePickAndSurvivesAFailedRead() {
    TempFolder folder;
    for (const char* name : {"A", "B", "C"}) {
        folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName) VALUES ('%1')").arg(name));
    }
    folder.open();
    ServerGrid grid;
    QVERIFY(mod_DBWork::fLoadServerList(grid));
    grid.setRow(3);
    grid.setCount(3, QStringLiteral("4"), QStringLiteral("12:00:00"));
    folder.exec(QStringLiteral("DELETE FROM tbl_Srv WHERE ID = 1"));
    QVERIFY(mod_DBWork::fLoadServerList(grid));
    QCOMPARE(grid.Rows(), 3);
    QCOMPARE(grid.Row(), 2);
    QCOMPARE(grid.TextMatrix(2, ServerGrid::Servername), QStringLiteral("C"));
    QCOMPARE(grid.TextMatrix(2, ServerGrid::Player), QStringLiteral("X"));

    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ID, ServerName) VALUES (3000000000, 'Z')"));
    QVERIFY(!mod_DBWork::fLoadServerList(grid));
    QCOMPARE(grid.Rows(), 3);
    folder.exec(QStringLiteral("DELETE FROM tbl_Srv WHERE ID > 2"));
    QVERIFY(mod_DBWork::fLoadServerList(grid));
    QCOMPARE(grid.Rows(), 2);
    QCOMPARE(grid.Row(), 0);
    QVERIFY(!grid.selectedId());
}

void TestStore::refusedWritesComeBackAsErrors_data() {
    QTest::addColumn<bool>("locked");
    QTest::newRow("locked by another program") << true;
    QTest::newRow("read-only") << false;
}

void TestStore::refusedWritesComeBackAsErrors() {
    QFETCH(bool, locked);
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName) VALUES ('A')"));
    if (!locked && !folder.makeReadOnly()) {
        QSKIP("no read-only file can be made here");
    }
    folder.open();
    if (locked) {
        folder.lock();
    }
    QVERIFY(!mod_DB::addServer({0, "B", "", "", ""}));
    QVERIFY(!mod_DB::saveServer(QStringLiteral("1"), {0, "B", "", "", ""}));
    QVERIFY(!mod_DB::fDelServer(1));
    QVERIFY(!mod_Userdata::fSaveUserdata(1, {"n", "l", "p", false}));
    if (locked) {
        folder.release();
    }
    QCOMPARE(folder.rows(QStringLiteral("SELECT ServerName FROM tbl_Srv")), QStringList{"A"});
    QCOMPARE(folder.rows(QStringLiteral("SELECT count(*) FROM tbl_Userdata")), QStringList{"0"});
}

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
