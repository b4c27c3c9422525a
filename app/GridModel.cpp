// SPDX-License-Identifier: MIT
#include "app/GridModel.h"

#include "app/Words.h"

#include <utility>

GridModel::GridModel(ServerGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid) {
    connect(&grid, &ServerGrid::aboutToLoad, this, [this] {
        beginResetModel();
        m_asking = 0;
        m_pickedMarked = 0;
    });
    connect(&grid, &ServerGrid::loaded, this, [this] {
        if (m_picked && m_grid.rowOf(*m_picked) == 0) {
            m_picked.reset();
        }
        endResetModel();
        Q_EMIT pickChanged(); // every load tells the pick, the one at start-up included
    });
    connect(&grid, &ServerGrid::countChanged, this, [this](int row) {
        Q_EMIT dataChanged(cell(row, ServerGrid::Player), cell(row, ServerGrid::Player));
    });
}

QString GridModel::TextMatrix(int row, int col) const {
    if (row == 0) {
        return words::heading(col);
    }
    const ListedServer* listed = m_grid.server(row);
    if (listed == nullptr) {
        return {};
    }
    const Server& server = listed->server;
    switch (col) {
    case ServerGrid::ID:
        return listed->mark == IdMark::None ? QString::number(server.id) : listed->idText;
    case ServerGrid::Servername:
        return server.name;
    case ServerGrid::IP:
        return server.ip;
    case ServerGrid::Port:
        return server.port;
    case ServerGrid::TCPPort:
        return server.tcpPort;
    case ServerGrid::Player:
        return words::playerCell(m_grid.count(row)->players);
    default:
        return {};
    }
}

int GridModel::Row() const {
    return m_picked ? m_grid.rowOf(*m_picked) : m_pickedMarked;
}

void GridModel::setRow(int row) {
    const ListedServer* listed = m_grid.server(row);
    if (listed == nullptr || row == Row()) {
        return;
    }
    if (listed->mark == IdMark::None) {
        m_picked = listed->server.id;
        m_pickedMarked = 0;
    } else {
        m_picked.reset();
        m_pickedMarked = row;
    }
    Q_EMIT pickChanged();
}

std::optional<Server> GridModel::pickedServer() const {
    const ListedServer* listed = m_picked ? m_grid.server(m_grid.rowOf(*m_picked)) : nullptr;
    return listed != nullptr ? std::optional<Server>(listed->server) : std::nullopt;
}

void GridModel::showAsking(const Server& asked) {
    setAsking(m_grid.rowAsAsked(asked));
}

void GridModel::endAsking() {
    setAsking(0);
}

void GridModel::setAsking(int row) {
    const int before = std::exchange(m_asking, row);
    changedRow(before);
    changedRow(row);
}

void GridModel::changedRow(int row) {
    if (m_grid.server(row) != nullptr) {
        Q_EMIT dataChanged(cell(row, 0), cell(row, ServerGrid::ColumnCount - 1));
    }
}

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_grid.lastRow();
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ServerGrid::ColumnCount;
}

bool GridModel::isCountConfirmed(int row) const {
    const ServerGrid::Count* count = m_grid.count(row);
    return count == nullptr || !count->failure;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    const int row = rowOf(index);
    switch (role) {
    case Qt::DisplayRole:
        return TextMatrix(row, index.column());
    case Qt::ToolTipRole: {
        const QString tip = toolTip(row, index.column());
        return tip.isEmpty() ? QVariant() : QVariant(words::plainTip(tip));
    }
    case Qt::AccessibleDescriptionRole:
        // What the grey and the tooltip tell the eye, for a screen reader.
        if (index.column() == ServerGrid::Player && !isCountConfirmed(row)) {
            return QStringLiteral("Not current: ") + toolTip(row, ServerGrid::Player);
        }
        if (index.column() == ServerGrid::Player && m_grid.count(row) != nullptr &&
            !m_grid.count(row)->players) {
            return QStringLiteral("Not counted yet"); // the bare "X"
        }
        return toolTip(row, index.column());
    case CountConfirmedRole:
        return index.column() != ServerGrid::Player || isCountConfirmed(row);
    case AskingRole:
        return row == m_asking;
    case MarkedRole:
        return m_grid.isMarked(row);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return TextMatrix(0, section);
    }
    return {};
}

QString GridModel::toolTip(int row, int col) const {
    const ListedServer* listed = m_grid.server(row);
    if (listed == nullptr) {
        return {};
    }
    if (const QString mark = words::markText(*listed); !mark.isEmpty()) {
        return mark + QStringLiteral(": Quarnel shows it but does not ask, change or connect it.");
    }
    return col == ServerGrid::Player ? words::countTip(*m_grid.count(row), m_now()) : QString();
}

QString GridModel::untoldNotes() {
    QString notes = words::loadNotes(m_grid.notes());
    if (notes == m_toldNotes) {
        return {};
    }
    m_toldNotes = notes;
    return notes;
}
