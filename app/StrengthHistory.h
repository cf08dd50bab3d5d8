// The undo history of the strength window: every committed change (a
// cell, a heading field, a paste, an inserted or removed test, an import)
// is one step of a QUndoStack holding the log with its drafts before and
// after, and the place of the change. Undo and redo put the state back and
// hand the place to the window, which recomputes and repaints as after a
// commit. The clean state is the log as last loaded or saved.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <functional>

#include "core/StrengthEntry.h"

namespace kestrin {

// Where a change was made: a cell of the table (test and column, 0-based),
// or nowhere (-1: the heading or a command).
struct TStrengthPlace {
  int Test = -1;
  int Column = -1;
};

class TStrengthHistory : public QObject {
  Q_OBJECT
 public:
  static constexpr int kStepLimit = 200;

  // `work` is the window's; `show` is called after undo and redo.
  TStrengthHistory(TStrengthWork& work, std::function<void(const TStrengthPlace&)> show,
                   QObject* parent = nullptr);

  QUndoStack& Stack() { return stack_; }

  // Runs `change` on the work as one step named `text`. A change that
  // returns false is refused: the work is put back as it was. No step is
  // kept when nothing changed. True when a step was kept.
  bool Change(const QString& text, const TStrengthPlace& place, const std::function<bool()>& change);

  // A new history whose start is clean (new, loaded or recovered log).
  void Restart() { stack_.clear(); }
  void MarkSaved() { stack_.setClean(); }

 private:
  TStrengthWork& work_;
  std::function<void(const TStrengthPlace&)> show_;
  QUndoStack stack_;
};

}  // namespace kestrin
