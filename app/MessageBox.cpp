// SPDX-License-Identifier: MIT
#include "app/MessageBox.h"

#include <QPushButton>

namespace {
bool g_recording = false;
struct Answer {
    QMessageBox::StandardButton button;
    std::function<void()> meanwhile;
};
QList<Answer> g_answers;
} // namespace

QList<MessageBox::Record>& MessageBox::recorded() {
    static QList<Record> records;
    return records;
}

void MessageBox::recordFromNowOn() {
    g_recording = true;
    g_answers.clear();
    recorded().clear();
}

void MessageBox::setNextAnswer(QMessageBox::StandardButton button,
                               std::function<void()> meanwhile) {
    g_recording = true;
    g_answers << Answer{button, std::move(meanwhile)};
}

QMessageBox::StandardButton MessageBox::exec(QMessageBox& box) {
    if (!g_recording) {
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }
    recorded() << Record{box.windowTitle(), box.text(), box.icon(),
                         box.standardButton(box.defaultButton()), box.textFormat()};
    if (!g_answers.isEmpty()) {
        const Answer answer = g_answers.takeFirst();
        if (answer.meanwhile) {
            answer.meanwhile();
        }
        return answer.button;
    }
    return box.standardButtons().testFlag(QMessageBox::No) ? QMessageBox::No : QMessageBox::Ok;
}

bool MessageBox::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setTextFormat(Qt::PlainText);
    return exec(box) != QMessageBox::No;
}

void MessageBox::showError(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Quarnel"), text, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    exec(box);
}
