// SPDX-License-Identifier: MIT
#include "store/ServerGrid.h"

#include <utility>

const ServerGrid::Line* ServerGrid::line(int row) const {
    return row >= 1 && row <= lastRow() ? &m_rows[server_row::toIndex(row)] : nullptr;
}

ServerGrid::Line* ServerGrid::line(int row) {
    return const_cast<Line*>(std::as_const(*this).line(row));
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
    Q_EMIT loaded();
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
        Q_EMIT countChanged(row);
    }
}

void ServerGrid::setNotCounted(const Server& asked, Moment when, const NotCounted& why) {
    if (const int row = rowAsAsked(asked); row > 0) {
        Count& at = line(row)->count;
        at.failure = why;
        at.failedAt = when;
        Q_EMIT countChanged(row);
    }
}
