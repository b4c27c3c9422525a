// SPDX-License-Identifier: MIT
#include "launch/ClientLink.h"

namespace client_link {

QString build(const Server& server, const UserData& login) {
    QString parameters;
    if (login.Nickname.size() > 0) {
        parameters += QStringLiteral("?nickname=") + login.Nickname;
    }
    if (login.LoginName.size() > 0) {
        parameters += QStringLiteral("?loginname=") + login.LoginName;
    }
    if (login.Password.size() > 0) {
        parameters += QStringLiteral("?password=") + login.Password;
    }
    return QStringLiteral("teamspeak://") + server.ip + QLatin1Char(':') + server.port + parameters;
}

void fOpenHomepage(LinkOpener& opener, const LinkOpener::Done& done) {
    opener.open(QStringLiteral("open"), QLatin1String(kHomepage), done);
}

} // namespace client_link
