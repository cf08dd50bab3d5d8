#include "RecordHistory.h"

#include "StateStep.h"
#include "core/DataFile.h"

namespace kestrin {

bool SameStoredRecord(const TMainData& a, const TMainData& b) {
  const std::string x = MainDataBytes(a), y = MainDataBytes(b);
  // A record the file cannot hold has no bytes: compared as different.
  return !x.empty() && x == y;
}

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
  stack_.push(new TStateStep<TMainData, TRecordPlace>(text, record_, std::move(before), place_, show_));
  return true;
}

void TRecordHistory::Restart() {
  before_.reset();
  stack_.clear();
}

}  // namespace kestrin
