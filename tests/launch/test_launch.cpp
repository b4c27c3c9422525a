// SPDX-License-Identifier: MIT
// The client link and the save question as texts, and the hand-over to the
// real xdg-mime and xdg-open of a generic desktop.
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "launch/mod_Userdata.h"

#include <QtTest>

namespace {

// The real xdg-mime and xdg-open of a generic desktop, in private XDG
// folders. A stand-in client, registered for teamspeak:// when `registered`, writes its
// argument to "client", its streams to "streams" and, from a child that
// outlives it, "alive".
struct Desktop {
    explicit Desktop(bool registered) {
        const QByteArray at = QFile::encodeName(home.path());
        write("client.sh", "#!/bin/sh\nprintf '%s' \"$1\" > " + at +
                               "/client\nstreams=$(readlink " +
                               "/proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\necho \"$streams\" > " +
                               at + "/streams\n(sleep 0.3; echo ok > " + at + "/alive) &\n");
        if (registered) {
            write("data/applications/fake-ts.desktop",
                  "[Desktop Entry]\nType=Application\nName=Fake TS\nExec=" + at +
                      "/client.sh %u\nMimeType=x-scheme-handler/teamspeak;\n");
            write("config/mimeapps.list",
                  "[Default Applications]\nx-scheme-handler/teamspeak=fake-ts.desktop\n");
        }
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "WAYLAND_DISPLAY"}) {
            qunsetenv(name);
        }
        qputenv("DISPLAY", ":0"); // a desktop is there, as far as xdg-open asks
        qputenv("XDG_DATA_HOME", at + "/data");
        qputenv("XDG_CONFIG_HOME", at + "/config");
        qputenv("XDG_DATA_DIRS", at + "/none");
        qputenv("XDG_CONFIG_DIRS", at + "/none");
    }
    void write(const QString& name, const QByteArray& text) const {
        QVERIFY(QDir(home.path()).mkpath(QFileInfo(name).path()));
        QFile f(home.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        f.setPermissions(QFileDevice::ReadOwner |
                         (text.startsWith("#!") ? QFileDevice::ExeOwner : QFileDevice::ReadOwner));
    }
    [[nodiscard]] QByteArray read(const QString& name) const {
        QFile f(home.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Hands the link over; `error` is what the opener reported (empty: taken).
    void open(const QString& link) {
        opener.open("Open", link, [this](const Status& done) { error = done.error(); });
    }
    XdgOpener opener;
    QString error = "-";
    QTemporaryDir home;
};

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
        // An xdg-mime that cannot run cannot say no; an xdg-open that cannot run is told.
        desktop.write("broken", "#!/no/such/shell\n");
        const QString broken = desktop.home.filePath("broken");
        XdgOpener brokenTools(broken, broken);
        brokenTools.open("Open", kLink, [&](const Status& done) { error = done.error(); });
        QTRY_COMPARE(error, broken + " could not be started");
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "test_launch.moc"
