#pragma once

#include "query/Answer.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace query {

// How one caller runs the exchange.
struct ExchangeRules {
    // Refresh: a fresh budget per wait (counter 1, then 0 and 0).
    // Player list: one counter for all three waits, starting at 0.
    bool counterPerWait = true;
    // Refresh: the voice port goes out as a number converted back to text.
    // Player list: the cell's text goes out unchanged.
    bool voicePortAsNumber = true;
    // The pause length, asked before every pause; nullopt when unusable,
    // which ends the whole operation.
    std::function<std::optional<int>()> pauseLength;
};

// How an exchange ended.
enum class Outcome {
    Answered,     // the answer to "PL" is in `answer`
    TimedOut,     // a wait ran out of pauses
    Refused,      // connection refused
    HostNotFound, // the host name did not resolve
    Closed,       // the server closed the connection before answering
    TooLarge,     // the server sent more than kMaxReply bytes in one step
    Failed,       // an unusable port or timeout: ends the caller's whole operation
};

struct Result {
    Outcome outcome = Outcome::TimedOut;
    QString answer;      // the decoded answer to "PL"
    QString detail;      // why, for Failed and the socket errors
    int pauses = 0;      // pauses armed in all
    qint64 waitedMs = 0; // pause time of the last wait (the one that timed out)
};

// What the exchange asks of its socket and clock.
struct Action {
    enum class Kind { Connect, Send, ArmPause, CancelPause, Finish };
    Kind kind;
    QString host;
    quint16 port = 0;
    QByteArray bytes;
    int ms = 0;
};

enum class SocketFailure { Refused, HostNotFound, ClosedByServer, Other };

// One conversation with a query port as a plain state machine: connect, wait
// for the greeting, "sel <port>", wait, "PL", wait, done. Each wait tests the
// reply flag before every pause and gives up after the counter passes 10.
// A wait ends early once its answer is complete; otherwise a check after a
// pause ends it as soon as any data has come.
class Exchange {
  public:
    static constexpr qsizetype kMaxReply = qsizetype{1024} * 1024;
    static constexpr int kStepZeroPause = 500;
    static constexpr int kLimit = 10;

    explicit Exchange(ExchangeRules rules);

    // Step 0 (the window minimised or maximised): pause 500 ms before connecting.
    std::vector<Action> start(const QString& host, const QString& queryPort,
                              const QString& voicePort, bool stepZero);
    std::vector<Action> pauseElapsed();
    std::vector<Action> dataArrived(const QByteArray& bytes);
    std::vector<Action> socketFailed(SocketFailure failure, const QString& detail);

    [[nodiscard]] bool finished() const { return m_state == State::Done; }
    [[nodiscard]] const Result& result() const { return m_result; }
    [[nodiscard]] int counter() const { return m_counter; }

  private:
    enum class State { Idle, StepZero, Waiting, Done };
    void connect(std::vector<Action>& out);
    void beginWait(answer::Step step, std::vector<Action>& out);
    void check(std::vector<Action>& out);
    void advance(std::vector<Action>& out);
    void finish(Outcome outcome, const QString& detail, std::vector<Action>& out);

    ExchangeRules m_rules;
    State m_state = State::Idle;
    answer::Step m_step = answer::Step::Greeting;
    QString m_host;
    QString m_queryPort;
    QString m_voicePort;
    int m_counter = 0;
    bool m_flag = false; // data arrived since the step began
    bool m_pauseArmed = false;
    QByteArray m_received;
    Result m_result;
};

} // namespace query
