// Colours as the old canvas held them: a 32-bit integer 0x00BBGGRR, or a
// system colour (high byte 0xFF, low byte the palette entry).
#pragma once

#include <cstdint>

class QColor;

namespace kestrin {

using TColor = int32_t;

constexpr TColor Rgb(int r, int g, int b) {
  return static_cast<TColor>((static_cast<uint32_t>(b & 0xFF) << 16) |
                             (static_cast<uint32_t>(g & 0xFF) << 8) |
                             static_cast<uint32_t>(r & 0xFF));
}
constexpr int ColorRed(TColor c) { return c & 0xFF; }
constexpr int ColorGreen(TColor c) { return (c >> 8) & 0xFF; }
constexpr int ColorBlue(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;

// System colours, resolved through the application palette when drawn.
constexpr TColor kSystemColorFlag = static_cast<TColor>(0xFF000000u);
constexpr TColor clWindow = static_cast<TColor>(0xFF000005u);
constexpr TColor clWindowText = static_cast<TColor>(0xFF000008u);
constexpr TColor clBtnFace = static_cast<TColor>(0xFF00000Fu);
constexpr TColor clHighlight = static_cast<TColor>(0xFF00000Du);
constexpr TColor clHighlightText = static_cast<TColor>(0xFF00000Eu);
constexpr TColor clBtnText = static_cast<TColor>(0xFF000012u);

constexpr bool IsSystemColor(TColor c) {
  return (static_cast<uint32_t>(c) & 0xFF000000u) == 0xFF000000u;
}

// The plain RGB value of a colour; system colours are looked up in the
// application palette (button face falls back to 0xF0F0F0 without one).
TColor ColorToRGB(TColor c);

QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);

}  // namespace kestrin
