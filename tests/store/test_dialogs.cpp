// The add and edit dialogs and the delete question, driven through the real window.
#include "app/Form1.h"
#include "store/FlexGrid.h"
#include "store/ServerDialogs.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

namespace {

struct Window {
    TempProgramFolder folder;
    std::unique_ptr<Form1> form;

    void open() {
        form = std::make_unique<Form1>();
        form->Form_Load(folder.path());
        form->Timer1->stop(); // no refresh in these tests
    }
    void select(int row) { form->MSFlexGrid1->setRow(row); }
    [[nodiscard]] QString cell(int row, int col) const {
        return form->MSFlexGrid1->TextMatrix(row, col);
    }
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void addWithUntouchedBoxes();
    void addKeepsTypedTextUntilDoneOrCancelled();
    void editRefillsAndSavesOnlyThatServer();
    void editShowsNullsAsEmptyAndCancelKeepsCounts();
    void deleteAsksExactlyAndRespectsNo();
    void nothingSelectedDoesNothing();
    void saveForAServerDeletedMeanwhile();
    void refusedWritesKeepTheDialogAndTheData();
    void menuItemsRunTheButtonsCode();
};

void TestDialogs::addWithUntouchedBoxes() {
    Window w;
    w.open();
    w.form->Command4->click();
    Frm_AddSrv* add = w.form->addDialog();
    QVERIFY(add && add->isVisible());
    QCOMPARE(add->parentWidget(), w.form.get());
    QVERIFY(!add->isModal());
    QCOMPARE(add->windowTitle(), QStringLiteral("Add a Server"));
    QCOMPARE(add->Text4->text(), QStringLiteral("51234"));
    add->Command2->click();
    QVERIFY(!add->isVisible());
    QCOMPARE(w.form->MSFlexGrid1->Rows(), 2);
    QCOMPARE(w.cell(1, 1), QString());
    QCOMPARE(w.cell(1, 4), QStringLiteral("51234"));
    QCOMPARE(w.cell(1, 5), QStringLiteral("X"));
    QCOMPARE(w.folder.rows(QStringLiteral("SELECT * FROM tbl_Srv")),
             QStringList{QStringLiteral("1||||51234")});
}

void TestDialogs::addKeepsTypedTextUntilDoneOrCancelled() {
    Window w;
    w.folder.addServer(QStringLiteral("A"), QStringLiteral("h"), QStringLiteral("1"),
                       QStringLiteral("2"));
    w.open();
    w.form->Command4_Click();
    Frm_AddSrv* add = w.form->addDialog();
    QTest::keyClicks(add->Text1, QStringLiteral("My server"));
    add->Text3->setText(QStringLiteral("not a port"));
    // Work in the main window meanwhile, then bring the dialog forward again.
    w.select(1);
    w.form->Command4_Click();
    QCOMPARE(add->Text1->text(), QStringLiteral("My server"));
    add->Command1->click(); // CANCEL
    QVERIFY(!add->isVisible());
    w.form->Command4_Click();
    QCOMPARE(add->Text1->text(), QString());
    QCOMPARE(add->Text3->text(), QString());
    QCOMPARE(add->Text4->text(), QStringLiteral("51234"));
    // Closed from its frame: fresh next time, nothing stored.
    add->Text2->setText(QStringLiteral("typed"));
    add->close();
    w.form->Command4_Click();
    QCOMPARE(add->Text2->text(), QString());
    add->Text2->setText(QStringLiteral("typed"));
    QTest::keyClick(add, Qt::Key_Escape);
    QVERIFY(!add->isVisible());
    w.form->Command4_Click();
    QCOMPARE(add->Text2->text(), QString());
    // Typed values are stored exactly, unchecked.
    add->Text1->setText(QStringLiteral(" Spaces "));
    add->Text3->setText(QStringLiteral("abc"));
    add->Command2->click();
    QCOMPARE(w.folder.rows(QStringLiteral("SELECT ServerName, Port FROM tbl_Srv WHERE ID = 2")),
             QStringList{QStringLiteral(" Spaces |abc")});
    QCOMPARE(w.form->MSFlexGrid1->Rows(), 3);
}

void TestDialogs::editRefillsAndSavesOnlyThatServer() {
    Window w;
    w.folder.addServer(QStringLiteral("One"), QStringLiteral("h1"), QStringLiteral("1"),
                       QStringLiteral("11"));
    w.folder.addServer(QStringLiteral("Two"), QStringLiteral("h2"), QStringLiteral("2"),
                       QStringLiteral("22"));
    w.open();
    w.select(1);
    w.form->Command7->click();
    Form2* edit = w.form->editDialog();
    QVERIFY(edit && edit->isVisible());
    QCOMPARE(edit->windowTitle(), QStringLiteral("Change Server data"));
    QCOMPARE(edit->Sname->text(), QStringLiteral("One"));
    QCOMPARE(edit->SID->text(), QStringLiteral("1"));
    QVERIFY(!edit->SID->isVisible());
    edit->SIP->setText(QStringLiteral("scribble"));
    w.select(2);
    w.form->Command7_Click();
    QCOMPARE(edit->SID->text(), QStringLiteral("2"));
    QCOMPARE(edit->Sname->text(), QStringLiteral("Two"));
    QCOMPARE(edit->SIP->text(), QStringLiteral("h2"));
    QCOMPARE(edit->SPort->text(), QStringLiteral("2"));
    QCOMPARE(edit->STCP->text(), QStringLiteral("22"));
    edit->SIP->setText(QStringLiteral("new.host"));
    w.form->MSFlexGrid1->setTextMatrix(1, 5, QStringLiteral("4"));
    edit->Command1->click();
    QVERIFY(!edit->isVisible());
    QCOMPARE(w.folder.rows(QStringLiteral("SELECT * FROM tbl_Srv")),
             QStringList({QStringLiteral("1|One|h1|1|11"), QStringLiteral("2|Two|new.host|2|22")}));
    QCOMPARE(w.cell(2, 2), QStringLiteral("new.host"));
    QCOMPARE(w.cell(1, 5), QStringLiteral("X"));             // the reload resets counts
    QCOMPARE(edit->SIP->text(), QStringLiteral("new.host")); // boxes keep their texts
}

void TestDialogs::editShowsNullsAsEmptyAndCancelKeepsCounts() {
    Window w;
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Srv VALUES (4, NULL, 'h', NULL, NULL)"));
    w.open();
    w.form->MSFlexGrid1->setTextMatrix(1, 5, QStringLiteral("3"));
    w.select(1);
    w.form->Command7_Click();
    Form2* edit = w.form->editDialog();
    QCOMPARE(edit->Sname->text(), QString());
    QCOMPARE(edit->SPort->text(), QString());
    edit->Command2->click(); // CANCEL
    QVERIFY(!edit->isVisible());
    QCOMPARE(w.cell(1, 5), QStringLiteral("3"));
    QCOMPARE(w.folder.rows(QStringLiteral("SELECT * FROM tbl_Srv")),
             QStringList{QStringLiteral("4|<null>|h|<null>|<null>")});
    w.form->Command7_Click();
    edit->Command1->click();
    QCOMPARE(w.folder.rows(QStringLiteral("SELECT * FROM tbl_Srv")),
             QStringList{QStringLiteral("4||h||")});
}

void TestDialogs::deleteAsksExactlyAndRespectsNo() {
    Window w;
    w.folder.addServer(QStringLiteral("Clan"), QStringLiteral("ts.example.net"),
                       QStringLiteral("8767"), QStringLiteral("51234"));
    w.folder.addServer(QStringLiteral("Other"), QStringLiteral("h"), QStringLiteral("1"),
                       QStringLiteral("2"));
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'n', 'l', 'p')"));
    w.open();
    w.select(1);
    auto no = answerNextMessageBox(QMessageBox::No);
    w.form->Command3->click();
    QVERIFY(no->seen);
    QCOMPARE(no->title, QStringLiteral("Delete this server"));
    QCOMPARE(no->text, QStringLiteral("Delete Server\r\nClan  ts.example.net:8767?"));
    QCOMPARE(no->defaultButton, QMessageBox::Yes);
    QCOMPARE(no->icon, QMessageBox::NoIcon);
    QCOMPARE(no->buttons.size(), 2);
    QCOMPARE(w.form->MSFlexGrid1->Rows(), 3);

