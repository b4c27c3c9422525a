// SPDX-License-Identifier: MIT
#include "tools/initdb/EmptyDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace initdb {

namespace {

// Runs statements with bound values on the file, all in one transaction.
Status run(const QString& file, const QList<std::pair<QString, QVariantList>>& statements) {
    const QString name = QStringLiteral("initdb-") + QUuid::createUuid().toString();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        bool ok = db.open() && db.transaction();
        if (!ok) {
            error = db.lastError().text();
        }
        for (const auto& [sql, values] : statements) {
            QSqlQuery query(db);
            ok = ok && query.prepare(sql);
            for (const QVariant& value : values) {
                query.addBindValue(value);
            }
            if (ok && !query.exec()) {
                ok = false;
                error = query.lastError().text();
            }
        }
        if (ok && !db.commit()) {
            error = db.lastError().text();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return error.isEmpty() ? success() : Status::failure(error);
}

Status writeSchema(const QString& file) {
    QList<std::pair<QString, QVariantList>> statements;
    for (const QString& statement :
         QString::fromLatin1(kSchema).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        statements.append({statement, {}});
    }
    return run(file, statements);
}

} // namespace

Status addDemoServers(const QString& path, quint16 queryPort) {
    const QString insert =
        QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) VALUES (?, ?, ?, ?)");
    const QString local = QStringLiteral("127.0.0.1");
    const auto port = [queryPort](int offset) { return QString::number(queryPort + offset); };
    return run(
        path,
        {{insert,
          {QStringLiteral("Demo: Friends (some away)"), local, QStringLiteral("8767"), port(0)}},
         {insert, {QStringLiteral("Demo: Empty server"), local, QStringLiteral("8768"), port(0)}},
         {insert, {QStringLiteral("Demo: Umlaute"), local, QStringLiteral("8769"), port(0)}},
         {insert,
          {QStringLiteral("Demo: Silent (times out)"), local, QStringLiteral("8767"), port(1)}},
         {insert, {QStringLiteral("Demo: Refusing"), local, QStringLiteral("8767"), port(2)}},
         {insert,
          {QStringLiteral("Demo: Unknown host"), QStringLiteral("no-such-host.invalid"),
           QStringLiteral("8767"), port(0)}},
         {QStringLiteral("INSERT INTO tbl_Userdata VALUES (1, 'DemoPlayer', 'demo', 'secret')"),
          {}}});
}

Result<bool> createEmptyDatabase(const QString& path) {
    const auto failed = [](const QString& file, int number) {
        return Result<bool>::failure(
            QStringLiteral("%1: %2").arg(file, QString::fromLocal8Bit(std::strerror(number))));
    };
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        return false;
    }
    // Built under a temporary name, then linked into place: a file that
    // appears meanwhile is never overwritten, and no half-made file is left.
    const QString temp = path + QStringLiteral(".new-") + QString::number(::getpid());
    const QByteArray tempName = QFile::encodeName(temp);
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
        return failed(temp, errno);
    }
    ::close(fd);
    if (const Status written = writeSchema(temp); !written) {
        QFile::remove(temp);
        return Result<bool>::failure(written.error());
    }
    const QByteArray finalName = QFile::encodeName(path);
    const int linked = ::link(tempName.constData(), finalName.constData());
    const int linkErrno = errno;
    QFile::remove(temp);
    if (linked != 0) {
        return linkErrno == EEXIST ? Result<bool>(false) : failed(path, linkErrno);
    }
    return true;
}

} // namespace initdb
