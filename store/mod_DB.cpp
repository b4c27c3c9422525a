#include "store/mod_DB.h"

#include "store/FlexGrid.h"
#include "store/mod_DBWork.h"

#include <QCoreApplication>

namespace mod_DB {

std::unique_ptr<Database> dbTS;

QString databasePath(const QString& folder) {
    return folder + QLatin1Char('/') + QLatin1String(kFileName);
}

void fDBConnect(bool open, const QString& folder) {
    if (open) {
        dbTS = Database::open(databasePath(folder));
    } else {
        dbTS.reset();
    }
}

void fDBConnect(bool open) {
    fDBConnect(open, QCoreApplication::applicationDirPath());
}

QVariant fNullTo(const QVariant& value, const QVariant& fallback) {
    return value.isNull() ? fallback : value;
}

QString selectServer(const QString& id) {
    return QStringLiteral("Select * from tbl_Srv WHERE ID = ") + id + QStringLiteral(";");
}

QString deleteServer(qint32 id) {
    return QStringLiteral("Delete from tbl_Srv WHERE ID =") + QString::number(id) +
           QStringLiteral(";");
}

QString selectUserdata(qint32 id) {
    return QStringLiteral("Select * from tbl_Userdata WHERE ServerID = ") + QString::number(id) +
           QStringLiteral(";");
}

void fDelServer(Database& db, FlexGrid& grid, qint32 id) {
    db.Execute(deleteServer(id));
    mod_DBWork::fLoadServerList(db, grid);
}

} // namespace mod_DB
