// A table of cells: columns of fixed width, one row of cells per record
// row, a fixed row height, scrolled vertically through an attached scroll
// bar. The focus moves across a row, then to the next row; it never wraps
// from the last row to the first (the focus leaves the group instead).
#pragma once

#include <QPointer>
#include <functional>
#include <memory>
#include <vector>

#include "CellArea.h"

class QScrollBar;

namespace kestrin {

class TCellTable : public TCellArea {
  Q_OBJECT
 public:
  using TCellFactory = std::function<std::unique_ptr<TCell>(int row)>;

  explicit TCellTable(QWidget* parent = nullptr);
  ~TCellTable() override;

  int RowHeight = 26;
  int PageRows = 13;  // rows moved by a scroll-bar page and PageUp/PageDown

  void AddColumn(int width, TCellFactory make);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  int ColumnLeft(int column) const;
  int ColumnWidth(int column) const { return columns_.at(static_cast<std::size_t>(column)).Width; }

  int RowCount() const { return rowCount_; }
  // Rows are made or removed at the end; existing rows keep their cells.
  void SetRowCount(int rows);
  int TopRow() const { return top_; }
  void SetTopRow(int row);
  // Whole rows that fit into the widget.
  int VisibleRows() const;
  void AttachScrollBar(QScrollBar* bar);

  TCell* Cell(int row, int column) const;
  int Index(int row, int column) const { return row * ColumnCount() + column; }

  int CellCount() const override { return rowCount_ * ColumnCount(); }
  TCell* CellAt(int index) const override;
  QRect CellRect(int index) const override;
  void EnsureVisible(int index) override;
  int Neighbour(int from, int key) const override;
  int PageTarget(int from, bool down) const override;
  QSize sizeHint() const override;

 signals:
  void TopRowChanged(int top);

 protected:
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  struct TColumn {
    int Width;
    TCellFactory Make;
  };
  void UpdateScrollBar();
  std::vector<TColumn> columns_;
  std::vector<std::unique_ptr<TCell>> cells_;  // row-major
  int rowCount_ = 0;
  int top_ = 0;
  QPointer<QScrollBar> bar_;
};

}  // namespace kestrin
