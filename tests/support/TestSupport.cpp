#include "support/TestSupport.h"

#include "store/mod_DB.h"
#include "tools/initdb/EmptyDatabase.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUuid>
#include <unistd.h>

namespace {
bool run(const QString& program, const QStringList& args) {
    QProcess process;
    process.start(program, args);
    return process.waitForFinished(10000) && process.exitCode() == 0;
}
} // namespace

TempFolder::TempFolder() : m_connection(QUuid::createUuid().toString()) {
    QString error;
    if (initdb::createEmptyDatabase(dbPath(), &error) != initdb::Outcome::Created) {
        qFatal("cannot make a test database: %s", qPrintable(error));
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(dbPath());
    db.open();
}

TempFolder::~TempFolder() {
    mod_DB::fDBConnect(false, {});
    QSqlDatabase::database(m_connection).close();
    QSqlDatabase::removeDatabase(m_connection);
    if (!m_mount.isEmpty()) {
        run(QStringLiteral("umount"), {QStringLiteral("-l"), m_mount});
        QDir(m_mount + QStringLiteral(".copy")).removeRecursively();
    }
}

void TempFolder::exec(const QString& sql) const {
    QSqlQuery q(QSqlDatabase::database(m_connection));
    if (!q.exec(sql)) {
        qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
    }
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
            fields << (q.value(i).isNull() ? QStringLiteral("<null>") : q.value(i).toString());
        }
        result << fields.join(QLatin1Char('|'));
    }
    return result;
}

void TempFolder::open() const {
    if (const Status opened = mod_DB::fDBConnect(true, path()); !opened) {
        qFatal("%s", qPrintable(opened.error()));
    }
}

void TempFolder::lock() const {
    exec(QStringLiteral("BEGIN IMMEDIATE"));
}

void TempFolder::release() const {
    exec(QStringLiteral("COMMIT"));
}

bool TempFolder::makeReadOnly() {
    if (::geteuid() != 0) {
        return QFile::setPermissions(dbPath(), QFileDevice::ReadOwner) &&
               QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    // Root writes whatever the permissions say: put the folder on a read-only mount.
    const QString copy = path() + QStringLiteral(".copy");
    m_mount = path();
    const bool ok = run(QStringLiteral("cp"), {QStringLiteral("-a"), path(), copy}) &&
                    run(QStringLiteral("mount"), {QStringLiteral("--bind"), copy, path()}) &&
                    run(QStringLiteral("mount"),
                        {QStringLiteral("-o"), QStringLiteral("remount,bind,ro"), path()});
    if (!ok) {
        run(QStringLiteral("umount"), {QStringLiteral("-l"), path()});
        m_mount.clear();
    }
    return ok;
}
