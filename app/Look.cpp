// SPDX-License-Identifier: MIT
#include "app/Look.h"

#include <QPalette>

namespace look {

QFont windowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

void paintCyan(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor(128, 255, 255));
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
    widget->setFont(windowFont());
}

Cell cell(CellState state) {
    Cell look{state.countConfirmed ? QColor(Qt::black) : QColor(96, 96, 96),
              state.asking ? QColor(255, 214, 140) : QColor(224, 224, 224), !state.countConfirmed};
    if (state.marked) {
        look.text = QColor(150, 0, 0);
        look.italic = true;
    }
    return look;
}

} // namespace look
