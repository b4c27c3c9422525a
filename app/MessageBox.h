// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <functional>

class QWidget;

// The program's message boxes, all through one place.
class MessageBox {
  public:
    // Yes and No, Yes the default, no icon; true unless the answer is No.
    static bool askYesNo(QWidget* parent, const QString& title, const QString& text);
    // A failure the user must know about.
    static void showError(QWidget* parent, const QString& text);

    // For tests: from now on boxes are not shown but recorded, and answered
    // with the queued buttons in turn (No, or Ok, when none is queued).
    static void recordFromNowOn();
    // `meanwhile` runs while that box is open, as another program would.
    static void setNextAnswer(QMessageBox::StandardButton button,
                              std::function<void()> meanwhile = {});
    struct Record {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButton defaultButton;
        Qt::TextFormat format;
    };
    static QList<Record>& recorded();

  private:
    static QMessageBox::StandardButton exec(QMessageBox& box);
};
