// TCanvasAssist: a small drawing object bound to one canvas, used by the
// printed sheets, the sheet X chart and the screen histogram.
//
// - Weighted lines: a weight w line is drawn as Weights[w] + 1 one-pixel
//   lines side by side, so thickness follows the page resolution.
// - Fonts by face kind and pixel height (CreateFont).
// - Text placed in a rectangle with alignment, margin and automatic
//   shrinking (PutTextEx and its short forms), with a markup for a raised
//   ("^2") or lowered ("^L2", "^l2") character.
#pragma once

#include <QString>

#include <cstdint>
#include <vector>

#include "platform/Canvas.h"

namespace kestrin {

// Font style bits for CreateFont.
enum TFontStyleBits : uint8_t {
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8,
};
using TFontStyles = uint8_t;

// Horizontal alignment of PutTextEx.
constexpr int kAlignLeft = 0;
constexpr int kAlignRight = 1;
constexpr int kAlignCenter = 2;

// Vertical alignment (TCanvasAssist::VAlign).
constexpr uint8_t kVAlignCenter = 0;
constexpr uint8_t kVAlignTop = 1;
constexpr uint8_t kVAlignBottom = 2;

// One piece of a text split at its markup.
struct TTextSegment {
  enum Kind : uint8_t { Normal, Raised, Lowered };
  Kind Type = Normal;
  QString Text;
  friend bool operator==(const TTextSegment&, const TTextSegment&) = default;
};

// Splits a text at its markers: "^" and one character raises that
// character, "^L" or "^l" and one character lowers it. A "^" with nothing
// after it is kept as text.
std::vector<TTextSegment> SplitMarkup(const QString& text);
// The text without its markers.
QString PlainText(const std::vector<TTextSegment>& segments);

class TCanvasAssist {
 public:
  static constexpr int kWeightCount = 10;

  explicit TCanvasAssist(TCanvas* canvas = nullptr) : Canvas(canvas) {}
  virtual ~TCanvasAssist() = default;

  TCanvas* Canvas = nullptr;   // not owned
  uint8_t VAlign = kVAlignCenter;
  int Weights[kWeightCount] = {};
  int PenX = 0;
  int PenY = 0;
  TLogFont LogFont;            // the font of the last CreateFont
  TRect TextRect;              // where the last placed text went
  int VMargin = 0;
  int HMargin = 0;

  // Extra pixel rows of a weight; a weight outside 0..9 counts as 0.
  int WeightPixels(int weight) const;

  // Weighted lines in the canvas's current pen. Each one-pixel line is a
  // canvas MoveTo/LineTo pair, so its end point is not painted.
  void HorzLine(int x1, int x2, int y, int weight);
  void VertLine(int x, int y1, int y2, int weight);
  void Line(int x1, int y1, int x2, int y2, int weight);
  void MoveTo(int x, int y);
  void LineTo(int x, int y, int weight);
  void FrameBox(int x1, int y1, int x2, int y2, int weight);
  void Polyline(const std::vector<TPoint>& points, int weight);
  TRect InsetByWeight(const TRect& r, int weight) const;
  // A frame Weights[weight] + 1 pixels thick growing inwards, drawn with
  // the canvas's frame-rectangle operation (in the brush colour).
  void FrameRectWeight(const TRect& r, int weight);

  // Fills LogFont and makes it the canvas font (the font colour stays).
  // Height > 0 is the cell height in pixels. An empty face name takes the
  // name of the face kind (0 "ＭＳ 明朝", 1 "ＭＳ Ｐ明朝", 2 "ＭＳ ゴシック",
  // 3 "ＭＳ Ｐゴシック", other "Times New Roman").
  void CreateFont(int height, int width, int escapement, int faceKind,
                  const QString& faceName = QString(), TFontStyles style = 0);

  // Places a text in a rectangle. align: 0 left, 1 right, 2 centre.
  // marginRate < 0: HMargin pixels; 0: none; > 0: that share of the width
  // (on both sides for centred text). measureOnly: fit and set TextRect
  // without drawing. fontHeight >= 0 forces that height; -1 shrinks the
  // font (at most three single steps after a proportional first guess)
  // until the text fits. Returns the font height used. The canvas font is
  // the LogFont font again afterwards.
  int PutTextEx(const TRect& r, int align, double marginRate, bool measureOnly,
                int fontHeight, const QString& text);
  int MeasureFitHeight(const TRect& r, int align, double marginRate, const QString& text);
  int PutTextHeight(const TRect& r, int align, double marginRate, int fontHeight,
                    const QString& text);
  int PutTextFit(const TRect& r, int align, double marginRate, const QString& text);
  int PutText(const TRect& r, int align, const QString& text);

 protected:
  // Makes LogFont the canvas font, keeping the canvas font colour.
  void SelectLogFont(const TLogFont& lf);
  // Writes the segments starting at (x, y).
  virtual void WriteSegments(int x, int y, const std::vector<TTextSegment>& segments);
};

}  // namespace kestrin
