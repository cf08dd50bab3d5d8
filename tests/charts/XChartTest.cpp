// The X control chart, screen and sheet: placement in the paint box, the
// line and its breaks at blank values, limit lines, bands, labels, grid,
// marks and fonts, on recorded operations and on pixels.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <set>

#include "../platform/PixelProbe.h"
#include "ChartOps.h"
#include "charts/XChart.h"
#include "platform/QtCanvas.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

// An 800 x 300 paint box: the 4 : 3 area is 400 x 300 from x = 200, so the
// plot is (240, 10) - (590, 270). With T = 18.0 and K = 2.0 the plot spans
// 14.0 .. 22.0 cm at 0.325 pixels per hundredth: y(18.0) = 140,
// y(20.0) = 75, y(16.0) = 205.
constexpr TRect kBox{0, 0, 800, 300};
constexpr TRect kPlot{240, 10, 590, 270};
constexpr int kYT = 140;
constexpr int kYTplusK = 75;
constexpr int kYTminusK = 205;

std::vector<DrawOp> RecordScreen(const TMainData& d, const TRect& box = kBox) {
  TPageImage page(box.Right, box.Bottom, 96, 96);
  TRecordingCanvas canvas(&page);
  DrawXChart(canvas, box, d);
  return Flatten(page);
}

struct DocRecording {
  TPageImage page{1200, 1000, 600, 600};
  TRecordingCanvas canvas{&page};
  TCanvasAssist assist{&canvas};
  std::vector<DrawOp> ops;
};

// The sheet chart in (100, 200) - (1100, 900): w = 1000, h = 700, margins
// (40, 0, 40, 35), plot (140, 200) - (1060, 865).
constexpr TRect kDocRect{100, 200, 1100, 900};
constexpr TRect kDocPlot{140, 200, 1060, 865};

void RecordDoc(DocRecording& rec, const TMainData& d, bool noRange) {
  for (int w = 0; w < 6; ++w) rec.assist.Weights[w] = w;
  DrawXChartDoc(rec.canvas, kDocRect, rec.assist, d, noRange);
  rec.ops = Flatten(rec.page);
}

// The axes of kPlot for a 31-day month and 14.0 .. 22.0 cm, converted as
// the framework converts (halves to even).
int SlotX(int day, int half) {
  TValConvR x;
  x.Setup(0, 31, kPlot.Left, kPlot.Right);
  return x.ValueToPixel(day - 1 + (half ? 0.75L : 0.25L));
}

int Y(int32_t v) {
  TValConvR y;
  y.Setup(1400, 2200, kPlot.Bottom, kPlot.Top);
  return y.ValueToPixel(v);
}

int DocY(int32_t v) {
  TValConvR y;
  y.Setup(1400, 2200, kDocPlot.Bottom, kDocPlot.Top);
  return y.ValueToPixel(v);
}

// Width of a text in the paint box's font.
int LabelWidth(const QString& text) {
  TPageImage page(10, 10, 96, 96);
  TRecordingCanvas c(&page);
  return c.TextWidth(text);
}

bool IsSeriesLine(const DrawOp& op) {
  return op.kind == DrawOp::Line && op.pen.Color == kXSeriesColor;
}
bool IsWideLine(const DrawOp& op) { return op.kind == DrawOp::Line && op.pen.Width == 2; }

// Centre of an octagon mark.
TPoint MarkCentre(const DrawOp& op) { return TPoint{op.pts[0].X + 1, op.pts[0].Y + 2}; }

std::vector<TPoint> Marks(const std::vector<DrawOp>& ops) {
  std::vector<TPoint> out;
  for (const DrawOp& op : ops)
    if (op.kind == DrawOp::Polygon) out.push_back(MarkCentre(op));
  return out;
}

}  // namespace

