// SPDX-License-Identifier: MIT
#include "app/Form1.h"

#include "app/FlexGrid.h"
#include "app/Look.h"
#include "app/MessageBox.h"
#include "app/Named.h"
#include "app/PlayerListBox.h"
#include "app/Reports.h"
#include "app/ServerDialogs.h"
#include "app/TextBox.h"
#include "app/Twips.h"
#include "app/Words.h"
#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "launch/mod_Userdata.h"
#include "query/PlayerList.h"
#include "query/Refresh.h"
#include "store/mod_DB.h"
#include "store/mod_DBWork.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <array>

using twips::place;
using twips::px;

namespace {

constexpr int kClientWidth = 8580;
constexpr int kClientHeight = 8115;

QToolButton* pictureButton(QWidget* parent, const char* name, const QString& caption,
                           const char* picture, int iconSize) {
    auto* button = named(new QToolButton(parent), name, caption);
    button->setText(caption);
    button->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(picture))));
    button->setIconSize(QSize(iconSize, iconSize));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return button;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    auto* result = named(new QLabel(caption, parent), name, caption);
    // At the top of its box: the box below starts before the label ends.
    result->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return result;
}

} // namespace

// The buttons the layout makes and the wiring connects.
struct Form1::Buttons {
    QToolButton* command1; // "QUIT"
    QToolButton* command2; // "Refresh"
    QToolButton* command3; // "Delete Server"
    QToolButton* command4; // "Add Server"
    QToolButton* command5; // "Connect 2 Server"
    QPushButton* command6; // "Save TS User settings"
    QToolButton* command7; // "Edit"
};

// The pictures are compiled into the static library; register them once.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

Form1::Form1(QWidget* parent)
    : QWidget(parent), m_grid(new ServerGrid(this)), m_model(new GridModel(*m_grid, this)) {
    initResources();
    endProgram = [] { QCoreApplication::exit(0); };
    m_linkOpener = std::make_unique<XdgOpener>();
    wire(layOut());
}

Form1::~Form1() {
    Form_Unload();
    // The focus leaves while the window is whole: the timeout box finishes
    // its edit as it loses the focus, and that edit is this window's to take.
    hide();
}

void Form1::setLinkOpener(std::unique_ptr<LinkOpener> opener) {
    m_linkOpener = std::move(opener);
}

