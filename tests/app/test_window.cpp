// The main window shown (offscreen) and driven as a user would: mouse, keys,
// focus changes, the popup menu and the dialogs, against real files and sockets.
#include "app/FlexGrid.h"
#include "app/Form1.h"
#include "app/MessageBox.h"
#include "app/Twips.h"
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"
#include "tools/simulator/QuerySimulator.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {

struct Recorder : LinkOpener {
    explicit Recorder(QStringList& log) : log(log) {}
    void open(const QString& verb, const QString& link, Done done) override {
        log << verb + ' ' + link;
        done(true, {});
    }
    QStringList& log;
};

// A shown window on the folder's TS.mdb, links recorded, ends counted.
struct Window {
    explicit Window(const TempFolder& folder) {
        form.setLinkOpener(std::make_unique<Recorder>(links));
        form.endProgram = [this] { ++ends; };
        const Status loaded = form.Form_Load(folder.path());
        QVERIFY2(loaded, qPrintable(loaded.error()));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    template <typename T = QWidget> T* find(const char* name) {
        auto* found = form.findChild<T*>(QLatin1String(name));
        if (found == nullptr) {
            qFatal("no %s", name);
        }
        return found;
    }
    FlexGrid* view() { return find<FlexGrid>("MSFlexGrid1"); }
    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
        const QRect cell = view()->visualRect(form.grid().index(row - 1, ServerGrid::Servername));
        QTest::mouseClick(view()->viewport(), button, {}, cell.center());
    }
    void click(const char* name) { QTest::mouseClick(find(name), Qt::LeftButton); }
    QString text(const char* name) { return find<QLineEdit>(name)->text(); }
    QMenu* popup() { return find<QMenu>("fSw"); }

    Form1 form;
    QStringList links;
    int ends = 0;
};

QString lastBox() {
    return MessageBox::recorded().isEmpty() ? QString() : MessageBox::recorded().last().text;
}

int darkPixels(const QImage& image, const QRect& area) {
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            dark += qGray(image.pixel(x, y)) < 90 ? 1 : 0;
        }
    }
    return dark;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageBox::recordFromNowOn(); }
    void layoutFollowsTheDesign_data();
    void layoutFollowsTheDesign();
    void startUp();
    void actionsActOnThePickWhateverTheFocus();
    void refreshLeavesTheFocusAndThePick();
    void serverDialogs();
    void refusedWritesAreToldAndKeepTheTyping_data();
    void refusedWritesAreToldAndKeepTheTyping();
    void storedChangeWithAFailedReload();
    void popupOverRowsAndHeading();
    void readableUnderADarkTheme();
    void logoOpensOnARealClickOnly();
    void quitCloseAndAFailedStart();
};

void TestWindow::layoutFollowsTheDesign_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("caption");
    const auto row = [](const char* name, int l, int t, int w, int h, const char* caption = "") {
        QTest::newRow(name) << name << QRect(l, t, w, h) << caption;
    };
    row("MSFlexGrid1", 0, 0, 6495, 6615);
    row("Command3", 30, 6600, 2588, 615, "Delete Server");
    row("Command7", 2618, 6600, 1299, 615, "Edit");
    row("Command4", 3907, 6600, 2588, 615, "Add Server");
    row("Command2", 30, 7200, 6465, 855, "Refresh");
    row("Image1", 6600, 30, 1935, 1305);
    row("Label1", 6600, 1320, 1935, 255, "Player on selected server");
    row("LPlayer", 6600, 1560, 1935, 2595);
    row("Label3", 7080, 4365, 1095, 255, "Nickname");
    row("Text1", 6600, 4560, 1935, 285);
    row("Label4", 7080, 4845, 1095, 255, "Loginname");
    row("Text2", 6600, 5040, 1935, 285);
    row("Label5", 7080, 5325, 1095, 255, "Password");
    row("Text3", 6600, 5520, 1935, 285);
    row("Command6", 6600, 5880, 1935, 255, "Save TS User settings");
    row("Command5", 6600, 6190, 1935, 735, "Connect 2 Server");
    row("Label2", 6600, 7040, 975, 255, "Timeout (ms)");
    row("Combo1", 7680, 6990, 855, 315, "1500");
    row("Command1", 6600, 7395, 1935, 660, "QUIT");
}

