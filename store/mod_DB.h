// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"
#include "store/Rows.h"

#include <QHash>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <optional>

// The database file TS.mdb beside the program: its two tables, the one open
// handle and every statement the program sends. Statements carry only IDs the
// program formatted from numbers; what the user typed is always bound. Every
// write runs in one transaction and is refused when the file at the path is no
// longer the one that was opened.
namespace mod_DB {

inline constexpr auto kFileName = "TS.mdb";
inline constexpr auto kDefaultQueryPort = "51234";

// The one open database, from start-up to shutdown.
extern std::optional<QSqlDatabase> dbTS;

// The file: the program's folder with "/TS.mdb" appended as it stands.
QString databasePath(const QString& folder);

// A folder named by the bytes the system gave, as a path the program can
// use: its name when the bytes read as text, else "." once it is made the
// working folder (a name that is not UTF-8 does not survive being text).
QString reachableFolder(const QByteArray& folder);

// true opens the existing file (never creates one) and checks both tables;
// false releases it.
Status fDBConnect(bool open, const QString& folder);

// The default when the value is null, else the value itself.
QVariant fNullTo(const QVariant& value, const QVariant& fallback);

// tbl_Srv.
// Every server in stored order, the rows whose ID is unusable apart.
Result<ServerList> listServers();
// One server, nulls as empty texts; nullopt when it is not stored.
Result<std::optional<Server>> readServer(qint32 id);
// Appends a server; the store picks its ID, and login settings left behind
// under that ID by an older program go. Refused (undone) when the new row
// gets no usable ID.
Status addServer(const Server& fields);
// Writes the four texts into the server whose ID the text names, only if it
// still holds what the dialog was filled from.
Result<Write> saveServer(const ServerEdit& edit);
// Deletes the server and its login settings, together or not at all, only
// while the one stored row with its ID still holds what the list shows.
Result<Write> fDelServer(const Server& shown);

// Done while the one stored row with the server's ID still holds what the
// list shows; Gone when another program changed or removed it meanwhile.
Result<Write> stillStored(const Server& shown);

// tbl_Userdata.
// The first stored row for the server (nulls as empty texts), or why it could not be read.
Result<UserData> readLoginSettings(qint32 serverId);
// The same, read together with the server's row, only while that row still
// holds what the list shows: nullopt when it was changed or removed meanwhile.
Result<std::optional<UserData>> readLoginSettings(const Server& shown);
// Stores the three texts in the row the read shows first, adding one when
// there is none. Nothing is stored when the server is no longer stored as the
// list shows it (Gone) or its stored settings are no longer the edit's
// `before`, what the user was shown (Stale); a write that reaches no row is refused.
Result<Write> writeLoginSettings(const Server& shown, const LoginEdit& edit);

// A file the program does not have open: a new one, a demo's, a bench's.
// Both tables, empty. Ports are text so that what the user typed comes back
// unchanged; AUTOINCREMENT keeps a deleted server's ID from ever coming back.
Status createTables(const QString& path);
// Appends the servers (their IDs given by the file) and login settings by
// server ID, in one transaction.
Status appendToFile(const QString& path, const QList<Server>& servers,
                    const QHash<qint32, UserData>& settings = {});

} // namespace mod_DB
