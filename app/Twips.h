// SPDX-License-Identifier: MIT
#pragma once

#include <QWidget>

// Window layouts are given in twips: 15 to the pixel at 96 dpi.
namespace twips {

inline constexpr int kPerPixel = 15;

inline int px(int value) {
    return (value + kPerPixel / 2) / kPerPixel;
}

inline void place(QWidget* widget, QRect twipsRect) {
    widget->setGeometry(px(twipsRect.x()), px(twipsRect.y()), px(twipsRect.width()),
                        px(twipsRect.height()));
}

} // namespace twips
