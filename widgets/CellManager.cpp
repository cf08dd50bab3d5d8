#include "CellManager.h"

namespace kestrin {

TCellManager::TCellManager(QWidget* parent) : TCellArea(parent) {}
TCellManager::~TCellManager() = default;

TCell* TCellManager::FindCell(const QString& name) const {
  for (const auto& c : cells_)
    if (c->Name == name) return c.get();
  return nullptr;
}

QSize TCellManager::sizeHint() const {
  QRect all;
  for (const auto& c : cells_) all |= c->Rect;
  return QSize(all.right() + 1, all.bottom() + 1);
}

}  // namespace kestrin
