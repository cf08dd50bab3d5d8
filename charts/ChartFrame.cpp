#include "charts/ChartFrame.h"

#include <algorithm>
#include <cmath>

#include "charts/NumberText.h"
#include "core/Numbers.h"

namespace kestrin {

namespace {

// A label or grid loop never runs more often than this: a range far wider
// than its step (a collapsed axis, a step of 1 over millions) would
// otherwise stall the drawing.
constexpr int kMaxSteps = 10000;

QString Cut(const QString& s) {
  return s.size() > THorChartEnv::kMaxLabelChars ? s.left(THorChartEnv::kMaxLabelChars) : s;
}

}  // namespace

// --- TValConvR -------------------------------------------------------------

void TValConvR::SetPixelRange(long double from, long double to) {
  PixFrom = from;
  PixTo = to;
  PixSpan = to - from;
}

void TValConvR::SetValueRange(long double from, long double to) {
  ValFrom = from;
  ValTo = to;
  ValSpan = to - from;
}

void TValConvR::UpdateScale() { Scale = ValSpan == 0 ? 1.0L : PixSpan / ValSpan; }

void TValConvR::Setup(long double valFrom, long double valTo, long double pixFrom,
                      long double pixTo) {
  SetPixelRange(pixFrom, pixTo);
  SetValueRange(valFrom, valTo);
  UpdateScale();
}

int TValConvR::ValueToPixel(long double v) const {
  return RoundEven((v - ValFrom) * Scale + PixFrom);
}

long double TValConvR::PixelsToValue(long double length) const { return length / Scale; }

// --- TChartEnv -------------------------------------------------------------

TChartEnv::TChartEnv(const TRect& area, TCanvas* canvas)
    : AreaRect(area), PlotRect(area), Canvas(canvas) {}

void TChartEnv::SetMargins(int left, int top, int right, int bottom) {
  Margins = TMargins{left, top, right, bottom};
  PlotRect = TRect{AreaRect.Left + left, AreaRect.Top + top, AreaRect.Right - right,
                   AreaRect.Bottom - bottom};
}

// --- TSqrChartEnv ----------------------------------------------------------

TSqrChartEnv::TSqrChartEnv(const TRect& area, TCanvas* canvas) : TChartEnv(area, canvas) {
  LegendOrigin = TPoint{area.Left + 8, area.Bottom - 20};
  LegendPos = LegendOrigin;
}

void TSqrChartEnv::SetData(int count, int min, int max, long double bottomPct,
                           long double topPct) {
  Count = std::max(0, count);
  DataMin = InitMin = min;
  DataMax = InitMax = max;
  if (bottomPct + topPct >= 100) {
    BottomPct = 0;
    TopPct = 0;
  } else {
    BottomPct = bottomPct;
    TopPct = topPct;
  }
}

void TSqrChartEnv::SetYRange(long double yMin, long double yMax) {
  YMin = yMin;
  YMax = yMax;
  const long double span = yMax - yMin;
  if (span == 0) {
    BottomPct = 0;
    TopPct = 0;
    return;
  }
  BottomPct = RoundEven((DataMin - yMin) / span * 100);
  TopPct = RoundEven((yMax - DataMax) / span * 100);
}

void TSqrChartEnv::SetFrameColors(TColor frame, TColor plot) {
  FrameColor = frame;
  PlotColor = plot;
}

void TSqrChartEnv::SetGridStep(int step) {
  GridStep = step;
  GridPixStep = 0;
}

int TSqrChartEnv::NiceStep(int pixels) const {
  const long double v = std::fabs(YConv.PixelsToValue(pixels));
  // 1, 5, 10, 50, ... up to the largest step an int holds in this series.
  constexpr int64_t kLargest = 1'000'000'000;
  int64_t step = 1;
  bool timesFive = true;
  while (!(static_cast<long double>(step) >= v) && step < kLargest) {
    step *= timesFive ? 5 : 2;
    timesFive = !timesFive;
  }
  return static_cast<int>(step);
}

void TSqrChartEnv::DrawFrame() {
  Canvas->Brush.SetColor(FrameColor);
  Canvas->FrameRect(PlotRect);
}

void TSqrChartEnv::DrawBackground() {
  Canvas->Brush.SetColor(OuterColor);
  const TRect& a = AreaRect;
  const TRect& p = PlotRect;
  const TRect strips[4] = {
      TRect{a.Left, a.Top, p.Left, a.Bottom},
      TRect{p.Right, a.Top, a.Right, a.Bottom},
      TRect{p.Left, a.Top, p.Right, p.Top},
      TRect{p.Left, p.Bottom, p.Right, a.Bottom},
  };
  for (const TRect& s : strips) {
    if (!s.IsEmpty()) Canvas->FillRect(s);
  }
  Canvas->Brush.SetColor(PlotColor);
  Canvas->Brush.SetStyle(TBrushStyle::Solid);
  Canvas->FillRect(TRect{p.Left + 1, p.Top + 1, p.Right - 1, p.Bottom - 1});
}

// --- THorChartEnv ----------------------------------------------------------

void THorChartEnv::Draw() {
  SetupAxes();
  ApplyPixelSteps();
  if (ShowFrame) DrawBackground();
  if (ShowTitle) DrawTitle();
  if (ShowYLabels) DrawYLabels();
  if (ShowXLabels) DrawXLabels();
  if (ShowFrame) DrawFrame();
  if (ShowHorzGrid) DrawHorzGrid();
  if (ShowVertGrid) DrawVertGrid();
  if (ShowLegend) ResetLegend();
}

void THorChartEnv::SetupAxes() {
  XConv.Setup(0, Count, PlotRect.Left, PlotRect.Right);
  if (AutoYRange) AutoScaleY();
  YConv.Setup(YMin, YMax, PlotRect.Bottom, PlotRect.Top);
}

void THorChartEnv::ApplyPixelSteps() {
  if (GridPixStep > 0) GridStep = NiceStep(GridPixStep);
  if (YLabelPixStep > 0) YLabelStep = NiceStep(YLabelPixStep);
}

void THorChartEnv::DrawTitle() {
  // The title is carried as an extension point; nothing is drawn.
  (void)GetTitle();
}

void THorChartEnv::ResetLegend() { LegendPos = LegendOrigin; }

void THorChartEnv::AutoScaleY() {
  if (DataMax == DataMin) {
    YMax = static_cast<long double>(DataMax) + 1;
    YMin = static_cast<long double>(DataMin) - 1;
    return;
  }
  long double top = TopPct;
  long double bottom = BottomPct;
  if (100 - top - bottom <= 0) {
    // Percentages that leave no room for the data are ignored.
    top = 0;
    bottom = 0;
  }
  const long double e =
      (static_cast<long double>(DataMax) - DataMin) * 100 / (100 - top - bottom);
  YMax = top == 0 ? static_cast<long double>(DataMax) : DataMax + e * top / 100;
  YMin = bottom == 0 ? static_cast<long double>(DataMin) : DataMin - e * bottom / 100;
}

int64_t THorChartEnv::FirstStepValue(int step) const {
  int64_t v = RoundEven64(YMin);
  if (static_cast<long double>(v) < YMin) v += 1;
  if (step > 0) {
    int64_t r = v % step;
    if (r < 0) r += step;
    if (r != 0) v += step - r;
  }
  return v;
}

QString THorChartEnv::FormatYLabel(int64_t value) {
  return QString::fromStdString(GroupedIntText(value));
}

void THorChartEnv::SetYLabelStyle() {
  Canvas->Brush.SetColor(OuterColor);
  Canvas->Font.Color = OrFrame(TextColor);
}

void THorChartEnv::DrawYLabels() {
  SetYLabelStyle();
  int lastY = 0;
  if (YLabelStep > 0) {
    int64_t v = FirstStepValue(YLabelStep);
    for (int n = 0; static_cast<long double>(v) <= YMax && n < kMaxSteps; ++n) {
      const int y = YConv.ValueToPixel(v);
      DrawYLabel(y, Cut(FormatYLabel(v)));
      lastY = y;
      v += YLabelStep;
    }
  }
  DrawYCaption(lastY);
}

void THorChartEnv::DrawYLabel(int y, const QString& text) {
  const TSize ext = Canvas->TextExtent(text);
  const int x = YLabelsLeft ? PlotRect.Left - YLabelGap - ext.cx : PlotRect.Right + YLabelGap;
  Canvas->TextOut(x, y - ext.cy / 2, text);
}

void THorChartEnv::DrawYCaption(int y) {
  const QString caption = Cut(GetYCaption());
  const int x = YLabelsLeft ? PlotRect.Left - 4 - 8 * static_cast<int>(caption.size())
                            : PlotRect.Right + 4;
  Canvas->TextOut(x, std::min(y - 28, PlotRect.Top), caption);
}

void THorChartEnv::SetXLabelStyle() { Canvas->Pen.Color = OrFrame(TextColor); }

void THorChartEnv::DrawXLabels() {
  SetXLabelStyle();
  int right = 0;
  for (int i = 0; i < Count; ++i) {
    const QString text = Cut(FormatXLabel(i + 1));
    const int x = XConv.ValueToPixel(i + 0.5L);
    right = DrawXLabel(i, x, text);
  }
  DrawXCaption(right);
}

int THorChartEnv::DrawXLabel(int index, int x, const QString& text) {
  const TSize ext = Canvas->TextExtent(text);
  const int half = ext.cx / 2;
  const int top = XLabelsTop ? PlotRect.Top - XLabelGap - ext.cy : PlotRect.Bottom + XLabelGap;
  Canvas->TextOut(x - half, top, text);
  return x + half;
}

QString THorChartEnv::FormatXLabel(int number) { return QString::number(number); }

void THorChartEnv::DrawXCaption(int x) {
  const QString caption = Cut(GetXCaption());
  const int top = XLabelsTop ? PlotRect.Top - 24 : PlotRect.Bottom + 8;
  Canvas->TextOut(x, top, caption);
}

void THorChartEnv::SetHorzGridStyle() { Canvas->Pen.Color = OrFrame(HorzGridColor); }

void THorChartEnv::DrawHorzGrid() {
  SetHorzGridStyle();
  if (GridStep <= 0) return;
  const int x1 = XConv.ValueToPixel(0) + 1;
  const int x2 = XConv.ValueToPixel(Count) - 1;
  int64_t v = FirstStepValue(GridStep);
  // Strictly below YMax: no grid line on the top edge.
  for (int n = 0; static_cast<long double>(v) < YMax && n < kMaxSteps; ++n) {
    const int y = YConv.ValueToPixel(v);
    DrawHorzGridLine(x1, y, x2, y, v);
    v += GridStep;
  }
}

void THorChartEnv::DrawHorzGridLine(int x1, int y1, int x2, int y2, int64_t value) {
  Canvas->MoveTo(x1, y1);
  Canvas->LineTo(x2, y2);
}

void THorChartEnv::SetVertGridStyle() { Canvas->Pen.Color = OrFrame(VertGridColor); }

void THorChartEnv::DrawVertGrid() {
  SetVertGridStyle();
  if (VertGridMode & 1) {
    for (int i = 1; i <= Count; ++i) {
      const int x = XConv.ValueToPixel(i - 0.5L);
      DrawVertGridLine(x, PlotRect.Top + 1, x, PlotRect.Bottom - 1);
    }
  }
  if (VertGridMode & 2) {
    for (int i = 1; i <= Count - 1; ++i) {
      const int x = XConv.ValueToPixel(i);
      DrawVertGridLine(x, PlotRect.Top + 1, x, PlotRect.Bottom - 1);
    }
  }
}

void THorChartEnv::DrawVertGridLine(int x1, int y1, int x2, int y2) {
  Canvas->MoveTo(x1, y1);
  Canvas->LineTo(x2, y2);
}

// --- Series ----------------------------------------------------------------

TProtoChart::TProtoChart(THorChartEnv* env) : Env(env), Color(env->PlotColor) {}

void TProtoChart::SetData(int seriesCount, std::span<const int32_t> data) {
  SeriesCount = std::max(0, seriesCount);
  Data = data;
}

int32_t TProtoChart::GetValue(int series, int category) {
  if (series < 0 || category < 0 || category >= Env->Count) return kMissing;
  const std::size_t index =
      static_cast<std::size_t>(category) + static_cast<std::size_t>(series) * Env->Count;
  return index < Data.size() ? Data[index] : kMissing;
}

void TProtoChart::ScanMax(bool reset) {
  if (reset) Env->DataMax = Env->InitMax;
  for (int s = 0; s < SeriesCount; ++s) {
    for (int k = 0; k < Env->Count; ++k) {
      const int32_t v = GetValue(s, k);
      if (v != kMissing && v > Env->DataMax) Env->DataMax = v;
    }
  }
}

void TProtoChart::ScanMin(bool reset) {
  if (reset) Env->DataMin = Env->InitMin;
  for (int s = 0; s < SeriesCount; ++s) {
    for (int k = 0; k < Env->Count; ++k) {
      const int32_t v = GetValue(s, k);
      if (v != kMissing && v < Env->DataMin) Env->DataMin = v;
    }
  }
}

void THorLineChart::Draw() {
  for (int s = 0; s < SeriesCount; ++s) DrawSeries(s);
  if (Env->ShowLegend) DrawLegend();
}

void THorLineChart::DrawSeries(int series) {
  TCanvas* c = Env->Canvas;
  const TColor color = GetColor(series);
  c->Pen.Color = color;
  bool first = true;
  for (int i = 0; i < Env->Count; ++i) {
    const int32_t v = GetValue(series, i);
    if (v == kMissing) continue;
    const int x = Env->XConv.ValueToPixel(i + 0.5L);
    const int y = Env->YConv.ValueToPixel(v);
    if (first) {
      c->MoveTo(x, y);
      first = false;
    } else {
      c->LineTo(x, y);
    }
    DrawMark(x, y, color);
  }
}

void THorLineChart::DrawMark(int x, int y, TColor color) {
  TCanvas* c = Env->Canvas;
  c->Brush.SetColor(color);
  c->Brush.SetStyle(TBrushStyle::Solid);
  c->Pen.Color = color;
  c->Polygon({{x - 1, y - 2}, {x + 1, y - 2}, {x + 2, y - 1}, {x + 2, y + 1},
              {x + 1, y + 2}, {x - 1, y + 2}, {x - 2, y + 1}, {x - 2, y - 1}});
}

// --- FitAspectRect ---------------------------------------------------------

TRect FitAspectRect(const TRect& source, long double a, long double b) {
  const int w = source.Width();
  const int h = source.Height();
  if (!(a > 0 && b > 0 && w != 0 && h != 0)) return source;
  TRect r = source;
  if (static_cast<long double>(w) / h < a / b) {
    const int nh = RoundOff(w * b / a);
    r.Top = source.Top + (h - nh) / 2;
    r.Bottom = r.Top + nh;
  } else {
    const int nw = RoundOff(h * a / b);
    r.Left = source.Left + (w - nw) / 2;
    r.Right = r.Left + nw;
  }
  return r;
}

}  // namespace kestrin
