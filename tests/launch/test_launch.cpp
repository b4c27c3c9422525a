// The client link and the save question as texts, and the hand-over to the
// desktop through stand-ins for xdg-mime and xdg-open on PATH.
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "launch/mod_Userdata.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

namespace {

const QString kPassword = QStringLiteral("Pa55-grep-me");

// xdg-mime answers `handler` (nothing: no program registered); xdg-open
// writes its arguments to "args" and leaves a child that writes to stderr
// after xdg-open has ended, then leaves "alive" behind.
struct FakeDesktop {
    explicit FakeDesktop(const QString& handler) : oldPath(qgetenv("PATH")) {
        write("xdg-mime", "#!/bin/sh\n[ -n \"" + handler.toUtf8() + "\" ] && echo " +
                              handler.toUtf8() + "\nexit 0\n");
        write("xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > \"" + file("args") +
                              "\"\n(sleep 0.3; echo \"$1\" >&2; echo ok > \"" + file("alive") +
                              "\") &\nexit 0\n");
        qputenv("PATH", dir.path().toUtf8() + ':' + oldPath);
    }
    ~FakeDesktop() { qputenv("PATH", oldPath); }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;
    [[nodiscard]] QByteArray file(const char* name) const {
        return dir.filePath(QLatin1String(name)).toUtf8();
    }
    void write(const char* name, const QByteArray& script) const {
        QFile f(QString::fromUtf8(file(name)));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(script);
        f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
    [[nodiscard]] QByteArray read(const char* name) const {
        QFile f(QString::fromUtf8(file(name)));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    QTemporaryDir dir;
    QByteArray oldPath;
};

} // namespace

class TestLaunch : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void clientLink_data();
    void clientLink();
    void saveQuestion_data();
    void saveQuestion();
    void handedOverDetachedWithTheLinkVerbatim();
    void noProgramRegisteredIsToldAtOnceWithoutThePassword();
};

void TestLaunch::clientLink_data() {
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("link");
    QTest::newRow("no boxes") << QStringList{"", "", ""} << "teamspeak://h:8767";
    QTest::newRow("password only") << QStringList{"", "", "pw"} << "teamspeak://h:8767?password=pw";
    QTest::newRow("no nickname") << QStringList{"", "l", "p"}
                                 << "teamspeak://h:8767?loginname=l?password=p";
    QTest::newRow("as they stand") << QStringList{" ", "a&b=c?", "p w"}
                                   << "teamspeak://h:8767?nickname= ?loginname=a&b=c??password=p w";
}

void TestLaunch::clientLink() {
    QFETCH(QStringList, boxes);
    QFETCH(QString, link);
    QCOMPARE(client_link::build(QStringLiteral("h"), QStringLiteral("8767"), boxes[0], boxes[1],
                                boxes[2]),
             link);
}

void TestLaunch::saveQuestion_data() {
    QTest::addColumn<bool>("found");
    QTest::addColumn<QString>("question");
    QTest::newRow("save") << false
                          << "Do you want to save the Usersettings\r\nNickname||LoginName||"
                             "Password\r\nn||a||b||*** ?";
    QTest::newRow("replace") << true
                             << "Do you want to replace the current Usersettings\r\n"
                                "Nickname||LoginName||Password\r\nold||ol||\r\nwith\r\n"
                                "Nickname||LoginName||Password\r\nn||a||b||*** ?";
}

void TestLaunch::saveQuestion() {
    QFETCH(bool, found);
    QFETCH(QString, question);
    const UserData stored{"old", "ol", "", found};
    const UserData entered{"n", "a||b", "p\r\n", false};
    QCOMPARE(mod_Userdata::saveQuestion(stored, entered), question);
}

void TestLaunch::handedOverDetachedWithTheLinkVerbatim() {
    FakeDesktop desktop(QStringLiteral("teamspeak.desktop"));
    XdgOpener opener;
    const QString link = QStringLiteral("teamspeak://h:1?nickname=a b?password=") + kPassword;
    bool opened = false;
    opener.open(QStringLiteral("Open"), link,
                [&](bool ok, const QString& why) { opened = ok && why.isEmpty(); });
    QTRY_VERIFY(opened);
    QTRY_COMPARE(desktop.read("args"), "1\n" + link.toUtf8() + '\n');
    // xdg-open has ended; its child writes to stderr and lives on.
    QTRY_COMPARE_WITH_TIMEOUT(desktop.read("alive"), QByteArray("ok\n"), 5000);
}

void TestLaunch::noProgramRegisteredIsToldAtOnceWithoutThePassword() {
    FakeDesktop desktop({});
    MessageBox::recordFromNowOn();
    TempFolder folder;
    folder.exec(
        QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP, Port) VALUES ('A', 'h', '1')"));
    Form1 form;
    QVERIFY(form.Form_Load(folder.path()));
    form.grid().setRow(1);
    form.findChild<QLineEdit*>(QStringLiteral("Text3"))->setText(kPassword);
    form.findChild<QToolButton*>(QStringLiteral("Command5"))->click();
    QTRY_COMPARE(MessageBox::recorded().size(), 1);
    QCOMPARE(MessageBox::recorded().first().text,
             QStringLiteral("The TeamSpeak client could not be started: no program is registered "
                            "for teamspeak:// links."));
    QVERIFY(desktop.read("args").isEmpty());
}

QTEST_MAIN(TestLaunch)
#include "test_launch.moc"
