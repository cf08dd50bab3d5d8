#include "RecordHistory.h"

#include <QUndoCommand>

#include "core/DataFile.h"

namespace kestrin {

bool SameStoredRecord(const TMainData& a, const TMainData& b) {
  const std::string x = MainDataBytes(a), y = MainDataBytes(b);
  // A record the file cannot hold has no bytes: compared as different.
  return !x.empty() && x == y;
}

// One step: the record before and after, and where the change was made.
class TRecordHistory::TStep : public QUndoCommand {
 public:
  TStep(TRecordHistory& history, const QString& text, TMainData before, const TRecordPlace& place)
      : QUndoCommand(text),
        history_(history),
        before_(std::move(before)),
        after_(history.record_),
        place_(place) {}

  void undo() override { Apply(before_); }
  void redo() override {
    // The first redo comes from the push: the change is already made.
    if (std::exchange(pushed_, false)) return;
    Apply(after_);
  }

 private:
  void Apply(const TMainData& state) {
    history_.record_ = state;
    if (history_.show_) history_.show_(place_);
  }

  TRecordHistory& history_;
  TMainData before_;
  TMainData after_;
  TRecordPlace place_;
  bool pushed_ = true;
};

TRecordHistory::TRecordHistory(TMainData& record, std::function<void(const TRecordPlace&)> show,
                               QObject* parent)
    : QObject(parent), record_(record), show_(std::move(show)) {
  stack_.setUndoLimit(kStepLimit);
}

bool TRecordHistory::Change(const QString& text, const TRecordPlace& place,
                            const std::function<void()>& change) {
  Begin(place);
  change();
  return Finish(text);
}

void TRecordHistory::Begin(const TRecordPlace& place) {
  before_ = record_;
  place_ = place;
}

bool TRecordHistory::Finish(const QString& text) {
  if (!before_) return false;
  TMainData before = std::move(*before_);
  before_.reset();
  if (SameStoredRecord(before, record_)) return false;
  stack_.push(new TStep(*this, text, std::move(before), place_));
  return true;
}

void TRecordHistory::Restart() {
  before_.reset();
  stack_.clear();
}

}  // namespace kestrin
