// SPDX-License-Identifier: MIT
#include "app/TextBox.h"

#include "app/MessageBox.h"
#include "app/Named.h"

#include <QLineEdit>

QLineEdit* textBox(QWidget* parent, const char* name, const QString& accessible) {
    auto* box = named(new QLineEdit(parent), name, accessible);
    QObject::connect(box, &QLineEdit::inputRejected, box, [box] {
        MessageBox::showError(box->window(),
                              QStringLiteral("The box \"%1\" takes at most %L2 characters; the "
                                             "rest of what you typed or pasted was left out.")
                                  .arg(box->accessibleName())
                                  .arg(box->maxLength()));
    });
    return box;
}

void showWhole(QLineEdit* box, const QString& text) {
    if (text.size() > box->maxLength()) {
        box->setMaxLength(static_cast<int>(text.size()));
    }
    box->setText(text);
}
