// The X̄–R chart, screen and sheet, on recorded operations: limit lines
// and their values, filled and hollow points, rings of the signals, no
// limits below five subgroups, and the signal sentences.
#include <gtest/gtest.h>

#include <algorithm>

#include "ChartOps.h"
#include "charts/XChart.h"
#include "charts/XbarRChart.h"
#include "core/ControlRules.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

constexpr TRect kBox{0, 0, 600, 400};

std::vector<DrawOp> Record(const TMainData& d, const TControlChart& chart) {
  TPageImage page(kBox.Right, kBox.Bottom, 96, 96);
  TRecordingCanvas canvas(&page);
  DrawXbarRChart(canvas, kBox, d, chart);
  return Flatten(page);
}

std::vector<DrawOp> RecordDoc(const TMainData& d, const TControlChart& chart) {
  TPageImage page(1200, 1000, 600, 600);
  TRecordingCanvas canvas(&page);
  TCanvasAssist assist(&canvas);
  for (int w = 0; w < 6; ++w) assist.Weights[w] = w;
  DrawXbarRChartDoc(canvas, TRect{100, 100, 1100, 900}, assist, d, chart);
  return Flatten(page);
}

std::vector<QString> Texts(const std::vector<DrawOp>& ops) {
  std::vector<QString> t;
  for (const DrawOp& op : ops)
    if (op.kind == DrawOp::Text) t.push_back(op.text);
  return t;
}

bool Has(const std::vector<QString>& texts, const QString& t) {
  return std::find(texts.begin(), texts.end(), t) != texts.end();
}

int Count(const std::vector<DrawOp>& ops, const std::function<bool(const DrawOp&)>& f) {
  return static_cast<int>(std::count_if(ops.begin(), ops.end(), f));
}

bool IsRing(const DrawOp& op) { return op.kind == DrawOp::Ellipse && op.pen.Color == kXSignalRingColor; }

// Days 1-9 at 18.0/19.0, day 10 at 24.0/25.0, day 11 AM only: X̿ = 19.10,
// R̄ = 1.00; rule 2 below on days 1-9, rule 1 above on day 10.
TMainData Month() {
  TMainData d = MakeMonth(2026, 6, 1800, 250);
  for (int day = 1; day <= 9; ++day) {
    SetValue(d, day, 0, 1800);
    SetValue(d, day, 1, 1900);
  }
  SetValue(d, 10, 0, 2400);
  SetValue(d, 10, 1, 2500);
  SetValue(d, 11, 0, 1800);
  d.Calculate();
  return d;
}

}  // namespace

TEST(XbarRChartScreen, LimitValuesAtTheRightEndsAndPointsFilledOrHollow) {
  const TMainData d = Month();
  const TControlChart chart = ComputeControlChart(d, {});
  const auto ops = Record(d, chart);
  const auto texts = Texts(ops);
  for (const char* t : {"UCL 20.98", "CL 19.10", "LCL 17.22", "UCL 3.27", "R̄ 1.00"})
    EXPECT_TRUE(Has(texts, QString::fromUtf8(t))) << t;
  // Ten filled means, one hollow, ten filled ranges.
  auto point = [](const DrawOp& op) {
    return op.kind == DrawOp::Ellipse && op.pen.Color == kXbarRSeriesColor;
  };
  EXPECT_EQ(Count(ops, [&](const DrawOp& op) { return point(op) && op.brush.Color() == kXbarRSeriesColor; }),
            20);
  EXPECT_EQ(Count(ops, [&](const DrawOp& op) { return point(op) && op.brush.Color() == clWhite; }), 1);
  // Rings: the nine days of rule 2 and day 10 of rule 1 on the X̄ chart.
  EXPECT_EQ(Count(ops, IsRing), 10);
  // Nine joins between the ten complete means, nine between the ranges.
  EXPECT_EQ(
      Count(ops,
            [](const DrawOp& op) { return op.kind == DrawOp::Line && op.pen.Color == kXbarRSeriesColor; }),
      18);
}

