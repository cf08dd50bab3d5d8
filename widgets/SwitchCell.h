// A switch cell: one of an exclusive pair (or group) of switches bound to a
// value. Each switch stands for one value; it shows on while the bound value
// equals it, and a click or Space turns it on, which sets the value; Enter
// moves on as in the other input cells.
#pragma once

#include <functional>

#include "Cell.h"

namespace kestrin {

class TSwitchCell : public TCell {
 public:
  explicit TSwitchCell(QString name = {});
  // Whether the bound value is this switch's value.
  std::function<bool()> OnGetOn;
  // Sets the bound value to this switch's value.
  std::function<void()> OnTurnOn;

  bool On() const { return OnGetOn && OnGetOn(); }
  bool IsButton() const override { return true; }
  // Enter moves on to the next cell like in every other input cell.
  bool ClicksOnEnter() const override { return false; }
  void Click() override;
  void Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const override;
};

}  // namespace kestrin
