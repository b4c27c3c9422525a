// SPDX-License-Identifier: MIT
#include "store/mod_DB.h"

#include "store/Convert.h"

#include <QFile>
#include <QHash>
#include <QSqlRecord>
#include <QUrl>
#include <cmath>
#include <sys/stat.h>

namespace mod_DB {

std::optional<QSqlDatabase> dbTS;

namespace {
constexpr auto kConnection = "quarnel";

// The file that was opened, to notice when another takes its place.
struct OpenFile {
    QString path;
    dev_t device = 0;
    ino_t inode = 0;
};
std::optional<OpenFile> g_file;

std::optional<OpenFile> identify(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    return OpenFile{path, info.st_dev, info.st_ino};
}

// A stored ID that statements can name exactly: a whole 32-bit number
// (stored as an integer, or as a real without a fraction).
std::optional<qint32> wholeId(const QVariant& value) {
    bool ok = false;
    double number = 0;
    switch (value.typeId()) {
    case QMetaType::LongLong:
    case QMetaType::Int:
    case QMetaType::ULongLong:
    case QMetaType::UInt:
    case QMetaType::Double:
        number = value.toDouble(&ok);
        break;
    default:
        return std::nullopt;
    }
    if (!ok || value.isNull() || std::trunc(number) != number || number < INT32_MIN ||
        number > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<qint32>(number);
}

// Any number at all, so that the row can at least be shown.
bool isNumber(const QVariant& value) {
    if (value.isNull()) {
        return false;
    }
    bool ok = false;
    const double number = value.toString().trimmed().toDouble(&ok);
    return ok && std::isfinite(number) && number >= INT32_MIN && number <= INT32_MAX;
}

// The fields of a "Select *" row, reached by name.
struct Fields {
    explicit Fields(const QSqlRecord& record)
        : id(record.indexOf(QStringLiteral("ID"))),
          name(record.indexOf(QStringLiteral("ServerName"))),
          ip(record.indexOf(QStringLiteral("IP"))), port(record.indexOf(QStringLiteral("Port"))),
          tcpPort(record.indexOf(QStringLiteral("TCPPort"))) {}
    [[nodiscard]] Server read(const QSqlQuery& q, qint32 serverId) const {
        const QVariant empty{QString()};
        const auto text = [&](int column) { return fNullTo(q.value(column), empty).toString(); };
        return Server{serverId, text(name), text(ip), text(port), text(tcpPort)};
    }
    int id;
    int name;
    int ip;
    int port;
    int tcpPort;
};

// Every row a "Select * from tbl_Srv WHERE ID = n;" finds.
Result<QList<Server>> selectedServers(qint32 id) {
    QSqlQuery q = prepare(selectServer(id));
    if (const Status ran = run(q); !ran) {
        return Result<QList<Server>>::failure(ran.error());
    }
    const Fields fields(q.record());
    QList<Server> found;
    while (q.next()) {
        found << fields.read(q, id);
    }
    return found;
}
} // namespace

QString databasePath(const QString& folder) {
    return folder + QLatin1Char('/') + QLatin1String(kFileName);
}

QString selectServer(qint32 id) {
    return QStringLiteral("Select * from tbl_Srv WHERE ID = ") + QString::number(id) +
           QLatin1Char(';');
}

QString deleteServer(qint32 id) {
    return QStringLiteral("Delete from tbl_Srv WHERE ID =") + QString::number(id) +
           QLatin1Char(';');
}

QString selectUserdata(qint32 id) {
    return QStringLiteral("Select * from tbl_Userdata WHERE ServerID = ") + QString::number(id) +
           QLatin1Char(';');
}

Status failed(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    const QString code =
        error.nativeErrorCode().isEmpty() ? QStringLiteral("-1") : error.nativeErrorCode();
    return Status::failure(QStringLiteral("Error %1: %2").arg(code, text));
}

Status run(QSqlQuery& q) {
    return q.exec() ? success() : failed(q.lastError());
}

// What the user typed, the empty text included, never null.
void bindText(QSqlQuery& q, const QString& text) {
    q.addBindValue(text.isNull() ? QStringLiteral("") : text);
}

QSqlQuery prepare(const QString& sql) {
    QSqlQuery q(*dbTS);
    q.setForwardOnly(true);
    q.prepare(sql);
    return q;
}

Status checkSameFile() {
    if (!dbTS || !g_file) {
        return Status::failure(QStringLiteral("no database is open"));
    }
    const auto now = identify(g_file->path);
    if (!now || now->device != g_file->device || now->inode != g_file->inode) {
        return Status::failure(QStringLiteral("%1 was moved, deleted or replaced since Quarnel "
                                              "opened it; nothing was written. Start Quarnel "
                                              "again to use the file that is there now.")
                                   .arg(g_file->path));
    }
    return success();
}

Status fDBConnect(bool open, const QString& folder) {
    if (dbTS) {
        dbTS.reset(); // the last handle: removing the connection closes the file
        QSqlDatabase::removeDatabase(QLatin1String(kConnection));
        g_file.reset();
    }
    if (!open) {
        return success();
    }
    const QString path = databasePath(folder);
    dbTS = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QLatin1String(kConnection));
    // mode=rw: a missing file is an error, never created. A short busy
    // timeout: a file another program holds must not freeze the window.
    dbTS->setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=250"));
    dbTS->setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                          QStringLiteral("?mode=rw"));
    Status status = dbTS->open() ? success() : failed(dbTS->lastError());
    g_file = identify(path);
    // Both tables with every field the program names must be there.
    for (const char* probe : {"SELECT ID, ServerName, IP, Port, TCPPort FROM tbl_Srv LIMIT 0",
                              "SELECT ServerID, Nickname, LoginName, Passwort FROM tbl_Userdata "
                              "LIMIT 0"}) {
        if (status) {
            QSqlQuery q = prepare(QLatin1String(probe));
            status = run(q);
        }
    }
    if (!status) {
        fDBConnect(false, folder);
        return Status::failure(status.error() + QStringLiteral(" (%1)").arg(path));
    }
    return status;
}

