// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

// The database file TS.mdb beside the program: its two tables, the one open
// handle and every statement the program sends. Statements carry only IDs the
// program formatted from numbers; what the user typed is always bound.
namespace mod_DB {

inline constexpr auto kFileName = "TS.mdb";
inline constexpr auto kDefaultQueryPort = "51234";

// One row of tbl_Srv, every field as text.
struct Server {
    qint32 id = 0;
    QString name;
    QString ip;
    QString port;
    QString tcpPort;
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

// What a guarded write found.
enum class Write {
    Done,
    Gone, // the server was removed or changed meanwhile: nothing written
};

// The one open database, from start-up to shutdown.
extern std::optional<QSqlDatabase> dbTS;

// The file: the program's folder with "/TS.mdb" appended as it stands.
QString databasePath(const QString& folder);

// true opens the existing file (never creates one) and checks both tables;
// false releases it.
Status fDBConnect(bool open, const QString& folder);

// The default when the value is null, else the value itself.
QVariant fNullTo(const QVariant& value, const QVariant& fallback);

// The statements whose text is part of the file's interface.
QString selectServer(qint32 id);
QString deleteServer(qint32 id);
QString selectUserdata(qint32 id);

// Every server in stored order, the rows whose ID is unusable apart.
Result<ServerList> listServers();
// One server, nulls as empty texts; nullopt when it is not stored.
Result<std::optional<Server>> readServer(qint32 id);
// Appends a server; the store picks its ID, and login settings left behind
// under that ID by an older program go. Refused (undone) when the new row
// gets no usable ID.
Status addServer(const Server& fields);
// Writes the four texts into the server whose ID the text names, only if it
// still holds `before` (what the dialog was filled from).
Result<Write> saveServer(const QString& idText, const Server& before, const Server& fields);
// Deletes the one server with that ID and its login settings, together or not at all.
Result<Write> fDelServer(qint32 id);

// For the login settings: a statement on dbTS, and one transaction around a
// write, refused when the file at the path is no longer the one open.
QSqlQuery prepare(const QString& sql);
void bindText(QSqlQuery& q, const QString& text);
Status failed(const QSqlError& error);
Status run(QSqlQuery& q);
Status checkSameFile();
template <typename Work> auto inTransaction(Work&& work) -> decltype(work()) {
    using R = decltype(work());
    if (const Status same = checkSameFile(); !same) {
        return R::failure(same.error());
    }
    if (!dbTS->transaction()) {
        return R::failure(failed(dbTS->lastError()).error());
    }
    R done = work();
    if (done && dbTS->commit()) {
        return done;
    }
    R result = done ? R::failure(failed(dbTS->lastError()).error()) : done;
    dbTS->rollback();
    return result;
}
} // namespace mod_DB
