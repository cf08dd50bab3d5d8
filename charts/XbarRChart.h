// The X̄–R control chart (X̄－R管理図): the day means of the month above,
// the day ranges below, each against the limits computed from the process
// (core/ControlChart.h), with the limit values written at the right ends.
//
// Day i (0-based in the month's day list) is category i and its point
// stands at the middle of the category. Complete days (AM and PM) are
// filled points joined in day order; a day with one value is a hollow
// marker on the X̄ chart only. The points of the signals are ringed as on
// the X chart. Without limits (fewer than five subgroups) only the points
// are drawn.
//
// Two variants: the screen chart for the fourth chart tab and the sheet
// chart for the printed X̄–R sheet (black on white, weighted frame, fonts in
// proportion to the rectangle, no rings).
#pragma once

#include <QString>

#include "charts/CanvasAssist.h"
#include "charts/ChartFrame.h"
#include "core/ControlChart.h"
#include "core/MainData.h"
#include "platform/Canvas.h"

namespace kestrin {

inline constexpr TColor kXbarRCentreColor = Rgb(0, 128, 0);
inline constexpr TColor kXbarRLimitColor = Rgb(255, 0, 0);
inline constexpr TColor kXbarRSeriesColor = Rgb(0, 0, 255);

// The limit value as the chart writes it: "UCL 20.98" with two decimals in
// cm; `label` is "UCL", "CL", "LCL".
QString LimitLabel(const QString& label, long double hundredths);

// A signal as a sentence with its days, for the tab and the sheet:
// "6月3日 〜 6月11日：X̄が中心線の下側に9点連続（ルール2）",
// "6月10日：X̄が上方管理限界の外（ルール1）".
QString ControlSignalText(int32_t getsudo, const TControlSignal& signal);

// The short names of the rules for headings: "1・2・3・5" (none: "なし").
QString RuleListText(const TControlRuleSet& rules);

// The screen chart in `rect` (the tab's paint box): the X̄ chart on the
// upper 60 %, the R chart below. Labels use the canvas's current font.
void DrawXbarRChart(TCanvas& canvas, const TRect& rect, const TMainData& data, const TControlChart& chart);

// The sheet chart in `rect` of a sheet page, through the sheet's assist.
void DrawXbarRChartDoc(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist, const TMainData& data,
                       const TControlChart& chart);

}  // namespace kestrin
