// SPDX-License-Identifier: MIT
// The main window shown (offscreen) and driven as a user would: mouse, keys,
// focus changes, the popup menu and the dialogs, against real files and sockets.
#include "app/FlexGrid.h"
#include "app/Form1.h"
#include "app/Look.h"
#include "app/MessageBox.h"
#include "app/PlayerListBox.h"
#include "app/Startup.h"
#include "app/Twips.h"
#include "app/Words.h"
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "query/Refresh.h"
#include "store/mod_DB.h"
#include "support/TestSupport.h"
#include "tools/simulator/QuerySimulator.h"

#include <QAbstractItemModelTester>
#include <QtTest>
#include <QtWidgets>

namespace {

// Records each link; the desktop refuses it while `refusal` holds a reason.
struct Recorder : LinkOpener {
    void open(const QString& verb, const QString& link, Done done) override {
        links << verb + ' ' + link;
        done(refusal.isEmpty() ? success() : Status(Failure(refusal)));
    }
    QStringList links;
    QString refusal;
};

// A shown window on the folder's TS.mdb, links recorded, ends counted.
struct Window {
    explicit Window(const TempFolder& folder) {
        form.setLinkOpener(std::unique_ptr<Recorder>(desktop));
        form.endProgram = [this] { ++ends; };
        QVERIFY(form.Form_Load(folder.path()));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
    template <typename T = QWidget> T* find(const QString& name, QObject* in = nullptr) {
        return (in != nullptr ? in : &form)->findChild<T*>(name);
    }
    FlexGrid* view() { return find<FlexGrid>("MSFlexGrid1"); }
    GridModel& model() { return form.model(); }
    QPoint centre(int row) {
        return view()->visualRect(model().cell(row, ServerGrid::Servername)).center();
    }
    void clickRow(int row, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(view()->viewport(), button, {}, centre(row));
    }
    void click(const QString& name, QObject* in = nullptr) {
        QTest::mouseClick(find(name, in), Qt::LeftButton);
    }
    // Presses Add Server (Command4) or Edit (Command7) and returns the dialog it shows.
    QWidget* opens(const QString& button) {
        click(button);
        return find(button == "Command4" ? "Frm_AddSrv" : "Form2");
    }
    QLineEdit* box(const QString& name, QObject* in = nullptr) { return find<QLineEdit>(name, in); }
    QMenu* popup() { return find<QMenu>("fSw"); }
    QString cell(int row, int col = ServerGrid::Player) { return model().TextMatrix(row, col); }
    QString tip(int row) { return model().toolTip(row, ServerGrid::Player); }
    QVariant data(int row, int col, int role) { return model().cell(row, col).data(role); }
    void refreshed() { QTRY_VERIFY_WITH_TIMEOUT(!form.refresh().running(), 30000); }
    // The texts of the named boxes, in order: QCOMPARE tells which one differs.
    QStringList texts(const QStringList& names, QObject* in = nullptr) {
        QStringList result;
        for (const QString& name : names) {
            result << box(name, in)->text();
        }
        return result;
    }
    QStringList login() { return texts({"Text1", "Text2", "Text3"}); }
    // Empty when the boxes hold `login` and the list `listed` players; else what they show.
    QString shows(const QStringList& login, int listed) {
        auto* players = find<QListWidget>("LPlayer");
        (void)QTest::qWaitFor([&] { return players->count() == listed; }, 5000);
        return this->login() == login && players->count() == listed
                   ? QString()
                   : this->login().join('|') + " with " + QString::number(players->count()) +
                         " players";
    }

    Form1 form;
    Recorder* desktop = new Recorder; // owned by the form
    int ends = 0;
    // Qt's own checks of the grid model, through every change a test makes.
    QAbstractItemModelTester modelChecks{&form.model(),
                                         QAbstractItemModelTester::FailureReportingMode::QtTest};
};

// A query port of the simulator's that answers each command after `delayMs`.
QString listening(sim::QuerySimulator& simulator, int delayMs) {
    sim::Behaviour slow;
    slow.replyDelayMs = delayMs;
    return QString::number(simulator.listen(slow));
}

// Alpha, Bravo and Charlie on one simulated query port that answers after `delayMs`,
// with 1, 2 and 3 players; Alpha and Bravo have login settings.
struct Three {
    explicit Three(int delayMs = 0) : port(listening(simulator, delayMs)) {
        for (const quint16 voice : {1, 2, 3}) {
            simulator.addServer(voice * 1111, sim::QuerySimulator::crowd(voice));
        }
        folder.exec(QString("INSERT INTO tbl_Srv VALUES (1, 'Alpha', '127.0.0.1', '1111', '%1'), "
                            "(2, 'Bravo', '127.0.0.1', '2222', '%1'), "
                            "(3, 'Charlie', '127.0.0.1', '3333', '%1')")
                        .arg(port));
        folder.exec("INSERT INTO tbl_Userdata VALUES (1, 'a', 'al', 'ap'), (2, 'b', 'bl', 'bp')");
    }
    sim::QuerySimulator simulator;
    QString port;
    TempFolder folder;
};

// The three in a shown window.
struct Shown : Three, Window {
    explicit Shown(int delayMs = 0) : Three(delayMs), Window(folder) {}
};

// A tooltip as Qt draws it: as markup when it looks like markup, else as it stands.
QString drawnTip(const QVariant& tip) {
    if (!Qt::mightBeRichText(tip.toString())) {
        return tip.toString();
    }
    QTextDocument document;
    document.setHtml(tip.toString());
    return document.toPlainText();
}

// WCAG's contrast of two colours (the same either way round).
double contrast(QColor a, QColor b) { // NOLINT(bugprone-easily-swappable-parameters)
    const auto luminance = [](QColor c) {
        const auto channel = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const auto [dark, light] = std::minmax({luminance(a), luminance(b)});
    return (light + 0.05) / (dark + 0.05);
}

// A cell as drawn: how far each of its pixels stands out from its corner's colour.
QList<double> standOut(const QImage& image, QRect cell) {
    const QColor background(image.pixel(cell.topLeft() + QPoint(1, 1)));
    QList<double> ratios;
    for (int y = cell.top() + 1; y < cell.bottom(); ++y) {
        for (int x = cell.left() + 1; x < cell.right(); ++x) {
            ratios << contrast(QColor(image.pixel(x, y)), background);
        }
    }
    return ratios;
}

// Whether the empty list's advice is drawn across the middle of the grid.
bool adviceDrawn(FlexGrid* grid) {
    const QImage drawn = grid->viewport()->grab().toImage();
    const QList<double> ratios =
        standOut(drawn, drawn.rect().adjusted(0, drawn.height() / 3, 0, -drawn.height() / 3));
    return *std::max_element(ratios.cbegin(), ratios.cend()) > 4.5;
}

QString lastBox() {
    return MessageBox::recorded().isEmpty() ? QString() : MessageBox::recorded().last().text;
}

} // namespace

class TestWindow : public QObject {
    Q_OBJECT
  private Q_SLOTS:
    void init() { MessageBox::recordFromNowOn(); }
    void layoutFollowsTheDesign() {
        Shown w;
        w.clickRow(1);
        w.click("Command4");
        w.click("Command7");
        // A control, or a dialog and a control on it, at its place in twips with its caption.
        const auto row = [&w](const QString& path, QRect twipsAt, const QString& caption = {}) {
            const QStringList names = path.split(' ');
            QWidget* widget = w.find(names[0]);
            widget = names.size() > 1 ? w.find(names[1], widget) : widget;
            const bool dialog = widget->isWindow();
            QVERIFY2((dialog ? QRect(QPoint(), widget->size()) : widget->geometry()) ==
                         QRect(twips::px(twipsAt.x()), twips::px(twipsAt.y()),
                               twips::px(twipsAt.width()), twips::px(twipsAt.height())),
                     qPrintable(path));
            const QVariant text = widget->property(widget->property("text").isValid() ? "text"
                                                   : dialog ? "windowTitle"
                                                            : "currentText");
            QCOMPARE(text.toString(), caption);
            auto* label = qobject_cast<QLabel*>(widget);
            QVERIFY(label == nullptr || caption.isEmpty() || label->buddy() != nullptr);
        };
        row("MSFlexGrid1", {0, 0, 6495, 6615});
        row("Command3", {30, 6600, 2588, 615}, "Delete Server");
        row("Command4", {3907, 6600, 2588, 615}, "Add Server");
        row("Command7", {2618, 6600, 1299, 615}, "Edit");
        row("Command2", {30, 7200, 6465, 855}, "Refresh");
        row("Image1", {6600, 30, 1935, 1305});
        row("Label1", {6600, 1320, 1935, 255}, "Player on selected server");
        row("LPlayer", {6600, 1560, 1935, 2595});
        // The list starts before its label ends: the label's text sits at the top, in sight.
        QCOMPARE(w.find<QLabel>("Label1")->alignment(), Qt::AlignLeft | Qt::AlignTop);
        row("Label3", {7080, 4365, 1095, 255}, "Nickname");
        row("Text1", {6600, 4560, 1935, 285}, "a"); // with the picked server's settings
        row("Text3", {6600, 5520, 1935, 285}, "ap");
        row("Command6", {6600, 5880, 1935, 255}, "Save TS User settings");
        row("Command5", {6600, 6190, 1935, 735}, "Connect 2 Server");
        row("Label2", {6600, 7040, 975, 255}, "Timeout (ms)");
        row("Combo1", {7680, 6990, 855, 315}, "1500");
        row("Command1", {6600, 7395, 1935, 660}, "QUIT");
        row("Frm_AddSrv", {0, 0, 4485, 2655}, "Add a Server");
        row("Frm_AddSrv Label1", {0, 120, 1095, 375}, "Servername:");
        QVERIFY(w.find<QLabel>("Label1", w.find("Frm_AddSrv"))->alignment() & Qt::AlignRight);
        row("Frm_AddSrv Command1", {2280, 2040, 1695, 375}, "CANCEL");
        row("Frm_AddSrv Command2", {480, 2040, 1695, 375}, "ADD TO LIST");
        row("Form2", {0, 0, 4830, 3105}, "Change Server data");
        QCOMPARE(w.find("Form2")->palette().color(QPalette::Window), QColor(128, 255, 255));
        row("Form2 Command1", {120, 2640, 2295, 375}, "SAVE CHANGES");
        row("Form2 Command2", {2400, 2640, 2295, 375}, "CANCEL");
    }

