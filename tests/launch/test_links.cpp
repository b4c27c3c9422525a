// The client link, the homepage link and how they reach the desktop.
#include "app/Form1.h"
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "store/FlexGrid.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>
#include <QtTest>

namespace {

// Stands in for the desktop: records what it was handed.
class Recorder : public LinkOpener {
  public:
    struct Call {
        QString verb;
        QString link;
    };
    std::shared_ptr<QList<Call>> calls = std::make_shared<QList<Call>>();
    bool accept = true;
    void open(const QString& verb, const QString& link, Done done) override {
        calls->append({verb, link});
        done(accept, accept ? QString() : QStringLiteral("no handler"));
    }
};

// A fake xdg-open first on PATH that writes its arguments, one per file.
class FakeXdgOpen {
  public:
    explicit FakeXdgOpen(int exitCode = 0) {
        const QString script = m_dir.path() + QStringLiteral("/xdg-open");
        QFile file(script);
        file.open(QIODevice::WriteOnly);
        file.write("#!/bin/sh\nprintf '%s' \"$#\" > \"$(dirname \"$0\")/count\"\n"
                   "printf '%s' \"$1\" > \"$(dirname \"$0\")/arg1\"\nexit " +
                   QByteArray::number(exitCode) + "\n");
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                            QFileDevice::ExeOwner);
        m_oldPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_dir.path()) + ':' + m_oldPath);
    }
    ~FakeXdgOpen() { qputenv("PATH", m_oldPath); }
    FakeXdgOpen(const FakeXdgOpen&) = delete;
    FakeXdgOpen& operator=(const FakeXdgOpen&) = delete;
    [[nodiscard]] QByteArray read(const char* name) const {
        QFile file(m_dir.path() + QLatin1Char('/') + QLatin1String(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }

  private:
    QTemporaryDir m_dir;
    QByteArray m_oldPath;
};

// The window on one stored server, with a recorder in place of the desktop.
struct Window {
    TempProgramFolder folder;
    Form1 form;
    std::shared_ptr<QList<Recorder::Call>> calls;

    explicit Window(bool accept = true) {
        folder.addServer(QStringLiteral("A"), QStringLiteral("ts.example.net"),
                         QStringLiteral("8767"), QStringLiteral("51234"));
        form.Form_Load(folder.path());
        form.Timer1->stop();
        auto recorder = std::make_unique<Recorder>();
        recorder->accept = accept;
        calls = recorder->calls;
        form.setLinkOpener(std::move(recorder));
    }
};

} // namespace

class TestLinks : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void linkText_data();
    void linkText();
    void connectHandsTheSelectedRowsLink();
    void connectWithoutServerDoesNothing();
    void logoOpensTheHomepage();
    void refusedLinkIsReported();
    void xdgOpenGetsTheLinkAsOneArgument();
    void xdgOpenFailureIsReported();
};

void TestLinks::linkText_data() {
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("link");
    QTest::newRow("all empty") << QStringList{"", "", ""} << "teamspeak://h:8767";
    QTest::newRow("password only") << QStringList{"", "", "pw"} << "teamspeak://h:8767?password=pw";
    QTest::newRow("no nickname") << QStringList{"", "log", "pw"}
                                 << "teamspeak://h:8767?loginname=log?password=pw";
    QTest::newRow("all three") << QStringList{"Nick", "log", "pw"}
                               << "teamspeak://h:8767?nickname=Nick?loginname=log?password=pw";
    QTest::newRow("spaces only count")
        << QStringList{"  ", "", ""} << "teamspeak://h:8767?nickname=  ";
    QTest::newRow("separators unescaped")
        << QStringList{"a?b&c=d e", "", ""} << "teamspeak://h:8767?nickname=a?b&c=d e";
}

void TestLinks::linkText() {
    QFETCH(QStringList, boxes);
    QFETCH(QString, link);
    QCOMPARE(client_link::build(QStringLiteral("h"), QStringLiteral("8767"), boxes[0], boxes[1],
                                boxes[2]),
             link);
}

void TestLinks::connectHandsTheSelectedRowsLink() {
    Window w;
    w.form.MSFlexGrid1->setRow(1);
    w.form.Text1->setText(QStringLiteral("typed, never saved"));
    w.form.Text3->setText(QStringLiteral("$(rm -rf ~);`x`'\""));
    w.form.Command5->click();
    QCOMPARE(w.calls->size(), 1);
    QCOMPARE(w.calls->at(0).verb, QStringLiteral("Open"));
    // The voice port, never the query port; values as typed.
    QCOMPARE(w.calls->at(0).link,
             QStringLiteral("teamspeak://ts.example.net:8767?nickname=typed, never saved"
                            "?password=$(rm -rf ~);`x`'\""));
}

void TestLinks::connectWithoutServerDoesNothing() {
    Window w;
    QCOMPARE(w.form.MSFlexGrid1->Row(), 0);
    w.form.Command5_Click();
    QVERIFY(w.calls->isEmpty());
}

void TestLinks::logoOpensTheHomepage() {
    Window w;
    w.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w.form));
    QTest::mouseClick(w.form.Image1, Qt::LeftButton);
    QCOMPARE(w.calls->size(), 1);
    QCOMPARE(w.calls->at(0).verb, QStringLiteral("open"));
    QCOMPARE(w.calls->at(0).link, QLatin1String(client_link::kHomepage));
}

void TestLinks::refusedLinkIsReported() {
    Window w(false);
    w.form.MSFlexGrid1->setRow(1);
    auto box = answerNextMessageBox(QMessageBox::Ok);
    w.form.Command5_Click();
    QTRY_VERIFY(box->seen);
    QVERIFY(box->text.contains(QStringLiteral("no program is registered for teamspeak:// links")));
}

void TestLinks::xdgOpenGetsTheLinkAsOneArgument() {
    FakeXdgOpen fake;
    XdgOpener opener;
    const QString link =
        QStringLiteral("teamspeak://h:1?nickname=a b;$(touch /tmp/x)`id`'\"?password=\u00e9");
    bool reported = false;
    bool opened = false;
    opener.open(QStringLiteral("Open"), link, [&](bool ok, const QString&) {
        reported = true;
        opened = ok;
    });
    QTRY_VERIFY_WITH_TIMEOUT(reported, 10000);
    QVERIFY(opened);
    QCOMPARE(fake.read("count"), QByteArray("1"));
    QCOMPARE(fake.read("arg1"), link.toUtf8());
}

void TestLinks::xdgOpenFailureIsReported() {
    FakeXdgOpen fake(3);
    XdgOpener opener;
    std::optional<bool> opened;
    opener.open(QStringLiteral("Open"), QStringLiteral("teamspeak://h:1"),
                [&](bool ok, const QString&) { opened = ok; });
    QTRY_VERIFY_WITH_TIMEOUT(opened.has_value(), 10000);
    QVERIFY(!*opened);

    XdgOpener missing(QStringLiteral("no-such-opener-program"));
    std::optional<bool> none;
    missing.open(QStringLiteral("open"), QStringLiteral("https://x"),
                 [&](bool ok, const QString&) { none = ok; });
    QVERIFY(none.has_value() && !*none);
}

QTEST_MAIN(TestLinks)
#include "test_links.moc"