TEST(XChartScreen, PlacedInTheFourToThreeAreaOfAWideBox) {
  const TMainData d = MakeMonth(2024, 1);
  const auto ops = RecordScreen(d);
  // Margin strips start at x = 200 and end at x = 600.
  const auto fills = Select(ops, [](const DrawOp& op) { return op.kind == DrawOp::FillRect; });
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills[0].r, (TRect{200, 0, 240, 300}));
  EXPECT_EQ(fills[0].brush.Color(), clBtnFace);
  int minX = 10000, maxX = 0;
  for (const auto& f : fills) {
    minX = std::min(minX, f.r.Left);
    maxX = std::max(maxX, f.r.Right);
  }
  EXPECT_EQ(minX, 200);
  EXPECT_EQ(maxX, 600);
  // The cream plot inside the black frame.
  EXPECT_NE(IndexOf(ops, [](const DrawOp& op) {
              return op.kind == DrawOp::FillRect && op.r == TRect{241, 11, 589, 269} &&
                     op.brush.Color() == kXPlotColor;
            }),
            -1);
  EXPECT_NE(IndexOf(ops, [](const DrawOp& op) {
              return op.kind == DrawOp::FrameRect && op.r == kPlot && op.brush.Color() == clBlack;
            }),
            -1);
}

TEST(XChartScreen, PixelsOfTheAreaBandsPlotAndLimitLines) {
  TMainData d = MakeMonth(2024, 1);
  SetValue(d, 10, 0, 1700);
  SetValue(d, 10, 1, 1900);
  d.Calculate();
  QImage img = WhiteImage(800, 300);
  {
    TQtCanvas canvas(&img);
    DrawXChart(canvas, kBox, d);
  }
  EXPECT_TRUE(IsWhite(img, 199, 150));
  EXPECT_EQ(PixelAt(img, 200, 150), ColorToRGB(clBtnFace));
  EXPECT_EQ(PixelAt(img, 599, 150), ColorToRGB(clBtnFace));
  EXPECT_TRUE(IsWhite(img, 600, 150));
  EXPECT_EQ(PixelAt(img, 300, 30), kXBandColor);
  EXPECT_EQ(PixelAt(img, 300, 240), kXBandColor);
  EXPECT_EQ(PixelAt(img, 300, 100), kXPlotColor);
  // Two-pixel limit lines on rows y - 1 and y.
  EXPECT_EQ(ColPattern(img, 300, kYT - 2, kYT + 1, kXCentreLineColor), ".##.");
  EXPECT_EQ(ColPattern(img, 300, kYTplusK - 2, kYTplusK + 1, kXLimitLineColor), ".##.");
  EXPECT_EQ(ColPattern(img, 300, kYTminusK - 2, kYTminusK + 1, kXLimitLineColor), ".##.");
  // The marks of day 10 are blue and drawn over the limit lines.
  EXPECT_EQ(PixelAt(img, SlotX(10, 0), Y(1700)), kXSeriesColor);
  EXPECT_EQ(PixelAt(img, SlotX(10, 1), Y(1900)), kXSeriesColor);
}

TEST(XChartScreen, LineBreaksAtBlankSlots) {
  TMainData d = MakeMonth(2024, 1);
  SetValue(d, 1, 0, 1800);
  SetValue(d, 1, 1, 1850);
  SetValue(d, 2, 1, 1900);  // day 2: PM only
  SetValue(d, 3, 0, 1750);  // day 3: AM only
  SetValue(d, 4, 0, 1700);
  d.Calculate();
  const auto ops = RecordScreen(d);

  std::set<std::vector<int>> lines;
  for (const auto& op : Select(ops, IsSeriesLine))
    lines.insert({op.r.Left, op.r.Top, op.r.Right, op.r.Bottom});
  const std::set<std::vector<int>> expected = {
      {SlotX(1, 0), Y(1800), SlotX(1, 1), Y(1850)},   // day 1 AM -> PM
      {SlotX(2, 1), Y(1900), SlotX(3, 0), Y(1750)},   // out of the PM-only day
  };
  EXPECT_EQ(lines, expected);

  const auto marks = Marks(ops);
  const std::vector<TPoint> expectedMarks = {
      {SlotX(1, 0), Y(1800)}, {SlotX(1, 1), Y(1850)}, {SlotX(2, 1), Y(1900)},
      {SlotX(3, 0), Y(1750)}, {SlotX(4, 0), Y(1700)}};
  EXPECT_EQ(marks, expectedMarks);
  for (const auto& op : Select(ops, [](const DrawOp& o) { return o.kind == DrawOp::Polygon; })) {
    EXPECT_EQ(op.brush.Color(), kXSeriesColor);
    EXPECT_EQ(op.pen.Color, kXSeriesColor);
  }
}

