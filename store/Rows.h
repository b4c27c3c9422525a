// SPDX-License-Identifier: MIT
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The rows of TS.mdb's two tables as the program holds them.

// Server rows are numbered as the grid numbers them: row 0 is the heading
// row, the servers are rows 1 to n. Lists and Qt's views number the servers
// from 0. These two convert, and nothing else does.
namespace server_row {
constexpr int toIndex(int row) {
    return row - 1;
}
constexpr int fromIndex(int index) {
    return index + 1;
}
} // namespace server_row

// One server of tbl_Srv, every field as text.
struct Server {
    qint32 id = 0;
    QString name;
    QString ip;
    QString port;    // the voice port, as typed
    QString tcpPort; // the query port, as typed
    friend bool operator==(const Server&, const Server&) = default;
};

// Why a stored row's ID cannot name it alone. Such rows are shown but never
// acted on: a statement by that ID would reach another row too, or none.
enum class IdMark { None, NotUnique, NotWhole };

struct ListedServer {
    Server server;
    IdMark mark = IdMark::None;
    QString idText; // the ID as stored, for the marked rows
};

struct ServerList {
    QList<ListedServer> servers; // in stored order
    QStringList leftOut;         // rows with no usable ID at all, described
    // Servers whose IDs are known to name them alone.
    static ServerList of(const QList<Server>& plain) {
        ServerList list;
        for (const Server& server : plain) {
            list.servers << ListedServer{server, IdMark::None, QString::number(server.id)};
        }
        return list;
    }
};

// The login settings of one server (tbl_Userdata).
struct UserData {
    QString Nickname;
    QString LoginName;
    QString Password;
    bool Found = false; // a stored row was read
    friend bool operator==(const UserData&, const UserData&) = default;
};

// A change of a server's fields, made only while the stored row still holds
// `before` (what the dialog was filled from).
struct ServerEdit {
    QString idText; // the ID as the dialog holds it
    Server before;
    Server after;
};

// New login settings for a server, saved only while the stored ones are
// still `before` (what the question showed).
struct LoginEdit {
    UserData before;
    UserData after;
};

// What a guarded write found.
enum class Write {
    Done,
    Gone,  // the server was removed or changed meanwhile: nothing written
    Stale, // the stored login settings changed since they were read: nothing written
};
