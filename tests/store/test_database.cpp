#include "store/Database.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QtTest>

class TestDatabase : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void statementsAreBuiltToTheCharacter();
    void nullBecomesTheDefaultAndNothingElse();
    void openRefusesWhatIsNotOurDatabase_data();
    void openRefusesWhatIsNotOurDatabase();
    void pathIsFolderPlusFileName();
    void tableOpensInStoredOrderAndSelectsByKey();
    void deleteLeavesLoginSettingsAndIdsAreNeverReused();
    void valuesAreBoundNotSpliced();
    void lockedFileReportsWithoutWaitingLong();
};

void TestDatabase::statementsAreBuiltToTheCharacter() {
    QCOMPARE(mod_DB::deleteServer(7), QStringLiteral("Delete from tbl_Srv WHERE ID =7;"));
    QCOMPARE(mod_DB::selectServer(QStringLiteral("7")),
             QStringLiteral("Select * from tbl_Srv WHERE ID = 7;"));
    QCOMPARE(mod_DB::selectUserdata(-12),
             QStringLiteral("Select * from tbl_Userdata WHERE ServerID = -12;"));
}

void TestDatabase::nullBecomesTheDefaultAndNothingElse() {
    const QVariant empty(QString{});
    QCOMPARE(
        mod_DB::fNullTo(QVariant(QMetaType(QMetaType::QString)), QStringLiteral("")).toString(),
        QString());
    QVERIFY(!mod_DB::fNullTo(QVariant(QMetaType(QMetaType::QString)), QStringLiteral("")).isNull());
    QCOMPARE(mod_DB::fNullTo(QVariant(QStringLiteral("")), QStringLiteral("d")),
             QVariant(QStringLiteral("")));
    QCOMPARE(mod_DB::fNullTo(QVariant(0), QStringLiteral("d")), QVariant(0));
    // And the same for a null read from the file.
    TempProgramFolder folder;
    folder.exec(QStringLiteral(
        "INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) VALUES (NULL, '', '0', NULL)"));
    auto db = Database::open(folder.dbPath());
    Recordset rs = db->OpenRecordset(QStringLiteral("tbl_Srv"));
    QVERIFY(rs.Field(QStringLiteral("ServerName")).isNull());
    QCOMPARE(mod_DB::fNullTo(rs.Field(QStringLiteral("ServerName")), QStringLiteral("")).toString(),
             QString());
    QVERIFY(!rs.Field(QStringLiteral("IP")).isNull());
    QCOMPARE(mod_DB::fNullTo(rs.Field(QStringLiteral("Port")), QStringLiteral("d")).toString(),
             QStringLiteral("0"));
}

void TestDatabase::openRefusesWhatIsNotOurDatabase_data() {
    QTest::addColumn<QString>("setup");
    QTest::addColumn<QString>("number");
    QTest::newRow("missing file") << "missing"
                                  << "14";
    QTest::newRow("not a database") << "text"
                                    << "26";
    QTest::newRow("no tbl_Userdata") << "drop-userdata"
                                     << "1";
    QTest::newRow("a field missing") << "no-passwort"
                                     << "1";
}

void TestDatabase::openRefusesWhatIsNotOurDatabase() {
    QFETCH(QString, setup);
    QFETCH(QString, number);
    TempProgramFolder folder;
    const QString path = folder.dbPath();
    if (setup == QLatin1String("missing")) {
        QFile::remove(path);
    } else if (setup == QLatin1String("text")) {
        QFile::remove(path);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(4096, 'x'));
    } else if (setup == QLatin1String("drop-userdata")) {
        folder.exec(QStringLiteral("DROP TABLE tbl_Userdata"));
    } else {
        folder.exec(QStringLiteral("DROP TABLE tbl_Userdata"));
        folder.exec(QStringLiteral(
            "CREATE TABLE tbl_Userdata (ServerID INTEGER, Nickname TEXT, LoginName TEXT)"));
    }
    const QStringList before = QDir(folder.path()).entryList(QDir::Files);
    const QByteArray contentBefore = [&] {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }();
    try {
        auto db = Database::open(path);
        QFAIL("opened");
    } catch (const DbError& error) {
        QCOMPARE(error.number(), number);
        QVERIFY(!error.text().isEmpty());
        QVERIFY(
            error.message().startsWith(QStringLiteral("Error ") + number + QStringLiteral(": ")));
    }
    // Nothing created, nothing changed.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), before);
    QFile after(path);
    QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), contentBefore);
}

void TestDatabase::pathIsFolderPlusFileName() {
    QCOMPARE(mod_DB::databasePath(QStringLiteral("/opt/quarnel")),
             QStringLiteral("/opt/quarnel/TS.mdb"));
    QCOMPARE(mod_DB::databasePath(QStringLiteral("/")), QStringLiteral("//TS.mdb"));
}

