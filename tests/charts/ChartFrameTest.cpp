// The chart framework: scaling, auto range, the draw sequence and its
// edge cases, checked on recorded operations and on pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "../platform/PixelProbe.h"
#include "charts/ChartFrame.h"
#include "platform/PageImage.h"
#include "platform/QtCanvas.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

// A frame that records which steps ran and what they drew.
class ProbeEnv : public THorChartEnv {
 public:
  using THorChartEnv::THorChartEnv;
  std::vector<std::string> steps;
  std::vector<std::pair<int, QString>> yLabels;   // (y, text)
  std::vector<std::pair<int, QString>> xLabels;   // (x, text)
  std::vector<std::pair<int, int64_t>> hGrid;     // (y, value)
  std::vector<int> vGrid;                         // x

  void DrawBackground() override { steps.push_back("background"); THorChartEnv::DrawBackground(); }
  void DrawTitle() override { steps.push_back("title"); THorChartEnv::DrawTitle(); }
  void DrawYLabels() override { steps.push_back("ylabels"); THorChartEnv::DrawYLabels(); }
  void DrawXLabels() override { steps.push_back("xlabels"); THorChartEnv::DrawXLabels(); }
  void DrawFrame() override { steps.push_back("frame"); THorChartEnv::DrawFrame(); }
  void DrawHorzGrid() override { steps.push_back("hgrid"); THorChartEnv::DrawHorzGrid(); }
  void DrawVertGrid() override { steps.push_back("vgrid"); THorChartEnv::DrawVertGrid(); }
  void ResetLegend() override { steps.push_back("legend"); THorChartEnv::ResetLegend(); }
  void DrawYLabel(int y, const QString& text) override {
    yLabels.emplace_back(y, text);
    THorChartEnv::DrawYLabel(y, text);
  }
  int DrawXLabel(int index, int x, const QString& text) override {
    xLabels.emplace_back(x, text);
    return THorChartEnv::DrawXLabel(index, x, text);
  }
  void DrawHorzGridLine(int x1, int y1, int x2, int y2, int64_t value) override {
    hGrid.emplace_back(y1, value);
    THorChartEnv::DrawHorzGridLine(x1, y1, x2, y2, value);
  }
  void DrawVertGridLine(int x1, int y1, int x2, int y2) override {
    vGrid.push_back(x1);
    THorChartEnv::DrawVertGridLine(x1, y1, x2, y2);
  }
};

struct Recording {
  TPageImage page{800, 600, 96, 96};
  TRecordingCanvas canvas{&page};
};

}  // namespace

TEST(ValConv, ScalingRoundsHalvesToEven) {
  TValConvR c;
  c.Setup(0, 10, 100, 200);
  EXPECT_EQ(c.ValueToPixel(5), 150);
  EXPECT_EQ(c.ValueToPixel(0.25L), 102);   // 102.5 -> 102
  EXPECT_EQ(c.ValueToPixel(0.35L), 104);   // 103.5 -> 104
  EXPECT_EQ(c.ValueToPixel(-1), 90);       // outside: not clipped
  EXPECT_EQ(c.PixelsToValue(25), 2.5L);

  TValConvR y;
  y.Setup(300, 700, 250, 50);
  EXPECT_EQ(y.ValueToPixel(300), 250);
  EXPECT_EQ(y.ValueToPixel(700), 50);
  EXPECT_LT(y.Scale, 0);

  TValConvR flat;
  flat.Setup(1800, 1800, 250, 50);
  EXPECT_EQ(flat.Scale, 1.0L);
  EXPECT_EQ(flat.ValueToPixel(1801), 251);  // one pixel per unit, downwards
}

TEST(ChartFrame, NiceStepPicksOneFiveTen) {
  Recording r;
  THorChartEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.YConv.Setup(0, 100, 100, 0);  // one value unit per pixel
  EXPECT_EQ(env.NiceStep(7), 10);
  EXPECT_EQ(env.NiceStep(5), 5);
  EXPECT_EQ(env.NiceStep(60), 100);
  EXPECT_EQ(env.NiceStep(0), 1);
  env.YConv.Setup(0, 3, 100, 0);    // 0.03 units per pixel
  EXPECT_EQ(env.NiceStep(10), 1);
  // A plot of no height: the distance is infinite; the step stops at the
  // largest of the series instead of looping for ever.
  env.YConv.Setup(0, 100, 50, 50);
  EXPECT_EQ(env.NiceStep(10), 1000000000);
}

