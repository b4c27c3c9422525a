// SPDX-License-Identifier: MIT
#pragma once

#include "store/Result.h"
#include "store/Rows.h"

class ServerGrid;

namespace mod_DBWork {

// Rebuilds the whole grid from tbl_Srv. When the table cannot be read the
// grid keeps its rows and the error comes back.
Status fLoadServerList(ServerGrid& grid);

// "Delete Server", CR LF, then name, two blanks, IP, ":", port and "?".
QString deleteQuestion(const Server& server);

// A value as a question shows it: whole up to kQuestionValue characters,
// else its start and its end around "…", so that every question fits on a
// screen with its buttons.
inline constexpr qsizetype kQuestionValue = 100;
QString inQuestion(const QString& value);

} // namespace mod_DBWork
