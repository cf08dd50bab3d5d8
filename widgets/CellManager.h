// A cell manager: framed cells at fixed pixel positions on one background.
// The focus moves through its cells in the order they were added.
#pragma once

#include <memory>
#include <vector>

#include "CellArea.h"

namespace kestrin {

class TCellManager : public TCellArea {
  Q_OBJECT
 public:
  explicit TCellManager(QWidget* parent = nullptr);
  ~TCellManager() override;

  // Adds a cell at `rect` and returns it (the manager owns it).
  template <typename T>
  T* Add(std::unique_ptr<T> cell, const QRect& rect) {
    T* raw = cell.get();
    raw->Rect = rect;
    cells_.push_back(std::move(cell));
    update();
    return raw;
  }
  TCell* FindCell(const QString& name) const;

  int CellCount() const override { return static_cast<int>(cells_.size()); }
  TCell* CellAt(int index) const override { return cells_.at(static_cast<std::size_t>(index)).get(); }
  QRect CellRect(int index) const override { return CellAt(index)->Rect; }
  QSize sizeHint() const override;

 private:
  std::vector<std::unique_ptr<TCell>> cells_;
};

}  // namespace kestrin
