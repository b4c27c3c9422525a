// SPDX-License-Identifier: MIT
#include "store/Convert.h"

#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace convert {

namespace {

std::optional<double> toRoundedNumber(const QString& text) {
    static const QRegularExpression number(QStringLiteral(R"(^\s*([+-]?(\d+\.?\d*|\.\d+))\s*$)"));
    const auto match = number.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    bool ok = false;
    const double value = match.captured(1).toDouble(&ok);
    if (!ok) {
        return std::nullopt;
    }
    return std::nearbyint(value); // the default rounding mode: half to even
}

template <typename T> std::optional<T> toRange(const QString& text) {
    const auto value = toRoundedNumber(text);
    if (!value || *value < static_cast<double>(std::numeric_limits<T>::min()) ||
        *value > static_cast<double>(std::numeric_limits<T>::max())) {
        return std::nullopt;
    }
    return static_cast<T>(*value);
}

} // namespace

std::optional<qint32> toLong(const QString& text) {
    return toRange<qint32>(text);
}

std::optional<qint16> toInteger(const QString& text) {
    return toRange<qint16>(text);
}

int tenthRoundedToEven(int value) {
    return static_cast<int>(std::nearbyint(static_cast<double>(value) / 10.0));
}

std::optional<quint16> toPort(const QString& text) {
    const auto value = toLong(text);
    if (!value || *value < 1 || *value > 65535) {
        return std::nullopt;
    }
    return static_cast<quint16>(*value);
}

} // namespace convert
