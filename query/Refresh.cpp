#include "query/Refresh.h"

#include "query/Answer.h"
#include "query/Convert.h"
#include "query/QueryConnection.h"
#include "store/FlexGrid.h"

#include <QTime>

namespace query {

std::optional<int> refreshPause(const QString& timeoutText) {
    const auto timeout = convert::toInteger(timeoutText);
    // A negative timeout would mean an endless or negative pause.
    if (!timeout || *timeout < 0) {
        return std::nullopt;
    }
    return convert::tenthRoundedToEven(*timeout);
}

QString playerCellTip(const Result& result, int count, const QString& when) {
    switch (result.outcome) {
    case Outcome::Answered:
        if (count >= 0) {
            return QStringLiteral("Counted at %1").arg(when);
        } else {
            const QString first = answer::cutLines(result.answer).value(0).left(80);
            return QStringLiteral("Not a player list (%1): %2").arg(when, first);
        }
    case Outcome::TimedOut:
        return QStringLiteral("No answer within %1 ms (%2)").arg(result.waitedMs).arg(when);
    case Outcome::Refused:
        return QStringLiteral("Connection refused (%1)").arg(when);
    case Outcome::HostNotFound:
        return QStringLiteral("Host not found (%1)").arg(when);
    case Outcome::Closed:
        return QStringLiteral("Connection closed by the server (%1)").arg(when);
    case Outcome::TooLarge:
        return QStringLiteral("Answer too large: %1 (%2)").arg(result.detail, when);
    case Outcome::Failed:
        return QStringLiteral("Not asked: %1 (%2)").arg(result.detail, when);
    }
    return {};
}

Refresh::Refresh(RefreshWindow window, QObject* parent)
    : QObject(parent), m_window(std::move(window)) {}

Refresh::~Refresh() {
    stop();
}

void Refresh::start() {
    if (m_running) {
        return;
    }
    m_window.clearLoginBoxes();
    m_running = true;
    m_lastRow = m_window.grid->Rows() - 1;
    m_row = 0;
    next();
}

void Refresh::stop() {
    if (m_connection) {
        m_connection->close();
        m_connection->deleteLater();
    }
    m_running = false;
}

void Refresh::end() {
    stop();
    Q_EMIT finished();
}

void Refresh::next() {
    ++m_row;
    FlexGrid& grid = *m_window.grid;
    // The list may have been reloaded meanwhile with fewer rows.
    if (m_row > m_lastRow || m_row >= grid.Rows()) {
        end();
        return;
    }
    grid.setRow(m_row);
    grid.setCol(1);
    grid.SetFocus();
    m_id = grid.TextMatrix(m_row, 0);
    ExchangeRules rules;
    rules.counterPerWait = true;
    rules.voicePortAsNumber = true;
    rules.pauseLength = [text = m_window.timeoutText] { return refreshPause(text()); };
    auto* connection = new QueryConnection(std::move(rules), this);
    m_connection = connection;
    connect(connection, &QueryConnection::done, this, &Refresh::onDone);
    connection->start(grid.TextMatrix(m_row, 2), grid.TextMatrix(m_row, 4),
                      grid.TextMatrix(m_row, 3), m_window.minimisedOrMaximised());
}

void Refresh::onDone(const Result& result) {
    FlexGrid& grid = *m_window.grid;
    const int count = result.outcome == Outcome::Answered
                          ? answer::playerCount(answer::cutLines(result.answer))
                          : 0;
    // Written only while the row still holds the server that was asked.
    if (m_row < grid.Rows() && grid.TextMatrix(m_row, 0) == m_id) {
        if (result.outcome == Outcome::Answered) {
            // Below zero the server answered, but with no player list.
            grid.setTextMatrix(m_row, 5, count >= 0 ? QString::number(count) : QStringLiteral("X"));
        }
        grid.setCellToolTip(
            m_row, 5, playerCellTip(result, count, QTime::currentTime().toString(Qt::ISODate)));
    }
    Q_EMIT serverDone(m_row, result);
    if (result.outcome == Outcome::Failed) {
        end();
        return;
    }
    if (m_connection) {
        m_connection->close();
        m_connection->deleteLater();
    }
    next();
}

} // namespace query
