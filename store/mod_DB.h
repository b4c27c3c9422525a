#pragma once

#include "store/Database.h"

#include <QString>
#include <QVariant>
#include <memory>

class FlexGrid;

namespace mod_DB {

inline constexpr auto kFileName = "TS.mdb";

// The one open database, from start-up to shutdown.
extern std::unique_ptr<Database> dbTS;

// The database file: the program's folder with "/TS.mdb" appended as it stands.
QString databasePath(const QString& folder);

// true opens <folder>/TS.mdb into dbTS (throws DbError); false releases it.
void fDBConnect(bool open, const QString& folder);
void fDBConnect(bool open);

// The default when the value is null, else the value itself.
QVariant fNullTo(const QVariant& value, const QVariant& fallback);

// The statements, built exactly as they are sent.
QString selectServer(const QString& id);
QString deleteServer(qint32 id);
QString selectUserdata(qint32 id);

// Deletes one server (its login settings stay) and reloads the grid.
void fDelServer(Database& db, FlexGrid& grid, qint32 id);

} // namespace mod_DB
