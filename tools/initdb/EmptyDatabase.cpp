#include "tools/initdb/EmptyDatabase.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace initdb {

namespace {

bool fail(QString* error, const QString& text) {
    if (error != nullptr) {
        *error = text;
    }
    return false;
}

bool writeSchema(const QString& file, QString* error) {
    const QString name = QStringLiteral("initdb-") + QUuid::createUuid().toString();
    bool ok = true;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (!db.open()) {
            ok = fail(error, db.lastError().text());
        }
        for (const QString& statement :
             QString::fromLatin1(kSchema).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
            QSqlQuery query(db);
            if (ok && !query.exec(statement)) {
                ok = fail(error, query.lastError().text());
            }
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

} // namespace

Outcome createEmptyDatabase(const QString& path, QString* error) {
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        return Outcome::AlreadyThere;
    }
    // Built under a temporary name, then linked into place: a file that
    // appears meanwhile is never overwritten, and no half-made file is left.
    const QString temp = path + QStringLiteral(".new-") + QString::number(::getpid());
    const QByteArray tempName = QFile::encodeName(temp);
    const int fd = ::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd < 0) {
        fail(error,
             QStringLiteral("%1: %2").arg(temp, QString::fromLocal8Bit(std::strerror(errno))));
        return Outcome::Failed;
    }
    ::close(fd);
    if (!writeSchema(temp, error)) {
        QFile::remove(temp);
        return Outcome::Failed;
    }
    const QByteArray finalName = QFile::encodeName(path);
    const int linked = ::link(tempName.constData(), finalName.constData());
    const int linkErrno = errno;
    QFile::remove(temp);
    if (linked != 0) {
        if (linkErrno == EEXIST) {
            return Outcome::AlreadyThere;
        }
        fail(error,
             QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(linkErrno))));
        return Outcome::Failed;
    }
    return Outcome::Created;
}

} // namespace initdb