Form1::Buttons Form1::layOut() {
    setWindowTitle(QStringLiteral("Quarnel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quarnel.svg")));
    look::paintCyan(this);
    // The controls keep their places on a canvas of the old size. The window
    // is that size where the screen has room, else as large as the screen
    // allows, and the canvas scrolls so that every control stays in reach.
    auto* canvas = new QWidget;
    canvas->setObjectName(QStringLiteral("Canvas"));
    canvas->setFixedSize(px(kClientWidth), px(kClientHeight));
    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("Scroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(canvas);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(0, 0, 0, 0);
    whole->addWidget(scroll);
    setMaximumSize(canvas->size());

    MSFlexGrid1 = named(new FlexGrid(*m_model, canvas), "MSFlexGrid1", QStringLiteral("Servers"));
    place(MSFlexGrid1, {0, 0, 6495, 6615});
    auto* command3 =
        pictureButton(canvas, "Command3", QStringLiteral("Delete Server"), "delete", 20);
    place(command3, {30, 6600, 2588, 615});
    auto* command7 = pictureButton(canvas, "Command7", QStringLiteral("Edit"), "edit", 20);
    place(command7, {2618, 6600, 1299, 615});
    auto* command4 = pictureButton(canvas, "Command4", QStringLiteral("Add Server"), "add", 20);
    place(command4, {3907, 6600, 2588, 615});
    auto* command2 = pictureButton(canvas, "Command2", QStringLiteral("Refresh"), "refresh", 32);
    place(command2, {30, 7200, 6465, 855});
    m_refreshButton = command2;
    // How far a refresh is, on the button's empty right side: always in
    // sight, whatever the grid shows, and never in the way of a click.
    m_progress = new QProgressBar(command2);
    m_progress->setObjectName(QStringLiteral("RefreshProgress"));
    m_progress->setAccessibleName(QStringLiteral("Refresh progress"));
    m_progress->setFormat(QStringLiteral("Asking %v of %m"));
    m_progress->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_progress->setGeometry(command2->width() - px(2100), (command2->height() - px(300)) / 2,
                            px(2000), px(300));
    m_progress->hide();

    // A picture that is a button: a press released on it, Space or Enter, or
    // a screen reader's press opens the homepage.
    Image1 = named(new QToolButton(canvas), "Image1", QStringLiteral("Quarnel homepage"));
    Image1->setIcon(QIcon(QStringLiteral(":/icons/logo.svg")));
    Image1->setIconSize(QSize(px(1935), px(1305)));
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setFocusPolicy(Qt::TabFocus);
    Image1->setStyleSheet(QStringLiteral("QToolButton { border: 1px solid transparent; padding: 0; "
                                         "background: transparent; }"
                                         "QToolButton:focus { border: 1px dotted black; }"));
    // The version a user can see, for a bug report.
    Image1->setToolTip(
        QStringLiteral("Open the homepage (Quarnel %1)").arg(QLatin1String(QUARNEL_VERSION)));
    connect(Image1, &QToolButton::clicked, this, &Form1::Image1_Click);
    place(Image1, {6600, 30, 1935, 1305});

    auto* label1 = label(canvas, "Label1", QStringLiteral("Player on selected server"));
    place(label1, {6600, 1320, 1935, 255});
    LPlayer = named(new PlayerListBox(canvas), "LPlayer", label1->text());
    place(LPlayer, {6600, 1560, 1935, 2595});
    label1->setBuddy(LPlayer);

    // Each login box sits 195 twips below its label.
    const auto loginBox = [canvas](const char* labelName, const QString& caption, const char* name,
                                   int labelTop) {
        auto* heading = label(canvas, labelName, caption);
        place(heading, {7080, labelTop, 1095, 255});
        auto* edit = textBox(canvas, name, caption);
        place(edit, {6600, labelTop + 195, 1935, 285});
        heading->setBuddy(edit);
        return edit;
    };
    Text1 = loginBox("Label3", QStringLiteral("Nickname"), "Text1", 4365);
    Text2 = loginBox("Label4", QStringLiteral("Loginname"), "Text2", 4845);
    Text3 = loginBox("Label5", QStringLiteral("Password"), "Text3", 5325);
    Text3->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the style would draw.
    Text3->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));

    auto* command6 = named(new QPushButton(QStringLiteral("Save TS User settings"), canvas),
                           "Command6", QStringLiteral("Save TS User settings"));
    place(command6, {6600, 5880, 1935, 255});
    auto* command5 =
        pictureButton(canvas, "Command5", QStringLiteral("Connect 2 Server"), "connect", 30);
    place(command5, {6600, 6190, 1935, 735});

    auto* label2 = label(canvas, "Label2", QStringLiteral("Timeout (ms)"));
    label2->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    place(label2, {6600, 7040, 975, 255});
    Combo1 = named(new QComboBox(canvas), "Combo1", label2->text());
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    // What is typed stands: "300" and Return is 300, not the list's "3000".
    Combo1->setCompleter(nullptr);
    place(Combo1, {7680, 6990, 855, 315});
    label2->setBuddy(Combo1);
    connect(Combo1->lineEdit(), &QLineEdit::editingFinished, this, &Form1::commitTimeout);
    connect(Combo1, &QComboBox::activated, this, &Form1::commitTimeout);

    auto* command1 = pictureButton(canvas, "Command1", QStringLiteral("QUIT"), "quit", 24);
    place(command1, {6600, 7395, 1935, 660});

    // The keyboard walks the controls in the window's old focus order.
    // The logo, a stop it never was, comes last.
    const QList<QWidget*> order{LPlayer,  MSFlexGrid1, command2, command3, command4,
                                command1, command5,    Combo1,   Text1,    Text2,
                                Text3,    command6,    command7, Image1};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }
    return {command1, command2, command3, command4, command5, command6, command7};
}

