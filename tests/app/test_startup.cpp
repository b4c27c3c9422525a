#include "app/Form1.h"
#include "app/StartupError.h"
#include "query/Refresh.h"
#include "store/FlexGrid.h"
#include "store/ServerDialogs.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

class TestStartup : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void loadFillsTheWindow();
    void programReportsAndEndsWithoutCreatingAFile();
    void popupOnRightClickOnly();
    void controlsAreNamedAndPlaced();
    void keyboardShortcuts();
};

void TestStartup::loadFillsTheWindow() {
    TempProgramFolder folder;
    folder.addServer(QStringLiteral("One"), QStringLiteral("h"), QStringLiteral("8767"),
                     QStringLiteral("51234"));
    Form1 form;
    form.Form_Load(folder.path());
    QCOMPARE(form.MSFlexGrid1->Rows(), 2);
    QCOMPARE(form.MSFlexGrid1->TextMatrix(1, 5), QStringLiteral("X"));
    QCOMPARE(form.Combo1->currentText(), QStringLiteral("1500"));
    QStringList entries;
    for (int i = 0; i < form.Combo1->count(); ++i) {
        entries << form.Combo1->itemText(i);
    }
    QCOMPARE(entries, QStringList({"500", "1000", "1500", "2000", "2500", "3000", "3500", "4000",
                                   "4500", "5000"}));
    QVERIFY(form.Timer1->isActive());
    QVERIFY(form.Timer1->isSingleShot());
    QCOMPARE(form.Timer1->interval(), 2000);
    QVERIFY(form.findChildren<QMenuBar*>().isEmpty());
    QVERIFY(!form.fSw->isVisible());
    QCOMPARE(form.MSFlexGrid1->ColWidth(1), 2700);
    QCOMPARE(form.MSFlexGrid1->ColWidth(0), 0);
    QCOMPARE(form.LPlayer->count(), 0);
    // A typed timeout stays as typed.
    form.Combo1->setEditText(QStringLiteral("1234"));
    QTest::keyClick(form.Combo1, Qt::Key_Return);
    QCOMPARE(form.Combo1->currentText(), QStringLiteral("1234"));
    QCOMPARE(form.Combo1->count(), 10);
    form.Form_Unload();
    QVERIFY(!mod_DB::dbTS);
}

void TestStartup::programReportsAndEndsWithoutCreatingAFile() {
    // The real program, copied into a folder without TS.mdb.
    QTemporaryDir dir;
    const QString program = dir.path() + QStringLiteral("/quarnel");
    QVERIFY(QFile::copy(QStringLiteral(QUARNEL_BINARY), program));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(program, {});
    QVERIFY(process.waitForStarted());
    QByteArray err;
    QDeadlineTimer deadline(20000);
    while (!err.contains('\n') && !deadline.hasExpired() && process.state() == QProcess::Running) {
        process.waitForReadyRead(200);
        err += process.readAllStandardError();
    }
    QVERIFY2(err.contains("Quarnel cannot start: Error 14: "), err.constData());
    // The box waits for the user; end the process from here.
    process.kill();
    process.waitForFinished();
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("quarnel")});
}

void TestStartup::popupOnRightClickOnly() {
    TempProgramFolder folder;
    folder.addServer(QStringLiteral("A"), {}, {}, {});
    folder.addServer(QStringLiteral("B"), {}, {}, {});
    Form1 form;
    form.Form_Load(folder.path());
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QWidget* cells = form.MSFlexGrid1->viewport();
    const int rowHeight = form.MSFlexGrid1->rowHeight(0);
    const QPoint first(30, rowHeight / 2);
    const QPoint second(30, rowHeight + rowHeight / 2);
    int popups = 0;
    connect(&form, &Form1::popupRequested, this, [&] { ++popups; });
    QTest::mouseClick(cells, Qt::LeftButton, {}, first);
    QCOMPARE(form.MSFlexGrid1->Row(), 1);
    QTest::mouseClick(cells, Qt::MiddleButton, {}, second);
    QCOMPARE(popups, 0);
    QTest::mousePress(cells, Qt::RightButton, {}, second);
    QCOMPARE(popups, 1);
    QTRY_VERIFY(form.fSw->isVisible());
    // The right click did not move the selection: the menu acts on row 1.
    QCOMPARE(form.MSFlexGrid1->Row(), 1);
    form.fSw->hide();
    // Also over empty space below the rows.
    QTest::mousePress(cells, Qt::RightButton, {}, QPoint(30, cells->height() - 5));
    QCOMPARE(popups, 2);
    form.fSw->hide();
}

