// The strength view of the year overview's trend chart: one category per
// listed month of a plant's mix, the month's mean strength as a point
// joined to its neighbours, a whisker of mean ± σ, the nominal strength
// (solid) and its 85 % line (dotted) across the plot, and the number of
// failed tests as a small bar at the foot of each month. Built on the
// slump trend chart's frame (month labels, whiskers, bars, marks); only the
// value range and the level lines are its own. Values in N/mm² × 100.
#pragma once

#include <vector>

#include "charts/TrendChart.h"
#include "core/Overview.h"

namespace kestrin {

// The months of mix `mix` (index into overview.StrengthMixes), in month
// order: Target the nominal strength, X the mean, Sigma σ in N/mm², Failed
// the failed tests; Tolerance 0 (no slump bands).
std::vector<TTrendPoint> StrengthTrendPoints(const TOverview& overview, std::size_t mix);

class TStrengthTrendEnv : public TTrendEnv {
 public:
  using TTrendEnv::TTrendEnv;

  // Y range over the nominal strength, its 85 % and every mean ± σ,
  // widened to whole 5 N/mm² with one step more below for the bars.
  void FitStrengthRange();
};

class TStrengthTrendChart : public TTrendChart {
 public:
  using TTrendChart::TTrendChart;
  // The nominal strength and its 85 % line.
  void DrawLimitLines() override;
};

// The window's chart filling `rect`; labels in `fontHeight`-pixel cells.
void DrawStrengthTrendChart(TCanvas& canvas, const TRect& rect, const std::vector<TTrendPoint>& points,
                            int fontHeight = 12);

// The printed chart filling `rect` of a sheet page.
void DrawStrengthTrendChartDoc(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist,
                               const std::vector<TTrendPoint>& points);

}  // namespace kestrin
