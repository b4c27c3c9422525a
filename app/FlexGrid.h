// SPDX-License-Identifier: MIT
#pragma once

#include <QTableView>

class GridModel;
class QKeyEvent;

// Shift+F1: the tooltip of the current cell or entry, for the keyboard.
// false for any other key.
bool showTipOfCurrent(QAbstractItemView* view, const QKeyEvent* event);

// The server grid on screen. It shows the model's pick as the selected row and
// turns the user's own picks (mouse, keys) into the model's pick; focus changes
// and refreshes never move either.
class FlexGrid : public QTableView {
    Q_OBJECT
  public:
    FlexGrid(GridModel& model, QWidget* parent);
    // Shown in the empty grid until the first server is added.
    static constexpr auto kEmptyHint = "No servers yet: press Add Server (Ctrl+N)";

    [[nodiscard]] int ColWidth(int col) const; // in twips
    void setColWidth(int col, int width);

  Q_SIGNALS:
    // Any mouse button pressed over the grid or its heading row.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    // A server row was clicked without moving the pick (a click that moves
    // it tells through the model's pickChanged), or chosen with Enter.
    void Click();
    // The Menu key or Shift+F10: the popup menu, at the given place.
    void MenuKey(QPoint position);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void useReadableSelection();
    void showHighlight();
    void userSelected();
    GridModel& m_model;
    bool m_syncing = false;
    bool m_pressMovedPick = false;
};
