// The X control chart (Ｘ管理図): every slump measurement of the month in
// time order, the morning (AM) and afternoon (PM) value of each day side by
// side, against the target slump T and its tolerance K.
//
// Two variants on the chart framework:
// - the screen chart (TXEnv frame, TXChart series) drawn by DrawXChart into
//   the main window's X chart paint box;
// - the sheet chart (TXDocEnv frame, TXDocChart series) drawn by
//   DrawXChartDoc into a rectangle of the printed X chart sheet, through the
//   sheet's canvas assist.
//
// Day i (0-based) is category i; its AM point stands at x value i + 0.25,
// its PM point at i + 0.75. Values are in hundredths of a centimetre and
// the plot spans T - 2K to T + 2K.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "charts/CanvasAssist.h"
#include "charts/ChartFrame.h"
#include "core/MainData.h"
#include "core/Signals.h"
#include "platform/Canvas.h"

namespace kestrin {

// Colours of the X chart.
inline constexpr TColor kXPlotColor = Rgb(253, 244, 225);       // screen plot (cream)
inline constexpr TColor kXBandColor = Rgb(250, 190, 184);       // screen out-of-tolerance bands
inline constexpr TColor kXDocBandColor = Rgb(235, 235, 235);    // sheet bands
inline constexpr TColor kXGridColor = Rgb(128, 128, 128);       // screen grid
inline constexpr TColor kXMidDayColor = Rgb(239, 239, 239);     // dotted AM/PM divider
inline constexpr TColor kXSeriesColor = Rgb(0, 0, 255);         // screen data line
inline constexpr TColor kXCentreLineColor = Rgb(0, 128, 0);     // screen line at T
inline constexpr TColor kXLimitLineColor = Rgb(255, 0, 0);      // screen lines at T +- K
inline constexpr TColor kXDocLimitLineColor = Rgb(128, 128, 128);  // sheet dotted lines
// Rings around the values of a process signal (screen only): a dark
// magenta that stays readable on the cream plot and the pink bands and
// differs from the blue data line and the green and red limit lines.
inline constexpr TColor kXSignalRingColor = Rgb(160, 0, 160);
inline constexpr int kXSignalRingRadius = 5;  // pixels from the value's point
inline constexpr int kXSignalRingWidth = 2;

// The slump axes of the X chart, also used by the overview's trend chart:
// black texts, Y labels and grid lines every centimetre, day boundaries
// (vertical grid mode 2), no title and no legend.
void SetSlumpAxisStyle(THorChartEnv& env);

// The screen frame: pink bands between one and two tolerances from the
// target, Y labels in whole centimetres, day numbers under the even days,
// day boundaries and dotted mid-day lines.
class TXEnv : public THorChartEnv {
 public:
  using THorChartEnv::THorChartEnv;

  int32_t Target = 0;     // T, cm x100
  int32_t Tolerance = 0;  // K, cm x100

  void DrawBackground() override;
  void DrawXLabels() override;
  void DrawVertGrid() override;
  QString FormatYLabel(int64_t value) override;

 protected:
  // The two out-of-tolerance bands (T + K .. T + 2K and T - 2K .. T - K)
  // across the plot, filled with the brush colour and outlined with a
  // one-pixel pen of the same colour; the pen is restored afterwards.
  void DrawBands(TColor color);
};

// The sheet frame: draws nothing behind the plot unless the bands are asked
// for (grey then), a weighted frame, and label fonts in proportion to the
// plot width.
class TXDocEnv : public TXEnv {
 public:
  TXDocEnv(const TRect& area, TCanvas* canvas, TCanvasAssist* assist);

  TCanvasAssist* Assist;          // the sheet's assist, not owned
  bool DrawNoRange = false;       // the setting DrawXChartNoRange

  void DrawFrame() override;
  void DrawBackground() override;
  void SetYLabelStyle() override;
};

// The screen series: the AM/PM values of the month record, joined only
// between neighbouring half-day slots that both hold a value, with the
// centre and tolerance lines beneath.
class TXChart : public THorLineChart {
 public:
  TXChart(TXEnv* env, const TMainData* month);

  const TMainData* Month;  // not owned

  void Draw() override;
  // The value of measurement `half` (0 AM, 1 PM) of day `day` (0-based);
  // 0 for a blank value or a slot the record does not have.
  int32_t GetValue(int day, int half) override;
  void DrawSeries(int series) override;
  virtual void DrawLimitLines();

  // Slots (day index, half) ringed on top of the data line; empty on the
  // sheet, which never shows signals.
  std::vector<std::pair<int, int>> RingSlots;
  void DrawSignalRings();

 protected:
  TXEnv* XEnv() const { return static_cast<TXEnv*>(Env); }
  // True when at least two values fall in more than one histogram class.
  bool ValuesSpreadOverClasses() const;
};

// The sheet series: black, circle marks, dotted grey limit lines always.
class TXDocChart : public TXChart {
 public:
  TXDocChart(TXDocEnv* env, const TMainData* month);

  void DrawSeries(int series) override;
  void DrawMark(int x, int y, TColor color) override;
  void DrawLimitLines() override;

 protected:
  TXDocEnv* DocEnv() const { return static_cast<TXDocEnv*>(Env); }
};

// The screen chart in the largest 4 : 3 rectangle centred in `rect` (the
// paint box's client rectangle). The labels use the canvas's current font
// (the paint box's: "ＭＳ Ｐゴシック", 12-pixel characters). The values of
// `found` (the signals of this month, core/Signals.h) are ringed.
void DrawXChart(TCanvas& canvas, const TRect& rect, const TMainData& data,
                const std::vector<TSignal>& found = {});

// The slots (day index in SlumpList, half) of the values `found` cover.
std::vector<std::pair<int, int>> SignalRingSlots(const TMainData& data, const std::vector<TSignal>& found);

// The sheet chart filling `rect` of a sheet page, drawn through the sheet's
// assist (whose line weights are set from the page height). With
// `drawXChartNoRange` (the setting DrawXChartNoRange) the bands between one
// and two tolerances are shaded grey. Leaves the 3.5 % "ＭＳ 明朝" font
// selected on the assist and the canvas.
void DrawXChartDoc(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist,
                   const TMainData& data, bool drawXChartNoRange);

}  // namespace kestrin
