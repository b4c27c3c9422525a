// SPDX-License-Identifier: MIT
#include "app/FlexGrid.h"

#include "app/GridModel.h"
#include "app/Look.h"
#include "app/Twips.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QToolTip>

bool showTipOfCurrent(QAbstractItemView* view, const QKeyEvent* event) {
    if (event->key() != Qt::Key_F1 || event->modifiers() != Qt::ShiftModifier) {
        return false;
    }
    const QModelIndex current = view->currentIndex();
    const QRect cell = view->visualRect(current);
    QToolTip::showText(view->viewport()->mapToGlobal(cell.bottomLeft()),
                       current.data(Qt::ToolTipRole).toString(), view, cell);
    return true;
}

namespace {
class CellColours : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const look::Cell drawn = look::cell({index.data(GridModel::CountConfirmedRole).toBool(),
                                             index.data(GridModel::AskingRole).toBool(),
                                             index.data(GridModel::MarkedRole).toBool()});
        option->backgroundBrush = drawn.background;
        option->palette.setColor(QPalette::Text, drawn.text);
        option->font.setItalic(drawn.italic);
    }
};
} // namespace

FlexGrid::FlexGrid(GridModel& model, QWidget* parent) : QTableView(parent), m_model(model) {
    setModel(&model);
    setItemDelegate(new CellColours(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setTabKeyNavigation(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(16);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->viewport()->installEventFilter(this);
    setFont(look::windowFont());
    // Fixed cells yellow with black lines, cells grey with grey lines, the
    // area beyond the last row and column in the window's cyan.
    setStyleSheet(QStringLiteral(
        "QTableView { background-color: rgb(128,255,255); gridline-color: rgb(192,192,192); }"
        "QHeaderView { background-color: rgb(128,255,255); }"
        "QHeaderView::section { background-color: rgb(255,255,128); color: black;"
        " border: 0px; border-right: 1px solid black; border-bottom: 1px solid black;"
        " padding: 0px 2px; }"));
    useReadableSelection();
    connect(&m_model, &GridModel::pickChanged, this, &FlexGrid::showHighlight);
    // The empty list's advice is heard, not only seen.
    const auto describe = [this] {
        setAccessibleDescription(m_model.rowCount() == 0 ? QLatin1String(kEmptyHint) : QString());
    };
    connect(&m_model, &QAbstractItemModel::modelReset, this, describe);
    describe();
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FlexGrid::userSelected);
    connect(this, &QAbstractItemView::clicked, this, [this] {
        if (!m_pressMovedPick) {
            Q_EMIT Click();
        }
    });
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

void FlexGrid::useReadableSelection() {
    // The selected row looks the same whether or not the grid has the focus,
    // and its text reads well on the desktop's highlight.
    QPalette colours = palette();
    const QColor highlight = colours.color(QPalette::Active, QPalette::Highlight);
    const QColor text =
        look::readableOn(highlight, colours.color(QPalette::Active, QPalette::HighlightedText));
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        colours.setColor(group, QPalette::Highlight, highlight);
        colours.setColor(group, QPalette::HighlightedText, text);
    }
    if (colours != palette()) {
        setPalette(colours);
    }
}

void FlexGrid::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        useReadableSelection(); // the desktop's colours changed
    }
}

void FlexGrid::showHighlight() {
    m_syncing = true;
    // With no pick there is nothing to show: a reload has cleared the selection.
    if (const int row = m_model.Row(); row > 0) {
        // In the column the keys are in: Down from a count reaches the next count.
        const QModelIndex now = currentIndex();
        const int col = now.isValid() && !isColumnHidden(now.column())
                            ? now.column()
                            : int{ServerGrid::Servername};
        const QModelIndex cell = m_model.cell(row, col);
        // Made current, the row is also scrolled into view.
        selectionModel()->setCurrentIndex(cell, QItemSelectionModel::ClearAndSelect |
                                                    QItemSelectionModel::Rows);
    }
    m_syncing = false;
}

void FlexGrid::userSelected() {
    if (m_syncing) {
        return;
    }
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        showHighlight(); // nothing un-picks a server but its going
    } else {
        m_model.setRow(GridModel::rowOf(rows.first()));
    }
}

void FlexGrid::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    if (m_model.rowCount() == 0) {
        QPainter painter(viewport());
        painter.setPen(Qt::black);
        painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8),
                         Qt::AlignCenter | Qt::TextWordWrap, QLatin1String(kEmptyHint));
    }
}

void FlexGrid::mousePressEvent(QMouseEvent* event) {
    Q_EMIT MouseDown(event->button(), event->modifiers(), event->position().toPoint());
    // Only the left button on a row picks it; after a right click the popup
    // acts on the row picked before.
    if (event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid()) {
        const auto before = m_model.pickedServer();
        const int beforeRow = m_model.Row();
        QTableView::mousePressEvent(event);
        m_pressMovedPick = m_model.Row() != beforeRow || m_model.pickedServer() != before;
    }
}

bool FlexGrid::eventFilter(QObject* watched, QEvent* event) {
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        const QPoint at = viewport()->mapFromGlobal(press->globalPosition().toPoint());
        Q_EMIT MouseDown(press->button(), press->modifiers(), at);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

void FlexGrid::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Q_EMIT Click();
        return;
    }
    if (showTipOfCurrent(this, event)) {
        return;
    }
    // Entering the grid makes its first cell current without picking it: the
    // first step down picks that row rather than the one below.
    if (m_model.Row() == 0 && currentIndex().isValid() &&
        (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up)) {
        selectionModel()->select(currentIndex(),
                                 QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        return;
    }
    if (event->key() == Qt::Key_Menu ||
        (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier)) {
        // At the picked row, or at the top of the grid when none is picked.
        const QRect row = visualRect(m_model.cell(m_model.Row(), ServerGrid::Servername));
        Q_EMIT MenuKey(row.isValid() ? row.center() : QPoint(4, 4));
        return;
    }
    QTableView::keyPressEvent(event);
}

QModelIndex FlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Whole rows are picked, so Home and End go to the first and last server.
    if (action == MoveHome || action == MoveEnd) {
        modifiers |= Qt::ControlModifier;
    }
    return QTableView::moveCursor(action, modifiers);
}