void Form1::wire(const Buttons& buttons) {
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    Timer1->setSingleShot(true);

    // fSw never sits on a menu bar: the window has none, the menu pops up over the grid.
    fSw = new QMenu(QStringLiteral("Serverwork"), this);
    fSw->setObjectName(QStringLiteral("fSw"));
    const auto item = [this](const char* name, const QString& caption, void (Form1::*slot)()) {
        QAction* action = fSw->addAction(caption);
        action->setObjectName(QLatin1String(name));
        connect(action, &QAction::triggered, this, slot);
    };
    item("fAddSrvFromMenue", QStringLiteral("Add a new server"), &Form1::fAddSrvFromMenue_Click);
    item("fEditSrvFromMenue", QStringLiteral("Edit this server"), &Form1::fEditSrvFromMenue_Click);
    item("fDelSrvFromMenue", QStringLiteral("Delete this server"), &Form1::fDelSrvFromMenue_Click);

    m_refresh = new query::Refresh(*this, this);
    // The refresh reports; the grid shows.
    connect(m_refresh, &query::Refresh::asking, m_model, &GridModel::showAsking);
    connect(m_refresh, &query::Refresh::counted, m_grid, &ServerGrid::setCount);
    connect(m_refresh, &query::Refresh::notCounted, m_grid, &ServerGrid::setNotCounted);
    connect(m_refresh, &query::Refresh::finished, m_model, &GridModel::endAsking);
    connect(m_refresh, &query::Refresh::progress, this, &Form1::refreshProgress);
    connect(m_refresh, &query::Refresh::finished, this, &Form1::refreshEnded);
    connect(m_refresh, &query::Refresh::timeoutUnusable, this, [this](const QString& text) {
        MessageBox::showError(this, QStringLiteral("The timeout \"%1\" is not a whole number of "
                                                   "milliseconds from 0 to 32767, so the refresh "
                                                   "stopped; every server keeps its count.")
                                        .arg(text));
    });
    m_playerList = new query::PlayerList(this);
    connect(m_playerList, &query::PlayerList::listed, LPlayer, &PlayerListBox::addPlayers);
    connect(m_playerList, &query::PlayerList::finished, this, &Form1::showListed);

    // The actions on the picked server look ready only when one is picked;
    // the popup's items stay enabled and then do nothing.
    const auto needPick = [this, buttons = QList<QWidget*>{buttons.command3, buttons.command7,
                                                           buttons.command6, buttons.command5}] {
        const bool picked = m_model->Row() > 0;
        for (QWidget* button : buttons) {
            button->setEnabled(picked);
            button->setToolTip(picked ? QString()
                                      : QStringLiteral("Pick a server in the list first"));
        }
    };
    // Every load tells the pick, the one at start-up included.
    connect(m_model, &GridModel::pickChanged, this, needPick);
    connect(m_model, &GridModel::pickChanged, this, &Form1::followPick);

    connect(buttons.command1, &QToolButton::clicked, this, &Form1::Command1_Click);
    // Pressing Refresh finishes an edit of the timeout box (F5 leaves the focus
    // there); the start-up refresh takes the last finished one.
    const auto pressRefresh = [this] {
        commitTimeout();
        Command2_Click();
    };
    connect(buttons.command2, &QToolButton::clicked, this, pressRefresh);
    connect(buttons.command3, &QToolButton::clicked, this, &Form1::Command3_Click);
    connect(buttons.command4, &QToolButton::clicked, this, &Form1::Command4_Click);
    connect(buttons.command5, &QToolButton::clicked, this, &Form1::Command5_Click);
    connect(buttons.command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(buttons.command7, &QToolButton::clicked, this, &Form1::Command7_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(MSFlexGrid1, &FlexGrid::Click, this, &Form1::MSFlexGrid1_Click);
    connect(MSFlexGrid1, &FlexGrid::MouseDown, this, &Form1::MSFlexGrid1_MouseDown);
    connect(MSFlexGrid1, &FlexGrid::MenuKey, this,
            [this](QPoint at) { fSw->popup(MSFlexGrid1->viewport()->mapToGlobal(at)); });

    // Keys only add ways in; the layout stays as it is.
    connect(new QShortcut(QKeySequence(Qt::Key_F5), this), &QShortcut::activated, this,
            pressRefresh);
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this), &QShortcut::activated, this,
            &Form1::Command4_Click);
    connect(new QShortcut(QKeySequence(Qt::Key_Delete), MSFlexGrid1, nullptr, nullptr,
                          Qt::WidgetShortcut),
            &QShortcut::activated, this, &Form1::Command3_Click);
}

