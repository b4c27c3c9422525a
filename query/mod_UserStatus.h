// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A player's flags in the words of the player list.
namespace mod_UserStatus {

// The status shown in brackets after a name: "Away" when the away flag (8)
// is set, judged the old way (flags of 128 and more, or below 0, show
// nothing; docs/query-rules.md).
QString fUserStatus(qint32 flags);
// Whether the entry says "Away": the one status that has words.
inline bool isAway(qint32 flags) {
    return !fUserStatus(flags).isEmpty();
}

} // namespace mod_UserStatus
