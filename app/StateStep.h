// One undo step of a document the window keeps by value (the month
// record, the strength log): the state before and after the change, and
// where the change was made. Undo and redo put the state back and hand the
// place to `show`, which recomputes and repaints as after a commit.
#pragma once

#include <QString>
#include <QUndoCommand>
#include <functional>
#include <utility>

namespace kestrin {

template <class TState, class TPlace>
class TStateStep : public QUndoCommand {
 public:
  using TShow = std::function<void(const TPlace&)>;

  // Made after the change: `state` holds the state after it. `state` and
  // `show` belong to the history that owns the stack, and outlive it.
  TStateStep(const QString& text, TState& state, TState before, const TPlace& place, const TShow& show)
      : QUndoCommand(text), state_(state), before_(std::move(before)), after_(state), place_(place), show_(show) {}

  void undo() override { Apply(before_); }
  void redo() override {
    // The first redo comes from the push: the change is already made.
    if (std::exchange(pushed_, false)) return;
    Apply(after_);
  }

 private:
  void Apply(const TState& state) {
    state_ = state;
    if (show_) show_(place_);
  }

  TState& state_;
  TState before_;
  TState after_;
  TPlace place_;
  const TShow& show_;
  bool pushed_ = true;
};

}  // namespace kestrin
