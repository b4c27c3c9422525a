// SPDX-License-Identifier: MIT
#include "tools/initdb/EmptyDatabase.h"

#include "store/mod_DB.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace initdb {

Status addDemoServers(const QString& path, quint16 queryPort) {
    const QString local = QStringLiteral("127.0.0.1");
    const auto port = [queryPort](int offset) { return QString::number(queryPort + offset); };
    const QString voice = QStringLiteral("8767");
    return mod_DB::appendToFile(
        path,
        {{0, QStringLiteral("Demo: Friends (some away)"), local, voice, port(0)},
         {0, QStringLiteral("Demo: Empty server"), local, QStringLiteral("8768"), port(0)},
         {0, QStringLiteral("Demo: Umlaute"), local, QStringLiteral("8769"), port(0)},
         {0, QStringLiteral("Demo: Silent (times out)"), local, voice, port(1)},
         {0, QStringLiteral("Demo: Refusing"), local, voice, port(2)},
         // A name Qt refuses before any look-up: the demo asks no name server.
         {0, QStringLiteral("Demo: Unknown host"), QStringLiteral("no-such..host"), voice,
          port(0)}},
        {{1,
          {QStringLiteral("DemoPlayer"), QStringLiteral("demo"), QStringLiteral("secret"), true}}});
}

Result<Made> createEmptyDatabase(const QString& path) {
    const auto failed = [](const QString& file, int number) {
        return Failure(
            QStringLiteral("%1: %2").arg(file, QString::fromLocal8Bit(std::strerror(number))));
    };
    if (const QFileInfo file(path); file.isSymLink() && !file.exists()) {
        return Failure(QStringLiteral("%1 is a link to %2, which does not exist, so nothing was "
                                      "made; make that file or remove the link")
                           .arg(path, file.symLinkTarget()));
    }
    if (QFileInfo::exists(path)) {
        return Made::KeptOld;
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
    if (const Status written = mod_DB::createTables(temp); !written) {
        QFile::remove(temp);
        return written.failure();
    }
    const QByteArray finalName = QFile::encodeName(path);
    const int linked = ::link(tempName.constData(), finalName.constData());
    const int linkErrno = errno;
    QFile::remove(temp);
    if (linked != 0) {
        return linkErrno == EEXIST ? Result<Made>(Made::KeptOld) : failed(path, linkErrno);
    }
    return Made::New;
}

} // namespace initdb
