// The chart framework: value-to-pixel scaling, chart frames (area, margins,
// plot rectangle, background, labels, grid) and line series.
//
// Frames and series are plain objects created, configured, drawn once and
// freed inside one drawing call; they keep no state between calls. Every
// drawing step is a virtual operation, so a chart replaces one step (its
// background, label texts, grid, point marks) and keeps the rest.
//
// Coordinates are integer device pixels of the canvas, y growing downwards;
// values are in the caller's own integer units.
#pragma once

#include <QString>

#include <cstdint>
#include <span>

#include "platform/Canvas.h"

namespace kestrin {

// Linear conversion between one axis's values and pixels.
class TValConvR {
 public:
  long double PixFrom = 0;
  long double PixTo = 0;
  long double PixSpan = 0;
  long double ValFrom = 0;
  long double ValTo = 0;
  long double ValSpan = 0;
  long double Scale = 1;  // pixels per value unit; 1 for an empty value span

  void SetPixelRange(long double from, long double to);
  void SetValueRange(long double from, long double to);
  void UpdateScale();
  void Setup(long double valFrom, long double valTo, long double pixFrom, long double pixTo);
  // Nearest pixel of a value, halves to the even neighbour.
  int ValueToPixel(long double v) const;
  // The value distance of a pixel length (infinite on a zero-pixel axis).
  long double PixelsToValue(long double length) const;
};

struct TMargins {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// Frame base: area, margins and plot rectangle on a canvas (not owned).
class TChartEnv {
 public:
  TChartEnv(const TRect& area, TCanvas* canvas);
  virtual ~TChartEnv() = default;
  TChartEnv(const TChartEnv&) = delete;
  TChartEnv& operator=(const TChartEnv&) = delete;

  TRect AreaRect;
  TMargins Margins;
  TRect PlotRect;
  TCanvas* Canvas;

  void SetMargins(int left, int top, int right, int bottom);
  virtual void Draw() {}
};

// A frame with two axes, a data range and the drawing options.
class TSqrChartEnv : public TChartEnv {
 public:
  TSqrChartEnv(const TRect& area, TCanvas* canvas);

  TValConvR XConv;
  TValConvR YConv;
  int Count = 0;          // categories along X
  int DataMin = 0;
  int DataMax = 0;
  int InitMin = 0;        // DataMin/DataMax as given to SetData
  int InitMax = 0;
  long double BottomPct = 0;  // share of the plot height left empty below DataMin
  long double TopPct = 0;     // ... and above DataMax
  long double YMin = 0;
  long double YMax = 0;
  bool AutoYRange = true;

  bool ShowFrame = true;
  TColor FrameColor = clBlack;
  TColor PlotColor = clWhite;
  TColor OuterColor = clBtnFace;
  TColor TextColor = -1;         // -1: FrameColor

  bool ShowYLabels = true;
  bool YLabelsLeft = true;
  int YLabelStep = 10;
  int YLabelPixStep = 0;         // > 0: YLabelStep := NiceStep(this) at Draw
  int YLabelGap = 4;

  bool ShowXLabels = true;
  bool XLabelsTop = false;
  int XLabelGap = 8;

  bool ShowHorzGrid = true;
  TColor HorzGridColor = -1;     // -1: FrameColor
  int GridStep = 10;
  int GridPixStep = 0;           // > 0: GridStep := NiceStep(this) at Draw

  bool ShowVertGrid = true;
  TColor VertGridColor = -1;     // -1: FrameColor
  int VertGridMode = 2;          // bit 0: category centres, bit 1: boundaries

  bool ShowTitle = true;
  TColor TitleColor = -1;        // carried, not drawn
  TColor TitleBackColor = -1;    // carried, not drawn
  bool ShowLegend = true;
  TPoint LegendOrigin;
  int LegendSpacing = 8;
  TPoint LegendPos;              // legend cursor, reset at Draw

