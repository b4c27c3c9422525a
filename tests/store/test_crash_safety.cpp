// Kills a process at random moments while it saves: the file must stay whole
// and every row must hold either the old or the new values, never a mix.
#include "support/TestSupport.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QtTest>

class TestCrashSafety : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void killedWhileSavingLosesNothing();
};

namespace {
// A key, then `texts` fields of 4000 equal letters, all the same letter.
bool wholeRow(const QString& row, int texts) {
    const QStringList fields = row.split(QLatin1Char('|'));
    if (fields.size() != texts + 1 || fields[0] != QLatin1String("1") || fields[1].size() != 4000) {
        return false;
    }
    const QChar letter = fields[1].at(0);
    for (int i = 1; i <= texts; ++i) {
        if (fields[i] != QString(4000, letter)) {
            return false;
        }
    }
    return letter == QLatin1Char('A') || letter == QLatin1Char('B');
}
} // namespace

void TestCrashSafety::killedWhileSavingLosesNothing() {
    TempProgramFolder folder;
    folder.addServer(QString(4000, QLatin1Char('A')), QString(4000, QLatin1Char('A')),
                     QString(4000, QLatin1Char('A')), QString(4000, QLatin1Char('A')));
    const int kills = qEnvironmentVariableIntValue("QUARNEL_KILLS") > 0
                          ? qEnvironmentVariableIntValue("QUARNEL_KILLS")
                          : 200;
    QRandomGenerator random(20261206);
    int survived = 0;
    for (int i = 0; i < kills; ++i) {
        QProcess saver;
        saver.start(QStringLiteral(SAVE_LOOP), {folder.dbPath()});
        QVERIFY(saver.waitForStarted());
        QVERIFY2(saver.waitForReadyRead(20000), saver.readAllStandardError().constData());
        QTest::qSleep(static_cast<int>(random.bounded(1, 25)));
        saver.kill();
        QVERIFY(saver.waitForFinished());
        QCOMPARE(folder.rows(QStringLiteral("PRAGMA integrity_check")),
                 QStringList{QStringLiteral("ok")});
        const QStringList servers = folder.rows(QStringLiteral("SELECT * FROM tbl_Srv"));
        QCOMPARE(servers.size(), 1);
        QVERIFY2(wholeRow(servers[0], 4), "a server row was half written");
        const QStringList settings = folder.rows(
            QStringLiteral("SELECT ServerID, Nickname, LoginName, Passwort FROM tbl_Userdata"));
        QCOMPARE(settings.size(), 1);
        QVERIFY2(wholeRow(settings[0], 3), "a settings row was half written");
        ++survived;
    }
    qInfo("kills survived: %d", survived);
}

QTEST_MAIN(TestCrashSafety)
#include "test_crash_safety.moc"
