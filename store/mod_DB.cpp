// SPDX-License-Identifier: MIT
#include "store/mod_DB.h"

#include "store/Convert.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QUrl>
#include <QUuid>
#include <cmath>
#include <sys/stat.h>
#include <unistd.h>

namespace mod_DB {

std::optional<QSqlDatabase> dbTS;

namespace {
constexpr auto kConnection = "quarnel";

// The statements whose text is part of the file's interface.
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

// The program's own statements, with every value bound.
constexpr const char* kSchema[] = {
    "CREATE TABLE tbl_Srv (ID INTEGER PRIMARY KEY AUTOINCREMENT, ServerName TEXT, IP TEXT,"
    " Port TEXT, TCPPort TEXT)",
    "CREATE TABLE tbl_Userdata (ServerID INTEGER, Nickname TEXT, LoginName TEXT, Passwort TEXT)"};
// Both tables with every field the program names must be there.
struct Probe {
    const char* table;
    const char* sql;
};
constexpr Probe kProbes[] = {
    {"tbl_Srv", "SELECT ID, ServerName, IP, Port, TCPPort FROM tbl_Srv LIMIT 0"},
    {"tbl_Userdata", "SELECT ServerID, Nickname, LoginName, Passwort FROM tbl_Userdata LIMIT 0"}};
constexpr auto kListServers = "SELECT * FROM tbl_Srv";
constexpr auto kInsertServer = "INSERT INTO tbl_Srv (ServerName, IP, Port, TCPPort) "
                               "VALUES (?, ?, ?, ?)";
constexpr auto kIdOfRow = "SELECT ID FROM tbl_Srv WHERE rowid = ?";
constexpr auto kUpdateServer =
    "UPDATE tbl_Srv SET ServerName = ?, IP = ?, Port = ?, TCPPort = ? WHERE ID = ?";
constexpr auto kDeleteUserdata = "DELETE FROM tbl_Userdata WHERE ServerID = ?";
constexpr auto kInsertUserdata = "INSERT INTO tbl_Userdata (ServerID, Nickname, LoginName, "
                                 "Passwort) VALUES (?, ?, ?, ?)";
constexpr auto kUpdateUserdata = "UPDATE tbl_Userdata SET ServerID = ?, Nickname = ?, "
                                 "LoginName = ?, Passwort = ? WHERE ";

// The file that was opened, to notice when another takes its place. A file
// in WAL mode is also known by its size and time: the engine trusts what it
// read before as long as the log is unchanged, so a copy written over the
// file in place would go unseen. Other programs' changes go into the log.
struct OpenFile {
    QString path;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{};
    friend bool operator==(const OpenFile& a, const OpenFile& b) {
        return a.device == b.device && a.inode == b.inode && a.size == b.size &&
               a.modified.tv_sec == b.modified.tv_sec && a.modified.tv_nsec == b.modified.tv_nsec;
    }
};
std::optional<OpenFile> g_file;
bool g_walMode = false;

std::optional<OpenFile> identify(const QString& path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        return std::nullopt;
    }
    if (!g_walMode) {
        return OpenFile{path, info.st_dev, info.st_ino, 0, {}};
    }
    return OpenFile{path, info.st_dev, info.st_ino, info.st_size, info.st_mtim};
}

Failure failed(const QSqlError& error) {
    const QString text = error.databaseText().isEmpty() ? error.driverText() : error.databaseText();
    const QString code =
        error.nativeErrorCode().isEmpty() ? QStringLiteral("-1") : error.nativeErrorCode();
    return Failure(QStringLiteral("Error %1: %2").arg(code, text), code.toInt());
}

// A write that reached no row stored nothing, whatever the engine says.
Status changedARow(const QSqlQuery& q) {
    if (q.numRowsAffected() > 0) {
        return success();
    }
    return Failure(QStringLiteral("no stored row matched what Quarnel read (the file may hold "
                                  "text Quarnel cannot read back), so nothing was written"));
}

// A statement on the open file unless told another, that keeps why it could
// not be prepared: the engine's reason (a damaged file, a missing table) is
// what the user must read, not the complaint about parameters that running
// it anyway would give. Without an open file it runs nothing and says so.
class Statement : public QSqlQuery {
  public:
    explicit Statement(const QString& sql, const std::optional<QSqlDatabase>& db = dbTS)
        : QSqlQuery(db.value_or(QSqlDatabase())), m_open(db.has_value()) {
        setForwardOnly(true);
        if (m_open && !prepare(sql)) {
            m_notPrepared = lastError();
        }
    }
    Status run() {
        if (!m_open) {
            return Failure(QStringLiteral("no database is open"));
        }
        if (m_notPrepared) {
            return failed(*m_notPrepared);
        }
        return exec() ? success() : failed(lastError());
    }

