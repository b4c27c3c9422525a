// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

// A control under its old name (for tests and the code that reaches it by
// name) and with what a screen reader should call it.
template <typename T> T* named(T* widget, const char* name, const QString& accessible) {
    widget->setObjectName(QLatin1String(name));
    widget->setAccessibleName(accessible);
    return widget;
}