Status Form1::Form_Load(const QString& programFolder) {
    if (Status opened = mod_DB::fDBConnect(true, programFolder); !opened) {
        return opened;
    }
    fDefWidth();
    if (Status loaded = mod_DBWork::fLoadServerList(*m_grid); !loaded) {
        return loaded;
    }
    Timer1->start();
    for (const char* timeout :
         {"500", "1000", "1500", "2000", "2500", "3000", "3500", "4000", "4500", "5000"}) {
        Combo1->addItem(QLatin1String(timeout));
    }
    Combo1->setCurrentIndex(Combo1->findText(QStringLiteral("1500")));
    commitTimeout();
    LPlayer->setFocus(Qt::OtherFocusReason);
    if (const QString notes = m_model->untoldNotes(); !notes.isEmpty()) {
        MessageBox::showError(this, notes);
    }
    return success();
}

void Form1::Form_Unload() {
    (void)mod_DB::fDBConnect(false, {}); // closing cannot fail
    m_refresh->stop();
}

void Form1::closeEvent(QCloseEvent* /*event*/) {
    Form_Unload();
    // Closing the main window ends the program, open dialogs included.
    endProgram();
}

void Form1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!std::exchange(m_fitted, true)) {
        fitScreen();
        connect(windowHandle(), &QWindow::screenChanged, this, &Form1::fitScreen);
    }
}

void Form1::fitScreen() {
    const QScreen* at = screen();
    if (at == nullptr || isMaximized() || isFullScreen()) {
        return;
    }
    const QRect room = at->availableGeometry();
    QSize frame = frameGeometry().size() - size();
    if (frame.isEmpty()) {
        // Not framed yet: leave room for a title bar and borders.
        const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        frame = QSize(2 * border, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 2 * border);
    }
    resize(maximumSize().boundedTo(room.size() - frame));
    const QSize outer = size() + frame;
    QPoint corner = frameGeometry().topLeft();
    corner.setX(std::clamp(corner.x(), room.left(),
                           std::max(room.left(), room.right() + 1 - outer.width())));
    corner.setY(std::clamp(corner.y(), room.top(),
                           std::max(room.top(), room.bottom() + 1 - outer.height())));
    if (corner != frameGeometry().topLeft()) {
        move(corner);
    }
}

void Form1::fDefWidth() {
    // In twips, by column: the key column is hidden.
    constexpr std::array<int, ServerGrid::ColumnCount> widths{0, 2700, 1300, 800, 800, 750};
    int col = 0;
    for (const int width : widths) {
        MSFlexGrid1->setColWidth(col++, width);
    }
}

bool Form1::fSetUD(const Server& server) {
    clearLogin();
    const auto settings = mod_Userdata::readUserdata(server);
    if (!settings) {
        MessageBox::showError(
            this, QStringLiteral("The stored login settings of this server could not be read; "
                                 "the boxes stay empty.\n%1")
                      .arg(settings.error()));
        return true;
    }
    if (!settings->has_value()) {
        // Another server's settings under this one's name: shown for none.
        m_shown.reset();
        MessageBox::showError(this, words::changedMeanwhile(
                                        QStringLiteral("the list now shows it as it is stored.")));
        reloadAfter(this, *m_model, QStringLiteral("The server was changed elsewhere"));
        return false;
    }
    if (const UserData& stored = **settings; stored.Found) {
        showWhole(Text1, stored.Nickname);
        showWhole(Text2, stored.LoginName);
        showWhole(Text3, stored.Password);
    }
    return true;
}

void Form1::Command1_Click() {
    endProgram();
}

void Form1::Command2_Click() {
    if (m_refresh->running()) {
        return;
    }
    // The login boxes keep what they hold: the pick does not move during a refresh.
    m_refresh->start();
}

