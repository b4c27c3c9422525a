// SPDX-License-Identifier: MIT
#include "app/GridModel.h"

#include "app/Words.h"

GridModel::GridModel(ServerGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), m_grid(grid) {
    connect(&grid, &ServerGrid::aboutToLoad, this, &GridModel::beginResetModel);
    connect(&grid, &ServerGrid::loaded, this, &GridModel::endResetModel);
    connect(&grid, &ServerGrid::rowChanged, this, [this](int row, int first, int last) {
        Q_EMIT dataChanged(cell(row, first), cell(row, last));
    });
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
        return m_grid.TextMatrix(row, index.column());
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
        return row == m_grid.asking();
    case MarkedRole:
        return m_grid.isMarked(row);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
        return m_grid.TextMatrix(0, section);
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
