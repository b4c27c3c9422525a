// SPDX-License-Identifier: MIT
// The client link as a text, and the hand-over to
// xdg-mime and xdg-open as separate programs.
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "support/TestSupport.h"

#include <QtTest>

namespace {

// Stand-ins for xdg-mime and xdg-open in a temporary folder. The opener writes
// its argument to "link", its streams to "streams" and, from a child that
// outlives it, "alive"; xdg-mime its stderr to "mime-stderr". `registered` says
// whether xdg-mime names a handler.
struct Tools {
    explicit Tools(bool registered)
        : opener(script("open", "printf '%s' \"$1\" > link\n"
                                "fds=$(readlink /proc/$$/fd/0 /proc/$$/fd/1 /proc/$$/fd/2)\n"
                                "echo \"$fds\" > streams\n"
                                "(sleep 0.3; echo ok > alive) &\n")),
          mime(script("mime", "readlink /proc/$$/fd/2 > mime-stderr\n" +
                                  QByteArray(registered ? "[ \"$*\" = 'query default "
                                                          "x-scheme-handler/teamspeak' ]"
                                                          " && echo client.desktop\n"
                                                        : ""))) {}
    QString script(const QString& name, const QByteArray& body,
                   const QByteArray& shell = "/bin/sh") const {
        QFile f(dir.filePath(name));
        if (!f.open(QIODevice::WriteOnly) ||
            f.write("#!" + shell + "\ncd '" + QFile::encodeName(dir.path()) + "'\n" + body) < 0) {
            qFatal("cannot write %s", qPrintable(f.fileName()));
        }
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return f.fileName();
    }
    [[nodiscard]] QByteArray read(const QString& name) const {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Hands the link over; what the opener reported (empty: taken).
    QString open(const QString& link, XdgOpener& xdg) {
        QString error = "-";
        xdg.open("Open", link, [&](const Status& done) { error = done.error(); });
        return QTest::qWaitFor([&] { return error != "-"; }, 5000) ? error : "no answer";
    }
    QTemporaryDir dir;
    QString opener;
    QString mime;
};

const QString kLink = QString::fromUtf8("teamspeak://h:1?nickname=a b \"q\" ?loginname=&#€"
                                        "?password=$x`y`'Pa55-grep-me");

} // namespace

class TestLaunch : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void clientLink() {
        const auto link = [](const QString& nickname, const QString& login, const QString& pw) {
            return client_link::build({1, "name", "h", "8767", "51234"}, {nickname, login, pw, {}});
        };
        QCOMPARE(link("", "", ""), "teamspeak://h:8767");
        QCOMPARE(link("", "", "pw"), "teamspeak://h:8767?password=pw");
        QCOMPARE(link("", "l", ""), "teamspeak://h:8767?loginname=l");
        QCOMPARE(link(" ", "a&b=c?", "p w"), // values as they stand
                 "teamspeak://h:8767?nickname= ?loginname=a&b=c??password=p w");
    }

    void anIpv6AddressGoesInBrackets() {
        const auto link = [](const QString& host) {
            return client_link::build({1, "name", host, "8767", "51234"}, {});
        };
        QCOMPARE(link("::1"), "teamspeak://[::1]:8767");
        QCOMPARE(link("[::1]"), "teamspeak://[::1]:8767"); // typed in brackets already
        QCOMPARE(link("127.0.0.1"), "teamspeak://127.0.0.1:8767");
    }

    void startedDetached() {
        Tools tools(true);
        XdgOpener xdg(tools.opener, tools.mime);
        // This test's own input is a file, so an input handed on would show.
        StreamToFile input(STDIN_FILENO);
        const QString opened = tools.open(kLink, xdg);
        input.restore();
        QCOMPARE(opened, QString());
        QTRY_COMPARE(tools.read("link"), kLink.toUtf8());
        // Their output goes nowhere, not into the terminal Quarnel was started from.
        QTRY_COMPARE(tools.read("streams"), QByteArray("/dev/null\n/dev/null\n/dev/null\n"));
        QCOMPARE(tools.read("mime-stderr"), QByteArray("/dev/null\n"));
        QTRY_VERIFY(xdg.findChildren<QProcess*>().isEmpty()); // no process kept per link
        // The opener has ended; what it started lives on.
        QTRY_COMPARE_WITH_TIMEOUT(tools.read("alive"), QByteArray("ok\n"), 5000);
    }

    void whatCannotBeHandedOverIsTold() {
        Tools tools(false);
        XdgOpener unregistered(tools.opener, tools.mime);
        QCOMPARE(tools.open(kLink, unregistered),
                 "no program is registered for teamspeak:// links");
        QVERIFY(tools.read("link").isEmpty());
        QCOMPARE(tools.open("https://127.0.0.1/", unregistered), QString()); // a page opens anyway
        XdgOpener missing("no-such-opener", "no-such-mime"); // a desktop without the xdg tools
        QCOMPARE(tools.open(kLink, missing), "no-such-opener was not found");
        // An xdg-mime that cannot run cannot say no; an xdg-open that cannot run is told.
        const QString broken = tools.script("broken", {}, "/no/such/shell");
        XdgOpener brokenTools(broken, broken);
        QCOMPARE(tools.open(kLink, brokenTools), broken + " could not be started");
        QTRY_VERIFY(brokenTools.findChildren<QProcess*>().isEmpty()); // nor one that failed
    }
};

QTEST_GUILESS_MAIN(TestLaunch)
#include "test_launch.moc"
