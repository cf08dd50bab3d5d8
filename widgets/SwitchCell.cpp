#include "SwitchCell.h"

#include <QPainter>

namespace kestrin {

TSwitchCell::TSwitchCell(QString name) : TCell(std::move(name)) {
  TabStop = true;
  Align = TCellAlign::Left;
}

void TSwitchCell::Click() {
  if (Enabled && OnTurnOn && !On()) OnTurnOn();
}

void TSwitchCell::Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const {
  const TCellColors c = Colors(state);
  p.fillRect(r, c.Back);
  // A round indicator at the left, with a dot while the switch is on.
  const int d = std::min(13, r.height() - 8);
  const QRect box(r.left() + 5, r.top() + (r.height() - d) / 2, d, d);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setPen(QPen(QColor(0x60, 0x60, 0x60), 1.0));
  p.setBrush(Qt::white);
  p.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
  if (On()) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x10, 0x92, 0x5A));
    p.drawEllipse(QRectF(box).adjusted(3.0, 3.0, -3.0, -3.0));
  }
  p.restore();
  QRect text = r;
  text.setLeft(box.right() + 3);
  DrawCellText(p, text, DisplayText(), Font, c.Text, Align, Margin);
  DrawRaisedFrame(p, r);
}

}  // namespace kestrin