TEST(ChartFrame, FitAspectRect) {
  EXPECT_EQ(FitAspectRect(TRect{0, 0, 400, 300}, 4, 3), (TRect{0, 0, 400, 300}));
  EXPECT_EQ(FitAspectRect(TRect{0, 0, 800, 300}, 4, 3), (TRect{200, 0, 600, 300}));
  EXPECT_EQ(FitAspectRect(TRect{10, 10, 410, 610}, 4, 3), (TRect{10, 160, 410, 460}));
  // The histogram's example: 968 x 368 at 1.7 : 1 gives 626 x 368 at x = 187.
  EXPECT_EQ(FitAspectRect(TRect{16, 16, 984, 384}, 1.7L, 1), (TRect{187, 16, 813, 384}));
  EXPECT_EQ(FitAspectRect(TRect{0, 0, 401, 300}, 4, 3), (TRect{0, 0, 400, 300}));
  EXPECT_EQ(FitAspectRect(TRect{5, 5, 105, 55}, 0, 3), (TRect{5, 5, 105, 55}));
  EXPECT_EQ(FitAspectRect(TRect{5, 5, 105, 55}, 4, -1), (TRect{5, 5, 105, 55}));
  EXPECT_EQ(FitAspectRect(TRect{5, 5, 5, 55}, 4, 3), (TRect{5, 5, 5, 55}));
}

TEST(ChartFrame, DataRangeAndAutoScale) {
  Recording r;
  THorChartEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.SetData(31, 1000, 2000, 60, 40);  // adds up to 100: both ignored
  EXPECT_EQ(env.BottomPct, 0);
  EXPECT_EQ(env.TopPct, 0);
  env.SetData(31, 1000, 2000, 20, 30);
  env.AutoScaleY();
  // 50 % of the height is the data: E = 2000, 30 % above, 20 % below.
  EXPECT_DOUBLE_EQ(static_cast<double>(env.YMax), 2600.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(env.YMin), 600.0);
  env.SetData(31, 1500, 1500, 20, 20);
  env.AutoScaleY();
  EXPECT_EQ(env.YMin, 1499);
  EXPECT_EQ(env.YMax, 1501);
  // The fixed range of the X chart: T +- 2K with data 0..0.
  env.SetData(31, 0, 0, 20, 20);
  env.SetYRange(1400, 2200);
  EXPECT_EQ(env.BottomPct, -175);  // (0 - 1400) / 800 x 100
  EXPECT_EQ(env.TopPct, 275);
  env.SetData(10, 1000, 1100, 0, 0);
  env.SetYRange(990, 1190);  // 5 % below, 45 % above, exactly
  EXPECT_EQ(env.BottomPct, 5);
  EXPECT_EQ(env.TopPct, 45);
  env.SetData(10, 1000, 1064, 0, 0);
  env.SetYRange(984, 1112);  // 12.5 % below and 37.5 % above: halves go to even
  EXPECT_EQ(env.BottomPct, 12);
  EXPECT_EQ(env.TopPct, 38);
  env.SetYRange(1000, 1000);
  EXPECT_EQ(env.BottomPct, 0);
  EXPECT_EQ(env.TopPct, 0);
}

TEST(ChartFrame, DrawRunsTheStepsInOrder) {
  Recording r;
  ProbeEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.SetMargins(40, 10, 10, 30);
  env.SetData(5, 0, 100, 0, 0);
  env.Draw();
  EXPECT_EQ(env.steps, (std::vector<std::string>{"background", "title", "ylabels", "xlabels",
                                                 "frame", "hgrid", "vgrid", "legend"}));
  ProbeEnv quiet(TRect{0, 0, 400, 300}, &r.canvas);
  quiet.ShowFrame = quiet.ShowTitle = quiet.ShowXLabels = quiet.ShowLegend = false;
  quiet.ShowVertGrid = false;
  quiet.Draw();
  EXPECT_EQ(quiet.steps, (std::vector<std::string>{"ylabels", "hgrid"}));
}

TEST(ChartFrame, LabelsMayStandOnTheTopEdgeButGridLinesMayNot) {
  for (int top : {1450, 1400}) {
    Recording r;
    ProbeEnv env(TRect{0, 0, 400, 300}, &r.canvas);
    env.SetMargins(40, 10, 10, 30);
    env.SetData(31, 0, 0, 0, 0);
    env.AutoYRange = false;
    env.SetYRange(150, top);
    env.SetYLabelStep(100);
    env.SetGridStep(100);
    env.Draw();
    ASSERT_EQ(env.yLabels.size(), 13u) << top;
    EXPECT_EQ(env.yLabels.front().second, QStringLiteral("200"));
    EXPECT_EQ(env.yLabels.back().second, QStringLiteral("1,400"));
    ASSERT_FALSE(env.hGrid.empty());
    EXPECT_EQ(env.hGrid.front().second, 200);
    EXPECT_EQ(env.hGrid.back().second, top == 1400 ? 1300 : 1400);
    if (top == 1400) {
      EXPECT_EQ(env.yLabels.back().first, env.PlotRect.Top);
    }
  }
}

