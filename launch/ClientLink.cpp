// SPDX-License-Identifier: MIT
#include "launch/ClientLink.h"

namespace client_link {

QString build(const QString& host, const QString& voicePort, const QString& nickname,
              const QString& loginName, const QString& password) {
    QString parameters;
    if (nickname.size() > 0) {
        parameters += QStringLiteral("?nickname=") + nickname;
    }
    if (loginName.size() > 0) {
        parameters += QStringLiteral("?loginname=") + loginName;
    }
    if (password.size() > 0) {
        parameters += QStringLiteral("?password=") + password;
    }
    return QStringLiteral("teamspeak://") + host + QLatin1Char(':') + voicePort + parameters;
}

void fOpenHomepage(LinkOpener& opener, const LinkOpener::Done& done) {
    opener.open(QStringLiteral("open"), QLatin1String(kHomepage), done);
}

} // namespace client_link
