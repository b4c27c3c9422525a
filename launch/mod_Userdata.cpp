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

Result<Write> fSaveUserdata(const Server& shown, const UserData& settings) {
    return mod_DB::writeLoginSettings(shown, settings);
}

} // namespace mod_Userdata
