// SPDX-License-Identifier: MIT
#pragma once

#include "store/Counts.h"
#include "store/Rows.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <optional>

// The server list as the grid holds it: the servers are rows 1 to lastRow()
// in stored order (row 0 is the heading row), each with its latest player
// count. It is data: the pick, the row being asked, the words and the looks
// are the window's (app/GridModel).
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

    // The last server row; 0 when none is listed.
    [[nodiscard]] int lastRow() const { return static_cast<int>(m_rows.size()); }
    // The server on a row; nullptr outside the server rows.
    [[nodiscard]] const ListedServer* server(int row) const;
    // The count on a row; nullptr outside the server rows.
    [[nodiscard]] const Count* count(int row) const;
    // 0 when no row holds the server.
    [[nodiscard]] int rowOf(qint32 id) const;
    // Whether no action may touch the row (its ID does not name it alone).
    [[nodiscard]] bool isMarked(int row) const;
    // The row of the server as it was asked; 0 when none holds it any more.
    [[nodiscard]] int rowAsAsked(const Server& asked) const;

    // Replaces every row; no server is counted yet.
    void load(const ServerList& list);
    [[nodiscard]] const LoadNotes& notes() const { return m_notes; }

    // A count the latest query confirmed. Reports land only on the row that
    // still holds the host and ports that were asked: a server edited
    // meanwhile keeps what the reload gave it.
    void setCount(const Server& asked, Moment when, int players);
    // The latest query gave no count: the old one stays, not confirmed.
    void setNotCounted(const Server& asked, Moment when, const NotCounted& why);

  Q_SIGNALS:
    void aboutToLoad();
    void loaded();
    // A row's count changed.
    void countChanged(int row);

  private:
    struct Line {
        ListedServer listed;
        Count count;
    };
    [[nodiscard]] const Line* line(int row) const;
    [[nodiscard]] Line* line(int row);

    QList<Line> m_rows;
    QHash<qint32, int> m_rowOf; // rows whose ID names them alone
    LoadNotes m_notes;
};
