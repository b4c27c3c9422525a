// SPDX-License-Identifier: MIT
#include "query/Refresh.h"

#include "query/QueryConnection.h"
#include "store/Convert.h"

#include <QRegularExpression>
#include <QTimer>

namespace query {

std::optional<int> refreshPause(const QString& timeoutText) {
    // Digits alone, read the same on every desktop: "1.500" may mean 1500 or 1.5.
    static const QRegularExpression whole(QStringLiteral(R"(^\s*\+?[0-9]+\s*$)"));
    if (!whole.match(timeoutText).hasMatch()) {
        return std::nullopt;
    }
    const auto timeout = convert::toInteger(timeoutText);
    // A negative timeout would mean a negative pause.
    if (!timeout || *timeout < 0) {
        return std::nullopt;
    }
    return convert::tenthRoundedToEven(*timeout);
}

Refresh::Refresh(const RefreshSource& source, QObject* parent)
    : QObject(parent), m_source(source), m_nextRow(new QTimer(this)) {
    m_nextRow->setSingleShot(true);
    connect(m_nextRow, &QTimer::timeout, this, &Refresh::next);
}

void Refresh::start() {
    if (m_running) {
        return;
    }
    m_running = true;
    m_lastRow = m_source.lastRow();
    m_row = 0;
    next();
}

void Refresh::stop() {
    m_nextRow->stop();
    if (m_connection) {
        m_connection->close();
    }
    m_running = false;
}

void Refresh::end() {
    stop();
    Q_EMIT finished();
}

void Refresh::next() {
    ++m_row;
    // The list may have been reloaded meanwhile with fewer rows.
    const ListedServer* listed = m_row <= m_lastRow ? m_source.serverOn(m_row) : nullptr;
    if (listed == nullptr) {
        end();
        return;
    }
    Q_EMIT progress(m_row, m_lastRow);
    if (listed->mark != IdMark::None) {
        // Its count could land on another row with the same ID.
        nextSoon();
        return;
    }
    m_server = listed->server;
    Q_EMIT asking(m_server);
    m_connection = QueryConnection::make(
        ExchangeRules::refresh([this] { return refreshPause(m_source.timeoutText()); }), this,
        &Refresh::onDone);
    m_connection->start(listed->server, m_source.waitBeforeConnect());
}

void Refresh::onDone(const ExchangeResult& result) {
    if (result.outcome == Outcome::BadTimeout) {
        // The box's fault, not the server's: its row stays as it was.
        Q_EMIT timeoutUnusable(m_source.timeoutText());
        end();
        return;
    }
    const Moment when = m_clock();
    const int count = result.outcome == Outcome::Answered
                          ? answer::playerCount(answer::cutLines(result.answer))
                          : -1;
    if (count >= 0) {
        Q_EMIT counted(m_server, when, count);
    } else {
        Q_EMIT notCounted(m_server, when, result.whyNot());
    }
    m_connection->close();
    nextSoon();
}

void Refresh::nextSoon() {
    // Through the event loop: the window stays alive between rows, and rows
    // that end at once never pile up on the stack.
    m_nextRow->start();
}

} // namespace query