    void eachRoadToAServerShowsItsSettingsAndPlayers_data() {
        QTest::addColumn<int>("from"); // the row clicked first; 0: none
        QTest::addColumn<QString>("road");
        QTest::addColumn<int>("to"); // the row it leads to
        QTest::newRow("a click") << 0 << "click 1" << 1;
        QTest::newRow("the Down key") << 1 << "Down" << 2;
        QTest::newRow("type-ahead") << 1 << "c" << 3;
        QTest::newRow("Home: the first server, not the first cell") << 3 << "Home" << 1;
        QTest::newRow("End") << 1 << "End" << 3;
        QTest::newRow("pressed on one row, released on another") << 0 << "drag 1 2" << 2;
        QTest::newRow("a click on the pick reads it again") << 2 << "click 2" << 2;
        QTest::newRow("so does Enter") << 2 << "Return" << 2;
        QTest::newRow("a pick the program moves") << 2 << "program 1" << 1;
    }

    void eachRoadToAServerShowsItsSettingsAndPlayers() {
        QFETCH(int, from);
        QFETCH(QString, road);
        QFETCH(int, to);
        Shown w;
        const QList<QStringList> logins{{"a", "al", "ap"}, {"b", "bl", "bp"}, {"", "", ""}};
        if (from > 0) {
            w.clickRow(from);
            QCOMPARE(w.shows(logins.value(from - 1), from), QString()); // listed, then left
        }
        w.box("Text1")->setText("typed"); // the server's own settings replace it
        const QStringList step = road.split(' ');
        const QHash<QString, Qt::Key> keys{{"Down", Qt::Key_Down},
                                           {"Home", Qt::Key_Home},
                                           {"End", Qt::Key_End},
                                           {"Return", Qt::Key_Return}};
        QWidget* cells = w.view()->viewport();
        if (step[0] == "click") {
            w.clickRow(step[1].toInt());
        } else if (step[0] == "drag") {
            QTest::mousePress(cells, Qt::LeftButton, {}, w.centre(step[1].toInt()));
            QTest::mouseMove(cells, w.centre(step[2].toInt()));
            QTest::mouseRelease(cells, Qt::LeftButton, {}, w.centre(step[2].toInt()));
        } else if (step[0] == "program") {
            w.model().setRow(step[1].toInt());
        } else if (keys.contains(step[0])) {
            QTest::keyClick(w.view(), keys.value(step[0]));
        } else {
            QTest::keyClicks(w.view(), step[0]);
        }
        QCOMPARE(w.shows(logins.value(to - 1), to), QString());
    }

    void thePopupActsOnThePickFromTheMouseAndTheKeys() {
        Shown w;
        w.clickRow(2);
        QTest::keyClick(w.view(), Qt::Key_Menu); // from the keyboard, at the pick
        QCOMPARE(w.popup()->geometry().topLeft(), w.view()->viewport()->mapToGlobal(w.centre(2)));
        QTest::keyClick(w.popup(), Qt::Key_Escape);
        QKeyEvent shiftF10(QEvent::KeyPress, Qt::Key_F10, Qt::ShiftModifier); // so does Shift+F10
        QApplication::sendEvent(w.view(), &shiftF10); // without a Shift press of its own
        QVERIFY(w.popup()->isVisible());
        QTest::keyClick(w.popup(), Qt::Key_Escape);
        w.clickRow(1, Qt::RightButton); // on the pick, not the row under it
        w.find<QAction>("fEditSrvFromMenue", w.popup())->trigger();
        QCOMPARE(w.box("Sname", w.find("Form2"))->text(), QStringLiteral("Bravo"));
    }

    void saveAndConnectTakeThePicksOwnSettings() {
        Shown w;
        w.clickRow(2);
        QCOMPARE(w.box("Text3")->displayText(), QStringLiteral("**"));
        w.view()->setFocus(Qt::TabFocusReason); // focus arriving by another road than a click
        w.form.activateWindow();
        QCOMPARE(GridModel::rowOf(w.view()->selectionModel()->selectedRows().value(0)), 2);
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w.box("Text2")->setText("typed");
        w.click("Command6");
        QCOMPARE(w.folder.rows("SELECT * FROM tbl_Userdata WHERE ServerID = 2"),
                 QStringList{"2|b|typed|bp"});
        w.click("Command5");
        QCOMPARE(
            w.desktop->links,
            QStringList{"Open teamspeak://127.0.0.1:2222?nickname=b?loginname=typed?password=bp"});
    }

