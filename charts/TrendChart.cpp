#include "charts/TrendChart.h"

#include <algorithm>
#include <cmath>

#include "charts/XChart.h"
#include "core/Numbers.h"

namespace kestrin {

std::vector<TTrendPoint> TrendPoints(const TOverview& overview, std::size_t plant) {
  std::vector<TTrendPoint> points;
  if (plant >= overview.Plants.size()) return points;
  for (std::size_t i : overview.Plants[plant].MonthIndexes) {
    const TOverviewMonth& m = overview.Months[i];
    TTrendPoint p;
    p.Getsudo = m.Getsudo;
    p.Target = m.KariAveX;
    p.Tolerance = m.Kyoyo;
    if (m.Count > 0) p.X = m.AveX;
    p.Sigma = m.Hensa;
    p.Failed = m.Failed;
    p.Duplicate = m.Duplicate;
    points.push_back(p);
  }
  return points;
}

// --- TTrendEnv -------------------------------------------------------------

TTrendEnv::TTrendEnv(const TRect& area, TCanvas* canvas, const std::vector<TTrendPoint>* points)
    : THorChartEnv(area, canvas), Points(points) {}

void TTrendEnv::FitYRange() {
  long double lo = 0, hi = 0;
  bool any = false;
  auto take = [&](long double v) {
    if (!std::isfinite(static_cast<double>(v))) return;
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  };
  for (const TTrendPoint& p : *Points) {
    take(static_cast<long double>(p.Target) - 2.0L * p.Tolerance);
    take(static_cast<long double>(p.Target) + 2.0L * p.Tolerance);
    if (p.X) {
      take(*p.X - p.Sigma * 100);
      take(*p.X + p.Sigma * 100);
    }
  }
  if (!any || hi <= lo) {
    lo = any ? lo - 100 : 1500;
    hi = any ? hi + 100 : 2100;
  }
  // Whole centimetres, and one more below for the failed-count bars.
  lo = std::floor(lo / 100) * 100 - 100;
  hi = std::ceil(hi / 100) * 100;
  AutoYRange = false;
  SetYRange(lo, hi);
}

void TTrendEnv::SetLabelFont() {
  if (Assist != nullptr) Assist->CreateFont(FontHeight, 0, 0, 3);
  Canvas->Font.Color = OrFrame(TextColor);
  Canvas->Brush.SetStyle(TBrushStyle::Clear);
}

void TTrendEnv::DrawBackground() {
  THorChartEnv::DrawBackground();
  // Each month's own out-of-tolerance bands: T + K .. T + 2K and
  // T - 2K .. T - K, in the screen X chart's pink.
  TCanvas* c = Canvas;
  const TPen saved = c->Pen;
  c->Pen = TPen{kXBandColor, 1, TPenStyle::Solid};
  c->Brush.SetColor(kXBandColor);
  for (int i = 0; i < Count && i < static_cast<int>(Points->size()); ++i) {
    const TTrendPoint& p = (*Points)[static_cast<std::size_t>(i)];
    const int x1 = std::max(PlotRect.Left + 1, XConv.ValueToPixel(i));
    const int x2 = std::min(PlotRect.Right - 1, XConv.ValueToPixel(i + 1));
    const int64_t t = p.Target, k = p.Tolerance;
    auto band = [&](int64_t from, int64_t to) {
      int top = YConv.ValueToPixel(static_cast<long double>(std::max(from, to)));
      int bottom = YConv.ValueToPixel(static_cast<long double>(std::min(from, to)));
      top = std::max(top, PlotRect.Top + 1);
      bottom = std::min(bottom, PlotRect.Bottom - 1);
      if (bottom > top && x2 > x1) c->Rectangle(x1, top, x2, bottom);
    };
    if (k > 0) {
      band(t + 2 * k, t + k);
      band(t - k, t - 2 * k);
    }
  }
  c->Pen = saved;
  c->Brush.SetColor(PlotColor);
}

void TTrendEnv::DrawFrame() {
  Canvas->Brush.SetColor(FrameColor);
  if (Assist != nullptr && Unit > 1)
    Assist->FrameRectWeight(PlotRect, 2);
  else
    Canvas->FrameRect(PlotRect);
}

void TTrendEnv::SetYLabelStyle() {
  SetLabelFont();
  THorChartEnv::SetYLabelStyle();
  Canvas->Brush.SetStyle(TBrushStyle::Clear);
}

QString TTrendEnv::FormatYLabel(int64_t value) { return QString::number(value / 100); }

void TTrendEnv::DrawXLabels() {
  SetLabelFont();
  TCanvas* c = Canvas;
  if (Count <= 0) return;
  // Month numbers under every month that has room; the year under the
  // first month and under each January.
  const int slot = std::max(1, XConv.ValueToPixel(1) - XConv.ValueToPixel(0));
  const int wide = c->TextWidth(QStringLiteral("12月")) + FontHeight / 2;
  const int every = std::max(1, (wide + slot - 1) / slot);
  const int top = PlotRect.Bottom + XLabelGap;
  const int lineHeight = c->TextHeight(QStringLiteral("0"));
  int yearRight = PlotRect.Left - FontHeight * 10;
  for (int i = 0; i < Count && i < static_cast<int>(Points->size()); ++i) {
    const TTrendPoint& p = (*Points)[static_cast<std::size_t>(i)];
    const int x = XConv.ValueToPixel(i + 0.5L);
    if (i % every == 0) {
      const QString m = QString::number(DateMonth(p.Getsudo)) + QStringLiteral("月");
      c->Font.Color = p.Duplicate ? kTrendFailedColor : OrFrame(TextColor);
      c->TextOut(x - c->TextWidth(m) / 2, top, m);
    }
    const bool newYear =
        i == 0 || DateYear((*Points)[static_cast<std::size_t>(i - 1)].Getsudo) != DateYear(p.Getsudo);
    if (newYear) {
      const QString y = QString::number(DateYear(p.Getsudo)) + QStringLiteral("年");
      const int w = c->TextWidth(y);
      const int left = std::max(x - w / 2, PlotRect.Left);
      if (left > yearRight) {
        c->Font.Color = OrFrame(TextColor);
        c->TextOut(left, top + lineHeight, y);
        yearRight = left + w + FontHeight / 2;
      }
    }
  }
  c->Font.Color = OrFrame(TextColor);
}

// --- TTrendChart -----------------------------------------------------------

TTrendChart::TTrendChart(TTrendEnv* env) : THorLineChart(env) { SeriesCount = 1; }

void TTrendChart::Draw() {
  DrawFailedBars();
  DrawLimitLines();
  DrawWhiskers();
  DrawSeries(0);
}

void TTrendChart::DrawLimitLines() {
  TTrendEnv* env = TrendEnv();
  TCanvas* c = env->Canvas;
  const auto& pts = *env->Points;
  c->Pen.Style = TPenStyle::Solid;
  c->Pen.Width = 2 * env->Unit;
  // Each month's T and T +- K as a step line across its column.
  auto line = [&](TColor color, auto valueOf) {
    c->Pen.Color = color;
    for (int i = 0; i < env->Count && i < static_cast<int>(pts.size()); ++i) {
      const TTrendPoint& p = pts[static_cast<std::size_t>(i)];
      const int y = env->YConv.ValueToPixel(valueOf(p));
      const int x1 = env->XConv.ValueToPixel(i);
      const int x2 = env->XConv.ValueToPixel(i + 1);
      c->MoveTo(std::max(x1, env->PlotRect.Left + env->Unit), y);
      c->LineTo(std::min(x2, env->PlotRect.Right - env->Unit), y);
      if (i > 0) {
        const int py = env->YConv.ValueToPixel(valueOf(pts[static_cast<std::size_t>(i - 1)]));
        if (py != y) {
          c->MoveTo(x1, py);
          c->LineTo(x1, y);
        }
      }
    }
  };
  line(kXCentreLineColor, [](const TTrendPoint& p) { return static_cast<long double>(p.Target); });
  line(kXLimitLineColor,
       [](const TTrendPoint& p) { return static_cast<long double>(p.Target) + p.Tolerance; });
  line(kXLimitLineColor,
       [](const TTrendPoint& p) { return static_cast<long double>(p.Target) - p.Tolerance; });
  c->Pen.Width = 1;
}

void TTrendChart::DrawFailedBars() {
  TTrendEnv* env = TrendEnv();
  TCanvas* c = env->Canvas;
  const auto& pts = *env->Points;
  int64_t most = 0;
  for (const TTrendPoint& p : pts) most = std::max(most, p.Failed);
  if (most <= 0) return;
  // The bars stand on the plot's floor and reach at most an eighth of its
  // height; the count is written above each bar.
  const TRect& r = env->PlotRect;
  const long double full = (r.Bottom - r.Top) / 8.0L;
  const long double slot = env->XConv.ValueToPixel(1) - env->XConv.ValueToPixel(0);
  const int half = std::max(1, RoundOff(slot * 0.18L));
  env->SetYLabelStyle();
  c->Font.Color = kTrendFailedColor;
  for (int i = 0; i < env->Count && i < static_cast<int>(pts.size()); ++i) {
    const int64_t f = pts[static_cast<std::size_t>(i)].Failed;
    if (f <= 0) continue;
    const int x = env->XConv.ValueToPixel(i + 0.5L);
    const int h = std::max(env->Unit, RoundOff(full * static_cast<long double>(f) / most));
    c->Pen = TPen{kTrendFailedColor, 1, TPenStyle::Solid};
    c->Brush.SetColor(kTrendFailedColor);
    c->FillRect(TRect{x - half, r.Bottom - 1 - h, x + half, r.Bottom - 1});
    c->Brush.SetStyle(TBrushStyle::Clear);
    const QString n = QString::number(f);
    const TSize ext = c->TextExtent(n);
    c->TextOut(x - ext.cx / 2, r.Bottom - 1 - h - ext.cy, n);
  }
  c->Font.Color = clBlack;
}

void TTrendChart::DrawWhiskers() {
  TTrendEnv* env = TrendEnv();
  TCanvas* c = env->Canvas;
  const auto& pts = *env->Points;
  const long double slot = env->XConv.ValueToPixel(1) - env->XConv.ValueToPixel(0);
  const int cap = std::max(2 * env->Unit, RoundOff(slot * 0.12L));
  c->Pen = TPen{kTrendWhiskerColor, env->Unit, TPenStyle::Solid};
  for (int i = 0; i < env->Count && i < static_cast<int>(pts.size()); ++i) {
    const TTrendPoint& p = pts[static_cast<std::size_t>(i)];
    if (!p.X || !(p.Sigma > 0)) continue;
    const int x = env->XConv.ValueToPixel(i + 0.5L);
    const int top = env->YConv.ValueToPixel(*p.X + p.Sigma * 100);
    const int bottom = env->YConv.ValueToPixel(*p.X - p.Sigma * 100);
    c->MoveTo(x, top);
    c->LineTo(x, bottom);
    for (int y : {top, bottom}) {
      c->MoveTo(x - cap, y);
      c->LineTo(x + cap + 1, y);
    }
  }
  c->Pen.Width = 1;
}

void TTrendChart::DrawSeries(int) {
  TTrendEnv* env = TrendEnv();
  TCanvas* c = env->Canvas;
  const auto& pts = *env->Points;
  const TColor color = GetColor(0);
  // Neighbouring months with a mean are joined; a month without values
  // breaks the line.
  c->Pen = TPen{color, 2 * env->Unit, TPenStyle::Solid};
  for (int i = 1; i < env->Count && i < static_cast<int>(pts.size()); ++i) {
    const TTrendPoint& a = pts[static_cast<std::size_t>(i - 1)];
    const TTrendPoint& b = pts[static_cast<std::size_t>(i)];
    if (!a.X || !b.X) continue;
    c->MoveTo(env->XConv.ValueToPixel(i - 0.5L), env->YConv.ValueToPixel(*a.X));
    c->LineTo(env->XConv.ValueToPixel(i + 0.5L), env->YConv.ValueToPixel(*b.X));
  }
  c->Pen.Width = 1;
  for (int i = 0; i < env->Count && i < static_cast<int>(pts.size()); ++i) {
    const TTrendPoint& p = pts[static_cast<std::size_t>(i)];
    if (p.X) DrawMark(env->XConv.ValueToPixel(i + 0.5L), env->YConv.ValueToPixel(*p.X), color);
  }
}

void TTrendChart::DrawMark(int x, int y, TColor color) {
  TCanvas* c = Env->Canvas;
  const int d = 3 * TrendEnv()->Unit;
  c->Pen = TPen{color, 1, TPenStyle::Solid};
  c->Brush.SetColor(color);
  c->Ellipse(x - d, y - d, x + d + 1, y + d + 1);
  c->Brush.SetStyle(TBrushStyle::Clear);
}

// --- Entry points ----------------------------------------------------------

namespace {

void Configure(TTrendEnv& env) {
  env.SetData(static_cast<int>(env.Points->size()), 0, 0, 0, 0);
  env.FitYRange();
  SetSlumpAxisStyle(env);
  env.SetFrameColors(clBlack, kXPlotColor);
  env.SetHorzGridColor(kXGridColor);
  env.SetVertGridColor(kXGridColor);
}

}  // namespace

void DrawTrendLayout(TTrendEnv& env, TTrendChart& series, const TRect& rect, int fontHeight,
                     const std::function<void()>& configure) {
  if (fontHeight > 0) {
    env.FontHeight = fontHeight;
    env.SetMargins(3 * fontHeight, fontHeight, fontHeight, 3 * fontHeight);
    configure();
    env.YLabelGap = fontHeight / 3;
    env.XLabelGap = fontHeight / 3;
  } else {
    const long double h = rect.Height();
    env.Unit = std::max(1, RoundOff(h / 400.0L));
    env.FontHeight = std::max(1, RoundOff(h * 0.045L));
    env.SetMargins(RoundOff(h * 0.12L), RoundOff(h * 0.03L), RoundOff(h * 0.03L), RoundOff(h * 0.13L));
    configure();
    env.OuterColor = clWhite;
    env.YLabelGap = RoundOff(h * 0.015L);
    env.XLabelGap = RoundOff(h * 0.012L);
  }
  series.SetColor(kXSeriesColor);
  env.Draw();
  series.Draw();
}

void DrawTrendChart(TCanvas& canvas, const TRect& rect, const std::vector<TTrendPoint>& points,
                    int fontHeight) {
  TCanvasAssist assist(&canvas);
  TTrendEnv env(rect, &canvas, &points);
  env.Assist = &assist;
  TTrendChart series(&env);
  DrawTrendLayout(env, series, rect, fontHeight, [&env] { Configure(env); });
}

void DrawTrendChartDoc(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist,
                       const std::vector<TTrendPoint>& points) {
  TTrendEnv env(rect, &canvas, &points);
  env.Assist = &assist;
  TTrendChart series(&env);
  DrawTrendLayout(env, series, rect, 0, [&env] { Configure(env); });
}

}  // namespace kestrin
