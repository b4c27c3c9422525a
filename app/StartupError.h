#pragma once

class DbError;
class QString;

// What the user reads when the program cannot start.
QString startupErrorText(const DbError& error);
// Shows it in a message box and on stderr.
void reportStartupError(const DbError& error);
