// SPDX-License-Identifier: MIT
#pragma once

#include "query/Answer.h"
#include "store/Counts.h"
#include "store/Rows.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace query {

// How one caller runs the exchange.
struct ExchangeRules {
    // A refresh's: the pause asked of `pauseLength` before every pause.
    static ExchangeRules refresh(std::function<std::optional<int>()> pauseLength) {
        return {true, true, std::move(pauseLength)};
    }
    // A player list's: pauses of a fixed length.
    static ExchangeRules playerList(int pauseMs) {
        return {false, false, [pauseMs] { return std::optional<int>(pauseMs); }};
    }
    // Refresh: a fresh budget per wait (counter 1, then 0 and 0).
    // Player list: one counter for all three waits, starting at 0.
    bool counterPerWait = true;
    // Refresh: the voice port goes out as a number converted back to text.
    // Player list: the cell's text goes out unchanged.
    bool voicePortAsNumber = true;
    // The pause length, asked before every pause; nullopt when unusable.
    std::function<std::optional<int>()> pauseLength;
};

// The outcomes are data the server list keeps (store/Counts.h).
using ::Outcome;

struct ExchangeResult {
    Outcome outcome = Outcome::TimedOut;
    QString answer; // the decoded answer to "PL"
    QString detail; // why, for the failures (as NotCounted says)
    QString port;   // ServerError: the voice port "sel" was refused for
    int pauses = 0; // pauses armed in all
    // Pause time of the wait that ended: the last one, or the whole
    // conversation where the waits share one budget.
    qint64 waitedMs = 0;
    // Why it gave no count, as the server list keeps it.
    [[nodiscard]] NotCounted whyNot() const { return {outcome, detail, port, waitedMs}; }
};

// What the exchange asks of its socket and clock.
// Built by field name: `{.kind = Action::Kind::ArmPause, .ms = 150}`.
struct Action {
    enum class Kind { Connect, Send, ArmPause, CancelPause, Finish };
    Kind kind = Kind::Finish;
    QString host{};
    quint16 port = 0;
    QByteArray bytes{};
    int ms = 0;
};

enum class SocketFailure { Refused, HostNotFound, ClosedByServer, Other };

// One conversation with a query port as a plain state machine: connect, wait
// for the greeting, "sel <port>", wait, "PL", wait, done. Everything received
// goes into one buffer, from which each answer is taken whole. A wait ends
// when its answer is complete, or gives up when its try counter passes 10;
// an ERROR line in place of the player list ends it at once.
// The counters, pauses and ports follow old rules on purpose: see
// docs/query-rules.md.
class Exchange {
  public:
    static constexpr qsizetype kMaxReply = qsizetype{1024} * 1024;
    static constexpr int kWaitBeforeConnectMs = 500;
    // A wait gives up once its try counter passes this (docs/query-rules.md).
    static constexpr int kLastTry = 10;

    explicit Exchange(ExchangeRules rules);

    // Asks the server on its IP and query port about its voice port. With
    // waitBeforeConnect (the window is minimised or maximised) it pauses
    // kWaitBeforeConnectMs first.
    std::vector<Action> start(const Server& server, bool waitBeforeConnect);
    std::vector<Action> pauseElapsed();
    std::vector<Action> dataArrived(const QByteArray& bytes);
    std::vector<Action> socketFailed(SocketFailure failure, const QString& detail);

    [[nodiscard]] bool finished() const { return m_state == State::Done; }
    [[nodiscard]] const ExchangeResult& result() const { return m_result; }

  private:
    enum class State { Idle, WaitingToConnect, Waiting, Done };
    void connect(std::vector<Action>& out);
    // The voice port as "sel" sends it; nullopt when it cannot go out.
    [[nodiscard]] std::optional<QString> voicePortToSend() const;
    void beginWait(answer::Step step, std::vector<Action>& out);
    void check(std::vector<Action>& out);
    bool judge(std::vector<Action>& out);
    void advance(qsizetype length, std::vector<Action>& out);
    void finish(Outcome outcome, const QString& detail, std::vector<Action>& out);

    ExchangeRules m_rules;
    State m_state = State::Idle;
    answer::Step m_step = answer::Step::Greeting;
    Server m_server;
    int m_counter = 0;
    bool m_pauseArmed = false;
    // Everything received and not yet taken as an answer (not only the latest
    // arrival: answers may come in pieces, or several in one).
    QByteArray strGet;
    // The port "sel" asked for, and its answer when that was an ERROR line.
    QString m_sentPort;
    QString m_selectError;
    // Data has arrived (or is left) that the current wait has not judged yet.
    bool bolGet = false;
    ExchangeResult m_result;
};

} // namespace query
