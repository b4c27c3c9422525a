#include "app/Form1.h"

#include "launch/ClientLink.h"
#include "launch/LinkOpener.h"
#include "launch/mod_Userdata.h"
#include "query/PlayerList.h"
#include "query/Refresh.h"
#include "store/Dialogs.h"
#include "store/FlexGrid.h"
#include "store/ServerDialogs.h"
#include "store/ServerRecords.h"
#include "store/Twips.h"
#include "store/mod_DB.h"
#include "store/mod_DBWork.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>
#include <QToolButton>

using twips::named;
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
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption) {
    auto* result = named(new QLabel(caption, parent), name, caption);
    result->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return result;
}

} // namespace

// The pictures are compiled into the static library; register them once.
static void initResources() {
    Q_INIT_RESOURCE(resources);
}

Form1::Form1(QWidget* parent) : QWidget(parent) {
    initResources();
    endProgram = [] { QCoreApplication::exit(0); };
    m_linkOpener = std::make_unique<XdgOpener>();
    buildControls();
    buildShortcuts();
}

Form1::~Form1() {
    Form_Unload();
}

void Form1::setLinkOpener(std::unique_ptr<LinkOpener> opener) {
    m_linkOpener = std::move(opener);
}

void Form1::buildControls() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Quarnel"));
    setAccessibleName(QStringLiteral("Quarnel"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/quarnel.svg")));
    twips::paintCyan(this);
    // The controls keep their places; the window does not change size.
    setFixedSize(px(kClientWidth), px(kClientHeight));

    MSFlexGrid1 = named(new FlexGrid(this), "MSFlexGrid1", QStringLiteral("Servers"));
    place(MSFlexGrid1, 0, 0, 6495, 6615);
    Command3 = pictureButton(this, "Command3", QStringLiteral("Delete Server"), "delete", 20);
    place(Command3, 30, 6600, 2588, 615);
    Command7 = pictureButton(this, "Command7", QStringLiteral("Edit"), "edit", 20);
    place(Command7, 2618, 6600, 1299, 615);
    Command4 = pictureButton(this, "Command4", QStringLiteral("Add Server"), "add", 20);
    place(Command4, 3907, 6600, 2588, 615);
    Command2 = pictureButton(this, "Command2", QStringLiteral("Refresh"), "refresh", 32);
    place(Command2, 30, 7200, 6465, 855);

    Image1 = named(new QLabel(this), "Image1", QStringLiteral("Quarnel homepage"));
    Image1->setPixmap(QIcon(QStringLiteral(":/icons/logo.svg")).pixmap(px(1935), px(1305)));
    Image1->setScaledContents(true);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->setToolTip(QStringLiteral("Open the homepage"));
    Image1->installEventFilter(this);
    place(Image1, 6600, 30, 1935, 1305);

    Label1 = label(this, "Label1", QStringLiteral("Player on selected server"));
    place(Label1, 6600, 1320, 1935, 255);
    LPlayer = named(new QListWidget(this), "LPlayer", Label1->text());
    LPlayer->setSortingEnabled(false);
    place(LPlayer, 6600, 1560, 1935, 2595);
    Label1->setBuddy(LPlayer);

    Label3 = label(this, "Label3", QStringLiteral("Nickname"));
    place(Label3, 7080, 4365, 1095, 255);
    Text1 = named(new QLineEdit(this), "Text1", Label3->text());
    place(Text1, 6600, 4560, 1935, 285);
    Label4 = label(this, "Label4", QStringLiteral("Loginname"));
    place(Label4, 7080, 4845, 1095, 255);
    Text2 = named(new QLineEdit(this), "Text2", Label4->text());
    place(Text2, 6600, 5040, 1935, 285);
    Label5 = label(this, "Label5", QStringLiteral("Password"));
    place(Label5, 7080, 5325, 1095, 255);
    Text3 = named(new QLineEdit(this), "Text3", Label5->text());
    Text3->setEchoMode(QLineEdit::Password);
    // One "*" per character, whatever the style would draw.
    Text3->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    place(Text3, 6600, 5520, 1935, 285);
    Label3->setBuddy(Text1);
    Label4->setBuddy(Text2);
    Label5->setBuddy(Text3);

    Command6 = named(new QPushButton(QStringLiteral("Save TS User settings"), this), "Command6",
                     QStringLiteral("Save TS User settings"));
    place(Command6, 6600, 5880, 1935, 255);
    Command5 = pictureButton(this, "Command5", QStringLiteral("Connect 2 Server"), "connect", 30);
    place(Command5, 6600, 6190, 1935, 735);

    Label2 = label(this, "Label2", QStringLiteral("Timeout (ms)"));
    place(Label2, 6600, 7040, 975, 255);
    Combo1 = named(new QComboBox(this), "Combo1", Label2->text());
    Combo1->setEditable(true);
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    place(Combo1, 7680, 6990, 855, 315);
    Label2->setBuddy(Combo1);

    Command1 = pictureButton(this, "Command1", QStringLiteral("QUIT"), "quit", 24);
    place(Command1, 6600, 7395, 1935, 660);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(2000);
    Timer1->setSingleShot(true);

    fSw = new QMenu(QStringLiteral("Serverwork"), this);
    fSw->setObjectName(QStringLiteral("fSw"));
    fAddSrvFromMenue = fSw->addAction(QStringLiteral("Add a new server"));
    fAddSrvFromMenue->setObjectName(QStringLiteral("fAddSrvFromMenue"));
    fEditSrvFromMenue = fSw->addAction(QStringLiteral("Edit this server"));
    fEditSrvFromMenue->setObjectName(QStringLiteral("fEditSrvFromMenue"));
    fDelSrvFromMenue = fSw->addAction(QStringLiteral("Delete this server"));
    fDelSrvFromMenue->setObjectName(QStringLiteral("fDelSrvFromMenue"));

    // The keyboard walks the controls in the window's old focus order.
    const QList<QWidget*> order{LPlayer,  MSFlexGrid1, Command2, Command3, Command4,
                                Command1, Command5,    Combo1,   Text1,    Text2,
                                Text3,    Command6,    Command7};
    for (qsizetype i = 1; i < order.size(); ++i) {
        setTabOrder(order[i - 1], order[i]);
    }

    const auto notNormal = [this] { return isMinimized() || isMaximized(); };
    m_refresh =
        new query::Refresh({MSFlexGrid1, [this] { return Combo1->currentText(); }, notNormal,
                            [this] {
                                Text1->clear();
                                Text2->clear();
                                Text3->clear();
                            }},
                           this);
    m_playerList = new query::PlayerList(
        {MSFlexGrid1, LPlayer, notNormal, [this](qint32 id) { fSetUD(id); }}, this);

    connect(Command1, &QToolButton::clicked, this, &Form1::Command1_Click);
    connect(Command2, &QToolButton::clicked, this, &Form1::Command2_Click);
    connect(Command3, &QToolButton::clicked, this, &Form1::Command3_Click);
    connect(Command4, &QToolButton::clicked, this, &Form1::Command4_Click);
    connect(Command5, &QToolButton::clicked, this, &Form1::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &Form1::Command6_Click);
    connect(Command7, &QToolButton::clicked, this, &Form1::Command7_Click);
    connect(fAddSrvFromMenue, &QAction::triggered, this, &Form1::fAddSrvFromMenue_Click);
    connect(fEditSrvFromMenue, &QAction::triggered, this, &Form1::fEditSrvFromMenue_Click);
    connect(fDelSrvFromMenue, &QAction::triggered, this, &Form1::fDelSrvFromMenue_Click);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1_Timer);
    connect(MSFlexGrid1, &FlexGrid::Click, this, &Form1::MSFlexGrid1_Click);
    connect(MSFlexGrid1, &FlexGrid::MouseDown, this, &Form1::MSFlexGrid1_MouseDown);
}

