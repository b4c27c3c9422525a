// SPDX-License-Identifier: MIT
#pragma once

#include "store/Counts.h"
#include "store/Rows.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <optional>

// The server list as the grid holds it: row 0 is the heading row, servers are
// rows 1 to Rows() - 1 in stored order. It also holds the server the user
// picked, which every action acts on, so that no widget's focus can change it,
// the row a refresh is asking, and the latest player count of each server.
// It is data: the window makes its words and looks (app/GridModel).
class ServerGrid : public QObject {
    Q_OBJECT
  public:
    enum Column { ID, Servername, IP, Port, TCPPort, Player, ColumnCount };
    // A server's latest count, and why the latest query gave none.
    struct Count {
        std::optional<int> players; // none counted yet: "X"
        Moment countedAt;
        std::optional<NotCounted> failure; // set while the latest query gave no count
        Moment failedAt;
    };
    // What a load found in the file that the user should hear of.
    struct LoadNotes {
        int marked = 0;      // rows whose ID does not name them alone
        QStringList leftOut; // rows with no usable ID, described
        friend bool operator==(const LoadNotes&, const LoadNotes&) = default;
    };

    using QObject::QObject;

    // The heading row and the server rows.
    [[nodiscard]] int Rows() const { return lastRow() + 1; }
    // The last server row; 0 when none is listed.
    [[nodiscard]] int lastRow() const { return static_cast<int>(m_rows.size()); }
    // A cell's text; the heading row is row 0. Empty outside the grid.
    [[nodiscard]] QString TextMatrix(int row, int col) const;
    // The server on a row; nullptr outside the server rows.
    [[nodiscard]] const ListedServer* server(int row) const;
    // The count on a row; nullptr outside the server rows.
    [[nodiscard]] const Count* count(int row) const;
    // 0 when no row holds the server.
    [[nodiscard]] int rowOf(qint32 id) const;
    // Whether no action may touch the row (its ID does not name it alone).
    [[nodiscard]] bool isMarked(int row) const;

    // Replaces every row; each Player cell reads "X". The pick stays on the
    // same server if it is still listed, else nothing is picked.
    void load(const ServerList& list);
    [[nodiscard]] const LoadNotes& notes() const { return m_notes; }

    // A count the latest query confirmed. Reports land only on the row that
    // still holds the host and ports that were asked: a server edited
    // meanwhile keeps what the reload gave it.
    void setCount(const Server& asked, Moment when, int players);
    // The latest query gave no count: the old one stays, not confirmed.
    void setNotCounted(const Server& asked, Moment when, const NotCounted& why);

    // The picked server row; 0 while none is picked. A click outside the
    // server rows (row 0) changes nothing; picking the row already picked
    // tells no change.
    [[nodiscard]] int Row() const;
    void setRow(int row);
    // The picked server, only when its ID names it alone.
    [[nodiscard]] std::optional<Server> pickedServer() const;
    // The row a refresh is asking; 0 for none. The pick stays.
    [[nodiscard]] int asking() const { return m_asking; }
    void showAsking(const Server& asked);
    void endAsking();

  Q_SIGNALS:
    void aboutToLoad();
    void loaded();
    // Cells of a row changed, from `firstColumn` to `lastColumn`.
    void rowChanged(int row, int firstColumn, int lastColumn);
    void pickChanged();

  private:
    struct Line {
        ListedServer listed;
        Count count;
    };
    [[nodiscard]] const Line* line(int row) const;
    [[nodiscard]] Line* line(int row);
    // The row of the server as it was asked; 0 when none holds it any more.
    [[nodiscard]] int rowAsAsked(const Server& asked) const;
    void changedRow(int row, int firstColumn, int lastColumn);
    void setAsking(int row);

    QList<Line> m_rows;
    QHash<qint32, int> m_rowOf; // rows whose ID names them alone
    LoadNotes m_notes;
    std::optional<qint32> m_picked;
    int m_pickedMarked = 0; // a marked row is picked by place until the next load
    int m_asking = 0;
};
