// SPDX-License-Identifier: MIT
#pragma once

#include "store/Rows.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QTime>
#include <optional>

// The server list as the grid shows it: row 0 is the heading row, servers are
// rows 1 to Rows() - 1 in stored order. It also holds the server the user
// picked, which every action acts on, so that no widget's focus can change it,
// and the latest player count of each server.
class ServerGrid : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { ID, Servername, IP, Port, TCPPort, Player, ColumnCount };
    // false on a Player cell whose count the latest query did not confirm.
    static constexpr int CountConfirmedRole = Qt::UserRole;
    // true on every cell of the row a refresh is asking right now.
    static constexpr int AskingRole = Qt::UserRole + 1;
    // true on every cell of a row whose ID does not name it alone.
    static constexpr int MarkedRole = Qt::UserRole + 2;

    using QAbstractTableModel::QAbstractTableModel;
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

    [[nodiscard]] int Rows() const { return static_cast<int>(m_rows.size()) + 1; }
    // A cell's text; the heading row is row 0. Empty outside the grid.
    [[nodiscard]] QString TextMatrix(int row, int col) const;
    // Every tooltip of the grid: a marked row's mark, a Player cell's count.
    [[nodiscard]] QString toolTip(int row, int col) const;
    // The server on a row; nullptr outside the server rows.
    [[nodiscard]] const ListedServer* server(int row) const;
    // 0 when no row holds the server.
    [[nodiscard]] int rowOf(qint32 id) const;
    [[nodiscard]] bool isCountConfirmed(int row) const;
    // Whether, and why, no action may touch the row (its ID does not name it alone).
    [[nodiscard]] bool isMarked(int row) const;
    [[nodiscard]] QString markText(int row) const;

    // Replaces every row; each Player cell reads "X". The pick stays on the
    // same server if it is still listed, else nothing is picked.
    void load(const ServerList& list);
    // What the user should hear about the loaded file (rows left out or
    // marked); empty when it is the same as told before, or nothing.
    [[nodiscard]] QString untoldNotes();

    // A count the latest query confirmed. Reports land only on the row that
    // still holds the host and ports that were asked: a server edited
    // meanwhile keeps what the reload gave it.
    void setCount(const Server& asked, QTime when, int players);
    // The latest query gave no count: the old one stays, drawn as not
    // confirmed, and its tooltip tells why and when it was last counted.
    void setNotCounted(const Server& asked, QTime when, const QString& why);

    // The picked server row; 0 while none is picked. A click outside the
    // server rows (row 0) changes nothing; picking the row already picked
    // tells no change.
    [[nodiscard]] int Row() const;
    void setRow(int row);
    // The picked server, only when its ID names it alone.
    [[nodiscard]] std::optional<Server> pickedServer() const;
    // The row a refresh is asking, drawn apart; 0 for none. The pick stays.
    [[nodiscard]] int asking() const { return m_asking; }
    void showAsking(const Server& asked);
    void endAsking();

  Q_SIGNALS:
    void pickChanged();

  private:
    struct Line {
        ListedServer listed;
        std::optional<int> players; // none counted yet: "X"
        QTime countedAt;
        QString why;    // the latest query gave no count, for this reason,
        QTime failedAt; // at this time
        bool confirmed = true;
    };
    [[nodiscard]] const Line* line(int row) const;
    // The row of the server as it was asked; 0 when none holds it any more.
    [[nodiscard]] int rowAsAsked(const Server& asked) const;
    [[nodiscard]] static QString countTip(const Line& at);
    void changedRow(int row, int firstColumn, int lastColumn);
    void setAsking(int row);

    QList<Line> m_rows;
    QHash<qint32, int> m_rowOf; // rows whose ID names them alone
    QString m_notes;
    QString m_toldNotes;
    std::optional<qint32> m_picked;
    int m_pickedMarked = 0; // a marked row is picked by place until the next load
    int m_asking = 0;
};
