// SPDX-License-Identifier: MIT
#include "launch/mod_Userdata.h"

#include <QSqlRecord>

namespace mod_Userdata {

Result<UserData> readUserdata(qint32 serverId) {
    if (!mod_DB::dbTS) {
        return Result<UserData>::failure(QStringLiteral("no database is open"));
    }
    QSqlQuery q = mod_DB::prepare(mod_DB::selectUserdata(serverId));
    if (const Status ran = mod_DB::run(q); !ran) {
        return Result<UserData>::failure(ran.error());
    }
    UserData result;
    if (q.next()) {
        const QVariant empty{QString()};
        const auto text = [&](const char* field) {
            return mod_DB::fNullTo(q.value(QLatin1String(field)), empty).toString();
        };
        result.Found = true;
        result.LoginName = text("LoginName");
        result.Nickname = text("Nickname");
        result.Password = text("Passwort");
    } else if (q.lastError().isValid()) {
        return Result<UserData>::failure(mod_DB::failed(q.lastError()).error());
    }
    return result;
}

UserData fGetUserdata(qint32 serverId) {
    const auto read = readUserdata(serverId);
    return read ? *read : UserData{};
}

Result<mod_DB::Write> fSaveUserdata(qint32 serverId, const UserData& settings) {
    using mod_DB::Write;
    return mod_DB::inTransaction([&]() -> Result<Write> {
        // Settings for a server another program removed would belong to no one.
        QSqlQuery server = mod_DB::prepare(mod_DB::selectServer(serverId));
        QSqlQuery stored = mod_DB::prepare(mod_DB::selectUserdata(serverId));
        Status ran = mod_DB::run(server);
        if (ran && !server.next()) {
            return Write::Gone;
        }
        ran = ran ? mod_DB::run(stored) : ran;
        if (!ran) {
            return Result<Write>::failure(ran.error());
        }
        // Only the first row is ever shown, so only the first is changed.
        const bool update = stored.next();
        QSqlQuery write = mod_DB::prepare(
            update ? QStringLiteral("UPDATE tbl_Userdata SET ServerID = ?, Nickname = ?, "
                                    "LoginName = ?, Passwort = ? WHERE rowid = (SELECT min(rowid) "
                                    "FROM tbl_Userdata WHERE ServerID = ?)")
                   : QStringLiteral("INSERT INTO tbl_Userdata (ServerID, Nickname, LoginName, "
                                    "Passwort) VALUES (?, ?, ?, ?)"));
        write.addBindValue(serverId);
        for (const QString* text : {&settings.Nickname, &settings.LoginName, &settings.Password}) {
            mod_DB::bindText(write, *text);
        }
        if (update) {
            write.addBindValue(serverId);
        }
        if (const Status written = mod_DB::run(write); !written) {
            return Result<Write>::failure(written.error());
        }
        return Write::Done;
    });
}

namespace {
QString line(const UserData& settings) {
    return settings.Nickname + QStringLiteral("||") + settings.LoginName + QStringLiteral("||") +
           QString(settings.Password.size(), QLatin1Char('*'));
}
} // namespace

QString saveQuestion(const UserData& stored, const UserData& entered) {
    const QString crlf = QStringLiteral("\r\n");
    const QString heading = QStringLiteral("Nickname||LoginName||Password");
    if (stored.Found) {
        return QStringLiteral("Do you want to replace the current Usersettings") + crlf + heading +
               crlf + line(stored) + crlf + QStringLiteral("with") + crlf + heading + crlf +
               line(entered) + QStringLiteral(" ?");
    }
    return QStringLiteral("Do you want to save the Usersettings") + crlf + heading + crlf +
           line(entered) + QStringLiteral(" ?");
}

} // namespace mod_Userdata
