#include "store/ServerDialogs.h"

#include "store/Dialogs.h"
#include "store/FlexGrid.h"
#include "store/ServerRecords.h"
#include "store/Twips.h"
#include "store/mod_DB.h"
#include "store/mod_DBWork.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using twips::named;
using twips::place;
using twips::px;

namespace {

void setUpDialog(QDialog* dialog, const char* name, const QString& caption, int width, int height) {
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowTitle(caption);
    dialog->setAccessibleName(caption);
    dialog->setModal(false);
    dialog->setSizeGripEnabled(false);
    dialog->setFixedSize(px(width), px(height));
    twips::paintCyan(dialog);
}

QLineEdit* box(QDialog* dialog, const char* name, QLabel* label) {
    auto* edit = named(new QLineEdit(dialog), name, label->text().remove(QLatin1Char(':')));
    label->setBuddy(edit);
    return edit;
}

} // namespace

Frm_AddSrv::Frm_AddSrv(FlexGrid& grid, QWidget* owner) : QDialog(owner), m_grid(grid) {
    setUpDialog(this, "Frm_AddSrv", QStringLiteral("Add a Server"), 4485, 2655);
    const auto label = [this](const char* name, const QString& text, int top) {
        auto* result = named(new QLabel(text, this), name, text);
        result->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        place(result, 0, top, 1095, 375);
        return result;
    };
    Text1 = box(this, "Text1", label("Label1", QStringLiteral("Servername:"), 120));
    place(Text1, 1200, 120, 3015, 375);
    Text2 = box(this, "Text2", label("Label2", QStringLiteral("IP:"), 600));
    place(Text2, 1200, 600, 3015, 375);
    Text3 = box(this, "Text3", label("Label3", QStringLiteral("Port:"), 1080));
    place(Text3, 1200, 1080, 3015, 375);
    Text4 = box(this, "Text4", label("Label4", QStringLiteral("TCP Port:"), 1560));
    place(Text4, 1200, 1560, 3015, 375);
    Command1 = named(new QPushButton(QStringLiteral("CANCEL"), this), "Command1",
                     QStringLiteral("CANCEL"));
    place(Command1, 2280, 2040, 1695, 375);
    Command2 = named(new QPushButton(QStringLiteral("ADD TO LIST"), this), "Command2",
                     QStringLiteral("ADD TO LIST"));
    place(Command2, 480, 2040, 1695, 375);
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);
    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Command1);
    setTabOrder(Command1, Command2);
    reset();
    connect(Command1, &QPushButton::clicked, this, &Frm_AddSrv::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Frm_AddSrv::Command2_Click);
}

void Frm_AddSrv::reset() {
    Text1->setText(QString());
    Text2->setText(QString());
    Text3->setText(QString());
    Text4->setText(QLatin1String(server_records::kDefaultQueryPort));
}

void Frm_AddSrv::Command2_Click() {
    try {
        server_records::addServer(*mod_DB::dbTS,
                                  {Text1->text(), Text2->text(), Text3->text(), Text4->text()});
        mod_DBWork::fLoadServerList(*mod_DB::dbTS, m_grid);
    } catch (const DbError& error) {
        dialogs::showRefused(this, QStringLiteral("The server could not be added"),
                             error.message());
        return;
    }
    reset();
    hide();
}

void Frm_AddSrv::Command1_Click() {
    reset();
    hide();
}

void Frm_AddSrv::reject() {
    reset();
    QDialog::reject();
}

Form2::Form2(FlexGrid& grid, QWidget* owner) : QDialog(owner), m_grid(grid) {
    setUpDialog(this, "Form2", QStringLiteral("Change Server data"), 4830, 3105);
    const auto label = [this](const char* name, const QString& text, int top) {
        auto* result = named(new QLabel(text, this), name, text);
        place(result, 240, top, 4455, 255);
        return result;
    };
    Sname = box(this, "Sname", label("Label1", QStringLiteral("Servername"), 120));
    place(Sname, 120, 360, 4575, 375);
    SIP = box(this, "SIP", label("Label2", QStringLiteral("Server IP"), 720));
    place(SIP, 120, 960, 4575, 375);
    SPort = box(this, "SPort", label("Label3", QStringLiteral("Port"), 1320));
    place(SPort, 120, 1560, 4575, 375);
    STCP = box(this, "STCP", label("Label4", QStringLiteral("TCP Query Port"), 1920));
    place(STCP, 120, 2160, 4575, 375);
    Command1 = named(new QPushButton(QStringLiteral("SAVE CHANGES"), this), "Command1",
                     QStringLiteral("SAVE CHANGES"));
    place(Command1, 120, 2640, 2295, 375);
    Command2 = named(new QPushButton(QStringLiteral("CANCEL"), this), "Command2",
                     QStringLiteral("CANCEL"));
    place(Command2, 2400, 2640, 2295, 375);
    Command1->setAutoDefault(false);
    Command2->setAutoDefault(false);
    SID = named(new QLineEdit(this), "SID", QStringLiteral("ID"));
    SID->hide();
    SID->setFocusPolicy(Qt::NoFocus);
    setTabOrder(Sname, SIP);
    setTabOrder(SIP, SPort);
    setTabOrder(SPort, STCP);
    setTabOrder(STCP, Command1);
    setTabOrder(Command1, Command2);
    connect(Command1, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form2::Command2_Click);
}

void Form2::Command1_Click() {
    try {
        if (!server_records::saveServer(
                *mod_DB::dbTS, SID->text(),
                {Sname->text(), SIP->text(), SPort->text(), STCP->text()})) {
            mod_DBWork::fLoadServerList(*mod_DB::dbTS, m_grid);
            hide();
            dialogs::showError(
                parentWidget(),
                QStringLiteral("This server is no longer in the list; nothing was saved."));
            return;
        }
        mod_DBWork::fLoadServerList(*mod_DB::dbTS, m_grid);
    } catch (const DbError& error) {
        dialogs::showRefused(this, QStringLiteral("The changes could not be saved"),
                             error.message());
        return;
    }
    hide();
}

void Form2::Command2_Click() {
    hide();
}
