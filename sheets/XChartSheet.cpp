#include "sheets/XChartSheet.h"

#include <algorithm>

#include "charts/CanvasAssist.h"
#include "charts/XChart.h"
#include "core/Numbers.h"
#include "sheets/PrintSheet.h"
#include "sheets/SheetParts.h"

namespace kestrin {

namespace {

// Returns the first row below the caption's underline.
int DrawCaption(TCanvasAssist& a, const TRect& b, const TBasicInfo& info) {
  TCanvas& c = *a.Canvas;
  const int Hc = b.Height();
  a.CreateFont(Hc, 0, 0, kFaceMincho);
  const QString caption = U8("Ｘ管理図");
  const TSize ext = c.TextExtent(caption);
  c.TextOut(b.Left, b.Top, caption);
  c.Pen = TPen{clBlack, 1, TPenStyle::Solid};
  const int underline = b.Top + ext.cy + RoundEven(static_cast<long double>(Hc) / 15);
  a.HorzLine(b.Left, b.Left + ext.cx, underline, 0);

  a.CreateFont(2 * Hc / 3, 0, 0, kFaceMincho);
  a.PutText(TRect{b.Left + ext.cx, b.Top + 2 * Hc / 3, b.Right, b.Bottom}, kAlignLeft,
            U8("　") + ToleranceText(info));
  return underline + a.WeightPixels(0) / 2 + 1;
}

void DrawRemarks(TCanvasAssist& a, const TRect& b) {
  const int e = b.Height() / 8;
  const int x1 = b.Left + RoundOff(0.01L * b.Width());
  const int x2 = b.Right - RoundOff(0.01L * b.Width());
  a.Polyline({{b.Left, b.Top}, {b.Right, b.Top}, {b.Right, b.Bottom}, {b.Left, b.Bottom},
              {b.Left, b.Top}},
             2);
  a.CreateFont(RoundOff(0.4L * e), 0, 0, kFaceMincho);
  a.PutText(TRect{x1, b.Top, x2, b.Top + e}, kAlignLeft, U8("《備考欄》"));
}

}  // namespace

TXChartSheetLayout XChartSheetLayout(const TRect& page) {
  TXChartSheetLayout l;
  l.Title = FracRect(page, 0, 0, 1.0L, 0.02L);
  l.Header = FracRect(page, 0, 0.035L, 1.0L, 0.125L);
  l.Seal = FracRect(page, 0, 0.14L, 1.0L, 0.226L);
  l.Caption = FracRect(page, 0, 0.226L, 1.0L, 0.244L);
  l.Chart = FracRect(page, 0, 0.259L, 1.0L, 0.679L);
  l.Remarks = FracRect(page, 0, 0.699L, 1.0L, 0.985L);
  return l;
}

void DrawXChartSheet(TCanvas& canvas, const TRect& pageRect, const TMainData& data,
                     const TSettings& settings) {
  TCanvasAssist a(&canvas);
  SetSheetWeights(a, pageRect.Height());
  ResetSheetCanvas(canvas);

  const TXChartSheetLayout l = XChartSheetLayout(pageRect);
  DrawSheetTitle(a, l.Title, U8(SheetTitle(TPrintSheet::XChart)));
  DrawSheetHeader(a, l.Header, data, settings);

  const int r = l.Seal.Height() / 3;
  DrawSealBoxes(a, FracX(l.Seal, 0.73L), l.Seal.Right, l.Seal.Top, l.Seal.Top + r, l.Seal.Bottom,
                RoundOff(0.5L * r), settings);

  const int belowCaption = DrawCaption(a, l.Caption, data.BasicInfo);

  // A value far outside the tolerance is plotted beyond the plot; it may
  // leave the chart as a line but never cross the caption, the header or
  // the remarks box. The clip takes in the free strips above and below the
  // chart block (the top Y label reaches into the upper one), up to the
  // caption's underline and the remarks box.
  canvas.SetClipRect(TRect{l.Chart.Left, std::max(l.Caption.Bottom, belowCaption), l.Chart.Right,
                           l.Remarks.Top});
  DrawXChartDoc(canvas, l.Chart, a, data, settings.DrawXChartNoRange);
  canvas.ResetClip();
  // The chart may leave its own pen, brush and fonts behind.
  ResetSheetCanvas(canvas);

  DrawRemarks(a, l.Remarks);
}

}  // namespace kestrin
