// Login settings per server: the stored row, the question, the save.
#include "app/Form1.h"
#include "launch/mod_Userdata.h"
#include "store/FlexGrid.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

struct Window {
    TempProgramFolder folder;
    std::unique_ptr<Form1> form;

    Window() {
        folder.addServer(QStringLiteral("A"), QStringLiteral("h"), QStringLiteral("1"),
                         QStringLiteral("2"));
        folder.addServer(QStringLiteral("B"), QStringLiteral("h"), QStringLiteral("1"),
                         QStringLiteral("2"));
    }
    void open() {
        form = std::make_unique<Form1>();
        form->Form_Load(folder.path());
        form->Timer1->stop();
    }
    void type(const QString& nick, const QString& login, const QString& password) const {
        form->Text1->setText(nick);
        form->Text2->setText(login);
        form->Text3->setText(password);
    }
    [[nodiscard]] QStringList stored() const {
        return folder.rows(QStringLiteral("SELECT * FROM tbl_Userdata ORDER BY rowid"));
    }
};

UserData settings(const QString& nick, const QString& login, const QString& password, bool found) {
    UserData u;
    u.Nickname = nick;
    u.LoginName = login;
    u.Password = password;
    u.Found = found;
    return u;
}

} // namespace

class TestUserdata : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void questionTexts();
    void saveAddsOnceThenEdits();
    void firstOfSeveralRowsIsShownAndEdited();
    void nullFieldsAreFoundWithEmptyTexts();
    void noChangesNothing();
    void idIsTakenAtTheClick();
    void selectingAServerFillsOrEmptiesTheBoxes();
    void nothingSelectedDoesNothing();
    void refusedSaveKeepsTheBoxes();
    void readFailureIsNotFound();
};

void TestUserdata::questionTexts() {
    const UserData none;
    QCOMPARE(
        mod_Userdata::saveQuestion(none, settings("Nick", "login", "secret", false)),
        QStringLiteral("Do you want to save the Usersettings\r\nNickname||LoginName||Password\r\n"
                       "Nick||login||****** ?"));
    QCOMPARE(
        mod_Userdata::saveQuestion(settings("Old", "ol", "1234", true),
                                   settings("New", "", "", false)),
        QStringLiteral(
            "Do you want to replace the current Usersettings\r\nNickname||LoginName||Password\r\n"
            "Old||ol||****\r\nwith\r\nNickname||LoginName||Password\r\nNew|||| ?"));
    // Values go in as they stand: separators, tabs and line breaks included.
    QCOMPARE(
        mod_Userdata::saveQuestion(none, settings("a||b", "t\tab", "x\r\ny", false)),
        QStringLiteral("Do you want to save the Usersettings\r\nNickname||LoginName||Password\r\n"
                       "a||b||t\tab||**** ?"));
}

void TestUserdata::saveAddsOnceThenEdits() {
    Window w;
    w.open();
    w.form->MSFlexGrid1->setRow(2);
    w.type(QStringLiteral("Nick"), QStringLiteral("login"), QStringLiteral("pw"));
    auto first = answerNextMessageBox(QMessageBox::Yes);
    w.form->Command6->click();
    QVERIFY(first->seen);
    QCOMPARE(first->title, QStringLiteral("Save Usersettings?"));
    QCOMPARE(first->defaultButton, QMessageBox::Yes);
    QVERIFY(first->text.startsWith(QStringLiteral("Do you want to save")));
    QCOMPARE(w.stored(), QStringList{QStringLiteral("2|Nick|login|pw")});
    // The same values again: still the replace question, still one row.
    auto second = answerNextMessageBox(QMessageBox::Yes);
    w.form->Command6_Click();
    QVERIFY(second->text.startsWith(QStringLiteral("Do you want to replace")));
    QVERIFY(second->text.endsWith(QStringLiteral("Nick||login||** ?")));
    w.type(QStringLiteral("Other"), QString(), QStringLiteral("pw"));
    answerNextMessageBox(QMessageBox::Yes);
    w.form->Command6_Click();
    QCOMPARE(w.stored(), QStringList{QStringLiteral("2|Other||pw")});
    QCOMPARE(w.form->Text1->text(), QStringLiteral("Other"));
}

