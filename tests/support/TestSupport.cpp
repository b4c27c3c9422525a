#include "support/TestSupport.h"

#include "store/mod_DB.h"
#include "tools/initdb/EmptyDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>

TempFolder::TempFolder() : m_connection(QUuid::createUuid().toString()) {
    if (const auto made = initdb::createEmptyDatabase(dbPath()); !made || !*made) {
        qFatal("cannot make a test database: %s", qPrintable(made.error()));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", m_connection);
    db.setDatabaseName(dbPath());
    db.open();
}

TempFolder::~TempFolder() {
    mod_DB::fDBConnect(false, {});
    QSqlDatabase::database(m_connection).close();
    QSqlDatabase::removeDatabase(m_connection);
}

QStringList TempFolder::rows(const QString& sql) const {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    if (!q.exec(sql)) {
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
    QStringList result;
    while (q.next()) {
        QStringList fields;
        for (int i = 0; i < q.record().count(); ++i) {
            fields << (q.value(i).isNull() ? "<null>" : q.value(i).toString());
        }
        result << fields.join('|');
    }
    return result;
}