    void onceThePickedServerIsGoneNothingIsPicked() {
        Shown w;
        w.clickRow(2);
        QCOMPARE(w.shows({"b", "bl", "bp"}, 2), QString());
        MessageBox::setNextAnswer(QMessageBox::Yes);
        w.find<QAction>("fDelSrvFromMenue", w.popup())->trigger(); // as Delete Server
        QCOMPARE(lastBox(), QStringLiteral("Delete Server\r\nBravo  127.0.0.1:2222?"));
        QCOMPARE(w.model().Rows(), 3);
        const auto boxes = MessageBox::recorded().size();
        for (const char* action : {"Command6", "Command5", "Command3", "Command7"}) {
            QVERIFY2(!w.find(action)->isEnabled(), action);
            QCOMPARE(w.find(action)->toolTip(), QString("Pick a server in the list first"));
        }
        QTest::keyClick(w.view(), Qt::Key_Delete); // nor do the key and the popup's items act
        for (const char* item : {"fDelSrvFromMenue", "fEditSrvFromMenue"}) {
            w.find<QAction>(item, w.popup())->trigger();
        }
        QCOMPARE(MessageBox::recorded().size(), boxes);
        QCOMPARE(w.shows({"", "", ""}, 0), QString()); // its settings and players went too
        // Another server stored later under its ID is not picked by the next load.
        w.folder.exec("INSERT INTO tbl_Srv VALUES (2, 'Again', '127.0.0.1', '2222', '1')");
        w.click("Command2", w.opens("Command4")); // an unrelated add reloads
        QCOMPARE(w.model().Row(), 0);
    }

    void settingsThatCannotBeReadAreNotShownAsNone() {
        Shown w;
        w.folder.exec("BEGIN EXCLUSIVE"); // another program holds the file, readers too
        w.clickRow(1);
        QVERIFY(lastBox().startsWith("The stored login settings of this server could not be "
                                     "read; the boxes stay empty."));
        w.click("Command6"); // no "save" question as if nothing were stored
        QVERIFY(lastBox().contains("could not be read, so nothing was saved"));
    }

    void aWriteToAServerChangedElsewhereIsRefusedAndTheTypingKept() {
        Shown w;
        w.clickRow(1);
        w.folder.exec("UPDATE tbl_Userdata SET Nickname = 'newer' WHERE ServerID = 1");
        auto* edit = w.opens("Command7");
        w.box("Sname", edit)->setText("Edited");
        // Each time another program has changed the server shown, under the same ID.
        const std::array<std::array<const char*, 3>, 3> writes{
            {{"ServerName = 'Moved', IP = '127.0.0.2'", "Command6",
              "the login settings were not saved."},
             {"Port = '9999'", "Command3", "nothing was deleted."},
             {"TCPPort = '1'", "Command1", "nothing was saved."}}};
        for (const auto& [change, button, told] : writes) {
            w.folder.exec(QString("UPDATE tbl_Srv SET %1 WHERE ID = 1").arg(change));
            MessageBox::setNextAnswer(QMessageBox::Yes);
            w.click(button, QString(button) == "Command1" ? edit : nullptr); // in the dialog
            QCOMPARE(lastBox(), QString("This server was changed or removed meanwhile; ") + told);
            QCOMPARE(w.folder.rows("SELECT Nickname, ServerName FROM tbl_Userdata, tbl_Srv "
                                   "WHERE ServerID = 1 AND ID = 1"),
                     QStringList{"newer|Moved"});
            // Reloaded: the list shows the server as it is now.
            QCOMPARE(w.form.grid().server(1)->server, mod_DB::readServer(1).value().value());
        }
        QVERIFY(edit->isVisible()); // with what was typed, to save again or cancel
        QCOMPARE(w.box("Sname", edit)->text(), QString("Edited"));
    }

    void aServersWordsAndNamesStayText() {
        sim::QuerySimulator simulator;
        simulator.addServer(8767,
                            {{"Bob\nMallory", "b", 0}, {"Eve (Away)", "e", 0}, {"A\x01", "a", 8}});
        sim::Behaviour refusing;
        refusing.listAnswer = "ERROR, <img src=\"file:///no/such.png\" width=12000>\r\n";
        TempFolder folder;
        folder.exec(QString("INSERT INTO tbl_Srv VALUES (1, 'A', '127.0.0.1', '8767', '%1'), "
                            "(2, 'C', '127.0.0.1', '8767', '%2')")
                        .arg(simulator.listen(refusing))
                        .arg(simulator.listen()));
        Window w(folder);
        w.form.Timer1_Timer();
        w.refreshed();
        QVERIFY(drawnTip(w.data(1, ServerGrid::Player, Qt::ToolTipRole))
                    .startsWith("The server answered: ERROR, <img src=\"file:///no/such.png\" "
                                "width=12000> ("));
        // One player is one entry, whatever his name holds; away is marked beyond the words.
        w.clickRow(2);
        auto* players = w.find<QListWidget>("LPlayer");
        QTRY_COMPARE(players->count(), 3);
        QCOMPARE(players->item(0)->text(), QString::fromUtf8("Bob\u240aMallory"));
        QCOMPARE(players->item(2)->text(), QString::fromUtf8("A\u2401 (Away)"));
        const auto marked = [players](int row) {
            const QListWidgetItem* entry = players->item(row);
            return QList<bool>{
                entry->font().italic(),
                entry->data(Qt::AccessibleDescriptionRole).toString().startsWith("Away. "),
                entry->icon().cacheKey() == players->item(0)->icon().cacheKey()};
        };
        QCOMPARE(marked(1), QList<bool>({false, false, true})); // "(Away)" in a name is a name
        QCOMPARE(marked(2), QList<bool>({true, true, false}));
    }

    void aServerChangedElsewhereShowsItsOwnSettingsWhenClicked() {
        Shown w;
        w.clickRow(1);
        w.folder.exec("UPDATE tbl_Srv SET ServerName = 'Zulu' WHERE ID = 2");
        w.folder.exec("UPDATE tbl_Userdata SET Nickname = 'z' WHERE ServerID = 2");
        w.clickRow(2);
        QVERIFY(lastBox().endsWith("meanwhile; the list now shows it as it is stored."));
        QCOMPARE(w.cell(w.model().Row(), ServerGrid::Servername), "Zulu"); // still picked
        QCOMPARE(w.login(), QStringList({"z", "bl", "bp"}));
    }

    void aServerMovedBeforeConnectGetsNothing() {
        Shown w;
        w.clickRow(2);
        w.folder.exec("UPDATE tbl_Srv SET IP = '127.0.0.3' WHERE ID = 2");
        w.click("Command5");
        QVERIFY(lastBox().endsWith("meanwhile; the client was not started."));
        QVERIFY(w.desktop->links.isEmpty());
        QCOMPARE(w.cell(2, ServerGrid::IP), "127.0.0.3"); // reloaded
    }

    void aReloadKeepsWhatWasTypedForARenamedPickAndReadsAMovedOne() {
        Shown w;
        w.clickRow(2);
        w.box("Text1")->setText("typed");
        w.folder.exec("UPDATE tbl_Srv SET ServerName = 'Zulu' WHERE ID = 2");
        w.click("Command2", w.opens("Command4")); // an unrelated add reloads
        QCOMPARE(w.login(), QStringList({"typed", "bl", "bp"}));
        w.folder.exec("UPDATE tbl_Srv SET IP = '127.0.0.4' WHERE ID = 2");
        w.click("Command2", w.opens("Command4"));
        QCOMPARE(w.login(), QStringList({"b", "bl", "bp"}));
    }

