#include "CellTable.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace kestrin {

TCellTable::TCellTable(QWidget* parent) : TCellArea(parent) {
  connect(this, &TCellArea::ActiveIndexChanged, this, [this](int) {
    if (!extending_) SetAnchor(-1);
  });
}
TCellTable::~TCellTable() = default;

void TCellTable::AddColumn(int width, TCellFactory make) {
  columns_.push_back(TColumn{width, std::move(make)});
}

int TCellTable::ColumnLeft(int column) const {
  int x = 0;
  for (int c = 0; c < column; ++c) x += columns_[static_cast<std::size_t>(c)].Width;
  return x;
}

void TCellTable::SetRowCount(int rows) {
  rows = std::max(0, rows);
  if (rows != rowCount_) {
    const int cols = ColumnCount();
    if (ActiveIndex() >= rows * cols) DropActive();
    if (anchor_ >= rows * cols) anchor_ = -1;
    if (rows < rowCount_) {
      cells_.resize(static_cast<std::size_t>(rows * cols));
    } else {
      for (int r = rowCount_; r < rows; ++r)
        for (int c = 0; c < cols; ++c) {
          std::unique_ptr<TCell> cell = columns_[static_cast<std::size_t>(c)].Make(r);
          cell->Row = r;
          cell->Column = c;
          cells_.push_back(std::move(cell));
        }
    }
    rowCount_ = rows;
    SetTopRow(top_);
    UpdateScrollBar();
    PlaceEditor();
  }
  update();
}

int TCellTable::VisibleRows() const { return RowHeight > 0 ? height() / RowHeight : 0; }

void TCellTable::SetTopRow(int row) {
  const int maxTop = std::max(0, rowCount_ - VisibleRows());
  row = std::clamp(row, 0, maxTop);
  if (row == top_) {
    if (bar_ && bar_->value() != row) bar_->setValue(row);
    return;
  }
  top_ = row;
  if (bar_ && bar_->value() != row) bar_->setValue(row);
  PlaceEditor();
  update();
  emit TopRowChanged(top_);
}

void TCellTable::AttachScrollBar(QScrollBar* bar) {
  bar_ = bar;
  bar->setFocusPolicy(Qt::NoFocus);
  connect(bar, &QScrollBar::valueChanged, this, [this](int v) { SetTopRow(v); });
  UpdateScrollBar();
}

void TCellTable::UpdateScrollBar() {
  if (!bar_) return;
  const QSignalBlocker block(bar_);
  bar_->setRange(0, std::max(0, rowCount_ - VisibleRows()));
  bar_->setPageStep(PageRows);
  bar_->setSingleStep(1);
  bar_->setValue(top_);
}

TCell* TCellTable::Cell(int row, int column) const {
  if (row < 0 || row >= rowCount_ || column < 0 || column >= ColumnCount()) return nullptr;
  return cells_[static_cast<std::size_t>(Index(row, column))].get();
}

TCell* TCellTable::CellAt(int index) const { return cells_.at(static_cast<std::size_t>(index)).get(); }

QRect TCellTable::CellRect(int index) const {
  const int cols = ColumnCount();
  if (cols == 0) return {};
  const int row = index / cols, col = index % cols;
  const int y = (row - top_) * RowHeight;
  if (y + RowHeight <= 0 || y >= height()) return {};
  return QRect(ColumnLeft(col), y, ColumnWidth(col), RowHeight);
}

void TCellTable::EnsureVisible(int index) {
  const int cols = ColumnCount();
  if (cols == 0) return;
  const int row = index / cols;
  const int vis = std::max(1, VisibleRows());
  if (row < top_) SetTopRow(row);
  else if (row >= top_ + vis) SetTopRow(row - vis + 1);
}

int TCellTable::Neighbour(int from, int key) const {
  const int cols = ColumnCount();
  if (from < 0 || cols == 0) return -1;
  const int row = from / cols, col = from % cols;
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
      const int step = key == Qt::Key_Up ? -1 : 1;
      for (int r = row + step; r >= 0 && r < rowCount_; r += step)
        if (Cell(r, col)->Focusable()) return Index(r, col);
      return -1;
    }
    case Qt::Key_Left:
      for (int c = col - 1; c >= 0; --c)
        if (Cell(row, c)->Focusable()) return Index(row, c);
      return -1;
    case Qt::Key_Right:
      for (int c = col + 1; c < cols; ++c)
        if (Cell(row, c)->Focusable()) return Index(row, c);
      return -1;
    default: return -1;
  }
}

