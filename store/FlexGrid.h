#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <array>
#include <vector>

// The cells of the server grid. Row 0 is the heading row (shown as the view's
// header); rows 1.. are the model's rows 0...
class GridModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    static constexpr int kColumns = 6;
    using Cells = std::array<QString, kColumns>;

    using QAbstractTableModel::QAbstractTableModel;
    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

  private:
    friend class FlexGrid;
    struct Row {
        Cells text;
        Cells tip;
    };
    Cells m_header;
    std::vector<Row> m_rows;
    bool m_batching = false;
};

// The server grid with the operations the program uses, under their old names.
class FlexGrid : public QTableView {
    Q_OBJECT
  public:
    explicit FlexGrid(QWidget* parent = nullptr);

    // Empties every cell, headings included; rows stay.
    void Clear();
    [[nodiscard]] int Rows() const { return static_cast<int>(m_model.m_rows.size()) + 1; }
    void setRows(int rows);
    // Appends a row; TAB-separated text fills its cells from column 0.
    void AddItem(const QString& item);
    [[nodiscard]] QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    void setCellToolTip(int row, int col, const QString& tip);
    [[nodiscard]] QString cellToolTip(int row, int col) const;
    [[nodiscard]] int ColWidth(int col) const;
    void setColWidth(int col, int width); // in twips
    // The current row: 0 while no server row is selected.
    [[nodiscard]] int Row() const;
    void setRow(int row);
    [[nodiscard]] int Col() const;
    void setCol(int col);
    void SetFocus() { setFocus(Qt::OtherFocusReason); }

    // While a Batch lives, appended rows reach the view in one reset.
    class Batch {
      public:
        explicit Batch(FlexGrid& grid);
        ~Batch();
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

      private:
        FlexGrid& m_grid;
    };

  Q_SIGNALS:
    // Any mouse button pressed over the grid; nothing else happens for the right button.
    void MouseDown(Qt::MouseButton button, Qt::KeyboardModifiers shift, QPoint position);
    // A server row was clicked (or chosen with Enter).
    void Click();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void checkCell(int row, int col) const;
    void moveCurrent(int row, int col);
    GridModel m_model;
    int m_col = 0;
};