    void aSaveWhileAnotherProgramSavesLosesNeither() {
        Shown w;
        w.clickRow(1);
        w.box("Text1")->setText("typed");
        MessageBox::setNextAnswer(QMessageBox::Yes, [&] {
            w.folder.exec("UPDATE tbl_Userdata SET Passwort = 'newer' WHERE ServerID = 1");
        });
        w.click("Command6");
        QVERIFY(lastBox().contains("were changed elsewhere while the question was open"));
        QCOMPARE(w.login(), QStringList({"typed", "al", "ap"}));
        QCOMPARE(w.folder.rows("SELECT * FROM tbl_Userdata WHERE ServerID = 1"),
                 QStringList{"1|a|al|newer"});
    }

    void theGridIsHeardAndWalkedByTheKeyboardAsItIsSeen() {
        Shown w;
        FlexGrid* grid = w.view();
        QCOMPARE(grid->accessibleDescription(), QString());
        QVERIFY(!adviceDrawn(grid)); // no advice on a list with servers
        const auto heard = [grid](int row, int col) {
            return QAccessible::queryAccessibleInterface(grid)
                ->tableInterface()
                ->cellAt(row, col)
                ->text(QAccessible::Description);
        };
        QCOMPARE(heard(0, ServerGrid::Player), "Not counted yet"); // the bare "X"
        w.form.Timer1_Timer();
        w.refreshed();
        // Into the grid: the first Down picks the first server; Down from a count reaches a count.
        QApplication::setActiveWindow(&w.form);
        w.find("LPlayer")->setFocus();
        QTest::keyClick(w.find("LPlayer"), Qt::Key_Tab);
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(w.model().Row(), 1);
        grid->setCurrentIndex(w.model().cell(1, ServerGrid::Player));
        QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(w.model().Row(), 2);
        QCOMPARE(grid->currentIndex().column(), int(ServerGrid::Player));
        QVERIFY(heard(1, ServerGrid::Player).startsWith("Counted at"));
        QKeyEvent tipKey(QEvent::KeyPress, Qt::Key_F1, Qt::ShiftModifier); // what the mouse hovers
        QApplication::sendEvent(grid, &tipKey);
        QVERIFY(tipKey.isAccepted()); // taken, not passed on for another help
        QTRY_VERIFY(drawnTip(QToolTip::text()).startsWith("Counted at"));
    }

    void thePlayerListIsWalkedFromItsFirstEntry() {
        Shown w;
        w.clickRow(2);
        auto* players = w.find<QListWidget>("LPlayer");
        QTRY_COMPARE(players->count(), 2);
        QApplication::setActiveWindow(&w.form);
        w.view()->setFocus();
        QTest::keyClick(w.view(), Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), players);
        QTest::keyClick(players, Qt::Key_Down);
        QCOMPARE(players->currentRow(), 0);
        QTest::keyClick(players, Qt::Key_Down); // and the next goes on
        QCOMPARE(players->currentRow(), 1);
        players->clearSelection(); // entered again: any other key keeps its own meaning
        players->setCurrentRow(0, QItemSelectionModel::NoUpdate);
        QTest::keyClick(players, Qt::Key_End);
        QCOMPARE(players->currentRow(), 1);
        QTest::keyClick(players, Qt::Key_Up);
        QTest::keyClick(players, Qt::Key_F1, Qt::ShiftModifier);
        QTRY_COMPARE(drawnTip(QToolTip::text()), "Flags 0: none");
    }

    void theLogoIsTheLastStopAndAButton() {
        Shown w;
        w.clickRow(1); // the stop before it takes the focus only with a pick
        QApplication::setActiveWindow(&w.form);
        QWidget* logo = w.find("Image1");
        w.find("Command7")->setFocus();
        QTest::keyClick(w.find("Command7"), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), logo);
        QTest::keyClick(logo, Qt::Key_Space);
        QCOMPARE(w.desktop->links.last(), "open " + QLatin1String(client_link::kHomepage));
        QVERIFY(
            QAccessible::queryAccessibleInterface(logo)->actionInterface()->actionNames().contains(
                QAccessibleActionInterface::pressAction()));
    }

    void everyCellReadsAtFourAndAHalfToOne_data() {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("the desktop's colours") << QApplication::palette();
        QPalette night(QColor(40, 40, 40), QColor(30, 30, 30));
        night.setColor(QPalette::Highlight, QColor(42, 130, 218));
        night.setColor(QPalette::HighlightedText, Qt::white);
        QTest::newRow("a dark desktop") << night;
    }

    void everyCellReadsAtFourAndAHalfToOne() {
        QFETCH(QPalette, palette);
        const QPalette before = QApplication::palette();
        QApplication::setPalette(palette);
        TempFolder folder;
        folder.exec("DROP TABLE tbl_Srv"); // hand-made, with a twin of an ID
        folder.exec("CREATE TABLE tbl_Srv (ID, ServerName, IP, Port, TCPPort)");
        folder.exec("INSERT INTO tbl_Srv VALUES (1, 'Counted', '127.0.0.1', '1', '1'), "
                    "(2, 'Stale', '127.0.0.1', '1', '1'), (3, 'Asked', '127.0.0.1', '1', '1'), "
                    "(4, 'Picked', '127.0.0.1', '1', '1'), (7, 'Twin', '', '', ''), "
                    "(7, 'Twin', '', '', '')");
        Window w(folder);
        w.form.Timer1_Timer();
        w.form.refresh().stop();
        ServerGrid& grid = w.form.grid();
        for (int row = 1; row <= 4; ++row) {
            grid.setCount(grid.server(row)->server, steadyNow(), 28);
            if (row > 1) {
                grid.setNotCounted(grid.server(row)->server, steadyNow(), {});
            }
        }
        w.model().showAsking(grid.server(3)->server);
        w.model().setRow(4);
        const QImage drawn = w.view()->viewport()->grab().toImage();
        QApplication::setPalette(before);
        const auto ink = [&](int row, int col) {
            return standOut(drawn, w.view()->visualRect(w.model().cell(row, col)));
        };
        // The stale "28" is drawn in italics, not only in another grey.
        const QList<double> upright = ink(1, ServerGrid::Player);
        const QList<double> slanted = ink(2, ServerGrid::Player);
        qsizetype differing = 0;
        qsizetype inked = 0;
        for (qsizetype i = 0; i < upright.size(); ++i) {
            inked += upright[i] > 1.5 ? 1 : 0;
            differing += (upright[i] > 1.5) != (slanted.value(i) > 1.5) ? 1 : 0;
        }
        QVERIFY2(differing > inked / 10, qPrintable(QString::number(differing)));
        for (int row = 1; row <= grid.lastRow(); ++row) {
            for (int col = ServerGrid::Servername; col < ServerGrid::ColumnCount; ++col) {
                const QList<double> ratios = ink(row, col);
                const double measured = *std::max_element(ratios.cbegin(), ratios.cend());
                QVERIFY2(
                    w.model().TextMatrix(row, col).isEmpty() || measured >= 4.5,
                    qPrintable(QString("row %1, column %2: %3:1").arg(row).arg(col).arg(measured)));
            }
        }
    }

