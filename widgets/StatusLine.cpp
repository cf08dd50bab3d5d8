#include "StatusLine.h"

#include <QPainter>

#include "Cell.h"

namespace kestrin {

TStatusLine::TStatusLine(QWidget* parent) : QWidget(parent) {
  setFixedHeight(23);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TStatusLine::SetText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  update();
}

void TStatusLine::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Window));
  const QRect panel = rect().adjusted(1, 2, -1, -1);
  p.fillRect(panel, palette().color(QPalette::ToolTipBase));
  DrawSunkenFrame(p, panel);
  p.setFont(font());
  p.setPen(palette().color(QPalette::ToolTipText));
  p.drawText(panel.adjusted(6, 0, -6, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}

}  // namespace kestrin
