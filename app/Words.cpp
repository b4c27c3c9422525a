// SPDX-License-Identifier: MIT
#include "app/Words.h"

#include "query/Exchange.h"
#include "query/mod_UserStatus.h"

#include <algorithm>
#include <array>

namespace words {

QString heading(int column) {
    static const QStringList headings{QString(),
                                      QStringLiteral("Servername"),
                                      QStringLiteral("IP"),
                                      QStringLiteral("Port"),
                                      QStringLiteral("TCPPort"),
                                      QStringLiteral("Player")};
    return headings.value(column);
}

QString playerCell(const std::optional<int>& players) {
    return players ? QString::number(*players) : QStringLiteral("X");
}

QString whyNotCounted(const NotCounted& why) {
    switch (why.outcome) {
    case Outcome::Answered:
        return {};
    case Outcome::TimedOut:
        return QStringLiteral("No answer within %1 ms").arg(why.waitedMs);
    case Outcome::Incomplete:
        return QStringLiteral("The player list was incomplete");
    case Outcome::Refused:
        return QStringLiteral("Connection refused");
    case Outcome::HostNotFound:
        return QStringLiteral("Host not found");
    case Outcome::Closed:
        return QStringLiteral("Connection closed by the server");
    case Outcome::SocketError:
        return QStringLiteral("Network error: ") + why.detail;
    case Outcome::TooLarge:
        return QStringLiteral("Answer too large: more than %1 bytes")
            .arg(query::Exchange::kMaxReply);
    case Outcome::BadQueryPort:
        return QStringLiteral("Not asked: query port \"%1\" is not a port number").arg(why.detail);
    case Outcome::BadVoicePort:
        // A line break would have smuggled a command of its own onto the wire.
        return why.detail.contains(QLatin1Char('\n')) || why.detail.contains(QLatin1Char('\r'))
                   ? QStringLiteral("Not asked: voice port holds a line break")
                   : QStringLiteral("Not asked: voice port \"%1\" is not a number").arg(why.detail);
    case Outcome::BadTimeout:
        return QStringLiteral("Not asked: the timeout is not a usable number of milliseconds");
    case Outcome::ServerError:
        return why.port.isEmpty() ? QStringLiteral("The server answered: %1").arg(why.detail)
                                  : QStringLiteral("The server has no voice server on port %1 (%2)")
                                        .arg(why.port, why.detail);
    }
    return {};
}

QString markText(const ListedServer& listed) {
    const QString what = QStringLiteral("This server's ID (%1) in TS.mdb ").arg(listed.idText);
    switch (listed.mark) {
    case IdMark::NotUnique:
        return what + QStringLiteral("is not unique");
    case IdMark::NotWhole:
        return what + QStringLiteral("is not a whole number");
    case IdMark::None:
        break;
    }
    return {};
}

QString countTip(const ServerGrid::Count& count, const Now& now) {
    const auto time = [&now](Moment when) {
        const QDateTime at = now.wall.addMSecs(when.ms - now.steady.ms);
        return at.toString(at.date() == now.wall.date() ? QStringLiteral("HH:mm:ss")
                                                        : QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    };
    if (!count.failure) {
        return count.players ? QStringLiteral("Counted at ") + time(count.countedAt) : QString();
    }
    const QString failed = whyNotCounted(*count.failure) + QStringLiteral(" (") +
                           time(count.failedAt) + QLatin1Char(')');
    return count.players ? failed + QStringLiteral("; last counted at ") + time(count.countedAt)
                         : failed;
}

QString loadNotes(const ServerGrid::LoadNotes& notes) {
    QStringList said;
    if (notes.marked > 0) {
        said << QStringLiteral("%1 server(s) in TS.mdb have an ID that is not unique or not a "
                               "whole number. They are listed and marked, but Quarnel does not "
                               "ask, change or connect them.")
                    .arg(notes.marked);
    }
    if (!notes.leftOut.isEmpty()) {
        said << QStringLiteral("These rows of TS.mdb have no usable ID and are left out of the "
                               "list: %1.")
                    .arg(notes.leftOut.join(QStringLiteral(", ")));
    }
    return said.join(QStringLiteral("\n\n"));
}

QString changedMeanwhile(const QString& consequence) {
    return QStringLiteral("This server was changed or removed meanwhile; ") + consequence;
}

QString deleteQuestion(const Server& server) {
    return QStringLiteral("Delete Server\r\n") + inQuestion(server.name) + QStringLiteral("  ") +
           inQuestion(server.ip) + QLatin1Char(':') + inQuestion(server.port) + QLatin1Char('?');
}

namespace {
// Whether a text could run right to left or turn the text around it.
bool mayTurnAround(const QString& text) {
    return std::any_of(text.cbegin(), text.cend(), [](QChar c) {
        switch (c.direction()) {
        case QChar::DirR:
        case QChar::DirAL:
        case QChar::DirAN:
        case QChar::DirRLE:
        case QChar::DirRLO:
        case QChar::DirLRE:
        case QChar::DirLRO:
        case QChar::DirPDF:
        case QChar::DirRLI:
        case QChar::DirLRI:
        case QChar::DirFSI:
        case QChar::DirPDI:
            return true;
        default:
            return false;
        }
    });
}
} // namespace

QString inQuestion(const QString& value) {
    const qsizetype half = (kQuestionValue - 1) / 2;
    const QString shown = value.size() <= kQuestionValue
                              ? value
                              : value.left(half) + QChar(0x2026) + value.right(half);
    // Isolated in its own direction, a value cannot reorder the words around it.
    return mayTurnAround(shown) ? QChar(0x2068) + shown + QChar(0x2069) : shown;
}

QString plainTip(const QString& text) {
    if (text.isEmpty()) {
        return {};
    }
    return QStringLiteral("<p style='white-space:pre-wrap'>") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}

QString oneLine(const QString& text) {
    QString shown = text;
    for (QChar& c : shown) {
        const char16_t code = c.unicode();
        if (code < 0x20) {
            c = QChar(char16_t(0x2400 + code)); // the control pictures: "␊" for a line feed
        } else if (code == 0x7F) {
            c = QChar(char16_t(0x2421));
        } else if ((code >= 0x80 && code < 0xA0) || code == 0x2028 || code == 0x2029) {
            c = QChar(char16_t(0xFFFD));
        }
    }
    return shown;
}

namespace {
QString line(const UserData& settings) {
    return inQuestion(settings.Nickname) + QStringLiteral("||") + inQuestion(settings.LoginName) +
           QStringLiteral("||") + inQuestion(QString(settings.Password.size(), QLatin1Char('*')));
}
} // namespace

QString saveQuestion(const UserData& stored, const UserData& entered) {
    const QString crlf = QStringLiteral("\r\n");
    const QString heading = QStringLiteral("Nickname||LoginName||Password");
    if (stored.Found) {
        return QStringLiteral("Do you want to replace the current Usersettings") + crlf + heading +
               crlf + line(stored) + crlf + QStringLiteral("with") + crlf + heading + crlf +
               line(entered) + QStringLiteral(" ?");
    }
    return QStringLiteral("Do you want to save the Usersettings") + crlf + heading + crlf +
           line(entered) + QStringLiteral(" ?");
}

QString playerEntry(const answer::Player& player) {
    const QString status = mod_UserStatus::fUserStatus(player.flags);
    return status.isEmpty() ? player.name
                            : player.name + QStringLiteral(" (") + status + QLatin1Char(')');
}

QString flagNames(qint32 flags) {
    static const std::array<std::pair<qint32, const char*>, 7> names{{{1, "channel commander"},
                                                                      {2, "voice request"},
                                                                      {4, "no whispers"},
                                                                      {8, "away"},
                                                                      {16, "microphone muted"},
                                                                      {32, "speakers muted"},
                                                                      {64, "recording"}}};
    QStringList words;
    for (const auto& [bit, name] : names) {
        if ((flags & bit) != 0) {
            words << QLatin1String(name);
        }
    }
    return QStringLiteral("Flags %1: %2")
        .arg(flags)
        .arg(words.isEmpty() ? QStringLiteral("none") : words.join(QStringLiteral(", ")));
}

} // namespace words