    void theTimeoutCountsOnceItsEditIsFinished() {
        Shown w(60);
        auto* combo = w.find<QComboBox>("Combo1");
        QLineEdit* typing = combo->lineEdit();
        typing->clear(); // half typed when the start-up refresh comes: the last finished counts
        w.form.Timer1_Timer();
        w.refreshed();
        QCOMPARE(w.cell(1), QString("1"));
        QTest::mouseClick(typing, Qt::LeftButton);
        QTest::keyClicks(typing, "3001"); // "3", "30" on the way count not
        QCOMPARE(w.form.timeout(), QString("1500"));
        QTest::mouseClick(w.box("Text1"), Qt::LeftButton); // leaving the box finishes it
        QCOMPARE(w.form.timeout(), QString("3001"));
        QTest::mouseClick(typing, Qt::LeftButton);
        typing->selectAll();
        QTest::keyClicks(typing, "300");
        QTest::keyClick(typing, Qt::Key_Return);
        QCOMPARE(w.form.timeout(), QString("300"));  // as typed, not the list's "3000"
        QTest::keyClick(combo, Qt::Key_Down);        // a pick from the list counts at once
        QCOMPARE(w.form.timeout(), QString("2000")); // the one after "1500"
    }

    void aTimeoutThatIsNoNumberIsToldAtItsBoxAndEveryCountStays() {
        Shown w;
        w.form.Timer1_Timer();
        w.refreshed();
        auto* combo = w.find<QComboBox>("Combo1");
        QTest::mouseClick(combo->lineEdit(), Qt::LeftButton);
        combo->lineEdit()->selectAll();
        QTest::keyClicks(combo->lineEdit(), "1.500");   // 1500 to some, 1.5 to others
        QTest::keyClick(combo->lineEdit(), Qt::Key_F5); // Refresh finishes the edit too
        QCOMPARE(combo->toolTip(), "Not a usable timeout: type a whole number of milliseconds "
                                   "from 0 to 32767");
        QCOMPARE(combo->accessibleDescription(), combo->toolTip());
        w.refreshed();
        QVERIFY(lastBox().startsWith("The timeout \"1.500\" is not a whole number"));
        QCOMPARE(w.tip(1).left(10), "Counted at");
        QTest::keyClick(combo, Qt::Key_Down); // a pick from the list is a usable one
        QCOMPARE(combo->toolTip(), QString());
    }

    void aFailedCountKeepsTheLastOneShownAsNotCurrent() {
        ServerGrid grid;
        GridModel model(grid);
        const Server a{1, "A", "h", "1", "2"};
        grid.load(ServerList::of({a}));
        grid.setCount(a, {}, 2);
        const auto heard = [&model] {
            return model.cell(1, ServerGrid::Player).data(Qt::AccessibleDescriptionRole);
        };
        QCOMPARE(heard(), model.toolTip(1, ServerGrid::Player)); // a current count: its tooltip
        grid.setNotCounted(a, {}, {Outcome::Refused, {}, {}, 0});
        QCOMPARE(model.TextMatrix(1, ServerGrid::Player), QString("2"));
        QVERIFY(model.toolTip(1, ServerGrid::Player).startsWith("Connection refused ("));
        QCOMPARE(heard(), "Not current: " + model.toolTip(1, ServerGrid::Player));
    }

    void aFailedPlayerListSaysWhy() {
        sim::QuerySimulator simulator;
        simulator.addServer(8767, {});
        const QString port = QString::number(simulator.listen());
        TempFolder folder;
        folder.exec(QString("INSERT INTO tbl_Srv VALUES (1, 'Refuses', '127.0.0.1', '8767', '%1'), "
                            "(2, 'Empty', '127.0.0.1', '8767', '%2'), "
                            "(3, 'Wrong port', '127.0.0.1', '9999', '%2')")
                        .arg(sim::QuerySimulator::closedPort())
                        .arg(port));
        Window w(folder);
        auto* players = w.find<PlayerListBox>("LPlayer");
        w.clickRow(1);
        QTRY_COMPARE(players->note(), QString("Connection refused"));
        QCOMPARE(players->accessibleDescription(), players->note()); // a screen reader hears it
        // Drawn in italics, apart from any name: a slanted font of the list's own draws it alike.
        const QImage noted = players->viewport()->grab().toImage();
        QFont slanted = players->font();
        slanted.setItalic(true);
        players->setFont(slanted);
        QCOMPARE(players->viewport()->grab().toImage(), noted);
        w.clickRow(2);
        QCOMPARE(players->note(), QString()); // cleared when the next list starts
        QTest::qWait(300);
        QCOMPARE(players->note(), QString()); // nobody on it is no failure
        w.clickRow(3);
        QTRY_COMPARE(players->note(),
                     "The server has no voice server on port 9999 (ERROR, invalid id)");
    }

    void aMinimisedOrMaximisedWindowConnectsAfterHalfASecond() {
        Shown w;
        w.form.showMinimized();
        w.model().setRow(2);
        QTest::qWait(100);
        QCOMPARE(w.simulator.accepted(), 0);
        QTRY_COMPARE(w.simulator.accepted(), 1);
        w.form.showMaximized();
        w.model().setRow(1);
        QTest::qWait(100);
        QCOMPARE(w.simulator.accepted(), 1);
        QTRY_COMPARE(w.simulator.accepted(), 2);
    }

