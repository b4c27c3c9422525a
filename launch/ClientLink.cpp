// SPDX-License-Identifier: MIT
#include "launch/ClientLink.h"

#include <QHostAddress>

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
    // A bare IPv6 address goes in brackets, or its colons would read as the port's.
    const bool bareIpv6 = QHostAddress(server.ip).protocol() == QAbstractSocket::IPv6Protocol;
    const QString host = bareIpv6 ? QLatin1Char('[') + server.ip + QLatin1Char(']') : server.ip;
    return QStringLiteral("teamspeak://") + host + QLatin1Char(':') + server.port + parameters;
}

void fOpenHomepage(LinkOpener& opener, const LinkOpener::Done& done) {
    opener.open(QStringLiteral("open"), QLatin1String(kHomepage), done);
}

} // namespace client_link