TEST(XbarRChartScreen, FewerThanFiveSubgroupsDrawPointsOnly) {
  TMainData d = MakeMonth(2026, 6, 1800, 250);
  for (int day = 1; day <= 4; ++day) {
    SetValue(d, day, 0, 1800);
    SetValue(d, day, 1, 1900 + day);
  }
  d.Calculate();
  const auto ops = Record(d, ComputeControlChart(d, {}));
  for (const QString& t : Texts(ops)) EXPECT_FALSE(t.startsWith(QStringLiteral("UCL"))) << t.toStdString();
  EXPECT_EQ(
      Count(ops,
            [](const DrawOp& op) { return op.kind == DrawOp::Line && op.pen.Color == kXbarRLimitColor; }),
      0);
  EXPECT_EQ(
      Count(ops,
            [](const DrawOp& op) { return op.kind == DrawOp::Ellipse && op.pen.Color == kXbarRSeriesColor; }),
      8);
}

TEST(XbarRChartScreen, RuleFiveRingsOnlyThePointsBeyondTwoZones) {
  // Ten days with R̄ = 1.00 from the month itself; day 5 and 7 far above.
  TMainData d = MakeMonth(2026, 6, 1800, 250);
  const int32_t am[] = {1800, 1800, 1800, 1800, 2100, 1800, 2100, 1800, 1800, 1800};
  for (int day = 1; day <= 10; ++day) {
    SetValue(d, day, 0, am[day - 1]);
    SetValue(d, day, 1, am[day - 1] + 100);
  }
  d.Calculate();
  TControlRuleSet five;
  five.On = {false, false, false, false, true, false, false, false};
  const TControlChart chart = ComputeControlChart(d, five);
  ASSERT_EQ(chart.Signals.size(), 1u);
  EXPECT_EQ(chart.Signals[0].Count, 2);
  EXPECT_EQ(Count(Record(d, chart), IsRing), 2);
}

TEST(XbarRChartSheet, BlackWithoutRingsAndWithTheLimitValues) {
  const TMainData d = Month();
  const auto ops = RecordDoc(d, ComputeControlChart(d, {}));
  EXPECT_EQ(Count(ops, IsRing), 0);
  EXPECT_TRUE(Has(Texts(ops), QStringLiteral("UCL 20.98")));
  EXPECT_EQ(
      Count(ops, [](const DrawOp& op) { return op.kind == DrawOp::Ellipse && op.pen.Color != clBlack; }), 0);
}

TEST(XbarRChartTexts, SignalSentencesNameDaysRuleAndSide) {
  const int32_t june = PackDate(2026, 6, 1);
  auto text = [&](TControlSignal s) { return ControlSignalText(june, s).toStdString(); };
  EXPECT_EQ(text({1, TControlChartKind::Xbar, TControlSide::Above, 9, 9, 10, 10, 1}),
            "6月10日：X̄が上方管理限界の外（ルール1）");
  EXPECT_EQ(text({1, TControlChartKind::R, TControlSide::Above, 9, 9, 10, 10, 1}),
            "6月10日：Rが上方管理限界の外（ルール1）");
  EXPECT_EQ(text({2, TControlChartKind::Xbar, TControlSide::Below, 0, 8, 1, 9, 9}),
            "6月1日 〜 6月9日：X̄が中心線の下側に9点連続（ルール2）");
  EXPECT_EQ(text({3, TControlChartKind::Xbar, TControlSide::Down, 0, 5, 1, 6, 6}),
            "6月1日 〜 6月6日：X̄が6点連続して下降（ルール3）");
  EXPECT_EQ(text({5, TControlChartKind::Xbar, TControlSide::Above, 0, 2, 1, 3, 2}),
            "6月1日 〜 6月3日：連続3点中2点以上が上側の領域A以遠（2点）（ルール5）");
  TControlRuleSet rules;
  EXPECT_EQ(RuleListText(rules).toStdString(), "1・2・3・5");
  rules.On.fill(false);
  EXPECT_EQ(RuleListText(rules).toStdString(), "なし");
}
