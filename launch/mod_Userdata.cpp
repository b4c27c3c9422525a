// SPDX-License-Identifier: MIT
#include "launch/mod_Userdata.h"

#include "store/mod_DB.h"
#include "store/mod_DBWork.h"

namespace mod_Userdata {

Result<UserData> readUserdata(qint32 serverId) {
    return mod_DB::readLoginSettings(serverId);
}

UserData fGetUserdata(qint32 serverId) {
    const auto read = readUserdata(serverId);
    return read ? *read : UserData{};
}

Result<Write> fSaveUserdata(const Server& shown, const UserData& settings) {
    return mod_DB::writeLoginSettings(shown, settings);
}

namespace {
QString line(const UserData& settings) {
    using mod_DBWork::inQuestion;
    return inQuestion(settings.Nickname) + QStringLiteral("||") + inQuestion(settings.LoginName) +
           QStringLiteral("||") + inQuestion(QString(settings.Password.size(), QLatin1Char('*')));
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
