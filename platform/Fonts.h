// Logical fonts as the old canvas described them, and their resolution to
// Qt fonts in pixel sizes.
//
// A logical height > 0 is the cell height (ascent + descent) in pixels,
// < 0 the character (em) height, 0 the default size. Qt sets the em in
// pixels, so a cell height is converted with the face's own ratio
// em / (ascent + descent) taken from QFontMetricsF.
//
// The Japanese Windows face names are kept as the program's names and
// resolved to the IPA fonts through QFont substitutions; call
// RegisterFontSubstitutions() once at start-up, before the first drawing.
#pragma once

#include <QFont>
#include <QString>

#include <cstdint>

#include "platform/Color.h"

class QPaintDevice;

namespace kestrin {

// Character sets of the logical-font record.
constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SHIFTJIS_CHARSET = 128;

// Weights of the logical-font record.
constexpr int FW_NORMAL = 400;
constexpr int FW_BOLD = 700;

// Pitch and family bits.
constexpr uint8_t FIXED_PITCH = 1;
constexpr uint8_t VARIABLE_PITCH = 2;
constexpr uint8_t FF_ROMAN = 0x10;
constexpr uint8_t FF_SWISS = 0x20;
constexpr uint8_t FF_MODERN = 0x30;
constexpr uint8_t FF_SCRIPT = 0x40;
constexpr uint8_t FF_DECORATIVE = 0x50;

// The logical-font record. Zero-initialised like the original record,
// except that the face name is a Unicode string.
struct TLogFont {
  int Height = 0;       // > 0 cell height, < 0 em height, 0 default
  int Width = 0;        // average character width, 0 = natural
  int Escapement = 0;   // tenths of a degree, counter-clockwise
  int Orientation = 0;
  int Weight = 0;       // 0 = normal, 400 normal, 700 bold
  bool Italic = false;
  bool Underline = false;
  bool StrikeOut = false;
  uint8_t CharSet = 0;
  uint8_t OutPrecision = 0;
  uint8_t ClipPrecision = 0;
  uint8_t Quality = 0;
  uint8_t PitchAndFamily = 0;
  QString FaceName;

  friend bool operator==(const TLogFont&, const TLogFont&) = default;
};

// The canvas font: a logical font and the text colour.
struct TFont {
  TLogFont Log = DefaultLogFont();
  TColor Color = clBlack;

  static TLogFont DefaultLogFont();
  friend bool operator==(const TFont&, const TFont&) = default;
};

// The face names of the face kinds 0-3 and the Western fallback.
inline const char* const kFaceMinchoUtf8 = "ＭＳ 明朝";
inline const char* const kFacePMinchoUtf8 = "ＭＳ Ｐ明朝";
inline const char* const kFaceGothicUtf8 = "ＭＳ ゴシック";
inline const char* const kFacePGothicUtf8 = "ＭＳ Ｐゴシック";
inline const char* const kFaceTimesUtf8 = "Times New Roman";

// 0 "ＭＳ 明朝", 1 "ＭＳ Ｐ明朝", 2 "ＭＳ ゴシック", 3 "ＭＳ Ｐゴシック",
// any other kind "Times New Roman".
QString FaceNameOfKind(int faceKind);

// Registers the substitutions ＭＳ 明朝 -> IPAMincho, ＭＳ Ｐ明朝 -> IPAPMincho,
// ＭＳ ゴシック -> IPAGothic, ＭＳ Ｐゴシック -> IPAPGothic. Idempotent.
void RegisterFontSubstitutions();

// The Qt font for a logical font, sized in pixels (so the same on every
// device), without kerning and with whole-pixel advances.
QFont MakeQFont(const TLogFont& lf);

// em / (ascent + descent) of the face of `font` (size ignored).
double CellRatio(const QFont& font);

// Text metrics in the font's own (unscaled) pixels.
struct TTextMetrics {
  double Width = 0;    // advance of the whole text
  double Ascent = 0;
  double Descent = 0;
  double CellHeight() const { return Ascent + Descent; }
};
TTextMetrics MeasureText(const QFont& font, const QString& text,
                         const QPaintDevice* device = nullptr);

}  // namespace kestrin
