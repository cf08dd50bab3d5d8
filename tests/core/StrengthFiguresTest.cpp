// The strength log's figures: the acceptance boundaries, rounding, lots
// around tests still curing, the summary's required mean and the x–Rs–Rm
// chart limits on examples worked by hand.
#include <gtest/gtest.h>

#include <initializer_list>

#include "core/StrengthFigures.h"

using namespace kestrin;

namespace {

TStrengthTest Sample(std::optional<TSpecimens> s28, int32_t slump = 180, int32_t air = 45) {
  TStrengthTest t;
  t.Slump = slump;
  t.Air = air;
  t.Strength28 = s28;
  return t;
}

// A test whose three specimens all equal `result` (tenths).
TStrengthTest Flat(int32_t result) { return Sample(TSpecimens{result, result, result}); }

TStrengthLog Log(std::initializer_list<TStrengthTest> tests, int32_t nominal = 240) {
  TStrengthLog log;
  log.Mix.NominalStrength = nominal;
  log.Tests = tests;
  return log;
}

}  // namespace

TEST(StrengthJudgement, ResultPassesFromExactlyEightyFivePercentOfTheNominalStrength) {
  // 0.85 × 24.0 = 20.4; 0.85 × 4.5 = 3.825 (a flexural mix).
  EXPECT_TRUE(ResultPasses(204, 240));
  EXPECT_FALSE(ResultPasses(203, 240));
  EXPECT_TRUE(ResultPasses(39, 45));
  EXPECT_FALSE(ResultPasses(38, 45));

  const TStrengthFigures f = ComputeStrengthFigures(Log({Flat(204), Flat(203)}));
  EXPECT_EQ(f.Tests[0].Pass, true);
  EXPECT_EQ(f.Tests[1].Pass, false);
  EXPECT_EQ(f.FailedTests, 1);
}

TEST(StrengthJudgement, SlumpAirAndChlorideIncludeTheirBoundaries) {
  // Slump 18.0 ± 2.5, air 4.5 ± 1.5, chloride at most 0.30.
  TStrengthLog log =
      Log({Sample({}, 155, 30), Sample({}, 205, 60), Sample({}, 154, 29), Sample({}, 206, 61), Sample({})});
  log.Tests[0].Chloride = 30;
  log.Tests[1].Chloride = 31;
  const TStrengthFigures f = ComputeStrengthFigures(log);
  for (int i : {0, 1}) {
    EXPECT_TRUE(f.Tests[i].SlumpPass) << i;
    EXPECT_TRUE(f.Tests[i].AirPass) << i;
  }
  for (int i : {2, 3}) {
    EXPECT_FALSE(f.Tests[i].SlumpPass) << i;
    EXPECT_FALSE(f.Tests[i].AirPass) << i;
  }
  EXPECT_EQ(f.Tests[0].ChloridePass, true);
  EXPECT_EQ(f.Tests[1].ChloridePass, false);
  EXPECT_FALSE(f.Tests[4].ChloridePass.has_value());
  // No 28-day specimens: no result and no judgement.
  EXPECT_FALSE(f.Tests[4].Result28 || f.Tests[4].Pass || f.Tests[4].Rm);
}

TEST(StrengthRounding, MeansRoundHalfAwayFromZero) {
  EXPECT_EQ(RoundDiv(5, 2), 3);
  EXPECT_EQ(RoundDiv(-5, 2), -3);
  EXPECT_EQ(RoundDiv(4, 3), 1);
  EXPECT_EQ(RoundDiv(-4, 3), -1);
  // Three specimens never mean to a half: 30.033 and 30.067.
  EXPECT_EQ(SpecimenMean({300, 300, 301}), 300);
  EXPECT_EQ(SpecimenMean({300, 301, 301}), 301);
  // The month mean of four results lands on a half hundredth: 30.025.
  const TStrengthFigures f = ComputeStrengthFigures(Log({Flat(300), Flat(300), Flat(300), Flat(301)}));
  EXPECT_EQ(f.Summary.Mean, 3003);
  EXPECT_EQ(FormatScaled(3003, 2), "30.03");
  EXPECT_EQ(FormatScaled(-5, 1), "-0.5");
  EXPECT_EQ(FormatScaled(4, 2), "0.04");
}

TEST(StrengthLots, LotsTakeThreeResultsSkippingCuringTestsAndTheLastIsPending) {
  // Tests 3 and 6 are still curing; lot means 23.967 → 24.0 (passes at
  // exactly the nominal strength) and 23.933 → 23.9 (fails).
  const TStrengthFigures f = ComputeStrengthFigures(Log(
      {Flat(239), Flat(240), Sample({}), Flat(240), Flat(239), Sample({}), Flat(239), Flat(240), Flat(250)}));
  ASSERT_EQ(f.Lots.size(), 3u);
  EXPECT_EQ(f.Lots[0].Tests, (std::vector<std::size_t>{1, 2, 4}));
  EXPECT_EQ(f.Lots[0].Mean, 240);
  EXPECT_EQ(f.Lots[0].Pass, true);
  EXPECT_EQ(f.Lots[1].Tests, (std::vector<std::size_t>{5, 7, 8}));
  EXPECT_EQ(f.Lots[1].Mean, 239);
  EXPECT_EQ(f.Lots[1].Pass, false);
  EXPECT_EQ(f.Lots[2].Tests, (std::vector<std::size_t>{9}));
  EXPECT_FALSE(f.Lots[2].Mean || f.Lots[2].Pass);
  EXPECT_EQ(f.FailedLots, 1);
  // Rs compares with the previous result, across a curing test.
  EXPECT_FALSE(f.Tests[0].Rs.has_value());
  EXPECT_EQ(f.Tests[1].Rs, 1);
  EXPECT_EQ(f.Tests[3].Rs, 0);
  EXPECT_EQ(f.Tests[8].Rs, 10);
  // Two results make one pending lot, three one judged lot.
  EXPECT_EQ(ComputeStrengthFigures(Log({Flat(240), Flat(240)})).Lots.size(), 1u);
  EXPECT_EQ(ComputeStrengthFigures(Log({Flat(240), Flat(240), Flat(240)})).Lots[0].Pass, true);
}

