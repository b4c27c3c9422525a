// SPDX-License-Identifier: MIT
#include "app/Look.h"

#include <QPalette>
#include <algorithm>
#include <cmath>

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
    Cell look{state.countConfirmed ? QColor(Qt::black) : QColor(56, 56, 56),
              state.asking ? QColor(255, 214, 140) : QColor(224, 224, 224), !state.countConfirmed};
    if (state.marked) {
        look.text = QColor(120, 0, 0);
        look.italic = true;
    }
    return look;
}

namespace {
double luminance(QColor colour) {
    const auto channel = [](double value) {
        return value <= 0.04045 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) +
           0.0722 * channel(colour.blueF());
}

double contrast(QColor a, QColor b) { // NOLINT(bugprone-easily-swappable-parameters): symmetric
    const double first = luminance(a);
    const double second = luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}
} // namespace

QColor readableOn(QColor background, QColor preferred) {
    if (contrast(background, preferred) >= 7) {
        return preferred;
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    return contrast(background, black) >= contrast(background, white) ? black : white;
}

} // namespace look
