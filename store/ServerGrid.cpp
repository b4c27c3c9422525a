// SPDX-License-Identifier: MIT
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
    case Qt::AccessibleDescriptionRole:
        // What the grey and the tooltip tell the eye, for a screen reader.
        if (index.column() == Player && !isCountConfirmed(row)) {
            return QStringLiteral("Not current: ") + toolTip(row, Player);
        }
        return toolTip(row, index.column());
    case CountConfirmedRole:
        return index.column() != Player || isCountConfirmed(row);
    case AskingRole:
        return row == m_asking;
    case MarkedRole:
        return isMarked(row);
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
        return at->players ? QString::number(*at->players) : QStringLiteral("X");
    default:
        return {};
    }
}

bool ServerGrid::isMarked(int row) const {
    const Line* at = line(row);
    return at != nullptr && at->listed.mark != IdMark::None;
}

QString ServerGrid::markText(int row) const {
    const Line* at = line(row);
    if (at == nullptr) {
        return {};
    }
    const QString what = QStringLiteral("This server's ID (%1) in TS.mdb ").arg(at->listed.idText);
    switch (at->listed.mark) {
    case IdMark::NotUnique:
        return what + QStringLiteral("is not unique");
    case IdMark::NotWhole:
        return what + QStringLiteral("is not a whole number");
    case IdMark::None:
        break;
    }
    return {};
}

QString ServerGrid::toolTip(int row, int col) const {
    if (const QString mark = markText(row); !mark.isEmpty()) {
        return mark + QStringLiteral(": Quarnel shows it but does not ask, change or connect it.");
    }
    const Line* at = line(row);
    return at != nullptr && col == Player ? countTip(*at) : QString();
}

QString ServerGrid::countTip(const Line& at) {
    const auto time = [](QTime when) { return when.toString(QStringLiteral("HH:mm:ss")); };
    if (at.confirmed) {
        return at.players ? QStringLiteral("Counted at ") + time(at.countedAt) : QString();
    }
    const QString failed = at.why + QStringLiteral(" (") + time(at.failedAt) + QLatin1Char(')');
    return at.countedAt.isValid()
               ? failed + QStringLiteral("; last counted at ") + time(at.countedAt)
               : failed;
}

bool ServerGrid::isCountConfirmed(int row) const {
    const Line* at = line(row);
    return at == nullptr || at->confirmed;
}

const ListedServer* ServerGrid::server(int row) const {
    const Line* at = line(row);
    return at != nullptr ? &at->listed : nullptr;
}

int ServerGrid::rowOf(qint32 id) const {
    return m_rowOf.value(id, 0);
}

void ServerGrid::load(const ServerList& list) {
    beginResetModel();
    m_rows.clear();
    m_rowOf.clear();
    m_asking = 0;
    m_pickedMarked = 0;
    m_rows.reserve(list.servers.size());
    int marked = 0;
    for (const ListedServer& listed : list.servers) {
        Line added;
        added.listed = listed;
        m_rows.append(added);
        if (listed.mark == IdMark::None) {
            m_rowOf.insert(listed.server.id, static_cast<int>(m_rows.size()));
        } else {
            ++marked;
        }
    }
    endResetModel();
    QStringList notes;
    if (marked > 0) {
        notes << QStringLiteral("%1 server(s) in TS.mdb have an ID that is not unique or not a "
                                "whole number. They are listed and marked, but Quarnel does not "
                                "ask, change or connect them.")
                     .arg(marked);
    }
    if (!list.leftOut.isEmpty()) {
        notes << QStringLiteral("These rows of TS.mdb have no usable ID and are left out of the "
                                "list: %1.")
                     .arg(list.leftOut.join(QStringLiteral(", ")));
    }
    m_notes = notes.join(QStringLiteral("\n\n"));
    if (m_picked && rowOf(*m_picked) == 0) {
        m_picked.reset();
    }
    Q_EMIT pickChanged();
}

QString ServerGrid::untoldNotes() {
    if (m_notes == m_toldNotes) {
        return {};
    }
    m_toldNotes = m_notes;
    return m_notes;
}

void ServerGrid::changedRow(int row, int firstColumn, int lastColumn) {
    if (line(row) != nullptr) {
        Q_EMIT dataChanged(index(row - 1, firstColumn), index(row - 1, lastColumn));
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

void ServerGrid::setCount(const Server& asked, QTime when, int players) {
    if (const int row = rowAsAsked(asked); row > 0) {
        Line& at = m_rows[row - 1];
        at.players = players;
        at.countedAt = when;
        at.confirmed = true;
        changedRow(row, Player, Player);
    }
}

void ServerGrid::setNotCounted(const Server& asked, QTime when, const QString& why) {
    if (const int row = rowAsAsked(asked); row > 0) {
        Line& at = m_rows[row - 1];
        at.why = why;
        at.failedAt = when;
        at.confirmed = false;
        changedRow(row, Player, Player);
    }
}

int ServerGrid::Row() const {
    return m_picked ? rowOf(*m_picked) : m_pickedMarked;
}

void ServerGrid::setRow(int row) {
    const Line* at = line(row);
    if (at == nullptr) {
        return;
    }
    if (row == Row()) {
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