  void SetData(int count, int min, int max, long double bottomPct, long double topPct);
  void SetYRange(long double yMin, long double yMax);
  void SetFrameColors(TColor frame, TColor plot);
  void SetTextColor(TColor c) { TextColor = c; }
  void SetYLabelStep(int step) { YLabelStep = step; }
  void SetHorzGridColor(TColor c) { HorzGridColor = c; }
  void SetGridStep(int step);
  void SetVertGridColor(TColor c) { VertGridColor = c; }
  void SetVertGridMode(int mode) { VertGridMode = mode; }
  void SetShowTitle(bool show) { ShowTitle = show; }
  void SetTitleBackColor(TColor c) { TitleBackColor = c; }
  void SetShowLegend(bool show) { ShowLegend = show; }

  // The first step of 1, 5, 10, 50, 100, ... not below the value distance
  // of `pixels` on the Y axis.
  int NiceStep(int pixels) const;

  virtual void DrawFrame();
  virtual void DrawBackground();
  virtual void DrawXLabels() {}
  virtual void DrawHorzGrid() {}
  virtual void DrawVertGrid() {}
  virtual QString GetTitle() { return QString(); }

 protected:
  // The colour, or FrameColor when it is -1.
  TColor OrFrame(TColor c) const { return c == -1 ? FrameColor : c; }
};

// Categories along X, values along Y.
class THorChartEnv : public TSqrChartEnv {
 public:
  using TSqrChartEnv::TSqrChartEnv;

  // Longest label and caption text, in characters.
  static constexpr int kMaxLabelChars = 20;

  void Draw() override;
  void DrawXLabels() override;
  void DrawHorzGrid() override;
  void DrawVertGrid() override;

  // Steps of Draw, in order.
  virtual void SetupAxes();
  virtual void ApplyPixelSteps();
  virtual void DrawTitle();
  virtual void DrawYLabels();
  virtual void ResetLegend();

  virtual QString FormatYLabel(int64_t value);
  virtual void SetYLabelStyle();
  virtual void DrawYLabel(int y, const QString& text);
  virtual void DrawYCaption(int y);
  virtual QString GetYCaption() { return QString(); }
  virtual void SetXLabelStyle();
  // Returns the label's right end.
  virtual int DrawXLabel(int index, int x, const QString& text);
  virtual QString FormatXLabel(int number);
  virtual void DrawXCaption(int x);
  virtual QString GetXCaption() { return QString(); }
  virtual void SetHorzGridStyle();
  virtual void DrawHorzGridLine(int x1, int y1, int x2, int y2, int64_t value);
  virtual void SetVertGridStyle();
  virtual void DrawVertGridLine(int x1, int y1, int x2, int y2);
  virtual void AutoScaleY();

  // The first whole value not below YMin, raised to a multiple of step.
  int64_t FirstStepValue(int step) const;
};

// Series base: values per series and category, drawn into a frame.
class TProtoChart {
 public:
  // The generic series' marker of a missing value.
  static constexpr int32_t kMissing = 2147483647;

  explicit TProtoChart(THorChartEnv* env);
  virtual ~TProtoChart() = default;
  TProtoChart(const TProtoChart&) = delete;
  TProtoChart& operator=(const TProtoChart&) = delete;

  int SeriesCount = 0;
  THorChartEnv* Env;
  std::span<const int32_t> Data;  // Env->Count values per series; not owned
  TColor Color;

  void SetData(int seriesCount, std::span<const int32_t> data);
  void SetColor(TColor c) { Color = c; }

  virtual void ScanMax(bool reset);
  virtual void ScanMin(bool reset);
  virtual TColor GetColor(int series) { return Color; }
  virtual QString GetSeriesName(int series) { return QString(); }
  virtual void Draw() {}
  // data[category + series * Count]; kMissing outside the data.
  virtual int32_t GetValue(int series, int category);
};

// A polyline per series with a small octagon at each point.
class THorLineChart : public TProtoChart {
 public:
  using TProtoChart::TProtoChart;

  void Draw() override;
  virtual void DrawLegend() {}
  virtual void DrawSeries(int series);
  virtual void DrawMark(int x, int y, TColor color);
};

// The largest rectangle of width : height = a : b centred in `source`
// (the source itself for a non-positive ratio or an empty source).
TRect FitAspectRect(const TRect& source, long double a, long double b);

}  // namespace kestrin
