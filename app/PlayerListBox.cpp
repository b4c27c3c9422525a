// SPDX-License-Identifier: MIT
#include "app/PlayerListBox.h"

#include <QPainter>

void PlayerListBox::addPlayers(const QList<answer::Player>& players) {
    setNote({}); // a note only ever stands in an empty list
    for (const answer::Player& player : players) {
        auto* entry = new QListWidgetItem(answer::playerEntry(player), this);
        entry->setToolTip(answer::flagNames(player.flags));
        entry->setData(Qt::AccessibleDescriptionRole, entry->toolTip());
    }
}

void PlayerListBox::setNote(const QString& note) {
    m_note = note;
    setAccessibleDescription(note);
    viewport()->update();
}

void PlayerListBox::paintEvent(QPaintEvent* event) {
    QListWidget::paintEvent(event);
    if (m_note.isEmpty()) {
        return;
    }
    QPainter painter(viewport());
    QFont font = painter.font();
    font.setItalic(true);
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::Text)); // readable on the list whatever the theme
    painter.drawText(viewport()->rect().adjusted(4, 4, -4, -4),
                     Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, m_note);
}
