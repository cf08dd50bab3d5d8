// A table of cells: columns of fixed width, one row of cells per record
// row, a fixed row height, scrolled vertically through an attached scroll
// bar. The focus moves across a row, then to the next row; it never wraps
// from the last row to the first (the focus leaves the group instead).
// A range of cells runs from an anchor to the active cell (Shift+arrow,
// Shift+click, Ctrl+A) and is drawn in the selection colours.
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

  // The selected range: the rows and columns between the anchor and the
  // active cell; the active cell alone without an anchor; empty (Rows()
  // 0) without an active cell. Moving the active cell without Shift drops
  // the anchor.
  struct TRange {
    int FirstRow = 0, LastRow = -1, FirstColumn = 0, LastColumn = -1;
    int Rows() const { return LastRow - FirstRow + 1; }
    bool Contains(int row, int column) const {
      return row >= FirstRow && row <= LastRow && column >= FirstColumn && column <= LastColumn;
    }
  };
  TRange Range() const;
  int Anchor() const { return anchor_; }
  // Sets the anchor without moving the active cell (-1 drops it).
  void SetAnchor(int index);
  // The anchor at the first enterable cell, the last one active.
  void SelectAll();
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
  void mousePressEvent(QMouseEvent* event) override;
  bool HandleKey(QKeyEvent* event, bool fromEditor) override;
  void PaintCell(QPainter& p, int index, const QRect& r) const override;

 private:
  struct TColumn {
    int Width;
    TCellFactory Make;
  };
  void UpdateScrollBar();
  // Moves the active cell keeping (or setting) the anchor.
  void ExtendTo(int index);
  std::vector<TColumn> columns_;
  std::vector<std::unique_ptr<TCell>> cells_;  // row-major
  int rowCount_ = 0;
  int top_ = 0;
  int anchor_ = -1;
  bool extending_ = false;  // the active cell moves with the anchor kept
  QPointer<QScrollBar> bar_;
};

}  // namespace kestrin
