// SPDX-License-Identifier: MIT
#include "store/ServerGrid.h"

#include <utility>

const ServerGrid::Line* ServerGrid::line(int row) const {
    return row >= 1 && row <= lastRow() ? &m_rows[server_row::toIndex(row)] : nullptr;
}

ServerGrid::Line* ServerGrid::line(int row) {
    return const_cast<Line*>(std::as_const(*this).line(row));
}

QString ServerGrid::TextMatrix(int row, int col) const {
    if (row == 0) {
        static const QStringList headings{QString(),
                                          QStringLiteral("Servername"),
                                          QStringLiteral("IP"),
                                          QStringLiteral("Port"),
                                          QStringLiteral("TCPPort"),
                                          QStringLiteral("Player")};
        return headings.value(col);
    }
    const Line* at = line(row);
    if (at == nullptr) {
        return {};
    }
    const Server& server = at->listed.server;
    switch (col) {
    case ID:
        return at->listed.mark == IdMark::None ? QString::number(server.id) : at->listed.idText;
    case Servername:
        return server.name;
    case IP:
        return server.ip;
    case Port:
        return server.port;
    case TCPPort:
        return server.tcpPort;
    case Player:
        return at->count.players ? QString::number(*at->count.players) : QStringLiteral("X");
    default:
        return {};
    }
}

bool ServerGrid::isMarked(int row) const {
    const Line* at = line(row);
    return at != nullptr && at->listed.mark != IdMark::None;
}

const ListedServer* ServerGrid::server(int row) const {
    const Line* at = line(row);
    return at != nullptr ? &at->listed : nullptr;
}

const ServerGrid::Count* ServerGrid::count(int row) const {
    const Line* at = line(row);
    return at != nullptr ? &at->count : nullptr;
}

int ServerGrid::rowOf(qint32 id) const {
    return m_rowOf.value(id, 0);
}

void ServerGrid::load(const ServerList& list) {
    Q_EMIT aboutToLoad();
    m_rows.clear();
    m_rowOf.clear();
    m_asking = 0;
    m_pickedMarked = 0;
    m_rows.reserve(list.servers.size());
    m_notes = {0, list.leftOut};
    for (const ListedServer& listed : list.servers) {
        m_rows.append(Line{listed, {}});
        if (listed.mark == IdMark::None) {
            m_rowOf.insert(listed.server.id, static_cast<int>(m_rows.size()));
        } else {
            ++m_notes.marked;
        }
    }
    if (m_picked && rowOf(*m_picked) == 0) {
        m_picked.reset();
    }
    Q_EMIT loaded();
    Q_EMIT pickChanged();
}

void ServerGrid::changedRow(int row, int firstColumn, int lastColumn) {
    if (line(row) != nullptr) {
        Q_EMIT rowChanged(row, firstColumn, lastColumn);
    }
}

int ServerGrid::rowAsAsked(const Server& asked) const {
    const int row = rowOf(asked.id);
    const Line* at = line(row);
    if (at == nullptr) {
        return 0;
    }
    const Server& now = at->listed.server;
    return now.ip == asked.ip && now.port == asked.port && now.tcpPort == asked.tcpPort ? row : 0;
}

void ServerGrid::setCount(const Server& asked, Moment when, int players) {
    if (const int row = rowAsAsked(asked); row > 0) {
        Count& at = line(row)->count;
        at.players = players;
        at.countedAt = when;
        at.failure.reset();
        changedRow(row, Player, Player);
    }
}

void ServerGrid::setNotCounted(const Server& asked, Moment when, const NotCounted& why) {
    if (const int row = rowAsAsked(asked); row > 0) {
        Count& at = line(row)->count;
        at.failure = why;
        at.failedAt = when;
        changedRow(row, Player, Player);
    }
}

int ServerGrid::Row() const {
    return m_picked ? rowOf(*m_picked) : m_pickedMarked;
}

void ServerGrid::setRow(int row) {
    const Line* at = line(row);
    if (at == nullptr || row == Row()) {
        return;
    }
    if (at->listed.mark == IdMark::None) {
        m_picked = at->listed.server.id;
        m_pickedMarked = 0;
    } else {
        m_picked.reset();
        m_pickedMarked = row;
    }
    Q_EMIT pickChanged();
}

std::optional<Server> ServerGrid::pickedServer() const {
    const Line* at = m_picked ? line(rowOf(*m_picked)) : nullptr;
    return at != nullptr ? std::optional<Server>(at->listed.server) : std::nullopt;
}

void ServerGrid::showAsking(const Server& asked) {
    setAsking(rowAsAsked(asked));
}

void ServerGrid::endAsking() {
    setAsking(0);
}

void ServerGrid::setAsking(int row) {
    const int before = std::exchange(m_asking, row);
    changedRow(before, 0, ColumnCount - 1);
    changedRow(row, 0, ColumnCount - 1);
}