void Form1::buildShortcuts() {
    // Keys only add ways in; the layout stays as it is.
    auto* refreshKey = new QShortcut(QKeySequence(Qt::Key_F5), this);
    connect(refreshKey, &QShortcut::activated, this, &Form1::Command2_Click);
    auto* addKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_N), this);
    connect(addKey, &QShortcut::activated, this, &Form1::Command4_Click);
    auto* deleteKey = new QShortcut(QKeySequence(Qt::Key_Delete), MSFlexGrid1, nullptr, nullptr,
                                    Qt::WidgetShortcut);
    connect(deleteKey, &QShortcut::activated, this, &Form1::Command3_Click);
}

void Form1::Form_Load() {
    Form_Load(QCoreApplication::applicationDirPath());
}

void Form1::Form_Load(const QString& programFolder) {
    // fSw never sits on a menu bar: the window has none, the menu pops up over the grid.
    mod_DB::fDBConnect(true, programFolder);
    fDefWidth();
    mod_DBWork::fLoadServerList(*mod_DB::dbTS, *MSFlexGrid1);
    Timer1->start();
    for (const char* timeout :
         {"500", "1000", "1500", "2000", "2500", "3000", "3500", "4000", "4500", "5000"}) {
        Combo1->addItem(QLatin1String(timeout));
    }
    Combo1->setEditText(QStringLiteral("1500"));
    LPlayer->setFocus(Qt::OtherFocusReason);
}

void Form1::Form_Unload() {
    if (m_unloaded) {
        return;
    }
    m_unloaded = true;
    mod_DB::fDBConnect(false);
    m_refresh->stop();
    m_playerList->closeConnection();
}

void Form1::fDefWidth() {
    MSFlexGrid1->setColWidth(0, 0);
    MSFlexGrid1->setColWidth(1, 2700);
    MSFlexGrid1->setColWidth(2, 1300);
    MSFlexGrid1->setColWidth(3, 800);
    MSFlexGrid1->setColWidth(4, 800);
    MSFlexGrid1->setColWidth(5, 750);
}

void Form1::fSetUD(qint32 lngServer) {
    Text1->setText(QString());
    Text2->setText(QString());
    Text3->setText(QString());
    if (!mod_DB::dbTS) {
        return;
    }
    const UserData settings = mod_Userdata::fGetUserdata(*mod_DB::dbTS, lngServer);
    if (settings.Found) {
        Text1->setText(settings.Nickname);
        Text2->setText(settings.LoginName);
        Text3->setText(settings.Password);
    }
}