TEST(XChartScreen, LimitLinesOnlyWhenValuesSpreadOverClasses) {
  // One value: one mark, no line, no limit lines.
  TMainData one = MakeMonth(2024, 1);
  SetValue(one, 5, 1, 1800);
  one.Calculate();
  auto ops = RecordScreen(one);
  EXPECT_EQ(Marks(ops).size(), 1u);
  EXPECT_TRUE(Select(ops, IsSeriesLine).empty());
  EXPECT_TRUE(Select(ops, IsWideLine).empty());

  // Three values in the class 17.75 - 18.25: still none.
  TMainData same = MakeMonth(2024, 1);
  SetValue(same, 1, 0, 1800);
  SetValue(same, 1, 1, 1810);
  SetValue(same, 2, 0, 1790);
  same.Calculate();
  ops = RecordScreen(same);
  EXPECT_EQ(Marks(ops).size(), 3u);
  EXPECT_EQ(Select(ops, IsSeriesLine).size(), 2u);
  EXPECT_TRUE(Select(ops, IsWideLine).empty());

  // A fourth value in another class: centre line and tolerance lines,
  // under the data line.
  SetValue(same, 2, 1, 1700);
  same.Calculate();
  ops = RecordScreen(same);
  const auto wide = Select(ops, IsWideLine);
  ASSERT_EQ(wide.size(), 3u);
  EXPECT_EQ(wide[0].r, (TRect{240, kYT, 590, kYT}));
  EXPECT_EQ(wide[0].pen.Color, kXCentreLineColor);
  EXPECT_EQ(wide[1].r, (TRect{240, kYTplusK, 590, kYTplusK}));
  EXPECT_EQ(wide[2].r, (TRect{240, kYTminusK, 590, kYTminusK}));
  EXPECT_EQ(wide[1].pen.Color, kXLimitLineColor);
  EXPECT_EQ(wide[2].pen.Color, kXLimitLineColor);
  EXPECT_LT(IndexOf(ops, IsWideLine), IndexOf(ops, IsSeriesLine));
  // The series is drawn with a one-pixel pen again.
  for (const auto& op : Select(ops, IsSeriesLine)) EXPECT_EQ(op.pen.Width, 1);
}

TEST(XChartScreen, PinkBandsAlways) {
  const TMainData d = MakeMonth(2024, 1);
  const auto ops = RecordScreen(d);
  const auto bands = Select(ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Rectangle && op.brush.Color() == kXBandColor;
  });
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[0].r, (TRect{240, 10, 590, kYTplusK}));
  EXPECT_EQ(bands[1].r, (TRect{240, kYTminusK, 590, 270}));
}

// Days along the bottom: labels under the even days, a solid grey line on
// each day boundary and a pale dotted line through each day's middle.
class XChartDays : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(XChartDays, LabelsAndGridFollowTheMonthLength) {
  const auto [month, days] = GetParam();
  const TMainData d = MakeMonth(2023, month);
  ASSERT_EQ(d.SlumpList.Count(), days);
  const auto ops = RecordScreen(d);
  const double cell = 350.0 / days;