void TestWindow::layoutFollowsTheDesign() {
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, caption);
    TempFolder folder;
    Window window(folder);
    QWidget* widget = window.find(name.toLatin1().constData());
    const QRect px(twips::px(twips.x()), twips::px(twips.y()), twips::px(twips.width()),
                   twips::px(twips.height()));
    QCOMPARE(widget->geometry(), px);
    const QString shown = widget->property("text").isValid()
                              ? widget->property("text").toString()
                              : widget->property("currentText").toString();
    QCOMPARE(shown, caption);
    auto* label = qobject_cast<QLabel*>(widget);
    if (label != nullptr && label->buddy() != nullptr && label->buddy()->y() > label->y()) {
        // The box below starts inside the label: the text must end above it.
        QVERIFY(QFontMetrics(label->font()).height() <= label->buddy()->y() - label->y());
    }
}

void TestWindow::startUp() {
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) VALUES "
                               "('A', 'a', '1', '2'), ('B', 'b', '3', '4')"));
    Window window(folder);
    QCOMPARE(window.form.grid().Rows(), 3);
    QCOMPARE(window.form.grid().TextMatrix(2, ServerGrid::TCPPort), QStringLiteral("4"));
    QCOMPARE(window.view()->ColWidth(ServerGrid::ID), 0);
    QCOMPARE(window.view()->ColWidth(ServerGrid::Servername), 2700);
    auto* combo = window.find<QComboBox>("Combo1");
    QStringList entries;
    for (int i = 0; i < combo->count(); ++i) {
        entries << combo->itemText(i);
    }
    QCOMPARE(entries.join(','), QStringLiteral("500,1000,1500,2000,2500,3000,3500,4000,4500,5000"));
    auto* timer = window.form.findChild<QTimer*>(QStringLiteral("Timer1"));
    QVERIFY(timer->isActive() && timer->isSingleShot());
    QCOMPARE(timer->interval(), 2000);
    QCOMPARE(QApplication::focusWidget(), window.find("LPlayer"));
    QVERIFY(window.form.findChild<QMenuBar*>() == nullptr);
    QCOMPARE(window.form.grid().Row(), 0);
}

void TestWindow::actionsActOnThePickWhateverTheFocus() {
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) VALUES "
                               "('Alpha', '127.0.0.1', '1111', '1'), "
                               "('Beta', '127.0.0.1', '2222', '1')"));
    folder.exec(QStringLiteral("INSERT INTO tbl_Userdata VALUES (2, 'bn', 'bl', 'bp')"));
    Window window(folder);
    window.clickRow(2);
    QCOMPARE(window.text("Text1"), QStringLiteral("bn"));
    window.clickRow(1, Qt::RightButton); // the popup acts on the pick, not the row under it
    QVERIFY(window.popup()->isVisible());
    window.popup()->findChild<QAction*>(QStringLiteral("fEditSrvFromMenue"))->trigger();
    auto* edit = window.find<QDialog>("Form2");
    QCOMPARE(edit->findChild<QLineEdit*>(QStringLiteral("Sname"))->text(), QStringLiteral("Beta"));
    QTest::mouseClick(edit->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QVERIFY(!edit->isVisible());

    // Focus arriving in the grid by every road other than a click.
    window.clickRow(1, Qt::RightButton);
    QTest::keyClick(window.popup(), Qt::Key_Escape);
    window.view()->setFocus(Qt::TabFocusReason);
    window.form.activateWindow();
    QCOMPARE(window.form.grid().Row(), 2);
    QCOMPARE(window.view()->selectionModel()->selectedRows().value(0).row(), 1);

    MessageBox::setNextAnswer(QMessageBox::Yes);
    window.click("Command6");
    QCOMPARE(folder.rows(QStringLiteral("SELECT * FROM tbl_Userdata")), QStringList{"2|bn|bl|bp"});
    window.click("Command5");
    QCOMPARE(window.links,
             QStringList{"Open teamspeak://127.0.0.1:2222?nickname=bn?loginname=bl?password=bp"});

    // Once the picked server is gone nothing is picked, whatever follows.
    MessageBox::setNextAnswer(QMessageBox::Yes);
    window.click("Command3");
    QCOMPARE(MessageBox::recorded().last().title, QStringLiteral("Delete this server"));
    QCOMPARE(lastBox(), QStringLiteral("Delete Server\r\nBeta  127.0.0.1:2222?"));
    QCOMPARE(window.form.grid().Rows(), 2);
    window.view()->setFocus(Qt::TabFocusReason);
    window.form.activateWindow();
    const auto boxes = MessageBox::recorded().size();
    for (const char* action : {"Command6", "Command5", "Command3", "Command7"}) {
        window.click(action);
    }
    QCOMPARE(MessageBox::recorded().size(), boxes);
    QCOMPARE(window.links.size(), 1);
    QCOMPARE(window.text("Text1"), QStringLiteral("bn"));
}

