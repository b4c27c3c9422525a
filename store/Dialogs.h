#pragma once

#include <QString>

class QWidget;

// The program's message boxes.
namespace dialogs {

// Yes and No, Yes the default, no icon; true unless the answer is No.
bool askYesNo(QWidget* parent, const QString& title, const QString& text);

// A failure the user must know about (a refused write, a link nobody handles).
void showError(QWidget* parent, const QString& text);

// A write the database refused: what failed, and the engine's own words.
void showRefused(QWidget* parent, const QString& what, const QString& engineMessage);

} // namespace dialogs
