// The database layer on real files: what each operation stores, and that a
// half-done change never leaves a trace.
#include "launch/mod_Userdata.h"
#include "store/Convert.h"
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
        const auto nulls = mod_DB::readServer(9);
        QVERIFY(nulls && nulls->has_value());
        QCOMPARE((*nulls)->name + (*nulls)->tcpPort, QString());
        QVERIFY(mod_DB::readServer(11) && !mod_DB::readServer(11)->has_value());
        for (const char* id : {"11", "10 OR 1=1", "10"}) {
            QCOMPARE(mod_DB::saveServer(id, {0, "N", "I", "P", "T"}).value(), id == QString("10"));
        }
        QCOMPARE(folder.rows("SELECT ServerName, IP, Port, TCPPort FROM tbl_Srv"),
                 QStringList({"<null>|<null>|<null>|<null>", "N|I|P|T"}));
    }

    void deletingTakesTheLoginSettingsAlongOrNothing() {
        TempFolder folder;
        // IDs that come back once deleted: a file without AUTOINCREMENT.
        folder.exec("DROP TABLE tbl_Srv");
        folder.exec("CREATE TABLE tbl_Srv (ID INTEGER PRIMARY KEY, ServerName, IP, Port, TCPPort)");
        folder.open();
        QVERIFY(mod_DB::addServer({0, "Old", "old.host", "1", "2"}));
        QVERIFY(mod_Userdata::fSaveUserdata(1, {"nick", "login", "secret", false}));
        QVERIFY(mod_DB::fDelServer(1));
        QVERIFY(mod_DB::addServer({0, "New", "new.host", "1", "2"}));
        QCOMPARE(folder.rows("SELECT ID FROM tbl_Srv"), QStringList{"1"});
        QVERIFY(!mod_Userdata::fGetUserdata(1).Found);
        // The server's row refuses to go after its settings went: both stay.
        QVERIFY(mod_Userdata::fSaveUserdata(1, {"n", "l", "p", false}));
        folder.exec(
            "CREATE TRIGGER keep BEFORE DELETE ON tbl_Srv BEGIN SELECT RAISE(ABORT, 'kept'); END");
        QVERIFY(mod_DB::fDelServer(1).error().contains("kept"));
        QVERIFY(mod_Userdata::fGetUserdata(1).Found);
    }

    void loginSettingsEditTheFirstRowOnly() {
        TempFolder folder;
        folder.exec(
            "INSERT INTO tbl_Userdata VALUES (5, NULL, NULL, NULL), (5, 'second', 'b', 'c')");
        folder.open();
        const UserData nulls = mod_Userdata::fGetUserdata(5);
        QVERIFY(nulls.Found);
        QCOMPARE(nulls.Nickname + nulls.LoginName + nulls.Password, QString());
        QVERIFY(mod_Userdata::fSaveUserdata(5, {"n", "l", "p", false}));
        QVERIFY(mod_Userdata::fSaveUserdata(6, {"n6", "l6", "p6", false}));
        QVERIFY(mod_Userdata::fSaveUserdata(6, {"m6", "", "q6", false}));
        QCOMPARE(folder.rows("SELECT * FROM tbl_Userdata ORDER BY rowid"),
                 QStringList({"5|n|l|p", "5|second|b|c", "6|m6||q6"}));
        QCOMPARE(mod_Userdata::fGetUserdata(6).Password, QStringLiteral("q6"));
        QVERIFY(!mod_Userdata::fGetUserdata(7).Found);
    }

    void numbersFromText() {
        // Texts as the boxes hold them; 0: not a port, -1: not a 32-bit number.
        const QList<std::pair<QString, int>> ports{{"1", 1}, {"65535", 65535}, {" 8767.5 ", 8768},
                                                   {"0", 0}, {"65536", 0},     {"1e3", 0}};
        for (const auto& [text, port] : ports) {
            QCOMPARE(convert::toPort(text).value_or(0), port);
        }
        const QList<std::pair<QString, qint64>> longs{{"-2147483648", INT32_MIN},
                                                      {"2147483647", INT32_MAX},
                                                      {"2147483648", -1},
                                                      {"-2147483649", -1}};
        for (const auto& [text, number] : longs) {
            QCOMPARE(convert::toLong(text).value_or(-1), number);
        }
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
