#pragma once

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

// The light cyan of every window of the program.
inline void paintCyan(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, QColor(128, 255, 255));
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

template <typename T> T* named(T* widget, const char* name, const QString& accessible) {
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessible);
    return widget;
}

} // namespace twips