void TestWindow::refreshLeavesTheFocusAndThePick() {
    sim::QuerySimulator simulator;
    simulator.addServer(8767, {{"P", "p", 0}});
    sim::Behaviour slow;
    slow.replyDelayMs = 60;
    const QString port = QString::number(simulator.listen(slow));
    TempFolder folder;
    for (const char* name : {"Alpha", "Beta", "Gamma"}) {
        folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) VALUES "
                                   "('%1', '127.0.0.1', '8767', '%2')")
                        .arg(QLatin1String(name), port));
    }
    Window window(folder);
    window.clickRow(1);
    QList<int> shown;
    connect(&window.form.grid(), &ServerGrid::highlightChanged,
            [&] { shown << window.form.grid().highlighted(); });
    window.click("Command2");
    auto* nickname = window.find<QLineEdit>("Text1");
    QTest::mouseClick(nickname, Qt::LeftButton);
    for (const QChar c : QStringLiteral("Nickname-typed")) {
        QTest::keyClick(nickname, c.toLatin1());
        QTest::qWait(20);
    }
    QTRY_COMPARE_WITH_TIMEOUT(window.form.grid().TextMatrix(3, ServerGrid::Player),
                              QStringLiteral("1"), 20000);
    QTRY_COMPARE(window.form.grid().highlighted(), 1);
    QVERIFY(shown.contains(3));
    QCOMPARE(nickname->text(), QStringLiteral("Nickname-typed"));
    QCOMPARE(QApplication::focusWidget(), nickname);
    QCOMPARE(window.form.grid().Row(), 1);
}

void TestWindow::serverDialogs() {
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) VALUES "
                               "('A', NULL, '1', '2')"));
    Window window(folder);
    window.click("Command4");
    auto* add = window.find<QDialog>("Frm_AddSrv");
    const auto box = [](QDialog* dialog, const char* name) {
        return dialog->findChild<QLineEdit*>(QLatin1String(name));
    };
    QCOMPARE(box(add, "Text4")->text(), QStringLiteral("51234"));
    box(add, "Text1")->setText(QStringLiteral("kept while open"));
    window.click("Command4");
    QCOMPARE(box(add, "Text1")->text(), QStringLiteral("kept while open"));
    QTest::keyClick(add, Qt::Key_Escape);
    window.click("Command4");
    QCOMPARE(box(add, "Text1")->text(), QString());
    QTest::mouseClick(add->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    QVERIFY(!add->isVisible());
    QCOMPARE(folder.rows(QStringLiteral("SELECT * FROM tbl_Srv WHERE ID = 2")),
             QStringList{"2||||51234"});
    QCOMPARE(window.form.grid().TextMatrix(2, ServerGrid::Player), QStringLiteral("X"));

    window.form.grid().setCount(1, QStringLiteral("7"), QStringLiteral("now"));
    window.clickRow(1);
    window.click("Command7");
    auto* edit = window.find<QDialog>("Form2");
    QCOMPARE(box(edit, "SIP")->text(), QString());
    QCOMPARE(box(edit, "STCP")->text(), QStringLiteral("2"));
    QTest::mouseClick(edit->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    QCOMPARE(window.form.grid().TextMatrix(1, ServerGrid::Player), QStringLiteral("7"));
    window.click("Command7");
    box(edit, "SIP")->setText(QStringLiteral("new.host"));
    QTest::mouseClick(edit->findChild<QPushButton*>(QStringLiteral("Command1")), Qt::LeftButton);
    QCOMPARE(folder.rows(QStringLiteral("SELECT IP FROM tbl_Srv WHERE ID = 1")),
             QStringList{"new.host"});
    QCOMPARE(window.form.grid().TextMatrix(1, ServerGrid::Player), QStringLiteral("X"));

    MessageBox::setNextAnswer(QMessageBox::No);
    window.click("Command3");
    QCOMPARE(MessageBox::recorded().last().defaultButton, QMessageBox::Yes);
    QCOMPARE(MessageBox::recorded().last().icon, QMessageBox::NoIcon);
    QCOMPARE(window.form.grid().Rows(), 3);
}

void TestWindow::refusedWritesAreToldAndKeepTheTyping_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("locked");
    for (const char* action : {"add", "edit", "delete", "login"}) {
        QTest::addRow("%s, locked", action) << action << true;
        QTest::addRow("%s, read-only", action) << action << false;
    }
}

