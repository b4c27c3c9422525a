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

} // namespace mod_DBWork
