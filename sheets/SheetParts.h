// Pieces shared by the two printed sheets: line weights from the page
// height, block rectangles as fractions of a rectangle, the title, the
// header block with the month's conditions and the seal boxes.
//
// Every sheet is laid out in proportion to the page rectangle it is given;
// nothing uses absolute units, so the same drawing serves a 150 dpi
// picture, the preview and a 1200 dpi printer.
#pragma once

#include <QString>

#include <array>
#include <string_view>

#include "charts/CanvasAssist.h"
#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/Canvas.h"

namespace kestrin {

// Face kinds of the sheets' fonts.
inline constexpr int kFaceMincho = 0;   // "ＭＳ 明朝"
inline constexpr int kFaceGothic = 2;   // "ＭＳ ゴシック"

// Line weights 0 to 5 of a page of the given height: RoundEven(height x
// 0.0002, 0.0005, 0.0008, 0.0012, 0.0016, 0.002).
std::array<int, 6> SheetWeights(int pageHeight);
void SetSheetWeights(TCanvasAssist& assist, int pageHeight);

// x(f) = left + RoundOff(f x width) and y(f) = top + RoundOff(f x height)
// of a rectangle.
int FracX(const TRect& r, long double f);
int FracY(const TRect& r, long double f);
// The block with the given edge fractions of `r`.
TRect FracRect(const TRect& r, long double left, long double top, long double right,
               long double bottom);

// A CP932 text of the record or the settings as a canvas text.
QString SheetText(std::string_view cp932);
// A UTF-8 text (this program's own literals, number texts).
inline QString U8(std::string_view utf8) {
  return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Black solid pen, black font colour, clear brush: the state every sheet
// text and line starts from.
void ResetSheetCanvas(TCanvas& canvas);

// The sheet title in "ＭＳ 明朝" as high as the block, top at the block's
// top, centred horizontally.
void DrawSheetTitle(TCanvasAssist& assist, const TRect& block, const QString& title);

// The header block shared by both sheets: company and plant, month of
// record, nominal strength, target slump, aggregate size, air content,
// cement symbol and remarks.
void DrawSheetHeader(TCanvasAssist& assist, const TRect& block, const TMainData& data,
                     const TSettings& settings);

// Three seal boxes from xs to xe: a title row y0-y1 with InkanTitle1-3
// in "ＭＳ 明朝" of the given height, empty boxes y1-y2 below.
void DrawSealBoxes(TCanvasAssist& assist, int xs, int xe, int y0, int y1, int y2,
                   int fontHeight, const TSettings& settings);

// "許容値 " + target (4.1) + " ± " + tolerance (3.1) + " cm": the
// tolerance line of the frequency table and of the chart caption.
QString ToleranceText(const TBasicInfo& info);

}  // namespace kestrin
