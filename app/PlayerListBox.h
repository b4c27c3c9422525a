// SPDX-License-Identifier: MIT
#pragma once

#include "query/Answer.h"

#include <QListWidget>

// The player list of the picked server. When the server could not be asked
// it says why, inside the empty list and to a screen reader, so that a
// failure never looks like a server with nobody on it.
class PlayerListBox : public QListWidget {
    Q_OBJECT
  public:
    explicit PlayerListBox(QWidget* parent = nullptr);
    // One entry per player, in the answer's order; each tooltip names every flag.
    void addPlayers(const QList<answer::Player>& players);
    // Empty clears the note.
    void setNote(const QString& note);
    [[nodiscard]] const QString& note() const { return m_note; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QString m_note;
};