void Form1::Command3_Click() {
    const auto server = pickedServerOrSay();
    if (!server || !MessageBox::askYesNo(this, QStringLiteral("Delete this server"),
                                         words::deleteQuestion(*server))) {
        return;
    }
    const auto deleted = mod_DB::fDelServer(*server);
    if (!deleted) {
        reportRefused(this, QStringLiteral("The server could not be deleted"), deleted.error());
        return;
    }
    if (*deleted == Write::Gone) {
        MessageBox::showError(this,
                              words::changedMeanwhile(QStringLiteral("nothing was deleted.")));
    }
    reloadAfter(this, *m_model, QStringLiteral("The server was deleted"));
}

void Form1::Command4_Click() {
    if (m_addDialog == nullptr) {
        m_addDialog = new Frm_AddSrv(*m_model, this);
    }
    m_addDialog->show();
    m_addDialog->raise();
    m_addDialog->activateWindow();
}

void Form1::Command5_Click() {
    const auto server = pickedServerOrSay();
    if (!server) {
        return;
    }
    // The login goes only to the server as the user sees it.
    const auto still = mod_DB::stillStored(*server);
    if (!still) {
        MessageBox::showError(this, QStringLiteral("The server could not be checked in TS.mdb, so "
                                                   "the client was not started.\n%1")
                                        .arg(still.error()));
        return;
    }
    if (*still == Write::Gone) {
        MessageBox::showError(
            this, words::changedMeanwhile(QStringLiteral("the client was not started.")));
        reloadAfter(this, *m_model, QStringLiteral("Nothing was sent"));
        return;
    }
    const QString link = client_link::build(*server, typedLogin());
    m_linkOpener->open(QStringLiteral("Open"), link,
                       reportFailure(QStringLiteral("The TeamSpeak client could not be started")));
}

void Form1::Command6_Click() {
    const auto server = pickedServerOrSay();
    if (!server) {
        return;
    }
    const auto stored = mod_Userdata::readUserdata(*server);
    if (!stored) {
        // Asking "save" over settings that may well exist would mislead.
        MessageBox::showError(this, QStringLiteral("The stored login settings of this server "
                                                   "could not be read, so nothing was saved.\n%1")
                                        .arg(stored.error()));
        return;
    }
    const auto saved = [&]() -> Result<Write> {
        if (!stored->has_value()) {
            return Write::Gone;
        }
        const UserData entered = typedLogin();
        if (!MessageBox::askYesNo(this, QStringLiteral("Save Usersettings?"),
                                  words::saveQuestion(**stored, entered))) {
            return Write::Done; // "No": nothing to tell
        }
        return mod_Userdata::fSaveUserdata(*server, {**stored, entered});
    }();
    if (!saved) {
        reportRefused(this, QStringLiteral("The login settings could not be saved"), saved.error());
    } else if (*saved == Write::Gone) {
        MessageBox::showError(
            this, words::changedMeanwhile(QStringLiteral("the login settings were not saved.")));
        reloadAfter(this, *m_model, QStringLiteral("Nothing was saved"));
    } else if (*saved == Write::Stale) {
        MessageBox::showError(this, QStringLiteral("The stored login settings of this server were "
                                                   "changed elsewhere while the question was "
                                                   "open, so nothing was saved; the boxes keep "
                                                   "what you typed."));
    }
}

void Form1::Command7_Click() {
    const auto picked = pickedServerOrSay();
    if (!picked) {
        return;
    }
    const auto server = mod_DB::readServer(picked->id);
    if (!server) {
        MessageBox::showError(
            this, QStringLiteral("The server could not be read.\n%1").arg(server.error()));
        return;
    }
    if (!server->has_value()) {
        MessageBox::showError(this, QStringLiteral("This server is no longer in the list."));
        reloadAfter(this, *m_model, QStringLiteral("The server was deleted elsewhere"));
        return;
    }
    if (m_editDialog == nullptr) {
        m_editDialog = new Form2(*m_model, this);
    }
    m_editDialog->fill(**server);
}

void Form1::fAddSrvFromMenue_Click() {
    Command4_Click();
}

void Form1::fEditSrvFromMenue_Click() {
    Command7_Click();
}

void Form1::fDelSrvFromMenue_Click() {
    Command3_Click();
}

void Form1::Image1_Click() {
    client_link::fOpenHomepage(*m_linkOpener,
                               reportFailure(QStringLiteral("The homepage could not be opened")));
}

