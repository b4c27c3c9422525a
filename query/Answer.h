// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// Reading what a query port answers.
namespace answer {

// The server's text is single-byte (Windows-1252); every byte becomes one character.
QString decode(const QByteArray& bytes);

// Cut at every CR LF, empty pieces kept; an empty text gives no piece at all.
QStringList cutLines(const QString& text);

// Players in a cut answer to "PL": pieces minus header, closing line and the
// empty piece after the last CR LF. A whole answer, the only kind the exchange
// hands on, gives 0 or more; fewer than three pieces would give less.
int playerCount(const QStringList& pieces);

// The length of the first whole answer at the start of what was received,
// 0 while it is still incomplete: the greeting and the answer to "sel" end
// with their first CR LF, the answer to "PL" with its closing line (the first
// line after the header, ending in CR LF, that holds no TAB: no player row).
enum class Step { Greeting, Select, PlayerList };
qsizetype answerLength(Step step, const QByteArray& received);

// A server's refusal: the first whole line of what was received, when it
// begins with "ERROR" (a voice port the server does not host, say).
std::optional<QString> errorLine(const QByteArray& received);

struct Player {
    QString name; // double quotes removed
    qint32 flags = 0;
};

// One player line: TAB-separated fields, the name two before the last field,
// the flags four before it. nullopt for a line too short or flags that are no number.
std::optional<Player> parsePlayerLine(const QString& line);

} // namespace answer