void Form1::Command1_Click() {
    endProgram();
}

void Form1::Command2_Click() {
    m_refresh->start();
}

void Form1::Timer1_Timer() {
    Command2_Click();
    Timer1->stop();
}

void Form1::MSFlexGrid1_Click() {
    m_playerList->MSFlexGrid1_Click();
}

void Form1::Command3_Click() {
    const auto id = server_records::selectedServerId(*MSFlexGrid1);
    if (!id || !mod_DB::dbTS) {
        return;
    }
    const int row = MSFlexGrid1->Row();
    const QString question = server_records::deleteQuestion(MSFlexGrid1->TextMatrix(row, 1),
                                                            MSFlexGrid1->TextMatrix(row, 2),
                                                            MSFlexGrid1->TextMatrix(row, 3));
    if (!dialogs::askYesNo(this, QStringLiteral("Delete this server"), question)) {
        return;
    }
    try {
        mod_DB::fDelServer(*mod_DB::dbTS, *MSFlexGrid1, *id);
    } catch (const DbError& error) {
        dialogs::showRefused(this, QStringLiteral("The server could not be deleted"),
                             error.message());
    }
}

void Form1::Command4_Click() {
    if (m_addDialog == nullptr) {
        m_addDialog = new Frm_AddSrv(*MSFlexGrid1, this);
    }
    m_addDialog->show();
    m_addDialog->raise();
    m_addDialog->activateWindow();
}

void Form1::Command7_Click() {
    const auto id = server_records::selectedServerId(*MSFlexGrid1);
    if (!id || !mod_DB::dbTS) {
        return;
    }
    std::optional<ServerFields> fields;
    try {
        fields = server_records::readServer(*mod_DB::dbTS, *id);
    } catch (const DbError& error) {
        dialogs::showError(
            this, QStringLiteral("The server could not be read.\n%1").arg(error.message()));
        return;
    }
    if (!fields) {
        mod_DBWork::fLoadServerList(*mod_DB::dbTS, *MSFlexGrid1);
        dialogs::showError(this, QStringLiteral("This server is no longer in the list."));
        return;
    }
    if (m_editDialog == nullptr) {
        m_editDialog = new Form2(*MSFlexGrid1, this);
    }
    m_editDialog->show();
    m_editDialog->raise();
    m_editDialog->activateWindow();
    m_editDialog->SID->setText(QString::number(*id));
    m_editDialog->SIP->setText(fields->ip);
    m_editDialog->Sname->setText(fields->name);
    m_editDialog->SPort->setText(fields->port);
    m_editDialog->STCP->setText(fields->tcpPort);
}

void Form1::Command6_Click() {
    const auto id = server_records::selectedServerId(*MSFlexGrid1);
    if (!id || !mod_DB::dbTS) {
        return;
    }
    const UserData stored = mod_Userdata::fGetUserdata(*mod_DB::dbTS, *id);
    UserData entered;
    entered.Nickname = Text1->text();
    entered.LoginName = Text2->text();
    entered.Password = Text3->text();
    if (!dialogs::askYesNo(this, QStringLiteral("Save Usersettings?"),
                           mod_Userdata::saveQuestion(stored, entered))) {
        return;
    }
    try {
        mod_Userdata::fSaveUserdata(*mod_DB::dbTS, *id, entered);
    } catch (const DbError& error) {
        dialogs::showRefused(this, QStringLiteral("The login settings could not be saved"),
                             error.message());
    }
}

void Form1::Command5_Click() {
    const int row = MSFlexGrid1->Row();
    if (row < 1) {
        return;
    }
    const QString link =
        client_link::build(MSFlexGrid1->TextMatrix(row, 2), MSFlexGrid1->TextMatrix(row, 3),
                           Text1->text(), Text2->text(), Text3->text());
    openLink(
        QStringLiteral("Open"), link,
        QStringLiteral("The TeamSpeak client could not be started: no program is registered for "
                       "teamspeak:// links."));
}

void Form1::Image1_Click() {
    openLink(QStringLiteral("open"), QLatin1String(client_link::kHomepage),
             QStringLiteral("The homepage could not be opened: no web browser is registered."));
}

void Form1::openLink(const QString& verb, const QString& link, const QString& failure) {
    QPointer<Form1> self(this);
    m_linkOpener->open(verb, link, [self, failure](bool opened, const QString& why) {
        if (!opened && self) {
            dialogs::showError(self,
                               why.isEmpty() ? failure : failure + QStringLiteral("\n") + why);
        }
    });
}

void Form1::MSFlexGrid1_MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers /*shift*/,
                                  QPoint position) {
    if (button == Qt::RightButton) {
        const QPoint global = MSFlexGrid1->viewport()->mapToGlobal(position);
        Q_EMIT popupRequested(global);
        fSw->popup(global);
    }
}

void Form1::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
    // Closing the main window ends the program, open dialogs included.
    endProgram();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        Image1_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
