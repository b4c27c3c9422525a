#include "launch/mod_Userdata.h"

#include "store/mod_DB.h"

namespace mod_Userdata {

UserData fGetUserdata(qint32 serverId) {
    UserData result;
    if (!mod_DB::dbTS) {
        return result;
    }
    QSqlQuery q = mod_DB::prepare(
        "SELECT LoginName, Nickname, Passwort FROM tbl_Userdata WHERE ServerID = ? ORDER BY rowid");
    q.addBindValue(serverId);
    if (q.exec() && q.next()) {
        const QVariant empty{QString()};
        result.Found = true;
        result.LoginName = mod_DB::fNullTo(q.value(0), empty).toString();
        result.Nickname = mod_DB::fNullTo(q.value(1), empty).toString();
        result.Password = mod_DB::fNullTo(q.value(2), empty).toString();
    }
    return result;
}

Status fSaveUserdata(qint32 serverId, const UserData& settings) {
    return mod_DB::inTransaction([&] {
        // Only the first row is ever shown, so only the first is changed.
        QSqlQuery q = mod_DB::prepare(
            "UPDATE tbl_Userdata SET ServerID = ?, Nickname = ?, LoginName = ?, Passwort = ? "
            "WHERE rowid = (SELECT min(rowid) FROM tbl_Userdata WHERE ServerID = ?)");
        q.addBindValue(serverId);
        for (const QString* text : {&settings.Nickname, &settings.LoginName, &settings.Password}) {
            mod_DB::bindText(q, *text);
        }
        q.addBindValue(serverId);
        if (!q.exec()) {
            return mod_DB::failed(q.lastError());
        }
        if (q.numRowsAffected() > 0) {
            return success();
        }
        QSqlQuery add = mod_DB::prepare("INSERT INTO tbl_Userdata (ServerID, Nickname, LoginName, "
                                        "Passwort) VALUES (?, ?, ?, ?)");
        add.addBindValue(serverId);
        for (const QString* text : {&settings.Nickname, &settings.LoginName, &settings.Password}) {
            mod_DB::bindText(add, *text);
        }
        return add.exec() ? success() : mod_DB::failed(add.lastError());
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
