// SPDX-License-Identifier: MIT
#include "query/mod_UserStatus.h"

namespace mod_UserStatus {

QString fUserStatus(qint32 flags) {
    qint32 v = flags;
    QString s;
    for (const qint32 weight : {64, 32, 16, 8, 4, 2, 1}) {
        if (v / weight == 1) {
            v -= weight;
            // Only "away" has words; the other flags add no bare separators.
            if (weight == 8) {
                s = QStringLiteral("Away");
            }
        }
    }
    return s;
}

} // namespace mod_UserStatus
