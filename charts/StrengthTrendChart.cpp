#include "charts/StrengthTrendChart.h"

#include <algorithm>
#include <cmath>

#include "charts/StrengthChart.h"
#include "charts/XChart.h"
#include "core/Numbers.h"

namespace kestrin {

namespace {

// The value steps of the axis: labels and grid every 5 N/mm².
constexpr int64_t kStrengthStep = 500;

}  // namespace

std::vector<TTrendPoint> StrengthTrendPoints(const TOverview& overview, std::size_t mix) {
  std::vector<TTrendPoint> points;
  if (mix >= overview.StrengthMixes.size()) return points;
  for (std::size_t i : overview.StrengthMixes[mix].MonthIndexes) {
    const TStrengthOverviewMonth& m = overview.StrengthMonths[i];
    TTrendPoint p;
    p.Getsudo = m.Getsudo;
    p.Target = m.Nominal * 10;
    p.Tolerance = 0;
    if (m.Summary.Mean) p.X = *m.Summary.Mean;
    p.Sigma = m.Summary.Sigma ? *m.Summary.Sigma / 100.0L : 0;
    p.Failed = m.FailedTests;
    p.Duplicate = m.Duplicate;
    points.push_back(p);
  }
  return points;
}

void TStrengthTrendEnv::FitStrengthRange() {
  long double lo = 0, hi = 0;
  bool any = false;
  auto take = [&](long double v) {
    if (!std::isfinite(static_cast<double>(v))) return;
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  };
  for (const TTrendPoint& p : *Points) {
    take(static_cast<long double>(p.Target));
    take(static_cast<long double>(p.Target) * kResultSharePercent / 100);
    if (p.X) {
      take(*p.X - p.Sigma * 100);
      take(*p.X + p.Sigma * 100);
    }
  }
  if (!any) {
    lo = 1500;
    hi = 3500;
  }
  lo = std::floor(lo / kStrengthStep) * kStrengthStep - kStrengthStep;
  hi = std::ceil(hi / kStrengthStep) * kStrengthStep;
  if (hi <= lo + kStrengthStep) hi = lo + 2 * kStrengthStep;
  AutoYRange = false;
  SetYRange(std::max(0.0L, lo), hi);
}

void TStrengthTrendChart::DrawLimitLines() {
  TTrendEnv* env = TrendEnv();
  if (env->Points->empty()) return;
  TCanvas* c = env->Canvas;
  // One mix has one nominal strength: the first month's.
  const long double nominal = env->Points->front().Target;
  const TRect& r = env->PlotRect;
  auto level = [&](long double value, TPenStyle style) {
    const int y = env->YConv.ValueToPixel(value);
    if (y <= r.Top || y >= r.Bottom) return;
    // A dotted pen wider than one pixel draws solid on some canvases: the
    // 85 % line stays one unit wide.
    c->Pen = TPen{kStrengthNominalColor, style == TPenStyle::Solid ? 2 * env->Unit : env->Unit, style};
    c->MoveTo(r.Left + env->Unit, y);
    c->LineTo(r.Right - env->Unit, y);
  };
  level(nominal, TPenStyle::Solid);
  level(nominal * kResultSharePercent / 100, TPenStyle::Dot);
  c->Pen = TPen{clBlack, 1, TPenStyle::Solid};
}

namespace {

void Configure(TStrengthTrendEnv& env) {
  env.SetData(static_cast<int>(env.Points->size()), 0, 0, 0, 0);
  env.FitStrengthRange();
  SetSlumpAxisStyle(env);
  env.SetYLabelStep(kStrengthStep);
  env.SetGridStep(kStrengthStep);
  env.SetFrameColors(clBlack, kXPlotColor);
  env.SetHorzGridColor(kXGridColor);
  env.SetVertGridColor(kXGridColor);
}

}  // namespace

void DrawStrengthTrendChart(TCanvas& canvas, const TRect& rect, const std::vector<TTrendPoint>& points,
                            int fontHeight) {
  TCanvasAssist assist(&canvas);
  TStrengthTrendEnv env(rect, &canvas, &points);
  env.Assist = &assist;
  TStrengthTrendChart series(&env);
  DrawTrendLayout(env, series, rect, fontHeight, [&env] { Configure(env); });
}

void DrawStrengthTrendChartDoc(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist,
                               const std::vector<TTrendPoint>& points) {
  TStrengthTrendEnv env(rect, &canvas, &points);
  env.Assist = &assist;
  TStrengthTrendChart series(&env);
  DrawTrendLayout(env, series, rect, 0, [&env] { Configure(env); });
}

}  // namespace kestrin
