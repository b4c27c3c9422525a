#include "support/TestSupport.h"

#include "store/mod_DB.h"
#include "tools/initdb/EmptyDatabase.h"

#include <QDir>
#include <QProcess>
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
    if (!m_mount.isEmpty()) {
        run("umount", {"-l", m_mount});
        QDir(m_mount + ".copy").removeRecursively();
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
            fields << (q.value(i).isNull() ? "<null>" : q.value(i).toString());
        }
        result << fields.join('|');
    }
    return result;
}

void TempFolder::open() const {
    if (const Status opened = mod_DB::fDBConnect(true, path()); !opened) {
        qFatal("%s", qPrintable(opened.error()));
    }
}

bool TempFolder::makeReadOnly() {
    if (::geteuid() != 0) {
        return QFile::setPermissions(dbPath(), QFileDevice::ReadOwner) &&
               QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    // Root writes whatever the permissions say: put the folder on a read-only mount.
    m_mount = path();
    if (run("cp", {"-a", path(), path() + ".copy"}) &&
        run("mount", {"--bind", path() + ".copy", path()}) &&
        run("mount", {"-o", "remount,bind,ro", path()})) {
        return true;
    }
    run("umount", {"-l", path()});
    m_mount.clear();
    return false;
}
