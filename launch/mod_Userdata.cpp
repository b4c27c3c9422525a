#include "launch/mod_Userdata.h"

#include "store/Database.h"
#include "store/mod_DB.h"

namespace mod_Userdata {

UserData fGetUserdata(Database& db, qint32 serverId) {
    UserData result;
    try {
        Recordset rs = db.OpenRecordset(mod_DB::selectUserdata(serverId));
        if (!rs.Eof()) {
            result.Found = true;
            const QVariant empty{QString()};
            result.LoginName =
                mod_DB::fNullTo(rs.Field(QStringLiteral("LoginName")), empty).toString();
            result.Nickname =
                mod_DB::fNullTo(rs.Field(QStringLiteral("Nickname")), empty).toString();
            result.Password =
                mod_DB::fNullTo(rs.Field(QStringLiteral("Passwort")), empty).toString();
        }
        rs.Close();
    } catch (const DbError&) {
        result.Found = false;
    }
    return result;
}

bool fSaveUserdata(Database& db, qint32 serverId, const UserData& settings) {
    Recordset rs = db.OpenRecordset(mod_DB::selectUserdata(serverId));
    if (rs.Eof()) {
        rs.Close();
        rs = db.OpenRecordset(QStringLiteral("tbl_Userdata"));
        rs.AddNew();
    } else {
        rs.Edit();
    }
    rs.SetField(QStringLiteral("ServerID"), serverId);
    rs.SetField(QStringLiteral("Nickname"), settings.Nickname);
    rs.SetField(QStringLiteral("LoginName"), settings.LoginName);
    rs.SetField(QStringLiteral("Passwort"), settings.Password);
    rs.Update();
    rs.Close();
    return true;
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
