#pragma once

class Database;
class FlexGrid;

namespace mod_DBWork {

// Rebuilds the whole grid from tbl_Srv in stored order; every Player cell reads "X".
void fLoadServerList(Database& db, FlexGrid& grid);

} // namespace mod_DBWork
