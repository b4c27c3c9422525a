// SPDX-License-Identifier: MIT
// The database layer on real files: what each operation stores, and that a
// half-done change never leaves a trace.
#include "launch/mod_Userdata.h"
#include "store/Convert.h"
#include "store/ServerGrid.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"

#include <sys/stat.h>

#include <QProcess>
#include <QtTest>
#include <atomic>
#include <thread>

class TestStore : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() {
#if QT_VERSION >= QT_VERSION_CHECK(6, 3, 0)
        // Reopening goes through a connection that was really closed and removed.
        QTest::failOnWarning(QRegularExpression("duplicate connection name"));
#endif
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
        const Server before{10, "Name 'x'", "host", " 8767", ""};
        const Server after{0, "N", "I", "P", "T"};
        QCOMPARE(mod_DB::saveServer({"11", before, after}).value(), Write::Gone); // not stored
        QCOMPARE(mod_DB::saveServer({"10 OR 1=1", before, after}).value(), Write::Gone);
        QCOMPARE(mod_DB::saveServer({"10", before, after}).value(), Write::Done);
        QCOMPARE(mod_DB::listServers()->servers.last().server, (Server{10, "N", "I", "P", "T"}));
    }

    void deletingTakesTheLoginSettingsAlongOrNothing() {
        TempFolder folder;
        folder.exec("INSERT INTO tbl_Srv VALUES (1, 'First', 'h', '1', '2')");
        // The second row: settings an older program left under an ID no server has.
        folder.exec("INSERT INTO tbl_Userdata VALUES (1, 'n', 'l', 'p'), (2, 'orphan', 'o', 'x')");
        folder.open();
        const Server first{1, "First", "h", "1", "2"};
        // The server's row refuses to go: its settings stay too.
        folder.exec(
            "CREATE TRIGGER keep BEFORE DELETE ON tbl_Srv BEGIN SELECT RAISE(ABORT, 'kept'); END");
        QVERIFY(mod_DB::fDelServer(first).error().contains("kept"));
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Userdata"), QStringList{"2"});
        folder.exec("DROP TRIGGER keep");
        QVERIFY(mod_DB::fDelServer(first));
        QCOMPARE(folder.rows("SELECT ServerID FROM tbl_Userdata"), QStringList{"2"});
        QVERIFY(mod_DB::addServer({0, "New", "h", "1", "2"})); // ID 2: inherits nothing
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Userdata"), QStringList{"0"});
    }

    void aFileBusyForAMomentIsWaitedForButNotLong() {
        TempFolder folder;
        folder.open();
        // Adds a server while another program writes to the file for `ms`.
        const auto addWhileHeld = [&folder](int ms) {
            std::atomic<bool> held{false};
            std::thread other([&folder, &held, ms] {
                {
                    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "other");
                    db.setDatabaseName(folder.dbPath());
                    QSqlQuery q(db);
                    held = db.open() && q.exec("BEGIN IMMEDIATE");
                    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
                    q.exec("COMMIT");
                }
                QSqlDatabase::removeDatabase("other");
            });
            while (!held) {
                std::this_thread::yield();
            }
            Status added = mod_DB::addServer({0, "A", "h", "1", "2"});
            other.join();
            return added;
        };
        const Status waited = addWhileHeld(50);
        QVERIFY2(waited, qPrintable(waited.error()));
        // Held for a second: refused after a short wait, so that the window never freezes.
        QVERIFY(addWhileHeld(1000).error().contains("database is locked"));
    }

    void theDemoListsItsServersAndOneLogin() {
        TempFolder folder;
        QVERIFY(initdb::addDemoServers(folder.dbPath(), 51234));
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Srv"), QStringList{"6"});
        QCOMPARE(folder.rows("SELECT * FROM tbl_Userdata"),
                 QStringList{"1|DemoPlayer|demo|secret"});
    }

    void idsThatDoNotNameOneRow() {
        TempFolder folder;
        // A hand-made file: no primary key, IDs of every kind.
        folder.exec("DROP TABLE tbl_Srv");
        folder.exec("CREATE TABLE tbl_Srv (ID, ServerName, IP, Port, TCPPort)");
        folder.exec("INSERT INTO tbl_Srv (ID, ServerName) VALUES (3, 'a'), (7, 'b'), (3, 'c'), "
                    "(7.4, 'd'), (NULL, 'e'), ('abc', 'f'), (2147483648, 'g'), (8.0, 'h'), "
                    "('9', 'i'), (2147483647, 'j'), (-2147483648, 'k'), (-2147483649, 'l'), "
                    "('-2147483648', 'm')");
        folder.open();
        const auto list = mod_DB::listServers();
        QVERIFY(list);
        QStringList names;
        QList<IdMark> marks;
        for (const ListedServer& listed : list->servers) {
            names << listed.server.name;
            marks << listed.mark;
        }
        QCOMPARE(names, QStringList({"a", "b", "c", "d", "h", "i", "j", "k", "m"}));
        const IdMark none = IdMark::None, twice = IdMark::NotUnique, part = IdMark::NotWhole;
        QCOMPARE(marks, QList<IdMark>({twice, none, twice, part, none, part, none, none, part}));
        QCOMPARE(list->leftOut, QStringList({"\"e\" (ID: none)", "\"f\" (ID: abc)",
                                             "\"g\" (ID: 2147483648)", "\"l\" (ID: -2147483649)"}));
        // The one row 7 names can be deleted; a statement for 3 would reach two.
        QCOMPARE(mod_DB::fDelServer({3, "a", "", "", ""}).value(), Write::Gone);
        QCOMPARE(mod_DB::fDelServer({7, "b", "", "", ""}).value(), Write::Done);
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Srv"), QStringList{"12"});
        // Adding to a file that does not number its rows is undone and told.
        const Status added = mod_DB::addServer({0, "new", "h", "1", "2"});
        QVERIFY2(added.error().contains("does not number new servers"), qPrintable(added.error()));
        // Nor to one that numbers it as another server ("h", 8.0): its settings would go.
        folder.exec("CREATE TRIGGER eight AFTER INSERT ON tbl_Srv BEGIN UPDATE tbl_Srv SET ID = 8 "
                    "WHERE rowid = new.rowid; END");
        QVERIFY(mod_DB::addServer({0, "new", "h", "1", "2"}).error().contains("got the ID 8"));
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Srv"), QStringList{"12"});
    }

    void loginSettingsAreStoredAsTyped() {
        TempFolder folder;
        folder.exec("INSERT INTO tbl_Srv (ID) VALUES (5), (6)");
        folder.exec("INSERT INTO tbl_Userdata VALUES (5, NULL, NULL, NULL)");
        folder.open();
        const UserData nulls = mod_Userdata::fGetUserdata(5);
        QVERIFY(nulls.Found);
        QCOMPARE(nulls.Password, QString()); // nulls read as empty texts
        QVERIFY(!mod_Userdata::fGetUserdata(6).Found);
        const Server six{6, "", "", "", ""};
        QVERIFY(mod_Userdata::fSaveUserdata(six, {{}, {"n6", "l6", "p6", false}})); // added
        QVERIFY(
            mod_Userdata::fSaveUserdata(six, {{"n6", "l6", "p6", true}, {"m'6", "", "q6", false}}));
        QCOMPARE(folder.rows("SELECT * FROM tbl_Userdata ORDER BY rowid"),
                 QStringList({"5|<null>|<null>|<null>", "6|m'6||q6"}));
    }

    void aLoginSaveReplacesOnlyWhatItsQuestionShowed() {
        TempFolder folder;
        folder.exec("INSERT INTO tbl_Srv VALUES (1, 'A', 'h', '1', '2')");
        folder.exec("INSERT INTO tbl_Userdata VALUES (1, 'n', 'l', 'p')");
        folder.open();
        const Server a{1, "A", "h", "1", "2"};
        const UserData asked = mod_Userdata::readUserdata(a).value().value();
        // Another program saves newer settings while the question is open.
        folder.exec("UPDATE tbl_Userdata SET Passwort = 'newer'");
        QCOMPARE(mod_Userdata::fSaveUserdata(a, {asked, {"x", "y", "z", false}}).value(),
                 Write::Stale);
        QCOMPARE(folder.rows("SELECT * FROM tbl_Userdata"), QStringList{"1|n|l|newer"});
        // Stored text that does not come back as it was (no UTF-8) matches no row: told.
        folder.exec("UPDATE tbl_Userdata SET Nickname = CAST(X'C328' AS TEXT)");
        const UserData unreadable = mod_Userdata::readUserdata(a).value().value();
        const auto saved = mod_Userdata::fSaveUserdata(a, {unreadable, {"x", "y", "z", false}});
        QVERIFY2(saved.error().contains("nothing was written"), qPrintable(saved.error()));
        QCOMPARE(folder.rows("SELECT LoginName FROM tbl_Userdata"), QStringList{"l"});
        // The server itself changed: its settings are neither read nor written.
        folder.exec("UPDATE tbl_Srv SET IP = 'other'");
        QCOMPARE(mod_Userdata::readUserdata(a).value(), std::nullopt);
        QCOMPARE(mod_DB::stillStored(a).value(), Write::Gone);
    }

    void aCopyWrittenOverTheOpenFileIsNoticed() {
        TempFolder folder;
        folder.exec("PRAGMA journal_mode=WAL");
        folder.exec("INSERT INTO tbl_Srv VALUES (1, 'Alpha', 'h', '1', '2')");
        TempFolder backup;
        backup.exec("INSERT INTO tbl_Srv VALUES (1, 'Restored1', 'h', '1', '2')");
        folder.open();
        const Server alpha{1, "Alpha", "h", "1", "2"};
        QVERIFY(mod_DB::listServers());
        // cp writes into the same file, which keeps its inode.
        QCOMPARE(QProcess::execute("cp", {backup.dbPath(), folder.dbPath()}), 0);
        const auto saved =
            mod_Userdata::fSaveUserdata(alpha, {{}, {"typed", "for", "Alpha", false}});
        QVERIFY2(saved.error().contains("was moved, deleted or replaced"),
                 qPrintable(saved.error()));
        QVERIFY(!mod_Userdata::readUserdata(alpha));
        QCOMPARE(backup.rows("SELECT count(*) FROM tbl_Userdata"), QStringList{"0"});
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Userdata"), QStringList{"0"});
    }

    void theLoginRowShownIsTheRowSaved() {
        TempFolder folder; // hand-made: two rows for one server, keyed without a rowid
        folder.exec("INSERT INTO tbl_Srv (ID) VALUES (1)");
        folder.exec("DROP TABLE tbl_Userdata");
        folder.exec("CREATE TABLE tbl_Userdata (ServerID INTEGER, Nickname TEXT, LoginName, "
                    "Passwort, Extra, PRIMARY KEY (ServerID, Nickname)) WITHOUT ROWID");
        folder.exec("INSERT INTO tbl_Userdata VALUES (1, 'zeta', 'z', 'zp', 1), "
                    "(1, 'alpha', 'a', 'ap', 2)");
        folder.open();
        QCOMPARE(mod_Userdata::fGetUserdata(1).Nickname, QString("alpha")); // read first
        const Server one{1, "", "", "", ""};
        QVERIFY(mod_Userdata::fSaveUserdata(
            one, {{"alpha", "a", "ap", true}, {"beta", "b", "bp", false}}));
        QCOMPARE(folder.rows("SELECT Nickname, Extra FROM tbl_Userdata ORDER BY Extra"),
                 QStringList({"zeta|1", "beta|2"}));
        // A save the file's own key refuses names the key.
        const auto clash =
            mod_Userdata::fSaveUserdata(one, {{"beta", "b", "bp", true}, {"zeta", "", "", {}}});
        QVERIFY2(clash.error().contains("UNIQUE constraint failed"), qPrintable(clash.error()));
    }

    void openingTellsWhatIsWrongWithTheFile() {
        // The file's bytes, or a statement that spoils a good file; what opening it tells.
        const std::array<std::pair<QByteArray, const char*>, 4> files{
            {{"servers\n", "Error 26: file is not a database"},
             {"", "Error 1: table tbl_Srv is missing"},
             {"DROP TABLE tbl_Userdata", "Error 1: table tbl_Userdata is missing"},
             {"ALTER TABLE tbl_Userdata RENAME COLUMN Passwort TO Password",
              "Error 1: tbl_Userdata has no column Passwort"}}};
        for (const auto& [content, told] : files) {
            TempFolder folder;
            QFile file(folder.dbPath());
            if (content.contains("TABLE")) {
                folder.exec(content);
            } else {
                QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
                file.write(content);
                file.close();
            }
            const QDateTime before = QFileInfo(file).lastModified();
            const Status opened = mod_DB::fDBConnect(true, folder.path());
            QVERIFY2(opened.error().startsWith(told), qPrintable(opened.error()));
            QVERIFY(!mod_DB::dbTS);
            QCOMPARE(QFileInfo(file).lastModified(), before); // untouched
        }
    }

    void aFolderWhoseNameIsNoText() {
        QTemporaryDir top;
        const QByteArray folder = QFile::encodeName(top.path()) + "/Spiele-J\xfcrgen"; // Latin-1
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        const QString before = QDir::currentPath();
        const QString reachable = mod_DB::reachableFolder(folder);
        const auto made = initdb::createEmptyDatabase(mod_DB::databasePath(reachable));
        QVERIFY(made && *made == initdb::Made::New);
        struct stat info {};
        QCOMPARE(::stat((folder + "/TS.mdb").constData(), &info), 0); // there, not at the root
        const Status opened = mod_DB::fDBConnect(true, reachable);
        const Status added = mod_DB::addServer({0, "A", "h", "1", "2"});
        (void)mod_DB::fDBConnect(false, {});
        QDir::setCurrent(before);
        QVERIFY2(opened, qPrintable(opened.error()));
        QVERIFY2(added, qPrintable(added.error()));
        QCOMPARE(mod_DB::reachableFolder("/tmp"), QString("/tmp")); // a name that is text stays
    }

    void numbersFromText() {
        const auto port = [](const char* text) { return convert::toPort(text).value_or(0); };
        QCOMPARE(port("65535"), 65535);
        QCOMPARE(port(" 8767.5 "), 8768); // a half rounds to even
        for (const char* none : {"0", "65536", "1e3"}) {
            QVERIFY2(port(none) == 0, none);
        }
        QCOMPARE(convert::toLong("-2147483648"), INT32_MIN);
        QCOMPARE(convert::toLong("2147483648"), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestStore)
#include "test_store.moc"