TEST(ChartFrame, NegativeRangesStartAtTheFirstMultiple) {
  Recording r;
  ProbeEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.AutoYRange = false;
  env.SetYRange(-150.5L, 120);
  env.SetYLabelStep(100);
  env.SetGridStep(50);
  env.Draw();
  ASSERT_EQ(env.yLabels.size(), 3u);
  EXPECT_EQ(env.yLabels[0].second, QStringLiteral("-100"));
  EXPECT_EQ(env.yLabels[2].second, QStringLiteral("100"));
  EXPECT_EQ(env.hGrid.front().second, -150);
  EXPECT_EQ(env.hGrid.back().second, 100);
}

TEST(ChartFrame, LabelAndGridGeometry) {
  Recording r;
  ProbeEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.SetMargins(40, 10, 10, 30);
  env.SetData(4, 0, 0, 0, 0);
  env.AutoYRange = false;
  env.SetYRange(0, 260);
  env.SetYLabelStep(100);
  env.SetGridStep(100);
  env.SetVertGridMode(3);
  env.Draw();
  // Y label 100 at y = 270 - 100 = 170 (plot 10..270 for 0..260), centred.
  ASSERT_EQ(env.yLabels.size(), 3u);
  EXPECT_EQ(env.yLabels[1].first, 170);
  // The label's text op: right end at plot left - gap, top at y - cy / 2.
  const TSize ext = r.canvas.TextExtent(QStringLiteral("100"));
  bool found = false;
  for (const auto& op : r.page.Ops()) {
    if (auto t = std::get_if<pageop::Text>(&op); t && t->Str == QStringLiteral("100")) {
      EXPECT_EQ(t->X, 40 - 4 - ext.cx);
      EXPECT_EQ(t->Y, 170 - ext.cy / 2);
      found = true;
    }
  }
  EXPECT_TRUE(found);
  // Categories 0..4 over x 40..390, 87.5 pixels each: centres at 83.75,
  // 171.25, 258.75, 346.25; boundaries at 127.5 -> 128 and 302.5 -> 302.
  ASSERT_EQ(env.xLabels.size(), 4u);
  EXPECT_EQ(env.xLabels[0], std::make_pair(84, QStringLiteral("1")));
  EXPECT_EQ(env.xLabels[1].first, 171);
  // Mode 3: four centre lines and three boundary lines.
  EXPECT_EQ(env.vGrid, (std::vector<int>{84, 171, 259, 346, 128, 215, 302}));
  // Horizontal grid lines run one pixel inside the plot.
  for (const auto& op : r.page.Ops()) {
    if (auto l = std::get_if<pageop::Line>(&op); l && l->Y1 == l->Y2) {
      EXPECT_EQ(l->X1, 41);
      EXPECT_EQ(l->X2, 389);
    }
  }
}

TEST(ChartFrame, NoCategoriesDrawsNoXLabelsAndNoVerticalGrid) {
  Recording r;
  ProbeEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.SetMargins(40, 10, 10, 30);
  env.SetData(0, 0, 10, 0, 0);
  env.SetVertGridMode(3);
  env.Draw();
  EXPECT_TRUE(env.xLabels.empty());
  EXPECT_TRUE(env.vGrid.empty());
  EXPECT_EQ(env.XConv.Scale, 1.0L);
}

TEST(ChartFrame, PixelStepsAndDegenerateSteps) {
  Recording r;
  ProbeEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.SetMargins(0, 0, 0, 0);
  env.SetData(3, 0, 300, 0, 0);  // 300 pixels for 300 units
  env.GridPixStep = 40;
  env.YLabelPixStep = 7;
  env.Draw();
  EXPECT_EQ(env.GridStep, 50);
  EXPECT_EQ(env.YLabelStep, 10);
  EXPECT_EQ(env.hGrid.size(), 6u);  // 0, 50, ..., 250

  ProbeEnv zero(TRect{0, 0, 400, 300}, &r.canvas);
  zero.SetData(3, 0, 300, 0, 0);
  zero.SetYLabelStep(0);
  zero.SetGridStep(-5);
  zero.Draw();
  EXPECT_TRUE(zero.yLabels.empty());
  EXPECT_TRUE(zero.hGrid.empty());

  // A step far too small for the range ends after a bounded number of lines.
  ProbeEnv wide(TRect{0, 0, 400, 300}, &r.canvas);
  wide.AutoYRange = false;
  wide.SetYRange(-1e12L, 1e12L);
  wide.SetYLabelStep(1);
  wide.ShowHorzGrid = false;
  wide.Draw();
  EXPECT_LE(wide.yLabels.size(), 10000u);
}