void Form1::MSFlexGrid1_Click() {
    const auto server = m_model->pickedServer();
    if (!server) {
        // A row no action may touch shows no other server's settings or players.
        forgetShown();
        return;
    }
    m_shown = *server;
    if (fSetUD(*server)) {
        listPlayers(*server);
    }
}

void Form1::followPick() {
    const auto server = m_model->pickedServer();
    if (!server) {
        forgetShown(); // nothing picked, or a row no action may touch
        return;
    }
    const auto sameAddress = [](const Server& a, const Server& b) {
        return a.ip == b.ip && a.port == b.port && a.tcpPort == b.tcpPort;
    };
    if (!m_shown || m_shown->id != server->id || !sameAddress(*m_shown, *server)) {
        // Another server, or this one at another address: its own settings.
        MSFlexGrid1_Click();
    } else {
        m_shown = *server; // only renamed: what was typed into the boxes stays
    }
}

void Form1::forgetShown() {
    m_shown.reset();
    m_playerList->closeConnection();
    clearLogin();
    LPlayer->clear();
    const ListedServer* picked = m_grid->server(m_model->Row());
    const QString mark = picked != nullptr ? words::markText(*picked) : QString();
    LPlayer->setNote(mark.isEmpty() ? QString()
                                    : mark + QStringLiteral(", so Quarnel does not ask it."));
}

void Form1::listPlayers(const Server& server) {
    LPlayer->clear();
    LPlayer->setNote({});
    m_playerList->start(server, waitBeforeConnect());
}

void Form1::showListed(const query::ExchangeResult& result) {
    // A server that answered with nobody on it shows an empty list and nothing else.
    LPlayer->setNote(result.outcome == query::Outcome::Answered
                         ? QString()
                         : words::whyNotCounted(result.whyNot()));
}

void Form1::MSFlexGrid1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers /*shift*/,
                                  QPoint position) {
    if (button == Qt::RightButton) {
        fSw->popup(MSFlexGrid1->viewport()->mapToGlobal(position));
    }
}

void Form1::Timer1_Timer() {
    Command2_Click();
    Timer1->stop();
}

std::optional<Server> Form1::pickedServerOrSay() {
    auto server = m_model->pickedServer();
    if (!server && m_model->Row() > 0) {
        MessageBox::showError(this, words::markText(*m_grid->server(m_model->Row())) +
                                        QStringLiteral(", so Quarnel does not act on it."));
    }
    return server;
}

UserData Form1::typedLogin() const {
    return {.Nickname = Text1->text(), .LoginName = Text2->text(), .Password = Text3->text()};
}

void Form1::commitTimeout() {
    m_timeout = Combo1->currentText();
    const bool usable = query::refreshPause(m_timeout).has_value();
    const QString why =
        usable ? QString()
               : QStringLiteral("Not a usable timeout: type a whole number of milliseconds from "
                                "0 to 32767");
    Combo1->setToolTip(why);
    Combo1->setAccessibleDescription(why);
    Combo1->setStyleSheet(
        usable ? QString() : QStringLiteral("QComboBox { border: 2px solid rgb(200, 0, 0); }"));
}

void Form1::refreshProgress(int row, int rows) {
    m_progress->setRange(0, rows);
    m_progress->setValue(row);
    m_progress->show();
    m_refreshButton->setAccessibleDescription(
        QStringLiteral("Refreshing: asking server %1 of %2").arg(row).arg(rows));
}

void Form1::refreshEnded() {
    m_progress->hide();
    m_refreshButton->setAccessibleDescription({});
}

void Form1::clearLogin() {
    Text1->clear();
    Text2->clear();
    Text3->clear();
}

int Form1::lastRow() const {
    return m_grid->lastRow();
}

const ListedServer* Form1::serverOn(int row) const {
    return m_grid->server(row);
}

QString Form1::timeoutText() const {
    return m_timeout;
}

bool Form1::waitBeforeConnect() const {
    return isMinimized() || isMaximized();
}

LinkOpener::Done Form1::reportFailure(const QString& failure) {
    return [self = QPointer<Form1>(this), failure](const Status& opened) {
        if (!opened && self) {
            MessageBox::showError(self, failure + QStringLiteral(": ") + opened.error() +
                                            QLatin1Char('.'));
        }
    };
}
