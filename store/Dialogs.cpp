#include "store/Dialogs.h"

#include <QMessageBox>

namespace dialogs {

bool askYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setTextFormat(Qt::PlainText);
    return box.exec() != QMessageBox::No;
}

void showError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quarnel"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

void showRefused(QWidget* parent, const QString& what, const QString& engineMessage) {
    showError(parent,
              QStringLiteral("%1: the database refused the change.\n%2").arg(what, engineMessage));
}

} // namespace dialogs
