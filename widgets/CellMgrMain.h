// The window's cell coordinator: the groups of cells in focus order, the
// one active cell of the window, the edited (unsaved changes) flag and the
// status message of the active cell.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <vector>

class QKeyEvent;

namespace kestrin {

class TCell;
class TCellArea;

class TCellMgrMain : public QObject {
  Q_OBJECT
 public:
  explicit TCellMgrMain(QObject* parent = nullptr);

  // Groups in focus order; at the end of a group the focus passes to the
  // next group that has a cell to enter (after the last, to the first).
  void AddGroup(TCellArea* area);
  const std::vector<TCellArea*>& Groups() const { return groups_; }

  // The unsaved-changes flag: set by every committed change of an input
  // cell, cleared only by the window (creation, load, save).
  bool Edited() const { return edited_; }
  void SetEdited(bool edited);

  TCellArea* ActiveArea() const { return active_; }
  TCell* ActiveCell() const;
  // Makes a cell the window's active cell, committing the one before.
  bool Activate(TCellArea* area, int index);
  bool Activate(TCell* cell);
  // Enter/Tab (forward) and Shift+Tab (back) from the active cell of `from`.
  void MoveFocus(TCellArea* from, bool forward);
  // Commits the open editor without moving (before a command runs). False
  // when the entry was refused (the command must not run then).
  bool CommitActive();
  // Refills the open editor from the record (after a load or clear).
  void ReloadActive();
  void RepaintAll();

  // The status line: the active cell's message, or for a few seconds a
  // message about refused input.
  QString StatusMessage() const { return status_; }
  void ShowTransientMessage(const QString& message);
  // An editor refused a key or a paste: the warning beep and the reason
  // as a transient message.
  void RefuseInput(const QString& message);

  // Esc pressed outside an open editor (the window closes).
  void RequestEscape() { emit EscapePressed(); }

  // Keys the window takes before any group moves the focus (the editing
  // commands); true when the key was used. Every group's key handling,
  // from an editor or from the group itself, asks it first.
  std::function<bool(TCellArea* area, QKeyEvent* event)> KeyHook;

  // Called by the groups.
  void NotifyActivated(TCellArea* area);
  void NotifyDeactivated(TCellArea* area);
  // Around the commit of a changed editor: the record is about to change,
  // and has been written (`changed` when the stored value differs).
  void NotifyCommitting(TCellArea* area, int index) { emit Committing(area, index); }
  void NotifyCommitted(TCellArea* area, int index, bool changed) { emit Committed(area, index, changed); }

 signals:
  void StatusMessageChanged(const QString& message);
  void EditedChanged(bool edited);
  void EscapePressed();
  void ActiveCellChanged();
  void InputRefused(const QString& message);
  void Committing(TCellArea* area, int index);
  void Committed(TCellArea* area, int index, bool changed);

 private:
  void UpdateStatus();
  std::vector<TCellArea*> groups_;
  TCellArea* active_ = nullptr;
  bool edited_ = false;
  QString status_;
  QTimer transient_;
};

}  // namespace kestrin
