#pragma once

#include "store/Result.h"

#include <QList>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <optional>

// The database file TS.mdb beside the program: its two tables, the one open
// handle and every statement the program sends. All values are bound.
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

// Every server in stored order.
Result<QList<Server>> listServers();
// One server, nulls as empty texts; nullopt when it is not stored.
Result<std::optional<Server>> readServer(qint32 id);
// Appends a server; the store picks its ID.
Status addServer(const Server& fields);
// Writes the four texts into the server whose ID the text names; false when
// no such server is stored (nothing is written then).
Result<bool> saveServer(const QString& idText, const Server& fields);
// Deletes the server and its login settings, together or not at all.
Status fDelServer(qint32 id);

// For the login settings: a statement on dbTS, and one transaction around a write.
QSqlQuery prepare(const char* sql);
void bindText(QSqlQuery& q, const QString& text);
Status failed(const QSqlError& error);
template <typename Work> Status inTransaction(Work&& work) {
    if (!dbTS || !dbTS->transaction()) {
        return dbTS ? failed(dbTS->lastError()) : Status::failure(QStringLiteral("no database"));
    }
    Status done = work();
    if (done && dbTS->commit()) {
        return done;
    }
    Status result = done ? failed(dbTS->lastError()) : done;
    dbTS->rollback();
    return result;
}

} // namespace mod_DB
