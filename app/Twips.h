// SPDX-License-Identifier: MIT
#pragma once

#include <QFont>
#include <QWidget>

// Window layouts are given in twips: 15 to the pixel at 96 dpi.
namespace twips {

inline constexpr int kPerPixel = 15;

inline int px(int value) {
    return (value + kPerPixel / 2) / kPerPixel;
}

inline void place(QWidget* widget, int left, int top, int width, int height) {
    widget->setGeometry(px(left), px(top), px(width), px(height));
}

// The old 8.25 pt "MS Sans Serif", or the closest narrow sans the desktop has:
// the captions were laid out for it.
inline QFont windowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("DejaVu Sans Condensed")});
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(8.25);
    return font;
}

// The light cyan of every window of the program, with dark text on it
// whatever the desktop's theme.
inline void paintCyan(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor(128, 255, 255));
    palette.setColor(QPalette::WindowText, Qt::black);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    widget->setFont(windowFont());
}

template <typename T> T* named(T* widget, const char* name, const QString& accessible) {
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessible);
    return widget;
}

} // namespace twips
