// SPDX-License-Identifier: MIT
#include "app/Reports.h"

#include "app/GridModel.h"
#include "app/MessageBox.h"
#include "store/mod_DBWork.h"

void reloadAfter(QWidget* parent, GridModel& model, const QString& change) {
    const Status reloaded = mod_DBWork::fLoadServerList(model.grid());
    if (!reloaded) {
        MessageBox::showError(parent,
                              QStringLiteral("%1, but the server list could not be "
                                             "reloaded; it shows the servers as before.\n%2")
                                  .arg(change, reloaded.error()));
    } else if (const QString notes = model.untoldNotes(); !notes.isEmpty()) {
        MessageBox::showError(parent, notes);
    }
}

void reportRefused(QWidget* parent, const QString& what, const QString& why) {
    MessageBox::showError(
        parent, QStringLiteral("%1: the database refused the change.\n%2").arg(what, why));
}
