#include "StrengthHistory.h"

#include <utility>

#include "StateStep.h"

namespace kestrin {

TStrengthHistory::TStrengthHistory(TStrengthWork& work, std::function<void(const TStrengthPlace&)> show,
                                   QObject* parent)
    : QObject(parent), work_(work), show_(std::move(show)) {
  stack_.setUndoLimit(kStepLimit);
}

bool TStrengthHistory::Change(const QString& text, const TStrengthPlace& place,
                              const std::function<bool()>& change) {
  TStrengthWork before = work_;
  if (!change()) {
    work_ = std::move(before);
    return false;
  }
  if (before == work_) return false;
  stack_.push(new TStateStep<TStrengthWork, TStrengthPlace>(text, work_, std::move(before), place, show_));
  return true;
}

}  // namespace kestrin
