// The x–Rs–Rm chart of a strength log (see StrengthChart.h).
#include "charts/StrengthChart.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "core/Numbers.h"

namespace kestrin {

namespace {

QString U8Text(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
QString Hundredths(int64_t v) { return U8Text(FormatScaled(v, 2)); }

// A horizontal line of a chart: value in hundredths, how it is drawn, and
// whether its value is labelled at the left.
struct TLine {
  int64_t Value;
  TColor Color;
  TPenStyle Style;
};

// One of the three charts.
struct TPanel {
  TRect Plot;
  QString Caption;
  long double Lo = 0;  // value range, hundredths
  long double Hi = 1;
  std::vector<std::optional<int64_t>> Values;  // hundredths, one per test
  std::vector<bool> Failed;                    // drawn red
  std::vector<bool> Ringed;
  std::vector<TLine> Lines;

  int Y(long double v) const {
    const long double f = (v - Lo) / (Hi - Lo);
    return Plot.Bottom - RoundOff(f * Plot.Height());
  }
};

void SetRange(TPanel& p, bool fromZero) {
  long double lo = 0, hi = 0;
  bool any = false;
  auto take = [&](long double v) {
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  };
  for (const auto& v : p.Values)
    if (v) take(static_cast<long double>(*v));
  for (const TLine& l : p.Lines) take(static_cast<long double>(l.Value));
  if (fromZero) take(0);
  if (!any) take(0);
  if (hi - lo < 100) hi = lo + 100;  // at least 1 N/mm²
  const long double pad = (hi - lo) * 0.08L;
  p.Hi = hi + pad;
  p.Lo = fromZero ? 0 : lo - pad;
}

void DrawPanel(TCanvas& canvas, TCanvasAssist& a, const TPanel& p, std::size_t count, int labelH) {
  const TRect& r = p.Plot;
  canvas.Pen = TPen{};
  canvas.Brush.SetStyle(TBrushStyle::Clear);
  a.FrameBox(r.Left, r.Top, r.Right, r.Bottom, 1);

  // Caption above the plot.
  a.CreateFont(labelH, 0, 0, 0);
  a.PutTextFit(TRect{r.Left, r.Top - labelH - labelH / 4, r.Right, r.Top - labelH / 4}, 0, 0.0, p.Caption);

  // The lines, labelled with their values left of the plot where the
  // labels do not overlap.
  std::vector<int> labelled;
  const TRect labels{r.Left - RoundOff(r.Width() * 0.09L), r.Top, r.Left, r.Bottom};
  for (const TLine& l : p.Lines) {
    const int y = p.Y(static_cast<long double>(l.Value));
    canvas.Pen = TPen{l.Color, 1, l.Style};
    a.HorzLine(r.Left, r.Right, y, 0);
    if (std::none_of(labelled.begin(), labelled.end(), [&](int o) { return std::abs(o - y) < labelH; })) {
      canvas.Font.Color = l.Color;
      a.PutTextHeight(TRect{labels.Left, y - labelH / 2, labels.Right, y - labelH / 2 + labelH}, 1, 0.06,
                      labelH, Hundredths(l.Value));
      labelled.push_back(y);
    }
  }
  canvas.Font.Color = clBlack;

  // The points, joined in test order across tests without a value.
  std::vector<TPoint> line;
  for (std::size_t i = 0; i < p.Values.size(); ++i)
    if (p.Values[i])
      line.push_back({StrengthTestX(r, i, count), p.Y(static_cast<long double>(*p.Values[i]))});
  canvas.Pen = TPen{kStrengthPointColor, 1, TPenStyle::Solid};
  if (line.size() > 1) a.Polyline(line, 0);
  const int dot = std::max(2, labelH / 4);
  const int ring = dot * 2 + a.WeightPixels(1);
  for (std::size_t i = 0, k = 0; i < p.Values.size(); ++i) {
    if (!p.Values[i]) continue;
    const TPoint pt = line[k++];
    const TColor c = i < p.Failed.size() && p.Failed[i] ? Rgb(255, 0, 0) : kStrengthPointColor;
    canvas.Pen = TPen{c, 1, TPenStyle::Solid};
    canvas.Brush.SetColor(c);
    canvas.Ellipse(pt.X - dot, pt.Y - dot, pt.X + dot + 1, pt.Y + dot + 1);
    canvas.Brush.SetStyle(TBrushStyle::Clear);
    if (i < p.Ringed.size() && p.Ringed[i]) {
      canvas.Pen = TPen{kStrengthSignalColor, a.WeightPixels(1) + 1, TPenStyle::Solid};
      canvas.Ellipse(pt.X - ring, pt.Y - ring, pt.X + ring + 1, pt.Y + ring + 1);
    }
  }
  canvas.Pen = TPen{};
}

// Test numbers under the plot: every one up to 25 tests, else a round step.
void DrawTestNumbers(TCanvasAssist& a, const TRect& plot, std::size_t count, int h) {
  if (count == 0) return;
  std::size_t step = 1;
  for (const std::size_t s : {1u, 2u, 5u, 10u, 20u, 50u}) {
    step = s;
    if (count / s <= 25) break;
  }
  const int half = std::max(
      1, plot.Width() / static_cast<int>(std::max<std::size_t>(count, 1)) * static_cast<int>(step) / 2);
  a.CreateFont(h, 0, 0, 0);
  for (std::size_t i = step - 1; i < count; i += step) {
    const int x = StrengthTestX(plot, i, count);
    a.PutTextHeight(TRect{x - half, plot.Bottom + h / 4, x + half, plot.Bottom + h / 4 + h}, 2, 0.0, h,
                    QString::number(static_cast<qulonglong>(i + 1)));
  }
}

}  // namespace

TStrengthChartLayout StrengthChartLayout(const TRect& rect) {
  TStrengthChartLayout l;
  const int left = rect.Left + RoundOff(rect.Width() * 0.1L);
  auto y = [&](long double f) { return rect.Top + RoundOff(rect.Height() * f); };
  l.X = TRect{left, y(0.05L), rect.Right, y(0.47L)};
  l.Rs = TRect{left, y(0.54L), rect.Right, y(0.72L)};
  l.Rm = TRect{left, y(0.79L), rect.Right, y(0.96L)};
  return l;
}

int StrengthTestX(const TRect& plot, std::size_t index, std::size_t count) {
  const long double slot =
      static_cast<long double>(plot.Width()) / static_cast<long double>(std::max<std::size_t>(count, 1));
  return plot.Left + RoundOff(slot * (static_cast<long double>(index) + 0.5L));
}

void DrawStrengthChart(TCanvas& canvas, const TRect& rect, TCanvasAssist& a, const TStrengthLog& log,
                       const TStrengthFigures& f) {
  const TStrengthChartLayout l = StrengthChartLayout(rect);
  const std::size_t n = log.Tests.size();
  const auto& chart = f.Chart;
  const int64_t nominal = int64_t{log.Mix.NominalStrength} * 10;
  const int64_t share = RoundDiv(int64_t{log.Mix.NominalStrength} * kResultSharePercent, 10);

  TPanel x, rs, rm;
  x.Plot = l.X;
  rs.Plot = l.Rs;
  rm.Plot = l.Rm;
  for (TPanel* p : {&x, &rs, &rm}) {
    p->Values.resize(n);
    p->Ringed.assign(n, false);
  }
  x.Failed.assign(n, false);
  for (std::size_t i = 0; i < n && i < f.Tests.size(); ++i) {
    const TStrengthTestFigures& t = f.Tests[i];
    if (t.Result28) x.Values[i] = int64_t{*t.Result28} * 10;
    if (t.Rs) rs.Values[i] = int64_t{*t.Rs} * 10;
    if (t.Rm) rm.Values[i] = int64_t{*t.Rm} * 10;
    x.Failed[i] = t.Pass == false;
  }
  for (const TStrengthSignal& s : f.Signals) {
    if (s.Test == 0 || s.Test > n) continue;
    TPanel& p = s.Chart == TStrengthChart::X ? x : s.Chart == TStrengthChart::Rs ? rs : rm;
    p.Ringed[s.Test - 1] = true;
  }
  x.Lines = {{nominal, kStrengthNominalColor, TPenStyle::Solid},
             {share, kStrengthShareColor, TPenStyle::Dot}};
  x.Caption = U8Text("x 管理図（試験結果 N/mm²）　緑実線 呼び強度 " +
                     FormatScaled(log.Mix.NominalStrength, 1) + "　緑点線 85％ " + FormatScaled(share, 2));
  rs.Caption = U8Text("Rs 管理図（移動範囲 N/mm²）");
  rm.Caption = U8Text("Rm 管理図（3 本の範囲 N/mm²）");
  if (chart) {
    x.Lines.push_back({chart->Center, kStrengthPointColor, TPenStyle::Solid});
    x.Lines.push_back({chart->UCL, kStrengthLimitColor, TPenStyle::Dash});
    x.Lines.push_back({chart->LCL, kStrengthLimitColor, TPenStyle::Dash});
    rs.Lines = {{chart->RsBar, kStrengthPointColor, TPenStyle::Solid},
                {chart->RsUCL, kStrengthLimitColor, TPenStyle::Dash}};
    rm.Lines = {{chart->RmBar, kStrengthPointColor, TPenStyle::Solid},
                {chart->RmUCL, kStrengthLimitColor, TPenStyle::Dash}};
    x.Caption += U8Text("　赤破線 UCL " + FormatScaled(chart->UCL, 2) + "／LCL " +
                        FormatScaled(chart->LCL, 2) + "　黒線 x̄ " + FormatScaled(chart->Center, 2));
    rs.Caption += U8Text("　R̄s " + FormatScaled(chart->RsBar, 2) + "　UCL " + FormatScaled(chart->RsUCL, 2));
    rm.Caption += U8Text("　R̄m " + FormatScaled(chart->RmBar, 2) + "　UCL " + FormatScaled(chart->RmUCL, 2));
  } else {
    x.Caption += U8Text("　（結果 " + std::to_string(kMinChartResults) + " 件未満：管理限界なし）");
  }
  SetRange(x, false);
  SetRange(rs, true);
  SetRange(rm, true);
  // One text height for the three charts.
  const int labelH = std::max(1, RoundOff(rect.Height() * 0.032L));
  for (const TPanel* p : {&x, &rs, &rm}) DrawPanel(canvas, a, *p, n, labelH);
  DrawTestNumbers(a, l.Rm, n, labelH);
}

}  // namespace kestrin