    auto yes = answerNextMessageBox(QMessageBox::Yes);
    w.form->Command3_Click();
    QVERIFY(yes->seen);
    QCOMPARE(w.form->MSFlexGrid1->Rows(), 2);
    QCOMPARE(w.cell(1, 1), QStringLiteral("Other"));
    QCOMPARE(w.folder.rows(QStringLiteral("SELECT * FROM tbl_Userdata")),
             QStringList{QStringLiteral("1|n|l|p")});
}

void TestDialogs::nothingSelectedDoesNothing() {
    Window w;
    w.folder.addServer(QStringLiteral("A"), {}, {}, {});
    w.open();
    QCOMPARE(w.form->MSFlexGrid1->Row(), 0);
    auto box = answerNextMessageBox(QMessageBox::Yes);
    w.form->Command3_Click();
    w.form->Command7_Click();
    QTest::qWait(50);
    QVERIFY(!box->seen);
    forgetPendingAnswers();
    QVERIFY(w.form->editDialog() == nullptr);
    QCOMPARE(w.form->MSFlexGrid1->Rows(), 2);
}

void TestDialogs::saveForAServerDeletedMeanwhile() {
    Window w;
    w.folder.addServer(QStringLiteral("A"), QStringLiteral("h"), {}, {});
    w.folder.addServer(QStringLiteral("B"), QStringLiteral("h"), {}, {});
    w.open();
    w.select(1);
    w.form->Command7_Click();
    w.select(1);
    answerNextMessageBox(QMessageBox::Yes);
    w.form->Command3_Click(); // delete server 1 while its edit dialog is open
    Form2* edit = w.form->editDialog();
    edit->Sname->setText(QStringLiteral("changed"));
    auto told = answerNextMessageBox(QMessageBox::Ok);
    edit->Command1->click();
    QVERIFY(told->seen);
    QVERIFY(told->text.contains(QStringLiteral("no longer in the list")));
    QCOMPARE(w.folder.rows(QStringLiteral("SELECT ServerName FROM tbl_Srv")),
             QStringList{QStringLiteral("B")});
    QCOMPARE(w.form->MSFlexGrid1->Rows(), 2);
}