  private:
    bool m_open;
    std::optional<QSqlError> m_notPrepared;
};

// What the user typed, the empty text included, never null.
void bindText(QSqlQuery& q, const QString& text) {
    q.addBindValue(text.isNull() ? QStringLiteral("") : text);
}

void bindFields(QSqlQuery& q, const Server& server) {
    for (const QString* text : {&server.name, &server.ip, &server.port, &server.tcpPort}) {
        bindText(q, *text);
    }
}

void bindSettings(QSqlQuery& q, qint32 serverId, const UserData& settings) {
    q.addBindValue(serverId);
    for (const QString* text : {&settings.Nickname, &settings.LoginName, &settings.Password}) {
        bindText(q, *text);
    }
}

Status checkSameFile() {
    if (!dbTS || !g_file) {
        return Failure(QStringLiteral("no database is open"));
    }
    const auto now = identify(g_file->path);
    if (!now || !(*now == *g_file)) {
        return Failure(QStringLiteral("%1 was moved, deleted or replaced since Quarnel opened it, "
                                      "so Quarnel neither reads nor writes it now. Start Quarnel "
                                      "again to use the file that is there now.")
                           .arg(g_file->path));
    }
    return success();
}

// Runs a write in one transaction on the open file; anything but success undoes it.
template <typename Work> auto inTransaction(Work&& work) -> decltype(work()) {
    if (const Status same = checkSameFile(); !same) {
        return same.failure();
    }
    if (!dbTS->transaction()) {
        return failed(dbTS->lastError());
    }
    auto done = work();
    if (done && dbTS->commit()) {
        // Our own commit may write the log back into the file.
        g_file = identify(g_file->path).value_or(*g_file);
        return done;
    }
    const Failure why = done ? failed(dbTS->lastError()) : done.failure();
    dbTS->rollback();
    return why;
}

// Runs a write in one transaction on a file that is not the open one.
template <typename Work> Status onFile(const QString& path, Work&& work) {
    const QString name = QStringLiteral("file-") + QUuid::createUuid().toString();
    Status status = success();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        const bool begun = db.open() && db.transaction();
        status = begun ? work(db) : success();
        if (!begun || (status && !db.commit())) {
            status = failed(db.lastError());
        }
    }
    QSqlDatabase::removeDatabase(name);
    return status;
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

// A field of a row by its place, nulls as empty texts.
QString text(const QSqlQuery& q, int field) {
    return fNullTo(q.value(field), QVariant(QString())).toString();
}

// The fields of tbl_Srv's "Select *" rows, looked up by name once per statement.
struct ServerFields {
    explicit ServerFields(const QSqlRecord& record)
        : id(record.indexOf(QStringLiteral("ID"))),
          name(record.indexOf(QStringLiteral("ServerName"))),
          ip(record.indexOf(QStringLiteral("IP"))), port(record.indexOf(QStringLiteral("Port"))),
          tcpPort(record.indexOf(QStringLiteral("TCPPort"))) {}
    [[nodiscard]] Server read(const QSqlQuery& q, qint32 serverId) const {
        return Server{serverId, text(q, name), text(q, ip), text(q, port), text(q, tcpPort)};
    }
    int id;
    int name;
    int ip;
    int port;
    int tcpPort;
};

// Every row a "Select * from tbl_Srv WHERE ID = n;" finds.
Result<QList<Server>> selectedServers(qint32 id) {
    Statement q{selectServer(id)};
    if (const Status ran = q.run(); !ran) {
        return ran.failure();
    }
    const ServerFields fields(q.record());
    QList<Server> found;
    while (q.next()) {
        found << fields.read(q, id);
    }
    return found;
}

// Whether the one stored row with the server's ID still holds what the list
// shows: Gone when another program changed or removed it meanwhile.
Result<Write> storedAsShown(const Server& shown) {
    const auto found = selectedServers(shown.id);
    if (!found) {
        return found.failure();
    }
    return found->size() == 1 && found->first() == shown ? Write::Done : Write::Gone;
}

// What follows `marker` in the engine's message, if it holds the marker.
std::optional<QString> after(const QString& message, QLatin1String marker) {
    const auto at = message.indexOf(marker);
    return at < 0 ? std::nullopt : std::optional<QString>(message.mid(at + marker.size()));
}

// The engine's complaint about a table, in words that say what is wrong with the file.
Status checkTable(const Probe& probe) {
    Statement q{QLatin1String(probe.sql)};
    Status ran = q.run();
    if (ran) {
        return ran;
    }
    const QString& error = ran.error();
    const QString code = error.section(QLatin1Char(':'), 0, 0); // "Error n"
    if (const auto table = after(error, QLatin1String(": no such table: "))) {
        return Failure(QStringLiteral("%1: table %2 is missing").arg(code, *table), ran.code());
    }
    if (const auto field = after(error, QLatin1String(": no such column: "))) {
        return Failure(
            QStringLiteral("%1: %2 has no column %3").arg(code, QLatin1String(probe.table), *field),
            ran.code());
    }
    return ran;
}
} // namespace

