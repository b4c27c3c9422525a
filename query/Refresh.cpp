// SPDX-License-Identifier: MIT
#include "query/Refresh.h"

#include "query/QueryConnection.h"
#include "store/Convert.h"
#include "store/ServerGrid.h"

#include <QTime>

namespace query {

std::optional<int> refreshPause(const QString& timeoutText) {
    const auto timeout = convert::toInteger(timeoutText);
    // A negative timeout would mean a negative pause.
    if (!timeout || *timeout < 0) {
        return std::nullopt;
    }
    return convert::tenthRoundedToEven(*timeout);
}

QString whyNotCounted(const Result& result) {
    switch (result.outcome) {
    case Outcome::Answered:
        return {}; // a whole answer always counts: it has a header and a closing line
    case Outcome::TimedOut:
        return QStringLiteral("No answer within %1 ms").arg(result.waitedMs);
    case Outcome::Incomplete:
        return QStringLiteral("The player list was incomplete");
    case Outcome::Refused:
        return QStringLiteral("Connection refused");
    case Outcome::HostNotFound:
        return QStringLiteral("Host not found");
    case Outcome::Closed:
        return QStringLiteral("Connection closed by the server");
    case Outcome::SocketError:
        return QStringLiteral("Network error: ") + result.detail;
    case Outcome::TooLarge:
        return QStringLiteral("Answer too large: ") + result.detail;
    case Outcome::Unusable:
    case Outcome::BadTimeout:
        return QStringLiteral("Not asked: ") + result.detail;
    }
    return {};
}

Refresh::Refresh(ServerGrid& grid, std::function<QString()> timeoutText,
                 std::function<bool()> minimisedOrMaximised, QObject* parent)
    : QObject(parent), m_grid(grid), m_timeoutText(std::move(timeoutText)),
      m_notNormal(std::move(minimisedOrMaximised)) {}

void Refresh::start() {
    if (m_running) {
        return;
    }
    m_running = true;
    ++m_run;
    m_lastRow = m_grid.Rows() - 1;
    m_row = 0;
    next();
}

void Refresh::stop() {
    if (m_connection) {
        m_connection->close();
    }
    m_running = false;
}

void Refresh::end() {
    stop();
    m_grid.showAsking(0);
    Q_EMIT finished();
}

void Refresh::next() {
    ++m_row;
    // The list may have been reloaded meanwhile with fewer rows.
    if (m_row > m_lastRow || m_row >= m_grid.Rows()) {
        end();
        return;
    }
    if (m_grid.isMarked(m_row)) {
        // Its count could land on another row with the same ID.
        nextSoon();
        return;
    }
    m_grid.showAsking(m_row);
    m_id = convert::toLong(m_grid.TextMatrix(m_row, ServerGrid::ID)).value_or(0);
    ExchangeRules rules;
    rules.counterPerWait = true;
    rules.voicePortAsNumber = true;
    rules.pauseLength = [text = m_timeoutText] { return refreshPause(text()); };
    auto* connection = new QueryConnection(std::move(rules), this);
    m_connection = connection;
    connect(connection, &QueryConnection::done, this, &Refresh::onDone);
    connection->start(m_grid.TextMatrix(m_row, ServerGrid::IP),
                      m_grid.TextMatrix(m_row, ServerGrid::TCPPort),
                      m_grid.TextMatrix(m_row, ServerGrid::Port), m_notNormal());
}

void Refresh::onDone(const Result& result) {
    const QString when = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    const int count = result.outcome == Outcome::Answered
                          ? answer::playerCount(answer::cutLines(result.answer))
                          : -1;
    if (count >= 0) {
        m_grid.setCount(m_id, QString::number(count), when);
    } else {
        m_grid.setNotCurrent(m_id, whyNotCounted(result) + QStringLiteral(" (%1)").arg(when));
    }
    if (result.outcome == Outcome::BadTimeout) {
        end();
        return;
    }
    m_connection->close();
    nextSoon();
}

void Refresh::nextSoon() {
    // Through the event loop: the window stays alive between rows, and rows
    // that end at once never pile up on the stack.
    QMetaObject::invokeMethod(
        this,
        [this, run = m_run] {
            if (m_running && run == m_run) {
                next();
            }
        },
        Qt::QueuedConnection);
}

} // namespace query
