#include "store/mod_DB.h"

#include "store/Convert.h"

#include <QUrl>

namespace mod_DB {

std::optional<QSqlDatabase> dbTS;

namespace {
constexpr auto kConnection = "quarnel";

Result<Server> serverOf(const QSqlQuery& q) {
    const QVariant empty{QString()};
    const auto text = [&](int column) { return fNullTo(q.value(column), empty).toString(); };
    const auto id = convert::toLong(q.value(0).toString());
    if (!id) {
        return Result<Server>::failure(
            QStringLiteral("a server's ID is not a 32-bit number: %1").arg(text(0)));
    }
    return Server{*id, text(1), text(2), text(3), text(4)};
}

Status run(QSqlQuery& q) {
    return q.exec() ? success() : failed(q.lastError());
}
} // namespace

QString databasePath(const QString& folder) {
    return folder + QLatin1Char('/') + QLatin1String(kFileName);
}

Status failed(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    const QString code =
        error.nativeErrorCode().isEmpty() ? QStringLiteral("-1") : error.nativeErrorCode();
    return Status::failure(QStringLiteral("Error %1: %2").arg(code, text));
}

// What the user typed, the empty text included, never null.
void bindText(QSqlQuery& q, const QString& text) {
    q.addBindValue(text.isNull() ? QStringLiteral("") : text);
}

QSqlQuery prepare(const char* sql) {
    QSqlQuery q(*dbTS);
    q.setForwardOnly(true);
    q.prepare(QLatin1String(sql));
    return q;
}

Status fDBConnect(bool open, const QString& folder) {
    if (dbTS) {
        dbTS.reset(); // the last handle: removing the connection closes the file
        QSqlDatabase::removeDatabase(QLatin1String(kConnection));
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
    // Both tables with every field the program names must be there.
    for (const char* probe : {"SELECT ID, ServerName, IP, Port, TCPPort FROM tbl_Srv LIMIT 0",
                              "SELECT ServerID, Nickname, LoginName, Passwort FROM tbl_Userdata "
                              "LIMIT 0"}) {
        if (status) {
            QSqlQuery q = prepare(probe);
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

Result<QList<Server>> listServers() {
    QSqlQuery q = prepare("SELECT ID, ServerName, IP, Port, TCPPort FROM tbl_Srv ORDER BY rowid");
    if (const Status ran = run(q); !ran) {
        return Result<QList<Server>>::failure(ran.error());
    }
    QList<Server> servers;
    while (q.next()) {
        const auto server = serverOf(q);
        if (!server) {
            return Result<QList<Server>>::failure(server.error());
        }
        servers << *server;
    }
    if (q.lastError().isValid()) {
        return Result<QList<Server>>::failure(failed(q.lastError()).error());
    }
    return servers;
}

Result<std::optional<Server>> readServer(qint32 id) {
    QSqlQuery q = prepare("SELECT ID, ServerName, IP, Port, TCPPort FROM tbl_Srv WHERE ID = ?");
    q.addBindValue(id);
    if (const Status ran = run(q); !ran) {
        return Result<std::optional<Server>>::failure(ran.error());
    }
    if (!q.next()) {
        return std::optional<Server>();
    }
    const auto server = serverOf(q);
    if (!server) {
        return Result<std::optional<Server>>::failure(server.error());
    }
    return std::optional<Server>(*server);
}

Status addServer(const Server& fields) {
    return inTransaction([&] {
        QSqlQuery q =
            prepare("INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) VALUES (?, ?, ?, ?)");
        for (const QString* text : {&fields.name, &fields.ip, &fields.port, &fields.tcpPort}) {
            bindText(q, *text);
        }
        return run(q);
    });
}

Result<bool> saveServer(const QString& idText, const Server& fields) {
    const auto id = convert::toLong(idText);
    if (!id) {
        return false;
    }
    bool found = false;
    const Status stored = inTransaction([&] {
        QSqlQuery q = prepare("UPDATE tbl_Srv SET IP = ?, ServerName = ?, Port = ?, TCPPort = ? "
                              "WHERE ID = ?");
        for (const QString* text : {&fields.ip, &fields.name, &fields.port, &fields.tcpPort}) {
            bindText(q, *text);
        }
        q.addBindValue(*id);
        Status ran = run(q);
        found = ran && q.numRowsAffected() > 0;
        return ran;
    });
    return stored ? Result<bool>(found) : Result<bool>::failure(stored.error());
}

Status fDelServer(qint32 id) {
    return inTransaction([&] {
        QSqlQuery settings = prepare("DELETE FROM tbl_Userdata WHERE ServerID = ?");
        settings.addBindValue(id);
        QSqlQuery server = prepare("DELETE FROM tbl_Srv WHERE ID = ?");
        server.addBindValue(id);
        const Status first = run(settings);
        return first ? run(server) : first;
    });
}

} // namespace mod_DB