void TestWindow::refusedWritesAreToldAndKeepTheTyping() {
    QFETCH(QString, action);
    QFETCH(bool, locked);
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName) VALUES ('A')"));
    if (!locked && !folder.makeReadOnly()) {
        QSKIP("no read-only file can be made here");
    }
    Window window(folder);
    window.clickRow(1);
    if (locked) {
        folder.lock();
    }
    QLineEdit* typed = nullptr;
    QDialog* dialog = nullptr;
    if (action == QLatin1String("add") || action == QLatin1String("edit")) {
        const bool add = action == QLatin1String("add");
        window.click(add ? "Command4" : "Command7");
        dialog = window.find<QDialog>(add ? "Frm_AddSrv" : "Form2");
        typed = dialog->findChild<QLineEdit*>(QLatin1String(add ? "Text1" : "Sname"));
        typed->setText(QStringLiteral("typed"));
        QTest::mouseClick(
            dialog->findChild<QPushButton*>(QLatin1String(add ? "Command2" : "Command1")),
            Qt::LeftButton);
    } else {
        typed = window.find<QLineEdit>("Text1");
        typed->setText(QStringLiteral("typed"));
        MessageBox::setNextAnswer(QMessageBox::Yes);
        window.click(action == QLatin1String("delete") ? "Command3" : "Command6");
    }
    if (locked) {
        folder.release();
    }
    QVERIFY2(lastBox().contains(QStringLiteral("the database refused the change")),
             qPrintable(lastBox()));
    QCOMPARE(typed->text(), QStringLiteral("typed"));
    QVERIFY(dialog == nullptr || dialog->isVisible());
    QCOMPARE(window.form.grid().Rows(), 2);
    QCOMPARE(folder.rows(QStringLiteral("SELECT ServerName FROM tbl_Srv")), QStringList{"A"});
    QCOMPARE(folder.rows(QStringLiteral("SELECT count(*) FROM tbl_Userdata")), QStringList{"0"});
}

void TestWindow::storedChangeWithAFailedReload() {
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName) VALUES ('A')"));
    Window window(folder);
    // Another program adds a row the list cannot read, right after ours.
    folder.exec(QStringLiteral("CREATE TRIGGER spoil AFTER INSERT ON tbl_Srv WHEN NEW.ID < 99 "
                               "BEGIN INSERT INTO tbl_Srv (ID) VALUES (3000000000); END"));
    window.click("Command4");
    auto* add = window.find<QDialog>("Frm_AddSrv");
    QTest::mouseClick(add->findChild<QPushButton*>(QStringLiteral("Command2")), Qt::LeftButton);
    QVERIFY2(lastBox().startsWith(QStringLiteral("The server was added, but the server list could "
                                                 "not be reloaded")),
             qPrintable(lastBox()));
    QVERIFY(!add->isVisible());
    QCOMPARE(window.form.grid().Rows(), 2);
    QCOMPARE(folder.rows(QStringLiteral("SELECT count(*) FROM tbl_Srv")), QStringList{"3"});
}