TEST(StrengthChart, LimitsOfAWorkedExample) {
  // Results 30.0 31.0 29.5 32.0 30.5 (Rm 2.0 1.0 1.0 2.0 1.0):
  //   x̄ = 153.0 / 5 = 30.60
  //   Rs 1.0 1.5 2.5 1.5 → R̄s = 6.5 / 4 = 1.625 → 1.63 (half away)
  //   UCL = 30.60 + 2.66 × 1.63 = 30.60 + 4.3358 → 34.94, LCL → 26.26
  //   Rs UCL = 3.267 × 1.63 = 5.32521 → 5.33
  //   R̄m = 7.0 / 5 = 1.40, Rm UCL = 2.575 × 1.40 = 3.605 → 3.61 (half away)
  TStrengthLog log = Log({Sample(TSpecimens{290, 300, 310}), Sample(TSpecimens{305, 310, 315}),
                          Sample(TSpecimens{290, 295, 300}), Sample(TSpecimens{310, 320, 330}),
                          Sample(TSpecimens{300, 305, 310})});
  const TStrengthFigures f = ComputeStrengthFigures(log);
  ASSERT_TRUE(f.Chart.has_value());
  EXPECT_EQ(f.Chart->Center, 3060);
  EXPECT_EQ(f.Chart->RsBar, 163);
  EXPECT_EQ(f.Chart->UCL, 3494);
  EXPECT_EQ(f.Chart->LCL, 2626);
  EXPECT_EQ(f.Chart->RsUCL, 533);
  EXPECT_EQ(f.Chart->RmBar, 140);
  EXPECT_EQ(f.Chart->RmUCL, 361);
  EXPECT_TRUE(f.Signals.empty());
  // Summary: deviations −0.6 0.4 −1.1 1.4 −0.1, squares 3.70, s = √0.925 =
  // 0.9618 → 0.96; required max(20.4 + 2.88, 24 + √3 × 0.96 = 25.663) →
  // 25.66; margin 30.60 − 25.66 = 4.94.
  EXPECT_EQ(f.Summary.Count, 5u);
  EXPECT_EQ(f.Summary.Sigma, 96);
  EXPECT_EQ(f.Summary.Min, 295);
  EXPECT_EQ(f.Summary.Max, 320);
  EXPECT_EQ(f.Summary.RequiredMean, 2566);
  EXPECT_EQ(f.Summary.Margin, 494);

  // Four results have no limits.
  log.Tests.pop_back();
  EXPECT_FALSE(ComputeStrengthFigures(log).Chart.has_value());
}

TEST(StrengthChart, PointsBeyondALimitAreSignalsOfTheirChart) {
  // 30 30 30 30 30 40 (first with Rm 2.0): x̄ = 31.67, R̄s = 2.00,
  // UCL 36.99, Rs UCL 6.53; R̄m = 0.33, Rm UCL = 0.84975 → 0.85.
  const TStrengthFigures f = ComputeStrengthFigures(
      Log({Sample(TSpecimens{290, 300, 310}), Flat(300), Flat(300), Flat(300), Flat(300), Flat(400)}));
  ASSERT_TRUE(f.Chart.has_value());
  EXPECT_EQ(f.Chart->UCL, 3699);
  EXPECT_EQ(f.Chart->RmUCL, 85);
  EXPECT_EQ(f.Signals, (std::vector<TStrengthSignal>{
                           {TStrengthChart::X, 6}, {TStrengthChart::Rs, 6}, {TStrengthChart::Rm, 1}}));
}

TEST(StrengthSummary, RequiredMeanTakesTheLargerTermAndNeedsTwoResults) {
  EXPECT_EQ(RequiredMeanStrength(240, 96), 2566);   // SL + √3·s
  EXPECT_EQ(RequiredMeanStrength(240, 500), 3540);  // 0.85·SL + 3s = 20.4 + 15.0
  // The terms meet at s = 0.15·SL / (3 − √3) = 2.839: just below and above.
  EXPECT_EQ(RequiredMeanStrength(240, 283), 2890);  // 24 + 4.9017
  EXPECT_EQ(RequiredMeanStrength(240, 284), 2892);  // 20.4 + 8.52

  const TStrengthFigures one = ComputeStrengthFigures(Log({Flat(300), Sample({})}));
  EXPECT_EQ(one.Summary.Count, 1u);
  EXPECT_EQ(one.Summary.Mean, 3000);
  EXPECT_FALSE(one.Summary.Sigma || one.Summary.RequiredMean || one.Summary.Margin);
  const TStrengthFigures two = ComputeStrengthFigures(Log({Flat(300), Flat(302)}));
  EXPECT_EQ(two.Summary.Sigma, 14);  // √0.02 = 0.1414
  EXPECT_TRUE(two.Summary.Margin.has_value());
}
