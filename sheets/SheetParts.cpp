#include "sheets/SheetParts.h"

#include <algorithm>
#include <cstdio>

#include "charts/NumberText.h"
#include "core/Cp932.h"
#include "core/Numbers.h"

namespace kestrin {

namespace {

constexpr long double kWeightFactors[6] = {0.0002L, 0.0005L, 0.0008L,
                                           0.0012L, 0.0016L, 0.002L};

QString Padded(int value, int width) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%*d", width, value);
  return QString::fromLatin1(buf);
}

QString Fixed(long double x, int w, int d) { return U8(FormatFixed(x, w, d)); }

}  // namespace

std::array<int, 6> SheetWeights(int pageHeight) {
  std::array<int, 6> w{};
  for (int k = 0; k < 6; ++k) w[k] = RoundEven(static_cast<long double>(pageHeight) * kWeightFactors[k]);
  return w;
}

void SetSheetWeights(TCanvasAssist& assist, int pageHeight) {
  const std::array<int, 6> w = SheetWeights(pageHeight);
  for (int k = 0; k < 6; ++k) assist.Weights[k] = w[k];
}

int FracX(const TRect& r, long double f) { return r.Left + RoundOff(f * r.Width()); }
int FracY(const TRect& r, long double f) { return r.Top + RoundOff(f * r.Height()); }

TRect FracRect(const TRect& r, long double left, long double top, long double right,
               long double bottom) {
  return TRect{FracX(r, left), FracY(r, top), FracX(r, right), FracY(r, bottom)};
}

QString SheetText(std::string_view cp932) { return U8(Cp932ToUtf8Lossy(cp932)); }

void ResetSheetCanvas(TCanvas& canvas) {
  canvas.Pen = TPen{clBlack, 1, TPenStyle::Solid};
  canvas.Brush.SetStyle(TBrushStyle::Clear);
  canvas.Font.Color = clBlack;
}

void DrawSheetTitle(TCanvasAssist& assist, const TRect& block, const QString& title) {
  TCanvas& c = *assist.Canvas;
  assist.CreateFont(block.Height(), 0, 0, kFaceMincho);
  const int width = c.TextWidth(title);
  c.TextOut(block.Left + (block.Width() - width) / 2, block.Top, title);
}

