// SPDX-License-Identifier: MIT
// The client link and the save question as texts, and the hand-over to the
// real xdg-mime and xdg-open of a generic desktop (tests/support/Desktop.h).
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "launch/mod_Userdata.h"
#include "support/Desktop.h"

#include <QtTest>

namespace {

const QString kLink = QString::fromUtf8("teamspeak://h:1?nickname=a b \"q\" ?loginname=&#€"
                                        "?password=$x`y`'Pa55-grep-me");

} // namespace

class TestLaunch : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void clientLink_data() {
        QTest::addColumn<QStringList>("boxes"); // Nickname, Loginname, Password
        QTest::addColumn<QString>("link");
        QTest::newRow("no login") << QStringList{"", "", ""} << "teamspeak://h:8767";
        QTest::newRow("password only")
            << QStringList{"", "", "pw"} << "teamspeak://h:8767?password=pw";
        QTest::newRow("no nickname")
            << QStringList{"", "l", "p"} << "teamspeak://h:8767?loginname=l?password=p";
        QTest::newRow("values as they stand")
            << QStringList{" ", "a&b=c?", "p w"}
            << "teamspeak://h:8767?nickname= ?loginname=a&b=c??password=p w";
    }

    void clientLink() {
        QFETCH(QStringList, boxes);
        QFETCH(QString, link);
        const Server server{1, "name", "h", "8767", "51234"};
        QCOMPARE(client_link::build(server, {boxes[0], boxes[1], boxes[2], false}), link);
    }

    void saveQuestion() {
        const QString heading = "Nickname||LoginName||Password\r\n";
        const UserData entered{"n", "a||b", "p\r\n", false};
        QCOMPARE(mod_Userdata::saveQuestion({"old", "ol", "", false}, entered),
                 "Do you want to save the Usersettings\r\n" + heading + "n||a||b||*** ?");
        QCOMPARE(mod_Userdata::saveQuestion({"old", "ol", "", true}, entered),
                 "Do you want to replace the current Usersettings\r\n" + heading +
                     "old||ol||\r\nwith\r\n" + heading + "n||a||b||*** ?");
    }

    void startedDetachedOnNoneOfOurStreams() {
        QVERIFY2(!QStandardPaths::findExecutable("xdg-open").isEmpty(), "xdg-utils are needed");
        Desktop desktop(true);
        desktop.open(kLink);
        QTRY_COMPARE(desktop.error, QString());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.read("client"), kLink.toUtf8(), 10000);
        QTRY_COMPARE(desktop.read("streams"), QByteArray("/dev/null\n/dev/null\n/dev/null\n"));
        // xdg-open has ended; what it started lives on.
        QTRY_COMPARE_WITH_TIMEOUT(desktop.read("alive"), QByteArray("ok\n"), 5000);
    }

    void noProgramRegisteredIsToldAtOnceWithoutThePassword() {
        Desktop desktop(false);
        desktop.open(kLink);
        QTRY_COMPARE(desktop.error, "no program is registered for teamspeak:// links");
        QVERIFY(desktop.read("client").isEmpty());
        // A desktop without the xdg tools.
        QString error;
        XdgOpener("no-such-opener", "no-such-mime").open("Open", kLink, [&](const Status& done) {
            error = done.error();
        });
        QCOMPARE(error, QStringLiteral("no-such-opener was not found"));
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "test_launch.moc"
