// A scroll-bar look with a clearly visible handle: the application's style
// draws the bar, then the handle is painted again in a mid grey with a dark
// edge (darker while hovered and pressed), as standard desktop scroll bars
// show it. The base style's handle is nearly white on a light groove.
#pragma once

#include <QProxyStyle>

class QScrollBar;

namespace kestrin {

class TScrollBarStyle : public QProxyStyle {
  Q_OBJECT
 public:
  TScrollBarStyle();
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                          QPainter* painter, const QWidget* widget = nullptr) const override;

  // Gives `bar` this look; the style is owned by the bar.
  static void Apply(QScrollBar* bar);
};

}  // namespace kestrin
