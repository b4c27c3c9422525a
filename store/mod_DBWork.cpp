// SPDX-License-Identifier: MIT
#include "store/mod_DBWork.h"

#include "store/ServerGrid.h"
#include "store/mod_DB.h"

namespace mod_DBWork {

Status fLoadServerList(ServerGrid& grid) {
    const auto list = mod_DB::listServers();
    if (!list) {
        return list.failure();
    }
    grid.load(*list);
    return success();
}

QString deleteQuestion(const Server& server) {
    return QStringLiteral("Delete Server\r\n") + inQuestion(server.name) + QStringLiteral("  ") +
           inQuestion(server.ip) + QLatin1Char(':') + inQuestion(server.port) + QLatin1Char('?');
}

QString inQuestion(const QString& value) {
    if (value.size() <= kQuestionValue) {
        return value;
    }
    const qsizetype half = (kQuestionValue - 1) / 2;
    return value.left(half) + QChar(0x2026) + value.right(half);
}

} // namespace mod_DBWork
