// SPDX-License-Identifier: MIT
#pragma once

#include "store/ServerGrid.h"

#include <QAbstractTableModel>
#include <functional>
#include <optional>

// The server list as the grid view shows it: cell texts, tooltips, what a
// screen reader reads and the states the cells are drawn by. It also holds
// the server the user picked, which every action acts on, so that no
// widget's focus can change it, and the row a refresh is asking.
class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // false on a Player cell whose count the latest query did not confirm.
    static constexpr int CountConfirmedRole = Qt::UserRole;
    // true on every cell of the row a refresh is asking right now.
    static constexpr int AskingRole = Qt::UserRole + 1;
    // true on every cell of a row whose ID does not name it alone.
    static constexpr int MarkedRole = Qt::UserRole + 2;

    explicit GridModel(ServerGrid& grid, QObject* parent = nullptr);
    [[nodiscard]] ServerGrid& grid() { return m_grid; }

    // The heading row and the server rows.
    [[nodiscard]] int Rows() const { return m_grid.lastRow() + 1; }
    // A cell's text; the heading row is row 0. Empty outside the grid.
    [[nodiscard]] QString TextMatrix(int row, int col) const;

    // The picked server row; 0 while none is picked. A click outside the
    // server rows (row 0) changes nothing; picking the row already picked
    // tells no change. A load keeps the pick on the same server while it is
    // listed, else nothing is picked.
    [[nodiscard]] int Row() const;
    void setRow(int row);
    // The picked server, only when its ID names it alone.
    [[nodiscard]] std::optional<Server> pickedServer() const;
    // The row a refresh is asking; 0 for none. The pick stays.
    [[nodiscard]] int asking() const { return m_asking; }
    void showAsking(const Server& asked);
    void endAsking();

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    // The cell of a grid row (the heading row is row 0) as the view knows it,
    // and the grid row of one of the view's cells.
    [[nodiscard]] QModelIndex cell(int row, int col) const {
        return index(server_row::toIndex(row), col);
    }
    [[nodiscard]] static int rowOf(const QModelIndex& cell) {
        return server_row::fromIndex(cell.row());
    }

    // Every tooltip of the grid, by grid row: a marked row's mark, a Player cell's count.
    [[nodiscard]] QString toolTip(int row, int col) const;
    // What the user should hear about the loaded file (rows left out or
    // marked); empty when it is the same as told before, or nothing.
    [[nodiscard]] QString untoldNotes();
    // Where the tooltips' times come from; tests set their own.
    void setClock(std::function<Now()> clock) { m_now = std::move(clock); }

  Q_SIGNALS:
    void pickChanged();

  private:
    [[nodiscard]] bool isCountConfirmed(int row) const;
    void changedRow(int row);
    void setAsking(int row);
    ServerGrid& m_grid;
    std::optional<qint32> m_picked;
    int m_pickedMarked = 0; // a marked row is picked by place until the next load
    int m_asking = 0;
    QString m_toldNotes;
    std::function<Now()> m_now = Now::read;
};