QString databasePath(const QString& folder) {
    return folder + QLatin1Char('/') + QLatin1String(kFileName);
}

QString reachableFolder(const QByteArray& folder) {
    QString text = QFile::decodeName(folder);
    if (QFile::encodeName(text) == folder) {
        return text;
    }
    if (::chdir(folder.constData()) == 0) {
        return QStringLiteral(".");
    }
    return text; // not even there: the messages show what they can
}

Status fDBConnect(bool open, const QString& folder) {
    if (dbTS) {
        dbTS.reset(); // the last handle: removing the connection closes the file
        QSqlDatabase::removeDatabase(QLatin1String(kConnection));
        g_file.reset();
        g_walMode = false;
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
    if (status) {
        QSqlQuery mode(*dbTS);
        g_walMode =
            mode.exec(QStringLiteral("PRAGMA journal_mode")) && mode.next() &&
            mode.value(0).toString().compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    }
    g_file = identify(path);
    for (const Probe& probe : kProbes) {
        if (status) {
            status = checkTable(probe);
        }
    }
    if (!status) {
        (void)fDBConnect(false, folder);
        return Failure(status.error() + QStringLiteral(" (%1)").arg(path), status.code());
    }
    return status;
}

QVariant fNullTo(const QVariant& value, const QVariant& fallback) {
    return value.isNull() ? fallback : value;
}

Result<ServerList> listServers() {
    // The table read whole, in its stored order.
    Statement q{QLatin1String(kListServers)};
    if (const Status ran = q.run(); !ran) {
        return ran.failure();
    }
    const ServerFields fields(q.record());
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
        return failed(q.lastError());
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
        return found.failure();
    }
    return found->isEmpty() ? std::optional<Server>() : std::optional<Server>(found->first());
}

Status addServer(const Server& fields) {
    return inTransaction([&]() -> Status {
        Statement q{QLatin1String(kInsertServer)};
        bindFields(q, fields);
        if (Status added = q.run(); !added) {
            return added;
        }
        Statement numbered{QLatin1String(kIdOfRow)};
        numbered.addBindValue(q.lastInsertId());
        if (Status read = numbered.run(); !read) {
            return read;
        }
        const auto id = numbered.next() ? wholeId(numbered.value(0)) : std::nullopt;
        if (!id) {
            return Failure(QStringLiteral("this file does not number new servers (the new row got "
                                          "no ID), so nothing was added"));
        }
        const auto sharing = selectedServers(*id);
        if (!sharing) {
            return sharing.failure();
        }
        if (sharing->size() != 1) {
            return Failure(QStringLiteral("the new row got the ID %1, which another server "
                                          "already has, so nothing was added")
                               .arg(*id));
        }
        // Settings an older program left under this ID belong to no one.
        Statement orphans{QLatin1String(kDeleteUserdata)};
        orphans.addBindValue(*id);
        return orphans.run();
    });
}

Result<Write> saveServer(const ServerEdit& edit) {
    const auto id = convert::toLong(edit.idText);
    if (!id) {
        return Write::Gone;
    }
    return inTransaction([&]() -> Result<Write> {
        Server shown = edit.before;
        shown.id = *id; // the row the dialog's ID names
        if (auto same = storedAsShown(shown); !same || *same != Write::Done) {
            return same;
        }
        Statement q{QLatin1String(kUpdateServer)};
        bindFields(q, edit.after);
        q.addBindValue(*id);
        if (const Status ran = q.run(); !ran) {
            return ran.failure();
        }
        if (const Status changed = changedARow(q); !changed) {
            return changed.failure();
        }
        return Write::Done;
    });
}

