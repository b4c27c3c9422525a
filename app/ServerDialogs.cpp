// SPDX-License-Identifier: MIT
#include "app/ServerDialogs.h"

#include "app/GridModel.h"
#include "app/Look.h"
#include "app/MessageBox.h"
#include "app/Named.h"
#include "app/Reports.h"
#include "app/TextBox.h"
#include "app/Twips.h"
#include "app/Words.h"
#include "store/mod_DB.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using twips::place;
using twips::px;

namespace {

void setUpDialog(QDialog* dialog, const char* name, const QString& caption, int width, int height) {
    dialog->setObjectName(QLatin1String(name));
    dialog->setWindowTitle(caption);
    dialog->setFixedSize(px(width), px(height));
    look::paintCyan(dialog);
}

// One text box with its label, in twips: left, top, width, height of each.
struct Field {
    const char* box;
    const char* label;
    const char* caption;
    QRect labelAt;
    QRect boxAt;
};

// The boxes in the given order; made in that order, they take the focus in it too.
QList<QLineEdit*> addFields(QDialog* dialog, std::initializer_list<Field> fields,
                            Qt::Alignment labelAlignment) {
    QList<QLineEdit*> boxes;
    for (const Field& field : fields) {
        const QString caption = QLatin1String(field.caption);
        auto* label = named(new QLabel(caption, dialog), field.label, caption);
        label->setAlignment(labelAlignment);
        place(label, field.labelAt);
        auto* edit = textBox(dialog, field.box, QString(caption).remove(QLatin1Char(':')));
        place(edit, field.boxAt);
        label->setBuddy(edit);
        boxes << edit;
    }
    return boxes;
}

QPushButton* button(QDialog* dialog, const char* name, const QString& caption) {
    auto* result = named(new QPushButton(caption, dialog), name, caption);
    result->setAutoDefault(false);
    return result;
}

} // namespace

Frm_AddSrv::Frm_AddSrv(GridModel& model, QWidget* owner) : QDialog(owner), m_model(model) {
    setUpDialog(this, "Frm_AddSrv", QStringLiteral("Add a Server"), 4485, 2655);
    const QList<QLineEdit*> boxes =
        addFields(this,
                  {{"Text1", "Label1", "Servername:", {0, 120, 1095, 375}, {1200, 120, 3015, 375}},
                   {"Text2", "Label2", "IP:", {0, 600, 1095, 375}, {1200, 600, 3015, 375}},
                   {"Text3", "Label3", "Port:", {0, 1080, 1095, 375}, {1200, 1080, 3015, 375}},
                   {"Text4", "Label4", "TCP Port:", {0, 1560, 1095, 375}, {1200, 1560, 3015, 375}}},
                  Qt::AlignRight | Qt::AlignVCenter);
    Text1 = boxes[0];
    Text2 = boxes[1];
    Text3 = boxes[2];
    Text4 = boxes[3];
    auto* cancel = button(this, "Command1", QStringLiteral("CANCEL"));
    place(cancel, {2280, 2040, 1695, 375});
    auto* add = button(this, "Command2", QStringLiteral("ADD TO LIST"));
    place(add, {480, 2040, 1695, 375});
    add->setDefault(true); // Return adds
    reset();
    connect(cancel, &QPushButton::clicked, this, &Frm_AddSrv::Command1_Click);
    connect(add, &QPushButton::clicked, this, &Frm_AddSrv::Command2_Click);
}

void Frm_AddSrv::reset() {
    Text1->clear();
    Text2->clear();
    Text3->clear();
    Text4->setText(QLatin1String(mod_DB::kDefaultQueryPort));
    Text1->setFocus(); // a name typed at once on the next opening lands in its box
}

void Frm_AddSrv::Command2_Click() {
    const Status stored =
        mod_DB::addServer({0, Text1->text(), Text2->text(), Text3->text(), Text4->text()});
    if (!stored) {
        reportRefused(this, QStringLiteral("The server could not be added"), stored.error());
        return;
    }
    reset();
    hide();
    reloadAfter(parentWidget(), m_model, QStringLiteral("The server was added"));
}

void Frm_AddSrv::Command1_Click() {
    reset();
    hide();
}

void Frm_AddSrv::reject() {
    reset();
    QDialog::reject();
}

Form2::Form2(GridModel& model, QWidget* owner) : QDialog(owner), m_model(model) {
    setUpDialog(this, "Form2", QStringLiteral("Change Server data"), 4830, 3105);
    const QList<QLineEdit*> boxes = addFields(
        this,
        {{"Sname", "Label1", "Servername", {240, 120, 4455, 255}, {120, 360, 4575, 375}},
         {"SIP", "Label2", "Server IP", {240, 720, 4455, 255}, {120, 960, 4575, 375}},
         {"SPort", "Label3", "Port", {240, 1320, 4455, 255}, {120, 1560, 4575, 375}},
         {"STCP", "Label4", "TCP Query Port", {240, 1920, 4455, 255}, {120, 2160, 4575, 375}}},
        Qt::AlignLeft | Qt::AlignVCenter);
    Sname = boxes[0];
    SIP = boxes[1];
    SPort = boxes[2];
    STCP = boxes[3];
    auto* save = button(this, "Command1", QStringLiteral("SAVE CHANGES"));
    place(save, {120, 2640, 2295, 375});
    save->setDefault(true); // Return saves
    auto* cancel = button(this, "Command2", QStringLiteral("CANCEL"));
    place(cancel, {2400, 2640, 2295, 375});
    SID = named(new QLineEdit(this), "SID", QStringLiteral("ID"));
    SID->hide();
    connect(save, &QPushButton::clicked, this, &Form2::Command1_Click);
    connect(cancel, &QPushButton::clicked, this, &Form2::Command2_Click);
}

void Form2::fill(const Server& server) {
    show();
    raise();
    activateWindow();
    m_filledFrom = server;
    SID->setText(QString::number(server.id));
    showWhole(SIP, server.ip);
    showWhole(Sname, server.name);
    showWhole(SPort, server.port);
    showWhole(STCP, server.tcpPort);
}

void Form2::Command1_Click() {
    const auto stored = mod_DB::saveServer(
        {SID->text(), m_filledFrom, {0, Sname->text(), SIP->text(), SPort->text(), STCP->text()}});
    if (!stored) {
        reportRefused(this, QStringLiteral("The changes could not be saved"), stored.error());
        return;
    }
    if (*stored == Write::Gone) {
        // The dialog keeps the typing; the list shows what is stored now.
        MessageBox::showError(this, words::changedMeanwhile(QStringLiteral("nothing was saved.")));
        reloadAfter(parentWidget(), m_model, QStringLiteral("Nothing was saved"));
        return;
    }
    hide();
    reloadAfter(parentWidget(), m_model, QStringLiteral("The changes were saved"));
}

void Form2::Command2_Click() {
    hide();
}
