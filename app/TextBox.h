// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QLineEdit;
class QWidget;

// A text box under its old name that tells the user when it took less than
// was typed or pasted: a box holds at most 32,767 characters.
QLineEdit* textBox(QWidget* parent, const char* name, const QString& accessible);

// Puts a stored text into a box whole, however long, so that saving it again
// never cuts it.
void showWhole(QLineEdit* box, const QString& text);
