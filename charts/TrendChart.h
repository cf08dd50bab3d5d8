// The trend chart of a plant's months (年間推移): one category per listed
// month, the month's mean X as a point joined to its neighbours by a line,
// a whisker of X +- sigma, the month's own target line and tolerance limits
// with the out-of-tolerance bands of the screen X chart behind them, and
// the number of failed values as a small bar at the foot of each month.
//
// The same frame and series serve the overview window and the printed
// overview: on paper, line widths and fonts follow the chart's size through
// Unit (pixels of one screen pixel) and the sheet's canvas assist.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "charts/CanvasAssist.h"
#include "charts/ChartFrame.h"
#include "core/Overview.h"
#include "platform/Canvas.h"

namespace kestrin {

// Colours beyond those of the X chart.
inline constexpr TColor kTrendWhiskerColor = Rgb(0, 0, 160);
inline constexpr TColor kTrendFailedColor = Rgb(208, 40, 95);

// One month of the chart.
struct TTrendPoint {
  int32_t Getsudo = 0;
  int32_t Target = 0;          // T, cm x100
  int32_t Tolerance = 0;       // K, cm x100
  std::optional<long double> X;  // mean, cm x100; empty without values
  long double Sigma = 0;       // cm
  int64_t Failed = 0;
  bool Duplicate = false;
};

// The points of plant `plant` of an overview, in month order.
std::vector<TTrendPoint> TrendPoints(const TOverview& overview, std::size_t plant);

class TTrendEnv : public THorChartEnv {
 public:
  TTrendEnv(const TRect& area, TCanvas* canvas, const std::vector<TTrendPoint>* points);

  const std::vector<TTrendPoint>* Points;  // not owned
  int Unit = 1;                  // pixels of one screen pixel
  TCanvasAssist* Assist = nullptr;  // sheets: fonts through the assist
  int FontHeight = 12;           // label cell height in pixels

  void DrawBackground() override;
  void DrawFrame() override;
  void DrawXLabels() override;
  QString FormatYLabel(int64_t value) override;
  void SetYLabelStyle() override;

  // Y range over every month's T +- 2K and X +- sigma, widened to whole
  // centimetres.
  void FitYRange();

 protected:
  void SetLabelFont();
};

class TTrendChart : public THorLineChart {
 public:
  explicit TTrendChart(TTrendEnv* env);

  void Draw() override;
  void DrawSeries(int series) override;
  void DrawMark(int x, int y, TColor color) override;
  virtual void DrawLimitLines();
  virtual void DrawFailedBars();
  virtual void DrawWhiskers();

 protected:
  TTrendEnv* TrendEnv() const { return static_cast<TTrendEnv*>(Env); }
};

// Lays out `env` and draws it with `series`: for the window, labels in
// `fontHeight`-pixel cells; for a sheet page (fontHeight 0), lines, fonts
// and margins in proportion to the height of `rect`. `configure` sets the
// data range and the axis style once the margins are set.
void DrawTrendLayout(TTrendEnv& env, TTrendChart& series, const TRect& rect, int fontHeight,
                     const std::function<void()>& configure);

// The window's chart filling `rect`; labels in `fontHeight`-pixel cells.
void DrawTrendChart(TCanvas& canvas, const TRect& rect, const std::vector<TTrendPoint>& points,
                    int fontHeight = 12);

// The printed chart filling `rect` of a sheet page, lines and fonts in
// proportion to the rectangle.
void DrawTrendChartDoc(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist,
                       const std::vector<TTrendPoint>& points);

}  // namespace kestrin
