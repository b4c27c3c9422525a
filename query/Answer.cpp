// SPDX-License-Identifier: MIT
#include "query/Answer.h"

#include "store/Convert.h"

#include <array>
#include <utility>

namespace answer {

QString decode(const QByteArray& bytes) {
    // 0x80-0x9F differ from Latin-1; unassigned codes stay as their Latin-1 controls.
    static constexpr std::array<char16_t, 32> high{
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(high[byte - 0x80]) : QChar(char16_t{byte});
    }
    return text;
}

QStringList cutLines(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    return text.split(QStringLiteral("\r\n"), Qt::KeepEmptyParts);
}

int playerCount(const QStringList& pieces) {
    const auto last = pieces.size() - 1;
    return static_cast<int>(last - 2);
}

qsizetype answerLength(Step step, const QByteArray& received) {
    // The player list's first line is its header, whatever it holds.
    bool header = step == Step::PlayerList;
    qsizetype start = 0;
    for (qsizetype end = 0; (end = received.indexOf("\r\n", start)) >= 0; start = end + 2) {
        const QByteArrayView line(received.constData() + start, end - start);
        if (!std::exchange(header, false) && (step != Step::PlayerList || !line.contains('\t'))) {
            return end + 2;
        }
    }
    return 0;
}

std::optional<QString> errorLine(const QByteArray& received) {
    const qsizetype end = received.indexOf("\r\n");
    if (end < 0 || !received.startsWith("ERROR")) {
        return std::nullopt;
    }
    return decode(received.left(end));
}

std::optional<Player> parsePlayerLine(const QString& line) {
    const QStringList fields = line.split(QLatin1Char('\t'), Qt::KeepEmptyParts);
    const auto last = fields.size() - 1;
    if (last < 4) {
        return std::nullopt;
    }
    const auto flags = convert::toLong(fields[last - 4]);
    if (!flags) {
        return std::nullopt;
    }
    QString name = fields[last - 2];
    name.remove(QLatin1Char('"'));
    return Player{name, *flags};
}

} // namespace answer