Result<Write> fDelServer(const Server& shown) {
    return inTransaction([&]() -> Result<Write> {
        if (auto same = storedAsShown(shown); !same || *same != Write::Done) {
            return same;
        }
        Statement settings{QLatin1String(kDeleteUserdata)};
        settings.addBindValue(shown.id);
        Statement server{deleteServer(shown.id)};
        Status ran = settings.run();
        ran = ran ? server.run() : ran;
        ran = ran ? changedARow(server) : ran;
        if (!ran) {
            return ran.failure();
        }
        return Write::Done;
    });
}

Result<Write> stillStored(const Server& shown) {
    return inTransaction([&] { return storedAsShown(shown); });
}

Result<UserData> readLoginSettings(qint32 serverId) {
    Statement q{selectUserdata(serverId)};
    if (const Status ran = q.run(); !ran) {
        return ran.failure();
    }
    UserData result;
    if (q.next()) {
        const QSqlRecord record = q.record();
        result.Found = true;
        result.LoginName = text(q, record.indexOf(QStringLiteral("LoginName")));
        result.Nickname = text(q, record.indexOf(QStringLiteral("Nickname")));
        result.Password = text(q, record.indexOf(QStringLiteral("Passwort")));
    } else if (q.lastError().isValid()) {
        return failed(q.lastError());
    }
    return result;
}

Result<std::optional<UserData>> readLoginSettings(const Server& shown) {
    // In one transaction: the settings belong to the row as it was checked.
    return inTransaction([&]() -> Result<std::optional<UserData>> {
        const auto same = storedAsShown(shown);
        if (!same) {
            return same.failure();
        }
        if (*same != Write::Done) {
            return std::optional<UserData>();
        }
        const auto settings = readLoginSettings(shown.id);
        if (!settings) {
            return settings.failure();
        }
        return std::optional<UserData>(*settings);
    });
}

Result<Write> writeLoginSettings(const Server& shown, const LoginEdit& edit) {
    const UserData& settings = edit.after;
    return inTransaction([&]() -> Result<Write> {
        // Settings typed for a server another program changed or removed
        // would land on a server the user never saw.
        if (auto same = storedAsShown(shown); !same || *same != Write::Done) {
            return same;
        }
        // The question quoted what was stored; a newer change is not replaced unseen.
        const auto now = readLoginSettings(shown.id);
        if (!now) {
            return now.failure();
        }
        if (!(*now == edit.before)) {
            return Write::Stale;
        }
        Statement stored{selectUserdata(shown.id)};
        if (const Status ran = stored.run(); !ran) {
            return ran.failure();
        }
        if (!stored.next()) {
            if (stored.lastError().isValid()) {
                return failed(stored.lastError());
            }
            Statement insert{QLatin1String(kInsertUserdata)};
            bindSettings(insert, shown.id, settings);
            if (const Status added = insert.run(); !added) {
                return added.failure();
            }
            return Write::Done;
        }
        // The row shown is the first this statement returns; it is named by
        // every field it holds, which needs no rowid and reaches no other
        // row (but its exact twins, which nobody can tell from it).
        const QSqlRecord shownRow = stored.record();
        QStringList same;
        for (int field = 0; field < shownRow.count(); ++field) {
            QString name = shownRow.fieldName(field);
            same << QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
                        QStringLiteral("\" IS ?");
        }
        Statement update{QLatin1String(kUpdateUserdata) + same.join(QStringLiteral(" AND "))};
        bindSettings(update, shown.id, settings);
        for (int field = 0; field < shownRow.count(); ++field) {
            update.addBindValue(shownRow.value(field));
        }
        if (const Status written = update.run(); !written) {
            return written.failure();
        }
        if (const Status changed = changedARow(update); !changed) {
            return changed.failure();
        }
        return Write::Done;
    });
}

Status createTables(const QString& path) {
    return onFile(path, [](const QSqlDatabase& db) {
        for (const char* statement : kSchema) {
            Statement q{QLatin1String(statement), db};
            if (Status made = q.run(); !made) {
                return made;
            }
        }
        return success();
    });
}

Status appendToFile(const QString& path, const QList<Server>& servers,
                    const QHash<qint32, UserData>& settings) {
    return onFile(path, [&](const QSqlDatabase& db) {
        Statement server{QLatin1String(kInsertServer), db};
        for (const Server& fields : servers) {
            bindFields(server, fields);
            if (Status added = server.run(); !added) {
                return added;
            }
        }
        Statement login{QLatin1String(kInsertUserdata), db};
        for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
            bindSettings(login, it.key(), it.value());
            if (Status added = login.run(); !added) {
                return added;
            }
        }
        return success();
    });
}

} // namespace mod_DB
