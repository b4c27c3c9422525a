// SPDX-License-Identifier: MIT
#include "launch/mod_Userdata.h"

#include "store/mod_DB.h"

namespace mod_Userdata {

Result<std::optional<UserData>> readUserdata(const Server& shown) {
    return mod_DB::readLoginSettings(shown);
}

UserData fGetUserdata(qint32 serverId) {
    const auto read = mod_DB::readLoginSettings(serverId);
    return read ? *read : UserData{};
}

Result<Write> fSaveUserdata(const Server& shown, const LoginEdit& edit) {
    return mod_DB::writeLoginSettings(shown, edit);
}

} // namespace mod_Userdata
