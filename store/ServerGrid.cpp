#include "store/ServerGrid.h"

int ServerGrid::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ServerGrid::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ServerGrid::data(const QModelIndex& index, int role) const {
    const int row = index.row() + 1;
    switch (role) {
    case Qt::DisplayRole:
        return TextMatrix(row, index.column());
    case Qt::ToolTipRole: {
        const QString tip = toolTip(row, index.column());
        return tip.isEmpty() ? QVariant() : QVariant(tip);
    }
    case CurrentRole:
        return index.column() != Player || isCurrent(row);
    default:
        return {};
    }
}

QVariant ServerGrid::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return TextMatrix(0, section);
    }
    return {};
}

const ServerGrid::Line* ServerGrid::line(int row) const {
    return row >= 1 && row < Rows() ? &m_rows[row - 1] : nullptr;
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
    switch (col) {
    case ID:
        return QString::number(at->server.id);
    case Servername:
        return at->server.name;
    case IP:
        return at->server.ip;
    case Port:
        return at->server.port;
    case TCPPort:
        return at->server.tcpPort;
    case Player:
        return at->players;
    default:
        return {};
    }
}

QString ServerGrid::toolTip(int row, int col) const {
    const Line* at = line(row);
    return at != nullptr && col == Player ? at->tip : QString();
}

bool ServerGrid::isCurrent(int row) const {
    const Line* at = line(row);
    return at == nullptr || at->current;
}

int ServerGrid::rowOf(qint32 id) const {
    for (int i = 0; i < m_rows.size(); ++i) {
        if (m_rows[i].server.id == id) {
            return i + 1;
        }
    }
    return 0;
}

void ServerGrid::load(const QList<mod_DB::Server>& servers) {
    beginResetModel();
    m_rows.clear();
    m_rows.reserve(servers.size());
    for (const mod_DB::Server& server : servers) {
        Line added;
        added.server = server;
        m_rows.append(added);
    }
    endResetModel();
    if (m_picked && rowOf(*m_picked) == 0) {
        m_picked.reset();
    }
    Q_EMIT highlightChanged();
}

void ServerGrid::changedPlayer(int row) {
    const QModelIndex cell = index(row - 1, Player);
    Q_EMIT dataChanged(cell, cell);
}

void ServerGrid::setCount(qint32 id, const QString& count, const QString& when) {
    if (const int row = rowOf(id); row > 0) {
        Line& at = m_rows[row - 1];
        at.players = count;
        at.countedAt = when;
        at.tip = QStringLiteral("Counted at ") + when;
        at.current = true;
        changedPlayer(row);
    }
}

void ServerGrid::setNotCurrent(qint32 id, const QString& why) {
    if (const int row = rowOf(id); row > 0) {
        Line& at = m_rows[row - 1];
        at.tip = at.countedAt.isEmpty() ? why
                                        : why + QStringLiteral("; last counted at ") + at.countedAt;
        at.current = false;
        changedPlayer(row);
    }
}

int ServerGrid::Row() const {
    return m_picked ? rowOf(*m_picked) : 0;
}

void ServerGrid::setRow(int row) {
    const Line* at = line(row);
    m_picked = at != nullptr ? std::optional<qint32>(at->server.id) : std::nullopt;
    Q_EMIT highlightChanged();
}

int ServerGrid::highlighted() const {
    return line(m_asking) != nullptr ? m_asking : Row();
}

void ServerGrid::showAsking(int row) {
    m_asking = row;
    Q_EMIT highlightChanged();
}

namespace mod_DBWork {

Status fLoadServerList(ServerGrid& grid) {
    const auto servers = mod_DB::listServers();
    if (!servers) {
        return Status::failure(servers.error());
    }
    grid.load(*servers);
    return success();
}

QString deleteQuestion(const ServerGrid& grid, int row) {
    return QStringLiteral("Delete Server\r\n") + grid.TextMatrix(row, ServerGrid::Servername) +
           QStringLiteral("  ") + grid.TextMatrix(row, ServerGrid::IP) + QLatin1Char(':') +
           grid.TextMatrix(row, ServerGrid::Port) + QLatin1Char('?');
}

} // namespace mod_DBWork
