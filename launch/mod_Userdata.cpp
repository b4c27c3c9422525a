// SPDX-License-Identifier: MIT
#include "launch/mod_Userdata.h"

#include "store/mod_DB.h"

namespace mod_Userdata {

Result<UserData> readUserdata(qint32 serverId) {
    return mod_DB::readLoginSettings(serverId);
}

UserData fGetUserdata(qint32 serverId) {
    const auto read = readUserdata(serverId);
    return read ? *read : UserData{};
}

Result<Write> fSaveUserdata(qint32 serverId, const UserData& settings) {
    return mod_DB::writeLoginSettings(serverId, settings);
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
