// SPDX-License-Identifier: MIT
// The client link and the save question as texts, and the hand-over to the
// real xdg-mime and xdg-open of a generic desktop, with a stand-in client and
// browser in private XDG folders.
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "launch/mod_Userdata.h"
#include <QtTest>

namespace {

// A stand-in client, registered for teamspeak:// when `registered`, writes its
// argument to "client", its streams to "streams" and, from a child that
// outlives it, "alive"; the stand-in browser writes its argument to "browser".
struct Desktop {
    explicit Desktop(bool registered) {
        const QByteArray at = QFile::encodeName(home.path());
        write("client.sh", "#!/bin/sh\nprintf '%s' \"$1\" > " + at +
                               "/client\nstreams=$(readlink " +
                               "/proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\necho \"$streams\" > " +
                               at + "/streams\n(sleep 0.3; echo ok > " + at + "/alive) &\n");
        write("browser.sh", "#!/bin/sh\nprintf '%s' \"$1\" > " + at + "/browser\n");
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
        qputenv("BROWSER", at + "/browser.sh");
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
    void open(const QString& link, const QString& mime = "xdg-mime") {
        error = "-";
        opener = std::make_unique<XdgOpener>("xdg-open", mime);
        opener->open("Open", link, [this](const Status& done) { error = done.error(); });
    }
    std::unique_ptr<XdgOpener> opener;
    QString error;
    QTemporaryDir home;
};

const QString kLink = QString::fromUtf8("teamspeak://h:1?nickname=a b \"q\" ?loginname=&#€"
                                        "?password=$x`y`'Pa55-grep-me");

} // namespace

class TestLaunch : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void clientLinkAndSaveQuestion() {
        const QList<std::pair<QStringList, QString>> links{
            {{"", "", ""}, "teamspeak://h:8767"},
            {{"", "", "pw"}, "teamspeak://h:8767?password=pw"},
            {{"", "l", "p"}, "teamspeak://h:8767?loginname=l?password=p"},
            {{" ", "a&b=c?", "p w"},
             "teamspeak://h:8767?nickname= ?loginname=a&b=c??password=p w"}};
        for (const auto& [boxes, link] : links) {
            QCOMPARE(client_link::build("h", "8767", boxes[0], boxes[1], boxes[2]), link);
        }
        const QString heading = "Nickname||LoginName||Password\r\n";
        const UserData entered{"n", "a||b", "p\r\n", false};
        QCOMPARE(mod_Userdata::saveQuestion({"old", "ol", "", false}, entered),
                 "Do you want to save the Usersettings\r\n" + heading + "n||a||b||*** ?");
        QCOMPARE(mod_Userdata::saveQuestion({"old", "ol", "", true}, entered),
                 "Do you want to replace the current Usersettings\r\n" + heading +
                     "old||ol||\r\nwith\r\n" + heading + "n||a||b||*** ?");
    }

    void theRealDesktopDeliversLinksVerbatim() {
        QVERIFY2(!QStandardPaths::findExecutable("xdg-open").isEmpty(), "xdg-utils are needed");
        Desktop desktop(true);
        desktop.open(kLink);
        QTRY_COMPARE(desktop.error, QString());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.read("client"), kLink.toUtf8(), 10000);
        // Started detached, on none of our streams; what it starts lives on.
        QTRY_COMPARE(desktop.read("streams"), QByteArray("/dev/null\n/dev/null\n/dev/null\n"));
        QTRY_COMPARE_WITH_TIMEOUT(desktop.read("alive"), QByteArray("ok\n"), 5000);
        // The homepage needs no registered handler: the browser opens it.
        QString error = "-";
        XdgOpener opener;
        client_link::fOpenHomepage(opener, [&](const Status& done) { error = done.error(); });
        QCOMPARE(error, QString());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.read("browser"), QByteArray(client_link::kHomepage),
                                  10000);
    }

    void noProgramRegisteredIsToldAtOnceWithoutThePassword() {
        Desktop desktop(false);
        desktop.open(kLink);
        QTRY_COMPARE(desktop.error, "no program is registered for teamspeak:// links");
        QVERIFY(desktop.read("client").isEmpty());
        // An xdg-mime that cannot run cannot say no: the link goes to xdg-open
        // (which hands it to the browser, for want of a client).
        desktop.write("broken-mime", "#!/no/such/shell\n");
        desktop.open(kLink, desktop.home.filePath("broken-mime"));
        QTRY_COMPARE(desktop.error, QString());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.read("browser"), kLink.toUtf8(), 10000);
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
