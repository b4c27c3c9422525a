// SPDX-License-Identifier: MIT
#include "query/PlayerList.h"

#include "query/QueryConnection.h"

namespace query {

void PlayerList::closeConnection() {
    if (m_connection) {
        m_connection->close();
        m_connection = nullptr;
    }
}

void PlayerList::start(const Server& server, bool waitBeforeConnect) {
    closeConnection();
    m_connection =
        QueryConnection::make(ExchangeRules::playerList(kPause), this, &PlayerList::onDone);
    m_connection->start(server, waitBeforeConnect);
}

void PlayerList::onDone(const ExchangeResult& result) {
    if (result.outcome == Outcome::Answered) {
        const QStringList pieces = answer::cutLines(result.answer);
        QList<answer::Player> players;
        for (int k = 1; k <= answer::playerCount(pieces); ++k) {
            const auto player = answer::parsePlayerLine(pieces[k]);
            if (!player) {
                break;
            }
            players << *player;
        }
        Q_EMIT listed(players);
    }
    // After a timeout the connection stays open until the next list closes it
    // (docs/query-rules.md).
    if (result.outcome != Outcome::TimedOut && result.outcome != Outcome::Incomplete) {
        closeConnection();
    }
    Q_EMIT finished(result);
}

} // namespace query
