// SPDX-License-Identifier: MIT
#include "app/PlayerListBox.h"

#include "app/FlexGrid.h"
#include "app/Words.h"
#include "query/mod_UserStatus.h"

#include <QIcon>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

PlayerListBox::PlayerListBox(QWidget* parent) : QListWidget(parent) {
    setIconSize(QSize(12, 12)); // beside an 8-point name
}

void PlayerListBox::addPlayers(const QList<answer::Player>& players) {
    setNote({}); // a note only ever stands in an empty list
    // Away is also told by a mark no name can type: the moon and italics.
    static const QIcon away(QStringLiteral(":/icons/away.svg"));
    const QIcon blank = [this] {
        QPixmap empty(iconSize());
        empty.fill(Qt::transparent);
        return QIcon(empty);
    }();
    QFont awayFont = font();
    awayFont.setItalic(true);
    for (const answer::Player& player : players) {
        auto* entry = new QListWidgetItem(words::oneLine(words::playerEntry(player)), this);
        const QString flags = words::flagNames(player.flags);
        const bool isAway = mod_UserStatus::isAway(player.flags);
        entry->setIcon(isAway ? away : blank); // every name starts at the same place
        if (isAway) {
            entry->setFont(awayFont);
        }
        entry->setToolTip(words::plainTip(flags));
        entry->setData(Qt::AccessibleDescriptionRole,
                       isAway ? QStringLiteral("Away. ") + flags : flags);
    }
}

void PlayerListBox::keyPressEvent(QKeyEvent* event) {
    if (showTipOfCurrent(this, event)) {
        return;
    }
    // Entering the list makes its first entry current unselected: the first
    // step down reads that entry rather than the one below.
    if (selectedItems().isEmpty() && currentItem() != nullptr &&
        (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up)) {
        setCurrentItem(currentItem(), QItemSelectionModel::ClearAndSelect);
        return;
    }
    QListWidget::keyPressEvent(event);
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
