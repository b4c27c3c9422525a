#include "store/FlexGrid.h"

#include "store/Twips.h"

#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <stdexcept>

int GridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int GridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kColumns;
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || m_batching) {
        return {};
    }
    const Row& row = m_rows[static_cast<size_t>(index.row())];
    const auto col = static_cast<size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return row.text[col];
    case Qt::ToolTipRole:
        return row.tip[col].isEmpty() ? QVariant() : QVariant(row.tip[col]);
    case Qt::BackgroundRole:
        return QColor(224, 224, 224);
    default:
        return {};
    }
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < kColumns) {
        return m_header[static_cast<size_t>(section)];
    }
    return {};
}

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent) {
    setModel(&m_model);
    connect(this, &QAbstractItemView::clicked, this, [this] { Q_EMIT Click(); });
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(16);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setMinimumSectionSize(0);
    setFont(twips::windowFont());
    // Fixed cells yellow with black lines, cells grey with grey lines, the
    // area beyond the last row in the window's cyan.
    setStyleSheet(QStringLiteral(
        "QTableView { background-color: rgb(128,255,255); gridline-color: rgb(192,192,192); }"
        "QHeaderView::section { background-color: rgb(255,255,128); color: black;"
        " border: 0px; border-right: 1px solid black; border-bottom: 1px solid black;"
        " padding: 0px 2px; }"));
}

void FlexGrid::checkCell(int row, int col) const {
    if (row < 0 || row >= Rows() || col < 0 || col >= GridModel::kColumns) {
        throw std::out_of_range("grid cell out of range");
    }
}

void FlexGrid::Clear() {
    m_model.beginResetModel();
    m_model.m_header = {};
    for (auto& row : m_model.m_rows) {
        row = {};
    }
    m_model.endResetModel();
}

void FlexGrid::setRows(int rows) {
    m_model.beginResetModel();
    m_model.m_rows.resize(static_cast<size_t>(std::max(rows, 1) - 1));
    m_model.endResetModel();
}

void FlexGrid::AddItem(const QString& item) {
    GridModel::Row row;
    const QStringList parts = item.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < parts.size() && i < GridModel::kColumns; ++i) {
        row.text[static_cast<size_t>(i)] = parts[i];
    }
    const int at = m_model.rowCount();
    if (!m_model.m_batching) {
        m_model.beginInsertRows({}, at, at);
    }
    m_model.m_rows.push_back(std::move(row));
    if (!m_model.m_batching) {
        m_model.endInsertRows();
    }
}

QString FlexGrid::TextMatrix(int row, int col) const {
    checkCell(row, col);
    if (row == 0) {
        return m_model.m_header[static_cast<size_t>(col)];
    }
    return m_model.m_rows[static_cast<size_t>(row - 1)].text[static_cast<size_t>(col)];
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text) {
    checkCell(row, col);
    if (row == 0) {
        m_model.m_header[static_cast<size_t>(col)] = text;
        if (!m_model.m_batching) {
            Q_EMIT m_model.headerDataChanged(Qt::Horizontal, col, col);
        }
        return;
    }
    m_model.m_rows[static_cast<size_t>(row - 1)].text[static_cast<size_t>(col)] = text;
    if (!m_model.m_batching) {
        const QModelIndex index = m_model.index(row - 1, col);
        Q_EMIT m_model.dataChanged(index, index, {Qt::DisplayRole});
    }
}

void FlexGrid::setCellToolTip(int row, int col, const QString& tip) {
    checkCell(row, col);
    if (row == 0) {
        return;
    }
    m_model.m_rows[static_cast<size_t>(row - 1)].tip[static_cast<size_t>(col)] = tip;
}

QString FlexGrid::cellToolTip(int row, int col) const {
    checkCell(row, col);
    return row == 0 ? QString()
                    : m_model.m_rows[static_cast<size_t>(row - 1)].tip[static_cast<size_t>(col)];
}

int FlexGrid::ColWidth(int col) const {
    return isColumnHidden(col) ? 0 : columnWidth(col) * twips::kPerPixel;
}

void FlexGrid::setColWidth(int col, int width) {
    // Width 0 hides the column: the key column is never seen, yet always there.
    setColumnHidden(col, width == 0);
    if (width > 0) {
        setColumnWidth(col, twips::px(width));
    }
}

int FlexGrid::Row() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

int FlexGrid::Col() const {
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.column() : m_col;
}

void FlexGrid::moveCurrent(int row, int col) {
    m_col = col;
    if (row < 1) {
        setCurrentIndex({});
        return;
    }
    setCurrentIndex(m_model.index(row - 1, col));
}

void FlexGrid::setRow(int row) {
    checkCell(row, 0);
    moveCurrent(row, Col());
}

void FlexGrid::setCol(int col) {
    checkCell(0, col);
    moveCurrent(Row(), col);
}

FlexGrid::Batch::Batch(FlexGrid& grid) : m_grid(grid) {
    m_grid.m_model.beginResetModel();
    m_grid.m_model.m_batching = true;
}

FlexGrid::Batch::~Batch() {
    m_grid.m_model.m_batching = false;
    m_grid.m_model.endResetModel();
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
    Q_EMIT MouseDown(event->button(), event->modifiers(), event->position().toPoint());
    // Only the left button moves the selection; a right click leaves the
    // current row where it was, so the popup acts on it.
    if (event->button() == Qt::LeftButton) {
        QTableView::mousePressEvent(event);
    } else {
        event->accept();
    }
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && Row() > 0) {
        Q_EMIT Click();
        return;
    }
    QTableView::keyPressEvent(event);
}
