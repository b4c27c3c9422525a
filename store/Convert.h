// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <optional>

namespace convert {

// Text to a 32-bit / 16-bit signed integer the way the old runtime converted:
// blanks around the number are allowed, a fraction rounds to the nearest whole
// number with a half going to the even one, anything else is an error (nullopt).
std::optional<qint32> toLong(const QString& text);
std::optional<qint16> toInteger(const QString& text);

// value / 10 rounded to the nearest integer, a half to the even one.
int tenthRoundedToEven(int value);

// A port that can really be connected: 1 to 65535.
std::optional<quint16> toPort(const QString& text);

} // namespace convert
