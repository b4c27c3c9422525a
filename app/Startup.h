// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// The program: loads the window from the folder and runs it; a failed
// start-up is reported (message box and stderr) and ends with status 1.
int startQuarnel(const QString& programFolder);

// The whole program as main runs it: the application, the window on the
// program's own folder, and the end of the process, which comes at once after
// the window and the database are closed: name lookups still running in Qt's
// threads would hold it for seconds.
[[noreturn]] void runQuarnel(int argc, char* argv[]);
