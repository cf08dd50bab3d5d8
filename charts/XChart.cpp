#include "charts/XChart.h"
#include "charts/XChartThumbnail.h"

#include <algorithm>

#include "core/Numbers.h"

namespace kestrin {

namespace {

// Slots per day: AM and PM.
constexpr int kHalves = 2;

}  // namespace

// --- TXEnv -----------------------------------------------------------------

void TXEnv::DrawBands(TColor color) {
  TCanvas* c = Canvas;
  const TPen saved = c->Pen;
  c->Pen = TPen{color, 1, TPenStyle::Solid};
  c->Brush.SetColor(color);
  const int64_t t = Target;
  const int64_t k = Tolerance;
  auto band = [&](int64_t from, int64_t to) {
    const int y1 = YConv.ValueToPixel(static_cast<long double>(from));
    const int y2 = YConv.ValueToPixel(static_cast<long double>(to));
    const int top = std::min(y1, y2);
    const int bottom = std::max(y1, y2);
    if (bottom > top) c->Rectangle(PlotRect.Left, top, PlotRect.Right, bottom);
  };
  band(t + 2 * k, t + k);
  band(t - k, t - 2 * k);
  c->Pen = saved;
}

void TXEnv::DrawBackground() {
  THorChartEnv::DrawBackground();
  DrawBands(kXBandColor);
  Canvas->Brush.SetColor(kXPlotColor);
}

void TXEnv::DrawXLabels() {
  SetXLabelStyle();
  int right = 0;
  // Day numbers under the even days only: 2, 4, 6, ...
  for (int i = 1; i < Count; i += 2) {
    const QString text = FormatXLabel(i + 1).left(kMaxLabelChars);
    const int x = XConv.ValueToPixel(i + 0.5L);
    right = DrawXLabel(i, x, text);
  }
  DrawXCaption(right);
}

void TXEnv::DrawVertGrid() {
  THorChartEnv::DrawVertGrid();
  if ((VertGridMode & 2) == 0) return;
  // A pale dotted line through the middle of each day separates its AM
  // half from its PM half.
  TCanvas* c = Canvas;
  const TColor savedColor = c->Pen.Color;
  const TPenStyle savedStyle = c->Pen.Style;
  c->Pen.Color = kXMidDayColor;
  c->Pen.Style = TPenStyle::Dot;
  for (int i = 1; i <= Count; ++i) {
    const int x = XConv.ValueToPixel(i - 0.5L);
    c->MoveTo(x, PlotRect.Top + 1);
    c->LineTo(x, PlotRect.Bottom - 1);
  }
  c->Pen.Color = savedColor;
  c->Pen.Style = savedStyle;
}

QString TXEnv::FormatYLabel(int64_t value) {
  // Whole centimetres: 1300 is "13".
  return QString::number(value / 100);
}

// --- TXDocEnv --------------------------------------------------------------

TXDocEnv::TXDocEnv(const TRect& area, TCanvas* canvas, TCanvasAssist* assist)
    : TXEnv(area, canvas), Assist(assist) {}

void TXDocEnv::DrawFrame() {
  Canvas->Brush.SetColor(FrameColor);
  Assist->FrameRectWeight(PlotRect, 2);
}

void TXDocEnv::DrawBackground() {
  // The page stays white; only the bands, and only when asked for.
  if (!DrawNoRange) return;
  DrawBands(kXDocBandColor);
  Canvas->Brush.SetColor(clWhite);
}

void TXDocEnv::SetYLabelStyle() {
  Assist->CreateFont(RoundOff(static_cast<long double>(PlotRect.Width()) * 0.025L), 0, 0, 3);
  TXEnv::SetYLabelStyle();
}

// --- TXChart ---------------------------------------------------------------

TXChart::TXChart(TXEnv* env, const TMainData* month) : THorLineChart(env), Month(month) {
  SeriesCount = 1;
}

void TXChart::Draw() {
  // The data line lies on top of the limit lines, the signal rings on top
  // of both.
  DrawLimitLines();
  THorLineChart::Draw();
  DrawSignalRings();
}

void TXChart::DrawSignalRings() {
  if (RingSlots.empty()) return;
  TCanvas* c = Env->Canvas;
  const TPen savedPen = c->Pen;
  const TBrush savedBrush = c->Brush;
  c->Pen = TPen{kXSignalRingColor, kXSignalRingWidth, TPenStyle::Solid};
  c->Brush.SetStyle(TBrushStyle::Clear);
  constexpr int r = kXSignalRingRadius;
  for (const auto& [day, half] : RingSlots) {
    const int32_t v = GetValue(day, half);
    if (v == 0) continue;
    const int x = Env->XConv.ValueToPixel(day + (half == 0 ? 0.25L : 0.75L));
    const int y = Env->YConv.ValueToPixel(v);
    c->Ellipse(x - r, y - r, x + r + 1, y + r + 1);
  }
  c->Pen = savedPen;
  c->Brush = savedBrush;
}

int32_t TXChart::GetValue(int day, int half) {
  if (Month == nullptr || day < 0 || day >= Month->SlumpList.Count() || half < 0) return 0;
  const TSokuteiList& list = Month->SlumpList.Items(day).SokuteiList;
  if (half >= list.Count()) return 0;
  const int32_t v = list.Items(half).Value;
  return v > 0 ? v : 0;  // 0 or less is blank
}

void TXChart::DrawSeries(int series) {
  TCanvas* c = Env->Canvas;
  const TColor color = GetColor(series);
  const TValConvR& xc = Env->XConv;
  const TValConvR& yc = Env->YConv;
  auto slotX = [&](int day, int half) { return xc.ValueToPixel(day + (half == 0 ? 0.25L : 0.75L)); };
  for (int i = 0; i < Env->Count; ++i) {
    for (int j = 0; j < kHalves; ++j) {
      const int32_t v = GetValue(i, j);
      if (v == 0) continue;
      // The slot before: the same day's AM for a PM value, the day
      // before's PM for an AM value.
      int pd = i;
      int ph = 0;
      bool hasPrev = true;
      if (j == 1) {
        ph = 0;
      } else if (i >= 1) {
        pd = i - 1;
        ph = 1;
      } else {
        hasPrev = false;
      }
      const int x = slotX(i, j);
      const int y = yc.ValueToPixel(v);
      if (hasPrev) {
        const int32_t pv = GetValue(pd, ph);
        if (pv != 0) {
          c->Pen.Color = color;
          c->MoveTo(slotX(pd, ph), yc.ValueToPixel(pv));
          c->LineTo(x, y);
        }
      }
      DrawMark(x, y, color);
    }
  }
}

bool TXChart::ValuesSpreadOverClasses() const {
  if (Month == nullptr || Month->CalcedResult.SumF < 2) return false;
  int first = -1;
  int last = -1;
  const THistogramList& list = Month->HistogramList;
  for (int i = 0; i < list.Count(); ++i) {
    if (list.Items(i).F > 0) {
      if (first < 0) first = i;
      last = i;
    }
  }
  return first >= 0 && first != last;
}

void TXChart::DrawLimitLines() {
  if (!ValuesSpreadOverClasses()) return;
  TXEnv* env = XEnv();
  TCanvas* c = env->Canvas;
  const TRect& p = env->PlotRect;
  const int64_t t = env->Target;
  const int64_t k = env->Tolerance;
  auto line = [&](int64_t v) {
    const int y = env->YConv.ValueToPixel(static_cast<long double>(v));
    c->MoveTo(p.Left, y);
    c->LineTo(p.Right, y);
  };
  c->Pen.Width = 2;
  c->Pen.Color = kXCentreLineColor;
  line(t);
  c->Pen.Color = kXLimitLineColor;
  line(t + k);
  line(t - k);
  c->Pen.Width = 1;
}

// --- TXDocChart ------------------------------------------------------------

TXDocChart::TXDocChart(TXDocEnv* env, const TMainData* month) : TXChart(env, month) {}

void TXDocChart::DrawSeries(int series) { TXChart::DrawSeries(series); }

void TXDocChart::DrawMark(int x, int y, TColor color) {
  TCanvas* c = Env->Canvas;
  const int d = RoundOff(static_cast<long double>(Env->PlotRect.Right - Env->PlotRect.Left) * 0.005L);
  c->Brush.SetColor(color);
  c->Brush.SetStyle(TBrushStyle::Solid);
  c->Pen.Color = color;
  c->Ellipse(x - d, y - d, x + d, y + d);
}

void TXDocChart::DrawLimitLines() {
  TXDocEnv* env = DocEnv();
  TCanvas* c = env->Canvas;
  TCanvasAssist* a = env->Assist;
  const TRect& p = env->PlotRect;
  // The sheet draws its later texts in this font.
  a->CreateFont(RoundOff(static_cast<long double>(p.Width()) * 0.035L), 0, 0, 0);
  c->Brush.SetStyle(TBrushStyle::Clear);
  c->Font.Color = clBlack;
  c->Pen.Color = kXDocLimitLineColor;
  c->Pen.Style = TPenStyle::Dot;
  const int64_t t = env->Target;
  const int64_t k = env->Tolerance;
  for (const int64_t v : {t, t + k, t - k}) {
    a->HorzLine(p.Left, p.Right, env->YConv.ValueToPixel(static_cast<long double>(v)), 1);
  }
  c->Pen.Style = TPenStyle::Solid;
}

// --- Entry points ----------------------------------------------------------

void SetSlumpAxisStyle(THorChartEnv& env) {
  env.SetTextColor(clBlack);
  env.SetYLabelStep(100);
  env.SetGridStep(100);
  env.SetVertGridMode(2);
  env.SetShowTitle(false);
  env.SetShowLegend(false);
}

namespace {

// Settings both variants share.
void ConfigureCommon(TXEnv& env, const TMainData& data) {
  const int64_t t = data.BasicInfo.KariAveX;
  const int64_t k = data.BasicInfo.Kyoyo;
  env.Target = data.BasicInfo.KariAveX;
  env.Tolerance = data.BasicInfo.Kyoyo;
  env.SetData(data.SlumpList.Count(), 0, 0, 20, 20);
  SetSlumpAxisStyle(env);
  env.AutoYRange = false;
  env.SetYRange(static_cast<long double>(t - 2 * k), static_cast<long double>(t + 2 * k));
}

}  // namespace

std::vector<std::pair<int, int>> SignalRingSlots(const TMainData& data, const std::vector<TSignal>& found) {
  std::vector<std::pair<int, int>> ringed;
  if (found.empty()) return ringed;
  const std::vector<TSignalValue> seq = SignalSequence(data);
  const int32_t t = data.BasicInfo.KariAveX;
  const int32_t k = data.BasicInfo.Kyoyo;
  // Walk the days in the order SignalSequence takes the values.
  int32_t position = 0;
  for (int i = 0; i < data.SlumpList.Count(); ++i) {
    const TSokuteiList& list = data.SlumpList.Items(i).SokuteiList;
    for (int j = 0; j < list.Count(); ++j) {
      if (list.Items(j).Value <= 0) continue;
      const bool covered = std::any_of(found.begin(), found.end(), [&](const TSignal& s) {
        return SignalCovers(s, seq, position, t, k);
      });
      if (covered && j < kHalves) ringed.emplace_back(i, j);
      ++position;
    }
  }
  return ringed;
}

void DrawXChart(TCanvas& canvas, const TRect& rect, const TMainData& data,
                const std::vector<TSignal>& found) {
  TXEnv env(FitAspectRect(rect, 4, 3), &canvas);
  ConfigureCommon(env, data);
  env.SetMargins(40, 10, 10, 30);
  env.SetFrameColors(clBlack, kXPlotColor);
  env.SetHorzGridColor(kXGridColor);
  env.SetVertGridColor(kXGridColor);

  TXChart series(&env, &data);
  series.SetColor(kXSeriesColor);
  series.RingSlots = SignalRingSlots(data, found);

  env.Draw();
  series.Draw();
}

void DrawXChartDoc(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist,
                   const TMainData& data, bool drawXChartNoRange) {
  TXDocEnv env(rect, &canvas, &assist);
  env.DrawNoRange = drawXChartNoRange;
  ConfigureCommon(env, data);
  const long double w = rect.Width();
  const long double h = rect.Height();
  const int side = RoundEven(w * 0.04L);
  env.SetMargins(side, 0, side, RoundEven(h * 0.05L));
  env.SetFrameColors(clBlack, clWhite);
  env.OuterColor = clWhite;
  env.SetHorzGridColor(clBlack);
  env.SetVertGridColor(clBlack);
  env.YLabelGap = RoundEven(w * 0.01L);
  env.XLabelGap = RoundEven(h * 0.015L);

  TXDocChart series(&env, &data);
  series.SetColor(clBlack);

  env.Draw();
  series.Draw();
}

}  // namespace kestrin

// --- Thumbnail -------------------------------------------------------------

namespace kestrin {

namespace {

// The screen frame without the pale mid-day lines, which turn into a grey
// haze at icon sizes.
class TXThumbnailEnv : public TXEnv {
 public:
  using TXEnv::TXEnv;
  void DrawVertGrid() override { THorChartEnv::DrawVertGrid(); }
};

}  // namespace

void DrawXChartThumbnail(TCanvas& canvas, const TRect& rect, const TMainData& data) {
  TXThumbnailEnv env(rect, &canvas);
  ConfigureCommon(env, data);
  env.ShowXLabels = false;
  env.ShowYLabels = false;
  const int margin = std::max(2, std::min(rect.Width(), rect.Height()) / 32);
  env.SetMargins(margin, margin, margin, margin);
  env.SetFrameColors(clBlack, kXPlotColor);
  env.SetHorzGridColor(kXGridColor);
  env.SetVertGridColor(kXGridColor);

  TXChart series(&env, &data);
  series.SetColor(kXSeriesColor);
  env.Draw();
  if (std::min(rect.Width(), rect.Height()) >= 200) canvas.Pen.Width = 2;
  series.Draw();
  canvas.Pen.Width = 1;
}

}  // namespace kestrin
