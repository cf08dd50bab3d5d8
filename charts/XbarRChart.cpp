// The X̄–R control chart; see XbarRChart.h.
#include "charts/XbarRChart.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include <QStringList>

#include "charts/NumberText.h"
#include "charts/XChart.h"
#include "core/ControlRules.h"
#include "core/Numbers.h"

namespace kestrin {

namespace {

// A frame of one of the two charts: day numbers under the even days,
// Y labels in cm with as many decimals as the label step needs.
class TXbarREnv : public THorChartEnv {
 public:
  TXbarREnv(const TRect& area, TCanvas* canvas, TCanvasAssist* assist)
      : THorChartEnv(area, canvas), Assist(assist) {}

  TCanvasAssist* Assist;      // the sheet's assist; null on the screen
  long double FontShare = 0;  // sheet: label height as a share of the plot width

  void DrawXLabels() override {
    SetXLabelStyle();
    int right = 0;
    for (int i = 1; i < Count; i += 2)
      right = DrawXLabel(i, XConv.ValueToPixel(i + 0.5L), FormatXLabel(i + 1));
    DrawXCaption(right);
  }
  QString FormatYLabel(int64_t value) override {
    if (YLabelStep >= 100) return QString::number(value / 100);
    return QString::fromStdString(
        FormatFixed(static_cast<long double>(value) / 100.0L, 0, YLabelStep >= 10 ? 1 : 2));
  }
  void SetYLabelStyle() override {
    if (Assist) Assist->CreateFont(std::max(1, RoundOff(PlotRect.Width() * FontShare)), 0, 0, 3);
    THorChartEnv::SetYLabelStyle();
  }
  void SetXLabelStyle() override {
    if (Assist) Assist->CreateFont(std::max(1, RoundOff(PlotRect.Width() * FontShare)), 0, 0, 3);
    THorChartEnv::SetXLabelStyle();
  }
  void DrawFrame() override {
    if (!Assist) return THorChartEnv::DrawFrame();
    Canvas->Brush.SetColor(FrameColor);
    Assist->FrameRectWeight(PlotRect, 2);
  }
};

struct TPanelPoint {
  int Category = 0;
  long double Value = 0;  // cm x100
  bool Filled = true;
  bool Ringed = false;
};

struct TPanelLine {
  long double Value = 0;
  QString Label;
  bool Centre = false;
};

struct TPanelStyle {
  bool Sheet = false;
  int MarkRadius = 3;
  int RingRadius = kXSignalRingRadius;
};

// The Y range that holds every point and line, with a little room.
void SetRange(TXbarREnv& env, const std::vector<TPanelPoint>& points, const std::vector<TPanelLine>& lines,
              long double floor, long double fallbackLo, long double fallbackHi) {
  long double lo = fallbackLo, hi = fallbackHi;
  bool any = false;
  auto take = [&](long double v) {
    lo = any ? std::min(lo, v) : v;
    hi = any ? std::max(hi, v) : v;
    any = true;
  };
  for (const auto& p : points) take(p.Value);
  for (const auto& l : lines) take(l.Value);
  if (!any) {
    lo = fallbackLo;
    hi = fallbackHi;
  }
  const long double pad = std::max((hi - lo) * 0.12L, 20.0L);
  env.AutoYRange = false;
  env.SetYRange(std::max(floor, lo - pad), hi + pad);
}

void DrawPanel(TCanvas& c, TXbarREnv& env, const std::vector<TPanelPoint>& points,
               const std::vector<TPanelLine>& lines, const TPanelStyle& style, TColor seriesColor) {
  env.Draw();
  const TRect& p = env.PlotRect;
  auto yOf = [&](long double v) { return env.YConv.ValueToPixel(v); };
  auto xOf = [&](int category) { return env.XConv.ValueToPixel(category + 0.5L); };

  // Limit lines across the plot and their values beyond its right end.
  const TPen savedPen = c.Pen;
  c.Brush.SetStyle(TBrushStyle::Clear);
  for (const TPanelLine& l : lines) {
    const int y = yOf(l.Value);
    if (style.Sheet) {
      c.Pen = TPen{clBlack, 1, l.Centre ? TPenStyle::Solid : TPenStyle::Dash};
      env.Assist->HorzLine(p.Left, p.Right, y, l.Centre ? 1 : 0);
    } else {
      c.Pen = TPen{l.Centre ? kXbarRCentreColor : kXbarRLimitColor, l.Centre ? 2 : 1,
                   l.Centre ? TPenStyle::Solid : TPenStyle::Dash};
      c.MoveTo(p.Left, y);
      c.LineTo(p.Right, y);
    }
    const int h = c.TextHeight(l.Label);
    c.Font.Color = style.Sheet ? clBlack : (l.Centre ? kXbarRCentreColor : kXbarRLimitColor);
    c.TextOut(p.Right + 4, y - h / 2, l.Label);
  }

  // The points: complete days joined in order, one-value days hollow.
  c.Pen = TPen{seriesColor, 1, TPenStyle::Solid};
  bool havePrev = false;
  TPoint prev;
  for (const TPanelPoint& pt : points) {
    if (!pt.Filled) continue;
    const TPoint here{xOf(pt.Category), yOf(pt.Value)};
    if (havePrev) {
      c.MoveTo(prev.X, prev.Y);
      c.LineTo(here.X, here.Y);
    }
    prev = here;
    havePrev = true;
  }
  const int r = style.MarkRadius;
  for (const TPanelPoint& pt : points) {
    const int x = xOf(pt.Category), y = yOf(pt.Value);
    c.Pen = TPen{seriesColor, 1, TPenStyle::Solid};
    if (pt.Filled) {
      c.Brush = TBrush(seriesColor, TBrushStyle::Solid);
    } else {
      c.Brush = TBrush(clWhite, TBrushStyle::Solid);
    }
    c.Ellipse(x - r, y - r, x + r + 1, y + r + 1);
    if (pt.Ringed) {
      c.Pen = TPen{kXSignalRingColor, kXSignalRingWidth, TPenStyle::Solid};
      c.Brush.SetStyle(TBrushStyle::Clear);
      const int rr = style.RingRadius;
      c.Ellipse(x - rr, y - rr, x + rr + 1, y + rr + 1);
    }
  }
  c.Pen = savedPen;
  c.Brush.SetStyle(TBrushStyle::Clear);
}

struct TPanels {
  std::vector<TPanelPoint> Means, Ranges;
  std::vector<TPanelLine> MeanLines, RangeLines;
};

TPanels MakePanels(const TControlChart& chart, bool rings) {
  TPanels out;
  std::vector<bool> ringX(chart.Points.size()), ringR(chart.Points.size());
  if (rings && chart.Limits) {
    for (const TControlSignal& s : chart.Signals)
      for (int32_t i = s.First; i <= s.Last; ++i) {
        if (s.Chart == TControlChartKind::R) ringR[static_cast<std::size_t>(i)] = true;
        else if (ControlSignalMarks(s, chart.Points, chart.Limits->Source, i))
          ringX[static_cast<std::size_t>(i)] = true;
      }
  }
  std::size_t position = 0;
  for (const TSubgroup& d : chart.Days) {
    if (!d.Complete()) {
      out.Means.push_back({d.Slot, d.Mean(), false, false});
      continue;
    }
    out.Means.push_back({d.Slot, d.Mean(), true, ringX[position]});
    out.Ranges.push_back({d.Slot, static_cast<long double>(d.Range()), true, ringR[position]});
    ++position;
  }
  if (chart.Limits) {
    const TControlLimits& l = *chart.Limits;
    out.MeanLines = {{l.Ucl, LimitLabel(QStringLiteral("UCL"), l.Ucl), false},
                     {l.Center, LimitLabel(QStringLiteral("CL"), l.Center), true},
                     {l.Lcl, LimitLabel(QStringLiteral("LCL"), l.Lcl), false}};
    out.RangeLines = {{l.RUcl, LimitLabel(QStringLiteral("UCL"), l.RUcl), false},
                      {l.RBar, LimitLabel(QStringLiteral("R̄"), l.RBar), true}};
  }
  return out;
}

void ConfigureEnv(TXbarREnv& env, const TMainData& data) {
  env.SetData(data.SlumpList.Count(), 0, 0, 0, 0);
  SetSlumpAxisStyle(env);
  env.ShowYLabels = true;
}

}  // namespace

QString ControlSignalText(int32_t getsudo, const TControlSignal& s) {
  auto date = [&](int32_t day) { return QStringLiteral("%1月%2日").arg(DateMonth(getsudo)).arg(day); };
  const QString n = QString::number(s.Count) + QStringLiteral("点");
  const bool above = s.Side == TControlSide::Above;
  const QString side = above ? QStringLiteral("上側") : QStringLiteral("下側");
  QString what;
  switch (s.Rule) {
    case 1:
      what = (s.Chart == TControlChartKind::R ? QStringLiteral("Rが") : QStringLiteral("X̄が")) +
             (above ? QStringLiteral("上方管理限界の外") : QStringLiteral("下方管理限界の外"));
      break;
    case 2:
      what = QStringLiteral("X̄が中心線の") + side + QStringLiteral("に") + n + QStringLiteral("連続");
      break;
    case 3:
      what = QStringLiteral("X̄が") + n +
             (s.Side == TControlSide::Up ? QStringLiteral("連続して上昇") : QStringLiteral("連続して下降"));
      break;
    case 4: what = QStringLiteral("X̄が") + n + QStringLiteral("連続して交互に増減"); break;
    case 5:
      what = QStringLiteral("連続3点中2点以上が") + side + QStringLiteral("の領域A以遠（") + n +
             QStringLiteral("）");
      break;
    case 6:
      what = QStringLiteral("連続5点中4点以上が") + side + QStringLiteral("の領域B以遠（") + n +
             QStringLiteral("）");
      break;
    case 7: what = QStringLiteral("X̄が") + n + QStringLiteral("連続して領域C内"); break;
    case 8: what = QStringLiteral("X̄が") + n + QStringLiteral("連続して領域Cの外（両側）"); break;
    default: break;
  }
  const QString days =
      s.FromDay == s.ToDay ? date(s.FromDay) : date(s.FromDay) + QStringLiteral(" 〜 ") + date(s.ToDay);
  return days + QStringLiteral("：") + what + QStringLiteral("（ルール%1）").arg(s.Rule);
}

QString RuleListText(const TControlRuleSet& rules) {
  QStringList on;
  for (int r = 1; r <= 8; ++r)
    if (rules.Enabled(r)) on << QString::number(r);
  return on.isEmpty() ? QStringLiteral("なし") : on.join(QStringLiteral("・"));
}

QString LimitLabel(const QString& label, long double hundredths) {
  return label + QStringLiteral(" ") + QString::fromStdString(FormatFixed(hundredths / 100.0L, 0, 2));
}

void DrawXbarRChart(TCanvas& canvas, const TRect& rect, const TMainData& data, const TControlChart& chart) {
  const TPanels panels = MakePanels(chart, true);
  const int split = rect.Top + RoundOff(rect.Height() * 0.6L);
  const int64_t t = data.BasicInfo.KariAveX, k = data.BasicInfo.Kyoyo;
  const TPanelStyle style;

  TXbarREnv top(TRect{rect.Left, rect.Top, rect.Right, split}, &canvas, nullptr);
  ConfigureEnv(top, data);
  top.SetMargins(40, 10, 78, 22);
  top.SetFrameColors(clBlack, kXPlotColor);
  top.SetHorzGridColor(kXGridColor);
  top.SetVertGridColor(kXGridColor);
  top.GridPixStep = 24;
  top.YLabelPixStep = 24;
  SetRange(top, panels.Means, panels.MeanLines, -1e12L, static_cast<long double>(t - 2 * k),
           static_cast<long double>(t + 2 * k));
  DrawPanel(canvas, top, panels.Means, panels.MeanLines, style, kXbarRSeriesColor);

  TXbarREnv bottom(TRect{rect.Left, split, rect.Right, rect.Bottom}, &canvas, nullptr);
  ConfigureEnv(bottom, data);
  bottom.SetMargins(40, 6, 78, 22);
  bottom.SetFrameColors(clBlack, kXPlotColor);
  bottom.SetHorzGridColor(kXGridColor);
  bottom.SetVertGridColor(kXGridColor);
  bottom.GridPixStep = 20;
  bottom.YLabelPixStep = 20;
  SetRange(bottom, panels.Ranges, panels.RangeLines, 0, 0, 100);
  DrawPanel(canvas, bottom, panels.Ranges, panels.RangeLines, style, kXbarRSeriesColor);
}

void DrawXbarRChartDoc(TCanvas& canvas, const TRect& rect, TCanvasAssist& assist, const TMainData& data,
                       const TControlChart& chart) {
  const TPanels panels = MakePanels(chart, false);
  const long double w = rect.Width();
  const long double h = rect.Height();
  const int split = rect.Top + RoundOff(h * 0.6L);
  const int64_t t = data.BasicInfo.KariAveX, k = data.BasicInfo.Kyoyo;
  TPanelStyle style;
  style.Sheet = true;
  style.MarkRadius = std::max(1, RoundOff(w * 0.005L));

  auto setup = [&](TXbarREnv& env, int top, int bottom) {
    ConfigureEnv(env, data);
    env.FontShare = 0.022L;
    env.SetMargins(RoundEven(w * 0.06L), top, RoundEven(w * 0.14L), RoundEven(h * 0.06L));
    env.SetFrameColors(clBlack, clWhite);
    env.OuterColor = clWhite;
    env.SetHorzGridColor(Rgb(192, 192, 192));
    env.SetVertGridColor(Rgb(192, 192, 192));
    env.YLabelGap = RoundEven(w * 0.01L);
    env.XLabelGap = RoundEven(h * 0.01L);
    env.GridPixStep = std::max(4, RoundOff(h * 0.045L));
    env.YLabelPixStep = env.GridPixStep;
  };
  TXbarREnv top(TRect{rect.Left, rect.Top, rect.Right, split}, &canvas, &assist);
  setup(top, RoundEven(h * 0.02L), 0);
  SetRange(top, panels.Means, panels.MeanLines, -1e12L, static_cast<long double>(t - 2 * k),
           static_cast<long double>(t + 2 * k));
  DrawPanel(canvas, top, panels.Means, panels.MeanLines, style, clBlack);

  TXbarREnv bottom(TRect{rect.Left, split, rect.Right, rect.Bottom}, &canvas, &assist);
  setup(bottom, RoundEven(h * 0.02L), 0);
  SetRange(bottom, panels.Ranges, panels.RangeLines, 0, 0, 100);
  DrawPanel(canvas, bottom, panels.Ranges, panels.RangeLines, style, clBlack);
}

}  // namespace kestrin