  // X labels stand 8 pixels under the plot.
  const auto labels = Select(ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Text && op.r.Top == 270 + 8;
  });
  ASSERT_EQ(static_cast<int>(labels.size()), days / 2);
  for (std::size_t k = 0; k < labels.size(); ++k) {
    const int day = 2 * static_cast<int>(k) + 2;
    EXPECT_EQ(labels[k].text, QString::number(day));
    const int centre = static_cast<int>(std::nearbyint(240 + (day - 0.5) * cell));
    EXPECT_EQ(labels[k].r.Left, centre - LabelWidth(labels[k].text) / 2) << day;
  }

  const auto boundaries = Select(ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Line && op.r.Left == op.r.Right && op.pen.Color == kXGridColor &&
           op.pen.Style == TPenStyle::Solid;
  });
  ASSERT_EQ(static_cast<int>(boundaries.size()), days - 1);
  for (int i = 1; i < days; ++i) {
    EXPECT_EQ(boundaries[i - 1].r.Left, static_cast<int>(std::nearbyint(240 + i * cell)));
    EXPECT_EQ(boundaries[i - 1].r.Top, 11);
    EXPECT_EQ(boundaries[i - 1].r.Bottom, 269);
  }
  const auto middles = Select(ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Line && op.pen.Color == kXMidDayColor;
  });
  ASSERT_EQ(static_cast<int>(middles.size()), days);
  for (int i = 1; i <= days; ++i) {
    EXPECT_EQ(middles[i - 1].r.Left, static_cast<int>(std::nearbyint(240 + (i - 0.5) * cell)));
    EXPECT_EQ(middles[i - 1].pen.Style, TPenStyle::Dot);
  }
  // The pen is solid again after the dotted lines.
  const int lastMiddle = IndexOf(ops, [&](const DrawOp& op) {
    return op.kind == DrawOp::Line && op.r.Left == middles.back().r.Left &&
           op.pen.Color == kXMidDayColor;
  });
  for (std::size_t i = lastMiddle + 1; i < ops.size(); ++i) {
    if (ops[i].kind == DrawOp::Line) {
      EXPECT_EQ(ops[i].pen.Style, TPenStyle::Solid);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Months, XChartDays,
                         ::testing::Values(std::make_pair(1, 31), std::make_pair(2, 28),
                                           std::make_pair(4, 30)));

TEST(XChartScreen, YLabelsInWholeCentimetresAndGridBelowTheTop) {
  const TMainData d = MakeMonth(2024, 1, 1800, 250);  // 13.0 .. 23.0 cm
  const auto ops = RecordScreen(d);
  const auto ylabels = Select(ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Text && op.r.Top < 270;
  });
  ASSERT_EQ(ylabels.size(), 11u);
  for (int k = 0; k <= 10; ++k) {
    EXPECT_EQ(ylabels[k].text, QString::number(13 + k));
    // Right-aligned 4 pixels left of the plot, on the button-face brush.
    EXPECT_LT(ylabels[k].r.Left, 236);
    EXPECT_EQ(ylabels[k].brush.Color(), clBtnFace);
    EXPECT_EQ(ylabels[k].font.Color, clBlack);
  }
  const auto hgrid = Select(ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Line && op.r.Top == op.r.Bottom && op.pen.Color == kXGridColor;
  });
  EXPECT_EQ(hgrid.size(), 10u);  // 13 .. 22: none on the top edge
}

TEST(XChartScreen, OddRecordsDrawWithoutFault) {
  // K = 0: the range collapses, bands are empty, values still plotted.
  TMainData flat = MakeMonth(2024, 1, 1800, 0);
  SetValue(flat, 1, 0, 1800);
  SetValue(flat, 1, 1, 1850);
  flat.Calculate();
  auto ops = RecordScreen(flat);
  EXPECT_EQ(Marks(ops).size(), 2u);
  EXPECT_TRUE(Select(ops, [](const DrawOp& op) {
                return op.kind == DrawOp::Rectangle && op.brush.Color() == kXBandColor;
              }).empty());

  // A day with a single slot, a negative tolerance, a tiny box.
  TMainData odd = MakeMonth(2024, 1, 1800, -300);
  odd.SlumpList.Items(3).SokuteiList.Clear();
  odd.SlumpList.Items(4).SokuteiList = TSokuteiList{};
  odd.SlumpList.Items(4).SokuteiList.Add(TSokutei{1900, false});
  SetValue(odd, 6, 0, -50);  // below zero counts as blank
  odd.Calculate();
  ops = RecordScreen(odd);
  EXPECT_EQ(Marks(ops).size(), 1u);
  QImage img = WhiteImage(20, 10);
  TQtCanvas canvas(&img);
  DrawXChart(canvas, TRect{0, 0, 20, 10}, odd);
  DrawXChart(canvas, TRect{0, 0, 0, 0}, odd);
  TCanvasAssist assist(&canvas);
  DrawXChartDoc(canvas, TRect{5, 5, 5, 5}, assist, odd, true);
  DrawXChartDoc(canvas, TRect{0, 0, 20, 10}, assist, flat, true);
}

TEST(XChartPrinted, NoFillsAndGreyBandsOnlyWithTheSetting) {
  TMainData d = MakeMonth(2024, 1);
  SetValue(d, 3, 0, 1800);
  d.Calculate();
  DocRecording off;
  RecordDoc(off, d, false);
  EXPECT_TRUE(Select(off.ops, [](const DrawOp& op) {
                return op.kind == DrawOp::FillRect || op.kind == DrawOp::Rectangle;
              }).empty());

  DocRecording on;
  RecordDoc(on, d, true);
  const auto bands = Select(on.ops, [](const DrawOp& op) { return op.kind == DrawOp::Rectangle; });
  ASSERT_EQ(bands.size(), 2u);
  for (const auto& b : bands) EXPECT_EQ(b.brush.Color(), kXDocBandColor);
  // 14.0 .. 22.0 cm over 665 pixels.
  EXPECT_EQ(bands[0].r, (TRect{140, 200, 1060, 366}));
  EXPECT_EQ(bands[1].r, (TRect{140, 699, 1060, 865}));
  EXPECT_TRUE(Select(on.ops, [](const DrawOp& op) { return op.kind == DrawOp::FillRect; }).empty());
}