QVariant fNullTo(const QVariant& value, const QVariant& fallback) {
    return value.isNull() ? fallback : value;
}

Result<ServerList> listServers() {
    // The table read whole, in its stored order.
    QSqlQuery q = prepare(QStringLiteral("SELECT * FROM tbl_Srv"));
    if (const Status ran = run(q); !ran) {
        return Result<ServerList>::failure(ran.error());
    }
    const Fields fields(q.record());
    ServerList list;
    QHash<qint32, int> seen; // how often each whole ID occurs
    while (q.next()) {
        const QVariant id = q.value(fields.id);
        const auto whole = wholeId(id);
        ListedServer listed{fields.read(q, whole.value_or(0)), IdMark::None,
                            fNullTo(id, QString()).toString()};
        if (whole) {
            ++seen[*whole];
        } else if (isNumber(id)) {
            listed.mark = IdMark::NotWhole;
        } else {
            list.leftOut << QStringLiteral("\"%1\" (ID: %2)")
                                .arg(listed.server.name,
                                     id.isNull() ? QStringLiteral("none") : listed.idText);
            continue;
        }
        list.servers << listed;
    }
    if (q.lastError().isValid()) {
        return Result<ServerList>::failure(failed(q.lastError()).error());
    }
    for (ListedServer& listed : list.servers) {
        if (listed.mark == IdMark::None && seen.value(listed.server.id) > 1) {
            listed.mark = IdMark::NotUnique;
        }
    }
    return list;
}

Result<std::optional<Server>> readServer(qint32 id) {
    const auto found = selectedServers(id);
    if (!found) {
        return Result<std::optional<Server>>::failure(found.error());
    }
    return found->isEmpty() ? std::optional<Server>() : std::optional<Server>(found->first());
}

Status addServer(const Server& fields) {
    return inTransaction([&]() -> Status {
        QSqlQuery q = prepare(QStringLiteral("INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) "
                                             "VALUES (?, ?, ?, ?)"));
        for (const QString* text : {&fields.name, &fields.ip, &fields.port, &fields.tcpPort}) {
            bindText(q, *text);
        }
        if (Status added = run(q); !added) {
            return added;
        }
        QSqlQuery numbered = prepare(QStringLiteral("SELECT ID FROM tbl_Srv WHERE rowid = ?"));
        numbered.addBindValue(q.lastInsertId());
        if (Status read = run(numbered); !read) {
            return read;
        }
        const auto id = numbered.next() ? wholeId(numbered.value(0)) : std::nullopt;
        if (!id) {
            return Status::failure(QStringLiteral("this file does not number new servers (the new "
                                                  "row got no ID), so nothing was added"));
        }
        const auto sharing = selectedServers(*id);
        if (!sharing || sharing->size() != 1) {
            return Status::failure(sharing ? QStringLiteral("the new row got the ID %1, which "
                                                            "another server already has, so "
                                                            "nothing was added")
                                                 .arg(*id)
                                           : sharing.error());
        }
        // Settings an older program left under this ID belong to no one.
        QSqlQuery orphans = prepare(QStringLiteral("DELETE FROM tbl_Userdata WHERE ServerID = ?"));
        orphans.addBindValue(*id);
        return run(orphans);
    });
}

Result<Write> saveServer(const QString& idText, const Server& before, const Server& fields) {
    const auto id = convert::toLong(idText);
    if (!id) {
        return Write::Gone;
    }
    return inTransaction([&]() -> Result<Write> {
        const auto found = selectedServers(*id);
        if (!found) {
            return Result<Write>::failure(found.error());
        }
        if (found->size() != 1 || found->first() != before) {
            return Write::Gone;
        }
        QSqlQuery q = prepare(QStringLiteral(
            "UPDATE tbl_Srv SET IP = ?, ServerName = ?, Port = ?, TCPPort = ? WHERE ID = ?"));
        for (const QString* text : {&fields.ip, &fields.name, &fields.port, &fields.tcpPort}) {
            bindText(q, *text);
        }
        q.addBindValue(*id);
        if (const Status ran = run(q); !ran) {
            return Result<Write>::failure(ran.error());
        }
        return Write::Done;
    });
}

Result<Write> fDelServer(qint32 id) {
    return inTransaction([&]() -> Result<Write> {
        const auto found = selectedServers(id);
        if (!found) {
            return Result<Write>::failure(found.error());
        }
        if (found->size() != 1) {
            return Write::Gone;
        }
        QSqlQuery settings = prepare(QStringLiteral("DELETE FROM tbl_Userdata WHERE ServerID = ?"));
        settings.addBindValue(id);
        QSqlQuery server = prepare(deleteServer(id));
        Status ran = run(settings);
        ran = ran ? run(server) : ran;
        if (!ran) {
            return Result<Write>::failure(ran.error());
        }
        return Write::Done;
    });
}

} // namespace mod_DB
