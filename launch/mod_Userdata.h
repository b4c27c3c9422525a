// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"
#include "store/Rows.h"

#include <QString>

namespace mod_Userdata {

// The first stored row for the server, or why it could not be read.
Result<UserData> readUserdata(qint32 serverId);
// The same for callers that only need to know whether settings were found:
// any failure gives Found false.
UserData fGetUserdata(qint32 serverId);

// Stores the three texts for the server in the row that was shown, adding
// one when there is none; Gone (nothing stored) when the server is no longer
// stored as the list shows it.
Result<Write> fSaveUserdata(const Server& shown, const UserData& settings);

} // namespace mod_Userdata
