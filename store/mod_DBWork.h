// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"

class ServerGrid;

namespace mod_DBWork {

// Rebuilds the whole grid from tbl_Srv. When the table cannot be read the
// grid keeps its rows and the error comes back.
Status fLoadServerList(ServerGrid& grid);

} // namespace mod_DBWork