void TestStartup::controlsAreNamedAndPlaced() {
    Form1 form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Quarnel"));
    QCOMPARE(form.size(), QSize(572, 541));
    QCOMPARE(form.Text3->echoMode(), QLineEdit::Password);
    const QStringList names{"MSFlexGrid1", "Command1", "Command2", "Command3", "Command4",
                            "Command5",    "Command6", "Command7", "Image1",   "LPlayer",
                            "Text1",       "Text2",    "Text3",    "Combo1"};
    for (const QString& name : names) {
        auto* widget = form.findChild<QWidget*>(name);
        QVERIFY2(widget != nullptr, qPrintable(name));
        QVERIFY2(!widget->accessibleName().isEmpty(), qPrintable(name));
    }
    QCOMPARE(form.Text1->accessibleName(), QStringLiteral("Nickname"));
    QCOMPARE(form.Combo1->accessibleName(), QStringLiteral("Timeout (ms)"));
    QVERIFY(!form.windowIcon().isNull());
    // Focus order: LPlayer, grid, Refresh, Delete, Add, QUIT, Connect, timeouts, boxes, Save, Edit.
    QWidget* w = form.LPlayer;
    QStringList order;
    for (int i = 0; i < 13; ++i) {
        order << w->objectName();
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w->parentWidget() != &form) {
            w = w->nextInFocusChain();
        }
    }
    QCOMPARE(order, QStringList({"LPlayer", "MSFlexGrid1", "Command2", "Command3", "Command4",
                                 "Command1", "Command5", "Combo1", "Text1", "Text2", "Text3",
                                 "Command6", "Command7"}));
}

void TestStartup::keyboardShortcuts() {
    TempProgramFolder folder;
    folder.addServer(QStringLiteral("A"), QStringLiteral("127.0.0.1"), QStringLiteral("1"),
                     QString::number(closedPort()));
    folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'nick', '', '')"));
    Form1 form;
    form.Form_Load(folder.path());
    form.Timer1->stop();
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    // Enter on a row lists it like a click (its login settings show at once).
    form.MSFlexGrid1->setFocus();
    form.MSFlexGrid1->setRow(1);
    QTest::keyClick(form.MSFlexGrid1, Qt::Key_Return);
    QCOMPARE(form.Text1->text(), QStringLiteral("nick"));
    // F5 refreshes (which empties the login boxes first).
    QTest::keyClick(&form, Qt::Key_F5);
    QCOMPARE(form.Text1->text(), QString());
    QTRY_VERIFY(!form.refresh()->running());
    // Delete on the grid asks about the selected server.
    form.MSFlexGrid1->setFocus();
    form.MSFlexGrid1->setRow(1);
    auto box = answerNextMessageBox(QMessageBox::No);
    QTest::keyClick(form.MSFlexGrid1, Qt::Key_Delete);
    QTRY_VERIFY(box->seen);
    QCOMPARE(box->title, QStringLiteral("Delete this server"));
    // ... but in a text box it deletes a character.
    form.Text1->setText(QStringLiteral("ab"));
    form.Text1->setFocus();
    form.Text1->setCursorPosition(0);
    QTest::keyClick(form.Text1, Qt::Key_Delete);
    QCOMPARE(form.Text1->text(), QStringLiteral("b"));
    // Ctrl+N adds a server.
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.MSFlexGrid1->setFocus();
    QTest::keyClick(form.MSFlexGrid1, Qt::Key_N, Qt::ControlModifier);
    QVERIFY(form.addDialog() != nullptr);
    QVERIFY(form.addDialog()->isVisible());
}

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