void TestWindow::popupOverRowsAndHeading() {
    TempFolder folder;
    Window window(folder);
    QHeaderView* heading = window.view()->horizontalHeader();
    QTest::mouseClick(heading->viewport(), Qt::LeftButton, {}, QPoint(20, 5));
    QTest::mouseClick(window.view()->viewport(), Qt::MiddleButton, {}, QPoint(20, 20));
    QVERIFY(!window.popup()->isVisible());
    QTest::mouseClick(heading->viewport(), Qt::RightButton, {}, QPoint(20, 5));
    QVERIFY(window.popup()->isVisible());
    QStringList items;
    for (QAction* item : window.popup()->actions()) {
        items << item->text();
    }
    QCOMPARE(items, QStringList({"Add a new server", "Edit this server", "Delete this server"}));
    window.popup()->actions().first()->trigger();
    QVERIFY(window.find("Frm_AddSrv")->isVisible());
}

void TestWindow::readableUnderADarkTheme() {
    const QPalette light = QApplication::palette();
    QPalette dark = light;
    for (const auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
        dark.setColor(role, QColor(30, 30, 30));
    }
    for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        dark.setColor(role, QColor(240, 240, 240));
    }
    QApplication::setPalette(dark);
    TempFolder folder;
    folder.exec(QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP) VALUES ('Alpha', 'aaa'), "
                               "('Beta', 'bbb'), ('Gamma', 'ccc')"));
    Window window(folder);
    const QImage image = window.form.grab().toImage();
    QApplication::setPalette(light);
    for (const char* name : {"Label1", "Label2", "Label4"}) {
        QVERIFY2(darkPixels(image, window.find(name)->geometry()) > 20, name);
    }
    const QRect cell = window.view()->visualRect(window.form.grid().index(2, ServerGrid::IP));
    QVERIFY(darkPixels(image, cell.translated(window.view()->viewport()->pos())) > 20);
}

void TestWindow::logoOpensOnARealClickOnly() {
    TempFolder folder;
    Window window(folder);
    QWidget* logo = window.find("Image1");
    const QPoint centre = logo->rect().center();
    QTest::mousePress(logo, Qt::LeftButton, {}, centre);
    QTest::mouseRelease(logo, Qt::LeftButton, {}, QPoint(-10, centre.y()));
    QTest::mouseRelease(logo, Qt::LeftButton, {}, centre);
    QVERIFY(window.links.isEmpty());
    QTest::mouseClick(logo, Qt::LeftButton, {}, centre);
    QCOMPARE(window.links, QStringList{"open " + QLatin1String(client_link::kHomepage)});
}

void TestWindow::quitCloseAndAFailedStart() {
    {
        TempFolder folder;
        Window window(folder);
        window.click("Command1");
        QCOMPARE(window.ends, 1);
        QVERIFY(mod_DB::dbTS);
        window.form.close();
        QCOMPARE(window.ends, 2);
        QVERIFY(!mod_DB::dbTS);
    }
    QTemporaryDir empty;
    QCOMPARE(startQuarnel(empty.path()), 1);
    QVERIFY(lastBox().startsWith(QStringLiteral("Quarnel cannot start: Error")));
    QVERIFY(lastBox().contains(empty.path() + QStringLiteral("/TS.mdb")));
    for (QWidget* top : QApplication::topLevelWidgets()) {
        QVERIFY(!top->isVisible());
    }

    TempFolder folder;
    QTimer::singleShot(100, [] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* quit = top->findChild<QToolButton*>(QStringLiteral("Command1"))) {
                quit->click();
            }
        }
    });
    QCOMPARE(startQuarnel(folder.path()), 0);
}

QTEST_MAIN(TestWindow)
#include "test_window.moc"
