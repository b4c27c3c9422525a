// SPDX-License-Identifier: MIT
#pragma once

#include "query/Answer.h"
#include "store/Counts.h"
#include "store/ServerGrid.h"

#include <QString>

// The words the window shows and a screen reader reads for what the logic
// reports as data: why a server gave no count, a row no action may touch, a
// count's tooltip, what a load found in the file, and the two questions.
namespace words {

// The grid's column headings, by ServerGrid::Column.
QString heading(int column);
// A Player cell: the count, or "X" when none was taken yet.
QString playerCell(const std::optional<int>& players);
QString whyNotCounted(const NotCounted& why);
// Empty for a row whose ID names it alone.
QString markText(const ListedServer& listed);
// When a count was taken, or why the latest query gave none and when: times
// of day as of `now`, with the date when it is not today.
QString countTip(const ServerGrid::Count& count, const Now& now);
// Empty when the file held nothing to tell.
QString loadNotes(const ServerGrid::LoadNotes& notes);

// Told when the file no longer holds a server as the list showed it:
// "This server was changed or removed meanwhile; " and what came of it.
QString changedMeanwhile(const QString& consequence);

// "Delete Server", CR LF, then name, two blanks, IP, ":", port and "?".
QString deleteQuestion(const Server& server);
// The question asked before saving login settings: the replace form when
// settings are stored, else the save form. Passwords appear as one "*" per
// character.
QString saveQuestion(const UserData& stored, const UserData& entered);
// A value as a question shows it: whole up to kQuestionValue characters,
// else its start and its end around "…", so that every question fits on a
// screen with its buttons; one that holds right-to-left text or direction
// marks stands between Unicode isolates, so that it cannot turn the
// question around.
inline constexpr qsizetype kQuestionValue = 100;
QString inQuestion(const QString& value);

// A player's entry in the list: the name, then " (" status ")" when there is a status.
QString playerEntry(const answer::Player& player);
// Every flag of a player in words, for the entry's tooltip.
QString flagNames(qint32 flags);

// A text as a tooltip shows it, character for character: Qt takes a tooltip
// that looks like markup for markup, and a server's words or the file's are
// never markup.
QString plainTip(const QString& text);
// A text from a server on one line: line breaks and other control characters
// become visible symbols, so that one player is always one entry.
QString oneLine(const QString& text);

} // namespace words