void DrawSheetHeader(TCanvasAssist& a, const TRect& b, const TMainData& data,
                     const TSettings& settings) {
  const TBasicInfo& info = data.BasicInfo;
  const long double r = static_cast<long double>(b.Height()) / 3;
  const int X[10] = {FracX(b, 0),    FracX(b, 0.1L),  FracX(b, 0.2L), FracX(b, 0.3L),
                     FracX(b, 0.38L), FracX(b, 0.48L), FracX(b, 0.55L), FracX(b, 0.65L),
                     FracX(b, 0.77L), FracX(b, 1.0L)};
  const int Y0 = b.Top;
  const int Y1 = b.Top + RoundOff(r);
  const int Y2 = b.Top + RoundOff(2 * r);
  const int Y3 = b.Bottom;

  // Lines: the first row (company, month) stands free above the frame.
  a.FrameBox(X[0], Y1, X[9], Y3, 2);
  a.HorzLine(X[0], X[9], Y2, 1);
  a.VertLine(X[1], Y1, Y3, 0);
  for (int i = 2; i <= 8; ++i) a.VertLine(X[i], Y1, Y2, 0);

  a.CreateFont(RoundOff(0.5L * r), 0, 0, kFaceMincho);
  auto cell = [&](int i, int j, int top, int bottom) { return TRect{X[i], top, X[j], bottom}; };
  a.PutText(cell(0, 1, Y1, Y2), kAlignCenter, U8("呼び強度"));
  a.PutText(cell(2, 3, Y1, Y2), kAlignCenter, U8("スランプ"));
  a.PutText(cell(4, 5, Y1, Y2), kAlignCenter, U8("骨材寸法"));
  a.PutText(cell(6, 7, Y1, Y2), kAlignCenter, U8("空気量"));
  a.PutText(cell(0, 1, Y2, Y3), kAlignCenter, U8("備　考"));

  // Values. Empty texts leave their cells empty.
  auto put = [&](const TRect& rc, int align, double rate, const QString& text) {
    if (!text.isEmpty()) a.PutTextFit(rc, align, rate, text);
  };
  // Company and plant on the left, the month on the right of the free
  // first row. Long names shrink to the width left of the month text (a
  // full-width blank apart), keeping the left margin of the whole row.
  const QString company = SheetText(settings.CompanyName) + U8(" ") + SheetText(info.Kojo);
  const QString month = Padded(DateYear(info.Getsudo), 4) + U8("年") +
                        Padded(DateMonth(info.Getsudo), 2) + U8("月度");
  const TRect firstRow = cell(0, 9, Y0, Y1);
  if (!company.trimmed().isEmpty()) {
    a.PutTextEx(firstRow, kAlignRight, 0.05, true, -1, month);
    const int namesRight = a.TextRect.Left - a.Canvas->TextWidth(U8("　"));
    const int savedMargin = a.HMargin;
    a.HMargin = RoundOff(static_cast<long double>(firstRow.Width()) * 0.05L);
    a.PutTextEx(TRect{firstRow.Left, Y0, std::max(firstRow.Left, namesRight), Y1}, kAlignLeft, -1,
                false, -1, company);
    a.HMargin = savedMargin;
  }
  put(firstRow, kAlignRight, 0.05, month);
  // Strength, aggregate size and air content are 0 when not entered: such
  // a cell stays empty rather than claiming "0N/mm2" on the printed sheet.
  if (info.Kyodo > 0)
    put(cell(1, 2, Y1, Y2), kAlignRight, 0.05, Fixed(info.Kyodo, 2, 0) + U8("N/mm^2"));
  put(cell(3, 4, Y1, Y2), kAlignRight, 0.05,
      Fixed(static_cast<long double>(info.KariAveX) / 100, 4, 1) + U8("cm"));
  if (info.Kotsuzai > 0)
    put(cell(5, 6, Y1, Y2), kAlignRight, 0.05, Fixed(info.Kotsuzai, 2, 0) + U8("mm"));
  if (info.Air > 0) {
    put(cell(7, 8, Y1, Y2), kAlignRight, 0.05,
        Fixed(info.Air, 2, 1) + U8("±") + Fixed(info.AirKyoyo, 2, 1) + U8("%"));
  }
  put(cell(8, 9, Y1, Y2), kAlignLeft, 0.05, SheetText(info.Cement.Mark));
  put(cell(1, 9, Y2, Y3), kAlignLeft, 0.01, SheetText(info.Biko));
}

void DrawSealBoxes(TCanvasAssist& a, int xs, int xe, int y0, int y1, int y2, int fontHeight,
                   const TSettings& settings) {
  const long double third = static_cast<long double>(xe - xs) / 3;
  const int x1 = xs + RoundOff(third);
  const int x2 = xs + RoundOff(2 * third);
  a.FrameBox(xs, y0, xe, y2, 2);
  a.HorzLine(xs, xe, y1, 1);
  a.VertLine(x1, y0, y2, 0);
  a.VertLine(x2, y0, y2, 0);

  a.CreateFont(fontHeight, 0, 0, kFaceMincho);
  const int bounds[4] = {xs, x1, x2, xe};
  const AnsiString* titles[3] = {&settings.InkanTitle1, &settings.InkanTitle2,
                                 &settings.InkanTitle3};
  for (int k = 0; k < 3; ++k) {
    const QString title = SheetText(*titles[k]);
    if (!title.isEmpty()) a.PutText(TRect{bounds[k], y0, bounds[k + 1], y1}, kAlignCenter, title);
  }
}

QString ToleranceText(const TBasicInfo& info) {
  return U8("許容値 ") + U8(FixedText(static_cast<long double>(info.KariAveX) / 100, 4, 1)) +
         U8(" ± ") + U8(FixedText(static_cast<long double>(info.Kyoyo) / 100, 3, 1)) + U8(" cm");
}

}  // namespace kestrin
