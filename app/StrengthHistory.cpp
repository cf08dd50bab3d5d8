#include "StrengthHistory.h"

#include <QUndoCommand>
#include <utility>

namespace kestrin {

class TStrengthHistory::TStep : public QUndoCommand {
 public:
  TStep(TStrengthHistory& history, const QString& text, TStrengthWork before, const TStrengthPlace& place)
      : QUndoCommand(text),
        history_(history),
        before_(std::move(before)),
        after_(history.work_),
        place_(place) {}

  void undo() override { Apply(before_); }
  void redo() override {
    // The first redo comes from the push: the change is already made.
    if (std::exchange(pushed_, false)) return;
    Apply(after_);
  }

 private:
  void Apply(const TStrengthWork& state) {
    history_.work_ = state;
    if (history_.show_) history_.show_(place_);
  }

  TStrengthHistory& history_;
  TStrengthWork before_;
  TStrengthWork after_;
  TStrengthPlace place_;
  bool pushed_ = true;
};

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
  stack_.push(new TStep(*this, text, std::move(before), place));
  return true;
}

}  // namespace kestrin
