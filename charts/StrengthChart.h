// The x–Rs–Rm control chart of a strength log (一点管理図): three charts
// stacked in one rectangle, sharing the test numbers along the bottom —
// the test results x with the centre line, the control limits, the
// nominal strength and its 85 % line; the moving ranges Rs with their
// centre line and upper limit; the specimen ranges Rm likewise. Signals
// (points beyond a limit) are ringed. Drawn only through the canvas and
// the sheet's assist; keeps no state.
#pragma once

#include "charts/CanvasAssist.h"
#include "core/StrengthFigures.h"
#include "core/StrengthLog.h"
#include "platform/Canvas.h"

namespace kestrin {

// Colours of the strength chart.
inline constexpr TColor kStrengthPointColor = Rgb(0, 0, 0);
inline constexpr TColor kStrengthLimitColor = Rgb(220, 0, 0);     // UCL, LCL (dashed)
inline constexpr TColor kStrengthNominalColor = Rgb(0, 128, 0);   // nominal strength (solid)
inline constexpr TColor kStrengthShareColor = Rgb(0, 128, 0);     // 85 % line (dotted)
inline constexpr TColor kStrengthSignalColor = Rgb(160, 0, 160);  // rings

// The plot rectangles of the three charts within `rect` (x, Rs, Rm), the
// left part kept for the value labels: x 50 %, Rs and Rm 25 % each of the
// height, less gaps for the captions.
struct TStrengthChartLayout {
  TRect X;
  TRect Rs;
  TRect Rm;
};
TStrengthChartLayout StrengthChartLayout(const TRect& rect);

// The horizontal centre of test `index` (0-based) of `count` in a plot.
int StrengthTestX(const TRect& plot, std::size_t index, std::size_t count);

// Draws the chart into `rect`; the assist's line weights must be set. An
// empty log draws the empty frames. Leaves a "ＭＳ 明朝" font selected.
void DrawStrengthChart(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist, const TStrengthLog& log,
                       const TStrengthFigures& figures);

}  // namespace kestrin
