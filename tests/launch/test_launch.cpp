// SPDX-License-Identifier: MIT
// The client link and the save question as texts, and the hand-over to the
// desktop through stand-ins for xdg-mime and xdg-open on PATH.
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "launch/mod_Userdata.h"
#include <QtTest>

namespace {

// xdg-mime names `handler` (nothing: no program registered); xdg-open writes
// its arguments to "args" and leaves a child that writes to stderr after
// xdg-open has ended, and then "alive".
struct FakeDesktop {
    explicit FakeDesktop(const QString& handler) {
        write("xdg-mime", "[ -z '" + handler + "' ] || echo '" + handler + "'");
        write("xdg-open",
              "printf '%s\\n' $# \"$@\" > " + dir.filePath("args") +
                  "\n(sleep 0.3; echo \"$1\" >&2; echo ok > " + dir.filePath("alive") +
                  ") &\necho \"$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\" > " +
                  dir.filePath("streams"));
    }
    void write(const QString& name, const QString& script) const {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("#!/bin/sh\n" + script.toUtf8()) > 0);
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    [[nodiscard]] QByteArray read(const QString& name) const {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    XdgOpener opener{dir.filePath("xdg-open"), dir.filePath("xdg-mime")};
};

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

    void handedOverDetachedWithTheLinkVerbatim() {
        FakeDesktop desktop("teamspeak.desktop");
        const QString link = "teamspeak://h:1?nickname=a b?password=Pa55-grep-me";
        bool opened = false;
        desktop.opener.open("Open", link, [&](const Status& done) { opened = done.ok(); });
        QTRY_VERIFY(opened);
        QTRY_COMPARE(desktop.read("args"), "1\n" + link.toUtf8() + '\n');
        QTRY_COMPARE(desktop.read("streams"), QByteArray("/dev/null\n/dev/null\n/dev/null\n"));
        // xdg-open has ended; its child writes to stderr and lives on.
        QTRY_COMPARE_WITH_TIMEOUT(desktop.read("alive"), QByteArray("ok\n"), 5000);
        // An xdg-mime that cannot run cannot say no: the link goes to xdg-open.
        FakeDesktop broken("teamspeak.desktop");
        QFile mime(broken.dir.filePath("xdg-mime"));
        mime.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
        QVERIFY(mime.open(QIODevice::WriteOnly) && mime.write("#!/no/such/shell\n") > 0);
        mime.close();
        broken.opener.open("Open", link, [&](const Status& done) { opened = done.ok(); });
        QTRY_VERIFY(!broken.read("args").isEmpty());
    }

    void theRealDesktopDeliversLinksVerbatim() {
        // The real xdg-mime and xdg-open of a generic desktop, with a stand-in
        // client registered for teamspeak:// and a stand-in browser, in
        // folders of their own.
        QVERIFY2(!QStandardPaths::findExecutable("xdg-open").isEmpty(), "xdg-utils are needed");
        QTemporaryDir home;
        const auto write = [&](const QString& name, const QByteArray& text, bool program) {
            QVERIFY(QDir(home.path()).mkpath(QFileInfo(name).path()));
            QFile f(home.filePath(name));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
            f.setPermissions(program ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                     : QFileDevice::ReadOwner);
        };
        const QByteArray folder = QFile::encodeName(home.path());
        write("client", "#!/bin/sh\nprintf '%s' \"$1\" > " + folder + "/client.got\n", true);
        write("browser", "#!/bin/sh\nprintf '%s' \"$1\" > " + folder + "/browser.got\n", true);
        write("data/applications/fake-teamspeak.desktop",
              "[Desktop Entry]\nType=Application\nName=Fake TeamSpeak\nExec=" + folder +
                  "/client %u\nMimeType=x-scheme-handler/teamspeak;\n",
              false);
        write("config/mimeapps.list",
              "[Default Applications]\nx-scheme-handler/teamspeak=fake-teamspeak.desktop\n", false);
        for (const char* name : {"XDG_CURRENT_DESKTOP", "DESKTOP_SESSION", "KDE_FULL_SESSION",
                                 "GNOME_DESKTOP_SESSION_ID", "WAYLAND_DISPLAY"}) {
            qunsetenv(name);
        }
        qputenv("DISPLAY", ":0"); // a desktop is there, as far as xdg-open asks
        qputenv("XDG_DATA_HOME", folder + "/data");
        qputenv("XDG_CONFIG_HOME", folder + "/config");
        qputenv("XDG_DATA_DIRS", folder + "/none");
        qputenv("XDG_CONFIG_DIRS", folder + "/none");
        qputenv("BROWSER", folder + "/browser");
        XdgOpener opener;
        const QString link = QString::fromUtf8("teamspeak://h:1?nickname=a b \"q\" ?loginname=&#€"
                                               "?password=$x`y`'z");
        QString error = "not called";
        opener.open("Open", link, [&](const Status& done) { error = done.error(); });
        QTRY_COMPARE(error, QString());
        const auto got = [&](const char* name) {
            QFile f(home.filePath(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QTRY_COMPARE_WITH_TIMEOUT(got("client.got"), link.toUtf8(), 10000);
        // The homepage needs no registered handler: the browser opens it.
        error = "not called";
        client_link::fOpenHomepage(opener, [&](const Status& done) { error = done.error(); });
        QCOMPARE(error, QString());
        QTRY_COMPARE_WITH_TIMEOUT(got("browser.got"), QByteArray(client_link::kHomepage), 10000);
    }

    void noProgramRegisteredIsToldAtOnceWithoutThePassword() {
        FakeDesktop desktop({});
        QString error;
        desktop.opener.open("Open", "teamspeak://h:1?password=Pa55-grep-me",
                            [&](const Status& done) { error = done.error(); });
        QTRY_COMPARE(error, QStringLiteral("no program is registered for teamspeak:// links"));
        QVERIFY(desktop.read("args").isEmpty());
        XdgOpener missing("no-such-opener", "no-such-mime"); // a desktop without the xdg tools
        missing.open("Open", "teamspeak://h:1", [&](const Status& done) { error = done.error(); });
        QCOMPARE(error, QStringLiteral("no-such-opener was not found"));
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "test_launch.moc"
