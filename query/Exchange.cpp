// SPDX-License-Identifier: MIT
#include "query/Exchange.h"

#include "store/Convert.h"

#include <utility>

namespace query {

Exchange::Exchange(ExchangeRules rules) : m_rules(std::move(rules)) {}

std::vector<Action> Exchange::start(const Server& server, bool waitBeforeConnect) {
    std::vector<Action> out;
    m_server = server;
    if (waitBeforeConnect) {
        m_state = State::WaitingToConnect;
        m_pauseArmed = true;
        out.push_back({.kind = Action::Kind::ArmPause, .ms = kWaitBeforeConnectMs});
    } else {
        connect(out);
    }
    return out;
}

void Exchange::connect(std::vector<Action>& out) {
    const auto port = convert::toPort(m_server.tcpPort);
    if (!port) {
        finish(Outcome::BadQueryPort, m_server.tcpPort, out);
        return;
    }
    // A server that could not be asked is not contacted at all.
    const auto voicePort = voicePortToSend();
    if (!voicePort) {
        finish(Outcome::BadVoicePort, m_server.port, out);
        return;
    }
    m_sentPort = *voicePort;
    m_state = State::Waiting;
    out.push_back({.kind = Action::Kind::Connect, .host = m_server.ip, .port = *port});
    m_counter = m_rules.counterPerWait ? 1 : 0;
    beginWait(answer::Step::Greeting, out);
}

std::optional<QString> Exchange::voicePortToSend() const {
    const QString& port = m_server.port;
    if (m_rules.voicePortAsNumber) {
        const auto number = convert::toLong(port);
        return number ? std::optional<QString>(QString::number(*number)) : std::nullopt;
    }
    // A line break would smuggle a command of its own onto the wire.
    if (port.contains(QLatin1Char('\r')) || port.contains(QLatin1Char('\n'))) {
        return std::nullopt;
    }
    return port;
}

void Exchange::beginWait(answer::Step step, std::vector<Action>& out) {
    m_step = step;
    if (m_rules.counterPerWait) {
        m_result.waitedMs = 0;
    }
    // What is left was never judged as this step's answer.
    bolGet = !strGet.isEmpty();
    check(out);
}

bool Exchange::judge(std::vector<Action>& out) {
    if (!std::exchange(bolGet, false)) {
        return false;
    }
    if (m_step == answer::Step::PlayerList) {
        if (const auto refusal = answer::errorLine(strGet)) {
            // Told by what "sel" answered when that was refused already.
            if (!m_selectError.isEmpty()) {
                m_result.port = m_sentPort;
            }
            finish(Outcome::ServerError, m_selectError.isEmpty() ? *refusal : m_selectError, out);
            return true;
        }
    }
    if (const qsizetype length = answer::answerLength(m_step, strGet); length > 0) {
        advance(length, out);
        return true;
    }
    return false;
}

void Exchange::check(std::vector<Action>& out) {
    if (judge(out)) {
        return;
    }
    ++m_counter;
    if (m_counter > kLastTry) {
        const bool begun = m_step == answer::Step::PlayerList && !strGet.isEmpty();
        finish(begun ? Outcome::Incomplete : Outcome::TimedOut, {}, out);
        return;
    }
    const auto ms = m_rules.pauseLength ? m_rules.pauseLength() : std::nullopt;
    if (!ms) {
        finish(Outcome::BadTimeout, {}, out);
        return;
    }
    m_pauseArmed = true;
    ++m_result.pauses;
    m_result.waitedMs += *ms;
    out.push_back({.kind = Action::Kind::ArmPause, .ms = *ms});
}

void Exchange::advance(qsizetype length, std::vector<Action>& out) {
    const QByteArray piece = strGet.left(length);
    strGet.remove(0, length);
    switch (m_step) {
    case answer::Step::Greeting: {
        out.push_back(
            {.kind = Action::Kind::Send, .bytes = "sel " + m_sentPort.toLatin1() + "\r\n"});
        m_counter = m_rules.counterPerWait ? 0 : m_counter;
        beginWait(answer::Step::Select, out);
        return;
    }
    case answer::Step::Select:
        // Only the next answer tells; this one is kept to explain it.
        m_selectError = answer::errorLine(piece).value_or(QString());
        out.push_back({.kind = Action::Kind::Send, .bytes = QByteArrayLiteral("PL\r\n")});
        m_counter = m_rules.counterPerWait ? 0 : m_counter;
        beginWait(answer::Step::PlayerList, out);
        return;
    case answer::Step::PlayerList:
        m_result.answer = answer::decode(piece);
        finish(Outcome::Answered, {}, out);
        return;
    }
}

void Exchange::finish(Outcome outcome, const QString& detail, std::vector<Action>& out) {
    if (m_pauseArmed) {
        m_pauseArmed = false;
        out.push_back({.kind = Action::Kind::CancelPause});
    }
    m_state = State::Done;
    m_result.outcome = outcome;
    m_result.detail = detail;
    out.push_back({.kind = Action::Kind::Finish});
}

std::vector<Action> Exchange::pauseElapsed() {
    std::vector<Action> out;
    if (!m_pauseArmed) {
        return out;
    }
    m_pauseArmed = false;
    if (m_state == State::WaitingToConnect) {
        connect(out);
    } else if (m_state == State::Waiting) {
        check(out);
    }
    return out;
}

std::vector<Action> Exchange::dataArrived(const QByteArray& bytes) {
    std::vector<Action> out;
    if (m_state != State::Waiting) {
        return out;
    }
    strGet.append(bytes);
    bolGet = true;
    if (strGet.size() > kMaxReply) {
        finish(Outcome::TooLarge, {}, out);
        return out;
    }
    // A pause still running is re-armed by the next wait or cancelled by the end.
    judge(out);
    return out;
}

std::vector<Action> Exchange::socketFailed(SocketFailure failure, const QString& detail) {
    std::vector<Action> out;
    if (m_state != State::Waiting) {
        return out;
    }
    if (m_step == answer::Step::PlayerList && !strGet.isEmpty()) {
        finish(Outcome::Incomplete, detail, out);
        return out;
    }
    switch (failure) {
    case SocketFailure::Refused:
        finish(Outcome::Refused, detail, out);
        break;
    case SocketFailure::HostNotFound:
        finish(Outcome::HostNotFound, detail, out);
        break;
    case SocketFailure::ClosedByServer:
        finish(Outcome::Closed, detail, out);
        break;
    case SocketFailure::Other:
        finish(Outcome::SocketError, detail, out);
        break;
    }
    return out;
}

} // namespace query