void TestUserdata::firstOfSeveralRowsIsShownAndEdited() {
    Window w;
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'first', 'f', 'p1')"));
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'second', 's', 'p2')"));
    w.open();
    w.form->fSetUD(1);
    QCOMPARE(w.form->Text1->text(), QStringLiteral("first"));
    w.form->MSFlexGrid1->setRow(1);
    w.form->Text1->setText(QStringLiteral("edited"));
    answerNextMessageBox(QMessageBox::Yes);
    w.form->Command6_Click();
    QCOMPARE(w.stored(),
             QStringList({QStringLiteral("1|edited|f|p1"), QStringLiteral("1|second|s|p2")}));
}

void TestUserdata::nullFieldsAreFoundWithEmptyTexts() {
    Window w;
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, NULL, NULL, NULL)"));
    w.open();
    auto db = Database::open(w.folder.dbPath());
    const UserData read = mod_Userdata::fGetUserdata(*db, 1);
    QVERIFY(read.Found);
    QCOMPARE(read.Nickname, QString());
    QCOMPARE(read.Password, QString());
    w.form->MSFlexGrid1->setRow(1);
    auto box = answerNextMessageBox(QMessageBox::No);
    w.form->Command6_Click();
    QVERIFY(box->text.contains(QStringLiteral("\r\n||||\r\nwith\r\n")));
}

void TestUserdata::noChangesNothing() {
    Window w;
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'n', 'l', 'p')"));
    w.open();
    w.form->MSFlexGrid1->setRow(1);
    w.type(QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"));
    answerNextMessageBox(QMessageBox::No);
    w.form->Command6_Click();
    QCOMPARE(w.stored(), QStringList{QStringLiteral("1|n|l|p")});
    QCOMPARE(w.form->Text1->text(), QStringLiteral("x"));
}

void TestUserdata::idIsTakenAtTheClick() {
    Window w;
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'one', '', '')"));
    w.open();
    w.form->fSetUD(1);              // boxes from server 1 ...
    w.form->MSFlexGrid1->setRow(2); // ... but server 2 is selected now
    answerNextMessageBox(QMessageBox::Yes);
    w.form->Command6_Click();
    QCOMPARE(w.stored(), QStringList({QStringLiteral("1|one||"), QStringLiteral("2|one||")}));
}

void TestUserdata::selectingAServerFillsOrEmptiesTheBoxes() {
    Window w;
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'n', 'l', 'p')"));
    w.open();
    w.form->fSetUD(1);
    QCOMPARE(w.form->Text3->text(), QStringLiteral("p"));
    QCOMPARE(w.form->Text3->displayText(), QStringLiteral("*"));
    w.form->fSetUD(2);
    QCOMPARE(w.form->Text1->text(), QString());
    QCOMPARE(w.form->Text2->text(), QString());
    QCOMPARE(w.form->Text3->text(), QString());
}

void TestUserdata::nothingSelectedDoesNothing() {
    Window w;
    w.open();
    auto box = answerNextMessageBox(QMessageBox::Yes);
    w.form->Command6_Click();
    QTest::qWait(30);
    QVERIFY(!box->seen);
    forgetPendingAnswers();
    QVERIFY(w.stored().isEmpty());
}

void TestUserdata::refusedSaveKeepsTheBoxes() {
    Window w;
    w.folder.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tbl_Userdata BEGIN SELECT "
                                 "RAISE(ABORT, 'read-only'); END"));
    w.open();
    w.form->MSFlexGrid1->setRow(1);
    w.type(QStringLiteral("n"), QStringLiteral("l"), QStringLiteral("p"));
    answerNextMessageBox(QMessageBox::Yes);
    auto error = answerNextMessageBox(QMessageBox::Ok);
    w.form->Command6_Click();
    QTRY_VERIFY(error->seen);
    QVERIFY(error->text.contains(QStringLiteral("could not be saved")));
    QCOMPARE(w.form->Text1->text(), QStringLiteral("n"));
    QVERIFY(w.stored().isEmpty());
}

void TestUserdata::readFailureIsNotFound() {
    Window w;
    w.folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'n', 'l', 'p')"));
    auto db = Database::open(w.folder.dbPath());
    w.folder.exec(QStringLiteral("DROP TABLE tbl_Userdata"));
    const UserData read = mod_Userdata::fGetUserdata(*db, 1);
    QVERIFY(!read.Found);
}

QTEST_MAIN(TestUserdata)
#include "test_userdata.moc"
