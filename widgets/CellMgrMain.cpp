#include "CellMgrMain.h"

#include <QApplication>
#include <algorithm>

#include "CellArea.h"

namespace kestrin {

TCellMgrMain::TCellMgrMain(QObject* parent) : QObject(parent) {
  transient_.setSingleShot(true);
  transient_.setInterval(5000);
  connect(&transient_, &QTimer::timeout, this, [this] { UpdateStatus(); });
}

void TCellMgrMain::AddGroup(TCellArea* area) {
  groups_.push_back(area);
  area->SetMain(this);
}

void TCellMgrMain::SetEdited(bool edited) {
  if (edited_ == edited) return;
  edited_ = edited;
  emit EditedChanged(edited_);
}

TCell* TCellMgrMain::ActiveCell() const { return active_ ? active_->ActiveCell() : nullptr; }

bool TCellMgrMain::Activate(TCellArea* area, int index) {
  if (!area) return false;
  if (active_ && active_ != area) {
    // Commit first: the handler may change what can be entered next. The
    // editor stays usable in case the entry is refused or the new cell
    // cannot be entered.
    active_->CommitEditor(true);
    if (active_->Refused()) return false;
    if (index < 0 || index >= area->CellCount() || !area->CellAt(index)->Focusable()) return false;
    TCellArea* old = active_;
    active_ = nullptr;
    old->Deactivate();
  }
  return area->SetActiveIndex(index);
}

bool TCellMgrMain::Activate(TCell* cell) {
  for (TCellArea* g : groups_) {
    const int i = g->IndexOf(cell);
    if (i >= 0) return Activate(g, i);
  }
  return false;
}

void TCellMgrMain::MoveFocus(TCellArea* from, bool forward) {
  if (!from) return;
  from->CommitEditor(true);
  if (from->Refused()) return;
  const int next = from->NextFocus(from->ActiveIndex(), forward);
  if (next >= 0) {
    Activate(from, next);
    return;
  }
  // End of the group: the next group (in focus order) with a cell to enter.
  auto it = std::find(groups_.begin(), groups_.end(), from);
  if (it == groups_.end()) return;
  const int n = static_cast<int>(groups_.size());
  int pos = static_cast<int>(it - groups_.begin());
  for (int step = 1; step <= n; ++step) {
    TCellArea* g = groups_[static_cast<std::size_t>(((pos + (forward ? step : -step)) % n + n) % n)];
    const int entry = g->EntryCell(forward);
    if (entry >= 0) {
      Activate(g, entry);
      return;
    }
  }
}

bool TCellMgrMain::CommitActive() {
  if (!active_) return true;
  active_->CommitEditor(true);
  return !active_ || !active_->Refused();
}

void TCellMgrMain::ReloadActive() {
  if (active_) active_->ReloadEditor();
}

void TCellMgrMain::RepaintAll() {
  for (TCellArea* g : groups_) g->update();
}

void TCellMgrMain::ShowTransientMessage(const QString& message) {
  status_ = message;
  transient_.start();
  emit StatusMessageChanged(status_);
}

void TCellMgrMain::RefuseInput(const QString& message) {
  QApplication::beep();
  ShowTransientMessage(message);
  emit InputRefused(message);
}

void TCellMgrMain::NotifyActivated(TCellArea* area) {
  if (active_ && active_ != area) {
    TCellArea* old = active_;
    active_ = nullptr;
    old->Deactivate();
  }
  active_ = area;
  transient_.stop();
  UpdateStatus();
  emit ActiveCellChanged();
}

void TCellMgrMain::NotifyDeactivated(TCellArea* area) {
  if (active_ != area) return;
  active_ = nullptr;
  UpdateStatus();
  emit ActiveCellChanged();
}

void TCellMgrMain::UpdateStatus() {
  TCell* c = ActiveCell();
  const QString s = c ? c->StatusMessage : QString();
  status_ = s;
  emit StatusMessageChanged(status_);
}

}  // namespace kestrin