TEST(XChartPrinted, DottedLimitLinesAlwaysCircleMarksAndWeightedFrame) {
  TMainData d = MakeMonth(2024, 1);
  SetValue(d, 3, 1, 1800);  // a single value
  d.Calculate();
  DocRecording rec;
  RecordDoc(rec, d, false);

  // Three dotted grey lines of weight 1 (two pixel rows each here).
  const auto dotted = Select(rec.ops, [](const DrawOp& op) {
    return op.kind == DrawOp::Line && op.pen.Style == TPenStyle::Dot &&
           op.pen.Color == kXDocLimitLineColor;
  });
  ASSERT_EQ(dotted.size(), 6u);
  std::set<int> rows;
  for (const auto& l : dotted) {
    EXPECT_EQ(l.r.Left, 140);
    EXPECT_EQ(l.r.Right, 1060);
    rows.insert(l.r.Top);
  }
  // A weight of one extra row adds the row above.
  EXPECT_EQ(rows, (std::set<int>{DocY(1800) - 1, DocY(1800), DocY(2000) - 1, DocY(2000),
                                 DocY(1600) - 1, DocY(1600)}));

  // One circle of radius RoundOff(920 x 0.005) = 5, black.
  const auto circles = Select(rec.ops, [](const DrawOp& op) { return op.kind == DrawOp::Ellipse; });
  ASSERT_EQ(circles.size(), 1u);
  const int x = static_cast<int>(std::nearbyint(140 + 2.75 * 920 / 31));
  EXPECT_EQ(circles[0].r, (TRect{x - 5, DocY(1800) - 5, x + 5, DocY(1800) + 5}));
  EXPECT_EQ(circles[0].brush.Color(), clBlack);
  EXPECT_TRUE(Select(rec.ops, [](const DrawOp& op) { return op.kind == DrawOp::Polygon; }).empty());

  // The frame: weight 2 = three frame rectangles growing inwards.
  const auto frames = Select(rec.ops, [](const DrawOp& op) { return op.kind == DrawOp::FrameRect; });
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].r, kDocPlot);
  EXPECT_EQ(frames[2].r, (TRect{142, 202, 1058, 863}));
  EXPECT_EQ(frames[0].brush.Color(), clBlack);
}

TEST(XChartPrinted, FontsInProportionToThePlot) {
  TMainData d = MakeMonth(2024, 1);
  d.Calculate();
  DocRecording rec;
  RecordDoc(rec, d, false);
  const auto texts = Select(rec.ops, [](const DrawOp& op) { return op.kind == DrawOp::Text; });
  ASSERT_FALSE(texts.empty());
  for (const auto& t : texts) {
    EXPECT_EQ(t.font.Log.FaceName, QString::fromUtf8("ＭＳ Ｐゴシック"));
    EXPECT_EQ(t.font.Log.Height, 23);  // RoundOff(920 x 0.025)
    EXPECT_EQ(t.font.Color, clBlack);
  }
  // X labels 10 pixels (RoundEven(700 x 0.015)) below the plot, Y labels
  // 10 pixels (RoundEven(1000 x 0.01)) left of it.
  const auto xl = Select(texts, [](const DrawOp& op) { return op.r.Top == 865 + 10; });
  EXPECT_EQ(xl.size(), 15u);
  // The sheet goes on with the 3.5 % "ＭＳ 明朝" font.
  EXPECT_EQ(rec.canvas.Font.Log.FaceName, QString::fromUtf8("ＭＳ 明朝"));
  EXPECT_EQ(rec.canvas.Font.Log.Height, 32);  // RoundOff(920 x 0.035)
  EXPECT_EQ(rec.assist.LogFont.Height, 32);
  EXPECT_EQ(rec.canvas.Pen.Style, TPenStyle::Solid);
  // Grid lines are black on the sheet.
  EXPECT_NE(IndexOf(rec.ops, [](const DrawOp& op) {
              return op.kind == DrawOp::Line && op.r.Left == op.r.Right && op.pen.Color == clBlack;
            }),
            -1);
}
