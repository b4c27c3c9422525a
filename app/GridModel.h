// SPDX-License-Identifier: MIT
#pragma once

#include "store/ServerGrid.h"

#include <QAbstractTableModel>
#include <functional>

// The server list as the grid view shows it: cell texts, tooltips, what a
// screen reader reads and the states the cells are drawn by.
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

  private:
    [[nodiscard]] bool isCountConfirmed(int row) const;
    ServerGrid& m_grid;
    QString m_toldNotes;
    std::function<Now()> m_now = Now::read;
};
