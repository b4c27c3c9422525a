// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"
#include "store/Rows.h"

#include <QString>

namespace mod_Userdata {

// The first stored row for the server, read only while the server is stored
// as the list shows it (nullopt when it was changed or removed meanwhile), or
// why it could not be read.
Result<std::optional<UserData>> readUserdata(const Server& shown);
// The same for callers that only need to know whether settings were found:
// any failure gives Found false.
UserData fGetUserdata(qint32 serverId);

// Stores the three texts for the server in the row that was shown, adding
// one when there is none; nothing is stored when the server is no longer
// stored as the list shows it (Gone) or its settings are no longer the edit's
// `before` (Stale).
Result<Write> fSaveUserdata(const Server& shown, const LoginEdit& edit);

} // namespace mod_Userdata
