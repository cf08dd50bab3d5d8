#include "platform/Color.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>

namespace kestrin {

namespace {

TColor FallbackSystemColor(int index) {
  switch (index) {
    case 0x05: return clWhite;                 // window
    case 0x08: return clBlack;                 // window text
    case 0x0D: return Rgb(0x00, 0x78, 0xD7);   // highlight
    case 0x0E: return clWhite;                 // highlight text
    case 0x12: return clBlack;                 // button text
    default: return Rgb(0xF0, 0xF0, 0xF0);     // button face and the rest
  }
}

}  // namespace

TColor ColorToRGB(TColor c) {
  if (!IsSystemColor(c)) return c & 0x00FFFFFF;
  const int index = c & 0xFF;
  if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
    return FallbackSystemColor(index);
  }
  const QPalette pal = QGuiApplication::palette();
  QPalette::ColorRole role;
  switch (index) {
    case 0x05: role = QPalette::Base; break;
    case 0x08: role = QPalette::Text; break;
    case 0x0D: role = QPalette::Highlight; break;
    case 0x0E: role = QPalette::HighlightedText; break;
    case 0x12: role = QPalette::ButtonText; break;
    case 0x0F: role = QPalette::Button; break;
    default: return FallbackSystemColor(index);
  }
  return FromQColor(pal.color(QPalette::Active, role));
}

QColor ToQColor(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return QColor(ColorRed(rgb), ColorGreen(rgb), ColorBlue(rgb));
}

TColor FromQColor(const QColor& c) { return Rgb(c.red(), c.green(), c.blue()); }

}  // namespace kestrin