void TestDialogs::refusedWritesKeepTheDialogAndTheData() {
    Window w;
    w.folder.addServer(QStringLiteral("A"), QStringLiteral("h"), QStringLiteral("1"),
                       QStringLiteral("2"));
    w.folder.exec(QStringLiteral("CREATE TRIGGER no_insert BEFORE INSERT ON tbl_Srv BEGIN SELECT "
                                 "RAISE(ABORT, 'disk full'); END"));
    w.folder.exec(QStringLiteral("CREATE TRIGGER no_update BEFORE UPDATE ON tbl_Srv BEGIN SELECT "
                                 "RAISE(ABORT, 'disk full'); END"));
    w.folder.exec(QStringLiteral("CREATE TRIGGER no_delete BEFORE DELETE ON tbl_Srv BEGIN SELECT "
                                 "RAISE(ABORT, 'disk full'); END"));
    w.open();
    w.form->MSFlexGrid1->setTextMatrix(1, 5, QStringLiteral("7"));
    w.form->Command4_Click();
    Frm_AddSrv* add = w.form->addDialog();
    add->Text1->setText(QStringLiteral("typed name"));
    auto addError = answerNextMessageBox(QMessageBox::Ok);
    add->Command2->click();
    QVERIFY(addError->seen);
    QVERIFY(addError->text.contains(QStringLiteral("could not be added")));
    QVERIFY(addError->text.contains(QStringLiteral("disk full")));
    QVERIFY(add->isVisible());
    QCOMPARE(add->Text1->text(), QStringLiteral("typed name"));

    w.select(1);
    w.form->Command7_Click();
    Form2* edit = w.form->editDialog();
    edit->SIP->setText(QStringLiteral("typed host"));
    auto editError = answerNextMessageBox(QMessageBox::Ok);
    edit->Command1->click();
    QVERIFY(editError->seen);
    QVERIFY(edit->isVisible());
    QCOMPARE(edit->SIP->text(), QStringLiteral("typed host"));

    answerNextMessageBox(QMessageBox::Yes);
    auto deleteError = answerNextMessageBox(QMessageBox::Ok);
    w.form->Command3_Click();
    QTRY_VERIFY(deleteError->seen);
    QCOMPARE(w.folder.rows(QStringLiteral("SELECT * FROM tbl_Srv")),
             QStringList{QStringLiteral("1|A|h|1|2")});
    QCOMPARE(w.cell(1, 5), QStringLiteral("7"));
}

void TestDialogs::menuItemsRunTheButtonsCode() {
    Window w;
    w.folder.addServer(QStringLiteral("A"), QStringLiteral("h"), QStringLiteral("1"),
                       QStringLiteral("2"));
    w.open();
    w.select(1);
    w.form->fEditSrvFromMenue->trigger();
    QVERIFY(w.form->editDialog()->isVisible());
    QCOMPARE(w.form->editDialog()->Sname->text(), QStringLiteral("A"));
    w.form->fAddSrvFromMenue->trigger();
    QVERIFY(w.form->addDialog()->isVisible());
    auto box = answerNextMessageBox(QMessageBox::No);
    w.form->fDelSrvFromMenue->trigger();
    QVERIFY(box->seen);
    QCOMPARE(box->text, QStringLiteral("Delete Server\r\nA  h:1?"));
}

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