    void refreshLeavesTheFocusThePickAndTheScrolling() {
        sim::QuerySimulator simulator;
        const QString port = listening(simulator, 15);
        TempFolder folder;
        // More servers than the grid shows, each with a voice port of its own.
        for (quint16 voice = 9001; voice <= 9060; ++voice) {
            simulator.addServer(voice, sim::QuerySimulator::crowd(1));
        }
        folder.exec(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 60) "
            "INSERT INTO tbl_Srv SELECT i, 'S' || i, '127.0.0.1', CAST(9000 + i AS TEXT), '" +
            port + "' FROM n");
        Window w(folder);
        w.clickRow(1);
        QScrollBar* scroll = w.view()->verticalScrollBar();
        w.click("Command2");
        QLineEdit* nickname = w.box("Text1");
        QTest::mouseClick(nickname, Qt::LeftButton);
        QTest::keyClicks(nickname, "typed", {}, 5);
        QTRY_VERIFY_WITH_TIMEOUT(w.model().asking() > 40, 30000);
        // Where the refresh is, always in sight without scrolling, and for a screen reader.
        auto* progress = w.find<QProgressBar>("RefreshProgress");
        QVERIFY(progress->isVisible());
        QCOMPARE(progress->text(), QString("Asking %1 of 60").arg(progress->value()));
        QCOMPARE(w.find("Command2")->accessibleDescription(),
                 QString("Refreshing: asking server %1 of 60").arg(progress->value()));
        QCOMPARE(scroll->value(), 0); // asked rows far below: the grid stayed where it was
        QCOMPARE(QApplication::focusWidget(), nickname);
        QVERIFY(w.data(w.model().asking(), ServerGrid::IP, GridModel::AskingRole).toBool());
        QCOMPARE(nickname->text(), QStringLiteral("typed"));
        w.clickRow(2);
        QTest::keyClick(w.view(), Qt::Key_Down);
        w.refreshed();
        QVERIFY(!progress->isVisible());
        QCOMPARE(w.cell(60), QStringLiteral("1"));
        QCOMPARE(GridModel::rowOf(w.view()->selectionModel()->selectedRows().value(0)), 3);
        w.model().setRow(55); // a pick moved by the program is brought into view
        QVERIFY(scroll->value() > 0);
    }

    void theAddDialogKeepsOrEmptiesItsBoxesAsItsButtonsSay() {
        TempFolder folder;
        folder.exec("INSERT INTO tbl_Srv VALUES (1, 'A', NULL, '1', '2'), (5, 'Z', '', '', '')");
        Window w(folder);
        auto* add = w.opens("Command4");
        QTRY_COMPARE(QApplication::activeWindow(), add); // in front, ready for typing
        const QStringList boxes{"Text1", "Text2", "Text3", "Text4"};
        w.box("Text1", add)->setText("kept");
        w.form.activateWindow(); // left behind the window
        QTRY_COMPARE(QApplication::activeWindow(), &w.form);
        w.click("Command4"); // brought forward as it was left
        QTRY_COMPARE(QApplication::activeWindow(), add);
        QCOMPARE(w.texts(boxes, add), QStringList({"kept", "", "", "51234"}));
        w.click("Command1", add); // CANCEL empties the boxes
        QVERIFY(!add->isVisible());
        w.click("Command4");
        QCOMPARE(w.texts(boxes, add), QStringList({"", "", "", "51234"}));
        w.box("Text2", add)->setText("kept");
        QTest::keyClick(add, Qt::Key_Escape); // so does Escape
        w.click("Command4");
        QCOMPARE(w.texts(boxes, add), QStringList({"", "", "", "51234"}));
        QCOMPARE(add->focusWidget(), w.box("Text1", add)); // ready for the name
        w.box("Text1", add)->setText("New");
        QTest::keyClick(w.box("Text2", add), Qt::Key_Return); // Return adds
        QCOMPARE(folder.rows("SELECT * FROM tbl_Srv WHERE ID = 6"), QStringList{"6|New|||51234"});
        QVERIFY(!add->isVisible());
        QCOMPARE(w.cell(3, ServerGrid::Servername), "New");
        w.click("Command4"); // and the dialog opens afresh
        QCOMPARE(w.texts(boxes, add), QStringList({"", "", "", "51234"}));
    }

    void theEditDialogShowsTheServerAndSavesOnReturn() {
        TempFolder folder;
        // An address, not a name: the player list of the click looks nothing up.
        folder.exec(
            "INSERT INTO tbl_Srv VALUES (1, 'A', '127.0.0.1', '1', '2'), (5, 'Z', '', '', '')");
        Window w(folder);
        w.clickRow(1);
        w.form.grid().setCount({1, "A", "127.0.0.1", "1", "2"}, {}, 7);
        auto* edit = w.opens("Command7");
        w.form.activateWindow(); // left behind the window, then asked for again
        QTRY_COMPARE(QApplication::activeWindow(), &w.form);
        w.click("Command7");
        QTRY_COMPARE(QApplication::activeWindow(), edit); // in front, ready for typing
        QCOMPARE(w.texts({"Sname", "SIP", "SPort", "STCP"}, edit),
                 QStringList({"A", "127.0.0.1", "1", "2"}));
        w.click("Command2", edit);
        QVERIFY(!edit->isVisible());
        QCOMPARE(w.cell(1), QString("7")); // the counts survive a cancel
        w.click("Command7");
        w.box("SIP", edit)->setText("127.0.0.9");
        QTest::keyClick(w.box("SIP", edit), Qt::Key_Return); // Return saves
        QCOMPARE(folder.rows("SELECT IP FROM tbl_Srv WHERE ID = 1"), QStringList{"127.0.0.9"});
        QCOMPARE(w.cell(1), QStringLiteral("X"));
        folder.exec("DELETE FROM tbl_Srv WHERE ID = 1"); // by another program
        w.click("Command7");
        QCOMPARE(lastBox(), QStringLiteral("This server is no longer in the list."));
        QCOMPARE(MessageBox::recorded().last().format, Qt::PlainText); // names are no markup
        QCOMPARE(w.model().Rows(), 2);                                 // reloaded: Z alone
    }

    void deleteInTheGridAndCtrlNActAsTheirButtons() {
        Shown w;
        w.clickRow(1);
        QApplication::setActiveWindow(&w.form);
        MessageBox::setNextAnswer(QMessageBox::No);
        QTest::keyClick(w.view(), Qt::Key_Delete); // as Delete Server
        QVERIFY(lastBox().startsWith("Delete Server"));
        QCOMPARE(MessageBox::recorded().last().defaultButton, QMessageBox::Yes);
        QTest::keyClick(w.view(), Qt::Key_N, Qt::ControlModifier); // as Add Server
        QVERIFY(w.find("Frm_AddSrv")->isVisible());
    }

    void rowsWhoseIdNamesNoOneServer() {
        TempFolder folder;
        folder.exec("DROP TABLE tbl_Srv"); // a hand-made file without a primary key
        folder.exec("CREATE TABLE tbl_Srv (ID, ServerName, IP, Port, TCPPort)");
        folder.exec("INSERT INTO tbl_Srv VALUES (7, 'Twin A', '127.0.0.1', '1', '1'), "
                    "(5, 'Single', '127.0.0.1', '2', '1'), (7, 'Twin B', '127.0.0.1', '3', '1'), "
                    "(NULL, 'Lost', 'l', '5', '1')");
        folder.exec("INSERT INTO tbl_Userdata VALUES (5, 's', 'sl', 'sp')");
        Window w(folder);
        QCOMPARE(MessageBox::recorded().size(), 1); // said once, at start-up
        QVERIFY(lastBox().contains("2 server(s) in TS.mdb have an ID that is not unique"));
        QVERIFY(lastBox().contains("\"Lost\" (ID: none)"));
        QVERIFY(w.data(3, ServerGrid::Servername, GridModel::MarkedRole).toBool()); // greyed
        QVERIFY(!w.data(2, ServerGrid::Servername, GridModel::MarkedRole).toBool());
        w.clickRow(2);
        w.clickRow(3); // a marked row shows no other server's settings
        QCOMPARE(w.login(), QStringList({"", "", ""}));
        QVERIFY(w.find<PlayerListBox>("LPlayer")->note().endsWith("so Quarnel does not ask it."));
        for (const char* action : {"Command3", "Command7", "Command6", "Command5"}) {
            w.click(action);
            QCOMPARE(lastBox(), QString("This server's ID (7) in TS.mdb is not unique, so Quarnel "
                                        "does not act on it."));
        }
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Srv"), QStringList{"4"});
        folder.exec("INSERT INTO tbl_Srv VALUES (NULL, 'Found', 'f', '6', '1')"); // elsewhere
        w.clickRow(2);
        w.click("Command1", w.opens("Command7")); // a reload tells what it finds anew
        QVERIFY(lastBox().contains("\"Found\" (ID: none)"));
    }

    void refusedWritesAreToldAndKeepTheTyping_data() {
        // The button that opens a dialog ("-": none), the box typed in, the press.
        QTest::addColumn<QString>("steps");
        // Another program holds the file, put another in its place, or took it away.
        QTest::addColumn<QString>("file");
        for (const char* file : {"held", "replaced", "gone"}) {
            const QByteArray name = QByteArray(", ") + file;
            QTest::newRow("add" + name) << "Command4 Text1 Command2" << file;
            QTest::newRow("edit" + name) << "Command7 Sname Command1" << file;
            QTest::newRow("delete" + name) << "- Text1 Command3" << file;
            QTest::newRow("login" + name) << "- Text1 Command6" << file;
        }
    }

    void refusedWritesAreToldAndKeepTheTyping() {
        QFETCH(QString, steps);
        QFETCH(QString, file);
        const QStringList step = steps.split(' ');
        TempFolder folder;
        folder.exec("INSERT INTO tbl_Srv (ServerName) VALUES ('A')");
        Window w(folder);
        w.clickRow(1);
        const bool moved = file != "held";
        if (moved) {
            QVERIFY(QFile::rename(folder.dbPath(), folder.dbPath() + ".old"));
            QVERIFY(file == "gone" || QFile::copy(folder.dbPath() + ".old", folder.dbPath()));
        } else {
            folder.exec("BEGIN IMMEDIATE"); // another program writes; readers still read
        }
        MessageBox::setNextAnswer(QMessageBox::Yes);
        QWidget* in = step[0] == "-" ? nullptr : w.opens(step[0]);
        w.box(step[1], in)->setText("typed");
        w.click(step[2], in);
        // The login settings are read before their question: a file moved away is not read.
        const bool notRead = moved && step[2] == "Command6";
        QVERIFY2(lastBox().contains(notRead ? "could not be read, so nothing was saved"
                                            : "the database refused the change"),
                 qPrintable(lastBox()));
        QCOMPARE(lastBox().contains("was moved, deleted or replaced"), moved);
        QCOMPARE(w.box(step[1], in)->text(), QStringLiteral("typed"));
        QVERIFY(in == nullptr || in->isVisible()); // a dialog stays open
        QCOMPARE(w.model().Rows(), 2);
        QCOMPARE(folder.rows("SELECT ServerName FROM tbl_Srv"), QStringList{"A"});
        QCOMPARE(folder.rows("SELECT count(*) FROM tbl_Userdata"), QStringList{"0"});
    }

    void theWindowAsItStarts() {
        TempFolder folder;
        // Addresses, not names: the refresh of the timer's tick looks nothing up.
        folder.exec("INSERT INTO tbl_Srv VALUES (4, 'A', '127.0.0.1', '1', '1'), "
                    "(2, 'B', '127.0.0.1', '3', '1')");
        Window w(folder);
        QCOMPARE(w.model().TextMatrix(1, ServerGrid::ID), QString("2")); // stored order
        QCOMPARE(w.cell(2), QString("X"));
        QCOMPARE(w.view()->ColWidth(ServerGrid::ID), 0); // the key is not shown
        QVERIFY(!w.find("Command3")->isEnabled());       // nothing picked yet
        QCOMPARE(QApplication::focusWidget(), w.find("LPlayer"));
        QCOMPARE(w.find<QToolButton>("Command2")->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
        // Its old size where the screen has room, nothing to scroll, the old colours.
        QCOMPARE(w.form.size(), QSize(twips::px(8580), twips::px(8115)));
        QVERIFY(!w.find<QScrollArea>("Scroll")->verticalScrollBar()->isVisible());
        QCOMPARE(w.form.grab().toImage().pixelColor(twips::px(6550), twips::px(3000)),
                 QColor(128, 255, 255));
        QVERIFY(!w.view()->horizontalHeader()->sectionsClickable());
        QCOMPARE(w.view()->model()->headerData(1, Qt::Horizontal), QVariant("Servername"));
        QVERIFY(!w.find<QToolButton>("Image1")->icon().isNull()); // the pictures are there
        QVERIFY(!w.find("RefreshProgress")->isVisible());
        QCOMPARE(w.find("RefreshProgress")->accessibleName(), "Refresh progress");
        QVERIFY(!w.view()->verticalHeader()->isVisible()); // no row numbers
        QVERIFY(look::cell({true, false, true}).italic);   // rows no action may touch, in italics
        QCOMPARE(w.find("Image1")->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(w.view()->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        // Tab walks the controls in the window's old order.
        QStringList order;
        for (QWidget* at = w.find("LPlayer"); order.size() < 13; at = at->nextInFocusChain()) {
            if ((at->focusPolicy() & Qt::TabFocus) != 0 && !at->objectName().isEmpty()) {
                order << at->objectName();
            }
        }
        QCOMPARE(order.join(' '), "LPlayer MSFlexGrid1 Command2 Command3 Command4 Command1 "
                                  "Command5 Combo1 Text1 Text2 Text3 Command6 Command7");
    }

    void oneRefreshComesSoonAfterStartAndKeepsWhatWasTyped() {
        TempFolder folder;
        folder.exec("INSERT INTO tbl_Srv VALUES (1, 'A', '127.0.0.1', '1', '1')");
        Window w(folder);
        auto* timer = w.find<QTimer>("Timer1");
        QVERIFY(timer->isActive() && timer->isSingleShot());
        QCOMPARE(timer->interval(), 2000);
        w.box("Text1")->setText("x");
        w.form.Timer1_Timer();
        QCOMPARE(w.box("Text1")->text(), QString("x"));
        QVERIFY(!timer->isActive());
        QVERIFY(w.form.refresh().running());
    }

    void longTextsAreToldAndStoredOnesShownWhole() {
        TempFolder folder;
        const QString huge(1 << 20, 'n');
        folder.exec("INSERT INTO tbl_Srv VALUES (1, '" + huge + "', '127.0.0.1', '1', '2')");
        Window w(folder);
        QLineEdit* name = w.box("Text1", w.opens("Command4"));
        QApplication::clipboard()->setText(huge);
        name->setFocus();
        QTest::keySequence(name, QKeySequence::Paste);
        QCOMPARE(name->text().size(), 32767);
        QCOMPARE(lastBox(), QString("The box \"Servername\" takes at most 32,767 characters; the "
                                    "rest of what you typed or pasted was left out."));
        w.clickRow(1);
        // Shown whole, so that a save cannot cut it.
        QCOMPARE(w.box("Sname", w.opens("Command7"))->text().size(), huge.size());
    }

    void theGridRedrawsWhatChangedAndOnlyForServersItLists() {
        const Server a{1, "A", "h", "1", "2"};
        ServerList list = ServerList::of({a});
        list.servers.append({{7, "C", "h", "1", "2"}, IdMark::NotWhole, "7.4"});
        ServerGrid grid;
        GridModel model(grid);
        grid.load(list);
        QCOMPARE(model.TextMatrix(2, ServerGrid::ID), "7.4"); // a marked row's ID as stored
        model.setRow(1);
        model.setRow(99); // no such row: the pick stays
        QCOMPARE(model.Row(), 1);
        QSignalSpy changed(&model, &GridModel::dataChanged);
        grid.setCount(a, {}, 3);
        QCOMPARE(changed.size(), 1);
        // No longer listed, or listed now with another query port: not this row's count.
        for (const Server& other : {Server{9, "G", "h", "1", "2"}, Server{1, "A", "h", "1", "9"}}) {
            grid.setNotCounted(other, {}, {});
        }
        QCOMPARE(changed.size(), 1);
        QCOMPARE(model.TextMatrix(1, ServerGrid::Player), "3");
    }

    void whatCameOfAQueryInWords() {
        const std::array<std::pair<NotCounted, const char*>, 6> said{{
            {{Outcome::TimedOut, {}, {}, 450}, "No answer within 450 ms"},
            {{Outcome::SocketError, "Network unreachable", {}, 0},
             "Network error: Network unreachable"},
            {{Outcome::TooLarge, {}, {}, 0}, "Answer too large: more than 1048576 bytes"},
            {{Outcome::BadQueryPort, "0", {}, 0},
             "Not asked: query port \"0\" is not a port number"},
            {{Outcome::BadVoicePort, "1\rquit", {}, 0}, "Not asked: voice port holds a line break"},
            {{Outcome::BadTimeout, {}, {}, 0},
             "Not asked: the timeout is not a usable number of milliseconds"},
        }};
        for (const auto& [why, words] : said) {
            QCOMPARE(words::whyNotCounted(why), QString(words));
        }
    }

    void countsAndPlayersInWords() {
        ServerGrid::Count count{3, {1000}, NotCounted{Outcome::Refused, {}, {}, 0}, {61000}};
        // The wall clock was set back an hour after the failure: the times keep their order.
        const QDateTime today(QDate(2026, 12, 10), QTime(9, 0));
        QCOMPARE(words::countTip(count, {today, {121000}}),
                 "Connection refused (08:59:00); last counted at 08:58:00");
        // A day later, the date says so.
        QCOMPARE(words::countTip(count, {today.addDays(1), {121000 + 86400000}}),
                 "Connection refused (2026-12-10 08:59:00); last counted at 2026-12-10 08:58:00");
        QCOMPARE(words::flagNames(73), QString("Flags 73: channel commander, away, recording"));
        // Controls become visible marks; a space and a no-break space stay as they are.
        QCOMPARE(words::oneLine(QString::fromUtf16(u"a\u0080\u009f\u00a0 \u2028b")),
                 QString::fromUtf16(u"a\ufffd\ufffd\u00a0 \ufffdb"));
    }

    void saveQuestion() {
        const QString heading = "Nickname||LoginName||Password\r\n";
        const UserData entered{"n", "a||b", "p\r\n", false};
        QCOMPARE(words::saveQuestion({"old", "ol", "", true}, entered),
                 "Do you want to replace the current Usersettings\r\n" + heading +
                     "old||ol||\r\nwith\r\n" + heading + "n||a||b||*** ?");
        // Past 100 characters a value shows its start and end, so that the question fits.
        const QString huge(500, 'x');
        const QString cut = huge.left(49) + QChar(0x2026) + huge.right(49);
        QCOMPARE(words::saveQuestion({}, {huge, QString(100, 'l'), huge, false}).section("\r\n", 2),
                 cut + "||" + QString(100, 'l') + "||" + QString(cut).replace('x', '*') + " ?");
        // A value that runs right to left, or turns its text around, is isolated.
        const QString hebrew = QString::fromUtf8("\u05e9\u05dc\u05d5\u05dd");
        QCOMPARE(words::saveQuestion({}, {hebrew, "l", "", false}),
                 "Do you want to save the Usersettings\r\n" + heading + QChar(0x2068) + hebrew +
                     QChar(0x2069) + "||l|| ?");
        const QString evil = QString::fromUtf8("\u202eevil.exe");
        QCOMPARE(words::deleteQuestion({1, evil, "127.0.0.1", "8767", "1"}),
                 QString("Delete Server\r\n") + QChar(0x2068) + evil + QChar(0x2069) +
                     "  127.0.0.1:8767?");
    }

    void theLogoAndThePopupOnAnEmptyList() {
        TempFolder folder;
        Window w(folder);
        // The advice is heard, not only drawn.
        QCOMPARE(w.view()->accessibleDescription(), QString(FlexGrid::kEmptyHint));
        QVERIFY(adviceDrawn(w.view()));
        QWidget* logo = w.find("Image1");
        QCOMPARE(logo->toolTip(), "Open the homepage (Quarnel " QUARNEL_VERSION ")");
        QTest::mouseClick(logo, Qt::LeftButton);
        QCOMPARE(w.desktop->links, QStringList{"open " + QLatin1String(client_link::kHomepage)});
        QCOMPARE(MessageBox::recorded().size(), 0); // a link taken is no failure
        w.desktop->refusal = "no browser";
        QTest::mouseClick(logo, Qt::LeftButton);
        QCOMPARE(lastBox(), QStringLiteral("The homepage could not be opened: no browser."));
        // The popup opens for the right button only, over the headings too.
        QWidget* heading = w.view()->horizontalHeader()->viewport();
        QTest::mouseClick(heading, Qt::LeftButton, {}, QPoint(20, 5));
        QVERIFY(!w.popup()->isVisible());
        QTest::mouseClick(heading, Qt::RightButton, {}, QPoint(20, 5));
        QVERIFY(w.popup()->isVisible());
        w.popup()->actions().first()->trigger();
        QVERIFY(w.find("Frm_AddSrv")->isVisible());
    }

    void quitAndClosing() {
        Shown w;
        w.click("Command2");
        QLineEdit* timeout = w.find<QComboBox>("Combo1")->lineEdit();
        QTest::mouseClick(timeout, Qt::LeftButton);
        QTest::keyClicks(timeout, "0"); // QUIT ends the program with the focus still in a box
        w.click("Command1");
        QCOMPARE(w.ends, 1);
        QVERIFY(mod_DB::dbTS && w.form.refresh().running());
        w.form.close(); // ends the refresh and closes the file too
        QCOMPARE(w.ends, 2);
        QVERIFY(!mod_DB::dbTS);
        QVERIFY(!w.form.refresh().running());
    }

    void startingWithAndWithoutAFile() {
        QTemporaryDir empty;
        StreamToFile said(STDERR_FILENO); // also written where Quarnel was started from
        QCOMPARE(startQuarnel(empty.path()), 1);
        QVERIFY(said.restore().contains("Quarnel cannot start: Error 14"));
        QCOMPARE(QApplication::applicationName(), "Quarnel"); // as desktops group its windows
        // The engine's words, then what to do: for a missing file, the command that makes one.
        QVERIFY(lastBox().startsWith("Quarnel cannot start: Error 14: unable to open database"));
        QVERIFY(lastBox().endsWith("run:\n'" + empty.path() + "/quarnel-initdb' '" + empty.path() +
                                   "/TS.mdb'"));
        // A link to a file that is gone: the advice names where it points.
        const QString target = empty.path() + "/gone.mdb";
        QVERIFY(QFile::link(target, empty.path() + "/TS.mdb"));
        QCOMPARE(startQuarnel(empty.path()), 1);
        QVERIFY(lastBox().contains("TS.mdb' is a link to '" + target + "', which does not exist"));
        QVERIFY(initdb::createEmptyDatabase(empty.path() + "/TS.mdb").error().contains(target));
        QVERIFY(QFile::remove(empty.path() + "/TS.mdb"));
        QVERIFY(QDir(empty.path()).mkdir("TS.mdb")); // there, but no file that opens
        QCOMPARE(startQuarnel(empty.path()), 1);
        QVERIFY(lastBox().contains("TS.mdb is there, but it cannot be opened"));
        QVERIFY(lastBox().endsWith("(ls -l '" + empty.path() + "/TS.mdb')."));
        // A good file: the window is shown, and closing it ends the program with 0.
        TempFolder good;
        QTimer closing; // once the event loop runs
        closing.setSingleShot(true);
        QObject::connect(&closing, &QTimer::timeout, [] {
            for (QWidget* window : QApplication::topLevelWidgets()) {
                if (qobject_cast<Form1*>(window) != nullptr && window->isVisible()) {
                    window->close();
                    return;
                }
            }
            QCoreApplication::exit(2); // never shown
        });
        closing.start(0);
        QCOMPARE(startQuarnel(good.path()), 0);
    }
};

QTEST_MAIN(TestWindow)
#include "test_window.moc"
