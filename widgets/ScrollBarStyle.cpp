#include "ScrollBarStyle.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QStyleOptionSlider>

namespace kestrin {

TScrollBarStyle::TScrollBarStyle() : QProxyStyle(QStyleFactory::create(QApplication::style()->name())) {}

void TScrollBarStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                         QPainter* painter, const QWidget* widget) const {
  QProxyStyle::drawComplexControl(control, option, painter, widget);
  const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(option);
  if (control != CC_ScrollBar || !bar || !(bar->subControls & SC_ScrollBarSlider)) return;
  if (bar->maximum == bar->minimum || !(bar->state & State_Enabled)) return;
  const QRect r = subControlRect(CC_ScrollBar, bar, SC_ScrollBarSlider, widget);
  if (r.width() < 3 || r.height() < 3) return;
  const bool active = bar->activeSubControls & SC_ScrollBarSlider;
  QColor fill(0xC0, 0xC0, 0xC0);
  if (active && (bar->state & State_Sunken)) fill = QColor(0x80, 0x80, 0x80);
  else if (active && (bar->state & State_MouseOver)) fill = QColor(0xA6, 0xA6, 0xA6);
  painter->save();
  painter->setRenderHint(QPainter::Antialiasing, false);
  painter->fillRect(r.adjusted(1, 1, -1, -1), fill);
  painter->setPen(QColor(0x70, 0x70, 0x70));
  painter->setBrush(Qt::NoBrush);
  painter->drawRect(r.adjusted(0, 0, -1, -1));
  painter->restore();
}

void TScrollBarStyle::Apply(QScrollBar* bar) {
  auto* style = new TScrollBarStyle;
  style->setParent(bar);
  bar->setStyle(style);
}

}  // namespace kestrin
