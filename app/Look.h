// SPDX-License-Identifier: MIT
#pragma once

#include <QColor>
#include <QFont>
#include <QWidget>

// The program's colours and font, the same whatever the desktop's theme.
namespace look {

// The old 8.25 pt "MS Sans Serif", or the closest narrow sans the desktop has:
// the captions were laid out for it.
QFont windowFont();

// The light cyan of every window of the program, with dark text on it.
void paintCyan(QWidget* widget);

// How a grid cell is drawn: grey cells with dark text. A count that is not
// confirmed is grey and italic (the italics stay visible in the highlighted
// row), the row a refresh is asking sits on amber, and a row no action may
// touch is dark red and italic. The colours measure 7:1 or more on either
// background, so that the anti-aliased italics still reach 4.5:1 as drawn.
struct Cell {
    QColor text;
    QColor background;
    bool italic = false;
};
struct CellState {
    bool countConfirmed = true;
    bool asking = false;
    bool marked = false;
};
Cell cell(CellState state);

// The desktop's text colour on a background when it reads well there (7:1 or
// more, so that thin anti-aliased letters still reach 4.5:1 as drawn), else
// black or white, whichever reads better.
QColor readableOn(QColor background, QColor preferred);

} // namespace look