int TCellTable::PageTarget(int from, bool down) const {
  const int cols = ColumnCount();
  if (from < 0 || cols == 0 || rowCount_ == 0) return -1;
  const int col = from % cols;
  int row = std::clamp(from / cols + (down ? PageRows : -PageRows), 0, rowCount_ - 1);
  // The nearest enterable cell of that column towards the start row.
  while (row >= 0 && row < rowCount_ && !Cell(row, col)->Focusable()) row += down ? -1 : 1;
  if (row < 0 || row >= rowCount_) return -1;
  return Index(row, col);
}

QSize TCellTable::sizeHint() const {
  return QSize(ColumnLeft(ColumnCount()), PageRows * RowHeight);
}

void TCellTable::wheelEvent(QWheelEvent* event) {
  const int steps = event->angleDelta().y() / 120;
  if (steps != 0) SetTopRow(top_ - steps * 3);
  event->accept();
}

TCellTable::TRange TCellTable::Range() const {
  TRange r;
  const int cols = ColumnCount();
  const int active = ActiveIndex();
  if (active < 0 || cols == 0) return r;
  const int from = anchor_ >= 0 ? anchor_ : active;
  r.FirstRow = std::min(from, active) / cols;
  r.LastRow = std::max(from, active) / cols;
  r.FirstColumn = std::min(from % cols, active % cols);
  r.LastColumn = std::max(from % cols, active % cols);
  return r;
}

void TCellTable::SetAnchor(int index) {
  const int next = index >= 0 && index < CellCount() ? index : -1;
  if (next == anchor_) return;
  anchor_ = next;
  update();
}

void TCellTable::ExtendTo(int index) {
  if (index < 0) return;
  if (anchor_ < 0) anchor_ = ActiveIndex();
  extending_ = true;
  if (Main()) Main()->Activate(this, index);
  else SetActiveIndex(index);
  extending_ = false;
  update();
}

void TCellTable::SelectAll() {
  const int first = EntryCell(true), last = EntryCell(false);
  if (first < 0) return;
  if (ActiveIndex() != last) {
    extending_ = true;
    if (Main()) Main()->Activate(this, last);
    else SetActiveIndex(last);
    extending_ = false;
  }
  if (ActiveIndex() == last) SetAnchor(first);
}

void TCellTable::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && (event->modifiers() & Qt::ShiftModifier) && ActiveIndex() >= 0) {
    const int i = CellIndexAt(event->position().toPoint());
    if (i >= 0 && CellAt(i)->Focusable()) ExtendTo(i);
    return;
  }
  TCellArea::mousePressEvent(event);
}

bool TCellTable::HandleKey(QKeyEvent* event, bool fromEditor) {
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  // Typing in progress keeps the editor's own Shift+arrow and Ctrl+A.
  const bool typing = fromEditor && EditorHoldsChange();
  if (!typing && mods == Qt::ShiftModifier) {
    switch (event->key()) {
      case Qt::Key_Left:
      case Qt::Key_Right:
      case Qt::Key_Up:
      case Qt::Key_Down: ExtendTo(Neighbour(ActiveIndex(), event->key())); return true;
      default: break;
    }
  }
  if (!typing && event->matches(QKeySequence::SelectAll)) {
    SelectAll();
    return true;
  }
  return TCellArea::HandleKey(event, fromEditor);
}

void TCellTable::PaintCell(QPainter& p, int index, const QRect& r) const {
  TCellPaintState s;
  const int cols = ColumnCount();
  const TCell* cell = CellAt(index);
  s.Active = index == ActiveIndex() ||
             (anchor_ >= 0 && cell->Focusable() && Range().Contains(index / cols, index % cols));
  s.Pressed = index == PressedIndex();
  s.Palette = palette();
  cell->Paint(p, r, s);
}

void TCellTable::resizeEvent(QResizeEvent* event) {
  TCellArea::resizeEvent(event);
  SetTopRow(top_);
  UpdateScrollBar();
}

}  // namespace kestrin
