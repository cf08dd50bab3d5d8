// The X̄–R control chart sheet; see XbarRSheet.h.
#include "sheets/XbarRSheet.h"

#include <QStringList>

#include <algorithm>

#include "charts/CanvasAssist.h"
#include "charts/NumberText.h"
#include "charts/XbarRChart.h"
#include "core/CapabilityBounds.h"
#include "core/Numbers.h"
#include "sheets/PrintSheet.h"
#include "sheets/SheetParts.h"

namespace kestrin {

namespace {

QString Index(const std::optional<double>& v) { return v ? U8(FormatFixed(*v, 0, 2)) : U8("－"); }

QString Interval(const std::optional<double>& lo, const std::optional<double>& hi) {
  if (!lo || !hi) return U8("－");
  return U8("（") + Index(lo) + U8("～") + Index(hi) + U8("）");
}

QString Cm(long double hundredths) { return U8(FormatFixed(hundredths / 100.0L, 0, 2)); }

void DrawCaption(TCanvasAssist& a, const TRect& b, const TControlChart& chart) {
  TCanvas& c = *a.Canvas;
  const int Hc = b.Height();
  a.CreateFont(Hc, 0, 0, kFaceMincho);
  const QString caption = U8("X̄－R管理図");
  const TSize ext = c.TextExtent(caption);
  c.TextOut(b.Left, b.Top, caption);
  c.Pen = TPen{clBlack, 1, TPenStyle::Solid};
  a.HorzLine(b.Left, b.Left + ext.cx, b.Top + ext.cy + RoundEven(static_cast<long double>(Hc) / 15), 0);
  const std::string source = ReferenceText(chart);
  a.CreateFont(2 * Hc / 3, 0, 0, kFaceMincho);
  a.PutText(TRect{b.Left + ext.cx, b.Top + 2 * Hc / 3, b.Right, b.Bottom}, kAlignLeft,
            U8("　") + (source.empty() ? U8("管理限界：－（5群未満）") : U8(source)));
}

// Two rows of figures: the limits, then the capability.
void DrawFigures(TCanvasAssist& a, const TRect& b, const TMainData& data, const TControlChart& chart) {
  const int rowH = b.Height() / 2;
  a.CreateFont(RoundOff(0.7L * rowH), 0, 0, kFaceMincho);
  QString limits;
  if (chart.Limits) {
    const TControlLimits& l = *chart.Limits;
    limits = U8("X̿ ") + Cm(l.Center) + U8("　UCL ") + Cm(l.Ucl) + U8("　LCL ") + Cm(l.Lcl) + U8("　R̄ ") +
             Cm(l.RBar) + U8("　R UCL ") + Cm(l.RUcl) + U8("　σ̂ ") + U8(FormatFixed(l.Sigma, 0, 3)) +
             U8(" cm　群数 ") + QString::number(chart.Points.size());
  } else {
    limits =
        U8("管理限界：－（完全な群 ") + QString::number(chart.Points.size()) + U8(" 群，5群以上で計算）");
  }
  a.PutText(TRect{b.Left, b.Top, b.Right, b.Top + rowH}, kAlignLeft, limits);
  const TCapability cap = MonthCapability(data);
  const TCapabilityBounds bounds = MonthCapabilityBounds(data, chart);
  const QString capability = U8("Cp ") + Index(cap.Cp) + Interval(bounds.CpLow, bounds.CpHigh) +
                             U8("　Cpk ") + Index(cap.Cpk) + Interval(bounds.CpkLow, bounds.CpkHigh) +
                             U8("　Cp(群内) ") + Index(bounds.CpWithin) + U8("　Cpk(群内) ") +
                             Index(bounds.CpkWithin) + U8("　（　）は95%信頼区間");
  a.PutText(TRect{b.Left, b.Top + rowH, b.Right, b.Bottom}, kAlignLeft, capability);
}

void DrawSignals(TCanvasAssist& a, const TRect& b, const TMainData& data, const TSettings& settings,
                 const TControlChart& chart) {
  const int rows = kXbarRSheetSignalRows + 1;
  const int rowH = b.Height() / rows;
  const int x1 = b.Left + RoundOff(0.01L * b.Width());
  a.Polyline({{b.Left, b.Top}, {b.Right, b.Top}, {b.Right, b.Bottom}, {b.Left, b.Bottom}, {b.Left, b.Top}},
             2);
  a.CreateFont(RoundOff(0.65L * rowH), 0, 0, kFaceMincho);
  a.PutText(TRect{x1, b.Top, b.Right, b.Top + rowH}, kAlignLeft,
            U8("《管理外れ》　ルール ") + RuleListText(settings.ControlRules));
  QStringList lines;
  for (const TControlSignal& s : chart.Signals) lines << ControlSignalText(data.BasicInfo.Getsudo, s);
  if (lines.isEmpty()) lines << (chart.Limits ? U8("該当なし") : U8("－"));
  if (lines.size() > kXbarRSheetSignalRows) {
    const int more = static_cast<int>(lines.size()) - (kXbarRSheetSignalRows - 1);
    lines = lines.mid(0, kXbarRSheetSignalRows - 1);
    lines << U8("ほか ") + QString::number(more) + U8(" 件");
  }
  for (int i = 0; i < lines.size(); ++i) {
    const int top = b.Top + (i + 1) * rowH;
    a.PutText(TRect{x1 + rowH, top, b.Right, top + rowH}, kAlignLeft, lines[i]);
  }
}

}  // namespace

TXbarRSheetLayout XbarRSheetLayout(const TRect& page) {
  TXbarRSheetLayout l;
  l.Title = FracRect(page, 0, 0, 1.0L, 0.02L);
  l.Header = FracRect(page, 0, 0.035L, 1.0L, 0.125L);
  l.Seal = FracRect(page, 0, 0.14L, 1.0L, 0.226L);
  l.Caption = FracRect(page, 0, 0.226L, 1.0L, 0.244L);
  l.Chart = FracRect(page, 0, 0.259L, 1.0L, 0.699L);
  l.Figures = FracRect(page, 0, 0.705L, 1.0L, 0.745L);
  l.Signals = FracRect(page, 0, 0.755L, 1.0L, 0.985L);
  return l;
}

void DrawXbarRSheet(TCanvas& canvas, const TRect& pageRect, const TMainData& data, const TSettings& settings,
                    const TControlChart& chart) {
  TCanvasAssist a(&canvas);
  SetSheetWeights(a, pageRect.Height());
  ResetSheetCanvas(canvas);

  const TXbarRSheetLayout l = XbarRSheetLayout(pageRect);
  DrawSheetTitle(a, l.Title, U8(SheetTitle(TPrintSheet::XbarR)));
  DrawSheetHeader(a, l.Header, data, settings);
  const int r = l.Seal.Height() / 3;
  DrawSealBoxes(a, FracX(l.Seal, 0.73L), l.Seal.Right, l.Seal.Top, l.Seal.Top + r, l.Seal.Bottom,
                RoundOff(0.5L * r), settings);
  DrawCaption(a, l.Caption, chart);

  canvas.SetClipRect(TRect{l.Chart.Left, l.Caption.Bottom, l.Chart.Right, l.Figures.Top});
  DrawXbarRChartDoc(canvas, l.Chart, a, data, chart);
  canvas.ResetClip();
  ResetSheetCanvas(canvas);

  DrawFigures(a, l.Figures, data, chart);
  ResetSheetCanvas(canvas);
  DrawSignals(a, l.Signals, data, settings, chart);
}

}  // namespace kestrin