void TestDatabase::tableOpensInStoredOrderAndSelectsByKey() {
    TempProgramFolder folder;
    folder.addServer(QStringLiteral("b"), QStringLiteral("h1"), QStringLiteral("1"),
                     QStringLiteral("2"));
    folder.addServer(QStringLiteral("a"), QStringLiteral("h2"), QStringLiteral("3"),
                     QStringLiteral("4"));
    auto db = Database::open(folder.dbPath());
    QStringList seen;
    db->setStatementObserver([&](const QString& s) { seen << s; });
    Recordset rs = db->OpenRecordset(QStringLiteral("tbl_Srv"));
    QStringList names;
    for (; !rs.Eof(); rs.MoveNext()) {
        names << rs.Field(QStringLiteral("ServerName")).toString();
    }
    rs.Close();
    QCOMPARE(names, QStringList({QStringLiteral("b"), QStringLiteral("a")}));

    Recordset one = db->OpenRecordset(mod_DB::selectServer(QStringLiteral("2")));
    QVERIFY(!one.Eof());
    QCOMPARE(one.Field(QStringLiteral("IP")).toString(), QStringLiteral("h2"));
    one.MoveNext();
    QVERIFY(one.Eof());
    QVERIFY(db->OpenRecordset(mod_DB::selectServer(QStringLiteral("99"))).Eof());
    QCOMPARE(seen, QStringList({QStringLiteral("tbl_Srv"),
                                QStringLiteral("Select * from tbl_Srv WHERE ID = 2;"),
                                QStringLiteral("Select * from tbl_Srv WHERE ID = 99;")}));
    QVERIFY_THROWS_EXCEPTION(DbError,
                             db->OpenRecordset(QStringLiteral("SELECT * FROM sqlite_master")));
}

void TestDatabase::deleteLeavesLoginSettingsAndIdsAreNeverReused() {
    TempProgramFolder folder;
    const qint64 first = folder.addServer(QStringLiteral("x"), {}, {}, {});
    const qint64 last = folder.addServer(QStringLiteral("y"), {}, {}, {});
    folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (%1, 'n', 'l', 'p')").arg(last));
    auto db = Database::open(folder.dbPath());
    db->Execute(mod_DB::deleteServer(static_cast<qint32>(last)));
    QCOMPARE(folder.rows(QStringLiteral("SELECT ID FROM tbl_Srv")),
             QStringList{QString::number(first)});
    QCOMPARE(folder.rows(QStringLiteral("SELECT * FROM tbl_Userdata")).size(), 1);
    Recordset rs = db->OpenRecordset(QStringLiteral("tbl_Srv"));
    rs.AddNew();
    rs.SetField(1, QStringLiteral("new"));
    rs.Update();
    rs.Close();
    // The deleted server's ID, and with it its password, never comes back.
    QCOMPARE(folder.rows(QStringLiteral("SELECT ID FROM tbl_Srv WHERE ServerName = 'new'")),
             QStringList{QString::number(last + 1)});
}

void TestDatabase::valuesAreBoundNotSpliced() {
    TempProgramFolder folder;
    folder.addServer(QStringLiteral("keep"), {}, {}, {});
    auto db = Database::open(folder.dbPath());
    // A key that is no number finds nothing and runs nothing.
    QVERIFY(db->OpenRecordset(mod_DB::selectServer(QStringLiteral("1 OR 1=1"))).Eof());
    QVERIFY(db->OpenRecordset(mod_DB::selectServer(QStringLiteral("1; DROP TABLE tbl_Srv"))).Eof());
    const QString hostile =
        QStringLiteral("a'); DROP TABLE tbl_Srv; --\"$(touch x)`\n\u00e9\u4e2d");
    Recordset rs = db->OpenRecordset(QStringLiteral("tbl_Srv"));
    rs.AddNew();
    rs.SetField(1, hostile);
    rs.SetField(3, QStringLiteral("0099"));
    rs.Update();
    rs.Close();
    Recordset back = db->OpenRecordset(mod_DB::selectServer(QStringLiteral("2")));
    QCOMPARE(back.Field(QStringLiteral("ServerName")).toString(), hostile);
    // Ports are kept as typed, leading zeros included.
    QCOMPARE(back.Field(QStringLiteral("Port")).toString(), QStringLiteral("0099"));
    QCOMPARE(folder.rows(QStringLiteral("SELECT count(*) FROM tbl_Srv")),
             QStringList{QStringLiteral("2")});
}

void TestDatabase::lockedFileReportsWithoutWaitingLong() {
    TempProgramFolder folder;
    auto db = Database::open(folder.dbPath());
    auto other = Database::open(folder.dbPath());
    QSqlDatabase locker = QSqlDatabase::database(other->connectionName());
    QVERIFY(QSqlQuery(locker).exec(QStringLiteral("BEGIN IMMEDIATE")));
    Recordset rs = db->OpenRecordset(QStringLiteral("tbl_Srv"));
    rs.AddNew();
    rs.SetField(1, QStringLiteral("x"));
    QElapsedTimer clock;
    clock.start();
    try {
        rs.Update();
        QFAIL("write went through a locked file");
    } catch (const DbError& error) {
        QCOMPARE(error.number(), QStringLiteral("5")); // SQLITE_BUSY
    }
    QVERIFY2(clock.elapsed() < 3000, "a locked file must not hold the window for long");
    QVERIFY(QSqlQuery(locker).exec(QStringLiteral("ROLLBACK")));
    QCOMPARE(folder.rows(QStringLiteral("SELECT count(*) FROM tbl_Srv")),
             QStringList{QStringLiteral("0")});
}

QTEST_MAIN(TestDatabase)
#include "test_database.moc"