TEST(ChartFrame, BackgroundAndFrameOnPixels) {
  QImage img = WhiteImage(200, 150);
  {
    TQtCanvas c(&img);
    THorChartEnv env(TRect{0, 0, 200, 150}, &c);
    env.SetMargins(30, 10, 10, 20);
    env.SetData(0, 0, 0, 0, 0);
    env.OuterColor = clSilver;
    env.SetFrameColors(clRed, clYellow);
    env.ShowYLabels = env.ShowXLabels = env.ShowHorzGrid = env.ShowVertGrid = false;
    env.Draw();
  }
  EXPECT_EQ(PixelAt(img, 0, 0), clSilver);
  EXPECT_EQ(PixelAt(img, 29, 75), clSilver);
  EXPECT_EQ(PixelAt(img, 199, 149), clSilver);
  EXPECT_EQ(RowPattern(img, 75, 28, 33, clRed), "..#...");
  EXPECT_EQ(RowPattern(img, 75, 187, 192, clRed), "..#...");  // right edge 189
  EXPECT_EQ(ColPattern(img, 100, 8, 12, clRed), "..#..");
  EXPECT_EQ(ColPattern(img, 100, 127, 132, clRed), "..#...");  // bottom edge 129
  EXPECT_EQ(PixelAt(img, 31, 11), clYellow);
  EXPECT_EQ(PixelAt(img, 188, 128), clYellow);
  EXPECT_EQ(PixelAt(img, 100, 130), clSilver);
}

TEST(LineSeries, MissingValuesAreSkippedWithoutBreakingTheLine) {
  Recording r;
  THorChartEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.SetData(4, 0, 0, 0, 0);
  const int32_t data[] = {10, TProtoChart::kMissing, 30, 20,   // series 0
                          TProtoChart::kMissing, TProtoChart::kMissing, 5, 50};  // series 1
  THorLineChart series(&env);
  series.SetData(2, data);
  series.ScanMax(true);
  series.ScanMin(true);
  EXPECT_EQ(env.DataMax, 50);
  EXPECT_EQ(env.DataMin, 0);  // the initial minimum stays the smallest
  env.ShowLegend = false;
  env.Draw();
  const std::size_t before = r.page.Ops().size();
  series.SetColor(clBlue);
  series.Draw();
  std::vector<pageop::Line> lines;
  int marks = 0;
  for (std::size_t i = before; i < r.page.Ops().size(); ++i) {
    const auto& op = r.page.Ops()[i];
    if (auto l = std::get_if<pageop::Line>(&op)) lines.push_back(*l);
    if (std::holds_alternative<pageop::Polygon>(op)) ++marks;
  }
  EXPECT_EQ(marks, 5);
  ASSERT_EQ(lines.size(), 3u);  // 10 -> 30 (over the gap), 30 -> 20, 5 -> 50
  EXPECT_EQ(lines[0].X1, env.XConv.ValueToPixel(0.5L));
  EXPECT_EQ(lines[0].X2, env.XConv.ValueToPixel(2.5L));
  EXPECT_EQ(lines[0].Y2, env.YConv.ValueToPixel(30));
}

TEST(LineSeries, ShortDataReadsAsMissing) {
  Recording r;
  THorChartEnv env(TRect{0, 0, 400, 300}, &r.canvas);
  env.SetData(10, 0, 0, 0, 0);
  const int32_t data[] = {1, 2, 3};
  TProtoChart series(&env);
  series.SetData(1, data);
  EXPECT_EQ(series.GetValue(0, 2), 3);
  EXPECT_EQ(series.GetValue(0, 3), TProtoChart::kMissing);
  EXPECT_EQ(series.GetValue(1, 0), TProtoChart::kMissing);
  EXPECT_EQ(series.GetValue(0, -1), TProtoChart::kMissing);
  EXPECT_EQ(series.Color, env.PlotColor);
}

TEST(LineSeries, MarksAreOctagonsOnPixels) {
  QImage img = WhiteImage(100, 100);
  {
    TQtCanvas c(&img);
    THorChartEnv env(TRect{0, 0, 100, 100}, &c);
    env.SetData(1, 0, 0, 0, 0);
    env.ShowFrame = env.ShowYLabels = env.ShowXLabels = false;
    env.ShowHorzGrid = env.ShowVertGrid = false;
    env.AutoYRange = false;
    env.SetYRange(0, 100);
    env.Draw();
    const int32_t data[] = {50};
    THorLineChart series(&env);
    series.SetData(1, data);
    series.SetColor(clBlack);
    series.Draw();
  }
  EXPECT_EQ(InkBox(img), (TRect{48, 48, 53, 53}));
  EXPECT_TRUE(IsWhite(img, 48, 48));
  EXPECT_EQ(PixelAt(img, 50, 50), clBlack);
}
