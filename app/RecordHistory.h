// The undo history of the month record: every committed change is one step
// (QUndoStack), holding the record as it was before and after the change
// and the cell where the change was made. Undo and redo put the record
// back as it was and hand the cell to the window, which recomputes and
// repaints exactly as after a commit. The clean state is the record as
// last loaded or saved.
#pragma once

#include <QObject>
#include <QString>
#include <QUndoStack>
#include <functional>
#include <optional>

#include "core/MainData.h"

namespace kestrin {

class TCellArea;

// Where a change was made: a cell of a group, or nowhere (a command).
struct TRecordPlace {
  TCellArea* Area = nullptr;
  int Index = -1;
};

class TRecordHistory : public QObject {
  Q_OBJECT
 public:
  // The steps kept; older ones are forgotten.
  static constexpr int kStepLimit = 200;

  // `record` is the window's month record; `show` is called after undo and
  // redo with the place of the step.
  TRecordHistory(TMainData& record, std::function<void(const TRecordPlace&)> show, QObject* parent = nullptr);

  QUndoStack& Stack() { return stack_; }

  // Runs `change` on the record as one step named `text`; when the stored
  // record is the same afterwards, no step is kept. True when a step was
  // kept.
  bool Change(const QString& text, const TRecordPlace& place, const std::function<void()>& change);

  // A change made elsewhere (a cell's commit): the record as it is now is
  // the state before; Finish makes the step when it differs afterwards.
  void Begin(const TRecordPlace& place);
  bool Finish(const QString& text);

  // A new history whose start is clean (a loaded, handed-over or recovered
  // month).
  void Restart();
  // The record as it is now is the saved one.
  void MarkSaved() { stack_.setClean(); }

 private:
  TMainData& record_;
  std::function<void(const TRecordPlace&)> show_;
  QUndoStack stack_;
  std::optional<TMainData> before_;
  TRecordPlace place_;
};

// True when both records store the same month (the data file's bytes).
bool SameStoredRecord(const TMainData& a, const TMainData& b);

}  // namespace kestrin
