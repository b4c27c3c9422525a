#include "query/PlayerList.h"

#include "query/Answer.h"
#include "query/Convert.h"
#include "query/QueryConnection.h"
#include "store/FlexGrid.h"

#include <QListWidget>

namespace query {

PlayerList::PlayerList(PlayerListWindow window, QObject* parent)
    : QObject(parent), m_window(std::move(window)) {}

PlayerList::~PlayerList() {
    closeConnection();
}

bool PlayerList::running() const {
    return m_connection && !m_connection->finished();
}

void PlayerList::closeConnection() {
    if (m_connection) {
        m_connection->close();
        m_connection->deleteLater();
        m_connection = nullptr;
    }
}

void PlayerList::MSFlexGrid1_Click() {
    closeConnection();
    FlexGrid& grid = *m_window.grid;
    const int row = grid.Row();
    if (row < 1) {
        return;
    }
    const QString host = grid.TextMatrix(row, 2);
    const QString voicePort = grid.TextMatrix(row, 3);
    const QString queryPort = grid.TextMatrix(row, 4);
    const auto id = convert::toLong(grid.TextMatrix(row, 0));
    if (!id) {
        return;
    }
    m_window.fSetUD(*id);
    m_window.list->clear();
    ExchangeRules rules;
    rules.counterPerWait = false;
    rules.voicePortAsNumber = false;
    rules.pauseLength = [] { return std::optional<int>(kPause); };
    auto* connection = new QueryConnection(std::move(rules), this);
    m_connection = connection;
    connect(connection, &QueryConnection::done, this, &PlayerList::onDone);
    connection->start(host, queryPort, voicePort, m_window.minimisedOrMaximised());
}

void PlayerList::onDone(const Result& result) {
    if (result.outcome == Outcome::Answered) {
        const QStringList pieces = answer::cutLines(result.answer);
        const int count = answer::playerCount(pieces);
        for (int k = 1; k <= count; ++k) {
            const auto player = answer::parsePlayerLine(pieces[k]);
            if (!player) {
                break; // a malformed line ends the list; entries so far stay
            }
            auto* item = new QListWidgetItem(answer::playerEntry(*player), m_window.list);
            item->setToolTip(answer::flagNames(player->flags));
        }
    }
    // After a timeout the connection stays open until the next click closes it.
    if (result.outcome != Outcome::TimedOut) {
        closeConnection();
    }
    Q_EMIT finished(result);
}

} // namespace query
