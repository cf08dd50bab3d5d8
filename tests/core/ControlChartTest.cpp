// Subgroups, limits and reference pooling of the X̄–R chart, and the
// within-day capability with the confidence intervals.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "MonthBuilder.h"
#include "core/CapabilityBounds.h"
#include "core/ControlChart.h"
#include "core/Overview.h"

using namespace kestrin;
using testutil::MonthWithValues;

namespace {

// Five complete days: ΣS = 18000, ΣR = 500 (X̿ = 18.00 cm, R̄ = 1.00 cm).
const std::vector<int32_t> kFive = {1800, 1900, 1700, 1800, 1800, 1800, 1850, 1750, 1900, 1700};

TReferenceMonth Ref(int32_t year, int32_t month, TControlSource source) {
  return TReferenceMonth{"", PackDate(year, month, 1), source};
}

}  // namespace

TEST(ControlSubgroups, DaysWithTwoValuesArePointsAndOneValueDaysOnlyDrawn) {
  std::vector<int32_t> v = kFive;
  v.insert(v.end(), {1800, 0, 0, 0, 0, 1900});  // day 6 AM only, day 7 blank, day 8 PM only
  const TMainData d = MonthWithValues(v);
  const auto days = MonthDays(d);
  ASSERT_EQ(days.size(), 7u);
  EXPECT_EQ(days[5], (TSubgroup{6, 5, 1800, 0}));
  EXPECT_EQ(days[6], (TSubgroup{8, 7, 0, 1900}));
  EXPECT_DOUBLE_EQ(static_cast<double>(days[6].Mean()), 1900.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(days[0].Mean()), 1850.0);
  EXPECT_EQ(CompleteSubgroups(days).size(), 5u);
  EXPECT_EQ(SourceOf(days), (TControlSource{5, 18000, 500}));
}

TEST(ControlLimits, FromFiveSubgroupsWithTheShewhartFactors) {
  const TControlChart c = ComputeControlChart(MonthWithValues(kFive), {});
  ASSERT_TRUE(c.Limits);
  EXPECT_DOUBLE_EQ(static_cast<double>(c.Limits->Center), 1800.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(c.Limits->RBar), 100.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(c.Limits->Ucl), 1988.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(c.Limits->Lcl), 1612.0);
  EXPECT_DOUBLE_EQ(static_cast<double>(c.Limits->RUcl), 326.7);
  EXPECT_NEAR(static_cast<double>(c.Limits->Sigma), 1.0 / 1.128, 1e-12);
  EXPECT_EQ(c.Origin, TLimitOrigin::Month);
  EXPECT_EQ(ReferenceText(c), "基準：当月（5群）");

  // Four are too few: points, but no limits and no signals.
  std::vector<int32_t> four(kFive.begin(), kFive.begin() + 8);
  four.insert(four.end(), {2500, 0});  // day 5: AM only
  const TControlChart few = ComputeControlChart(MonthWithValues(four), {});
  EXPECT_EQ(few.Points.size(), 4u);
  EXPECT_EQ(few.Days.size(), 5u);
  EXPECT_FALSE(few.Limits);
  EXPECT_TRUE(few.Signals.empty());
  EXPECT_EQ(ReferenceText(few), "");
}

TEST(ControlReference, PooledMonthsGiveTheLimitsAndTooFewFallBackToTheMonth) {
  const TMainData month = MonthWithValues(kFive, PackDate(2025, 6, 1));
  // Three earlier months, given newest first: reported oldest first.
  const std::vector<TReferenceMonth> three = {Ref(2025, 5, {28, 28 * 3700, 28 * 50}),
                                              Ref(2025, 3, {30, 30 * 3700, 30 * 50}),
                                              Ref(2025, 4, {26, 26 * 3700, 26 * 50})};
  const TControlChart c = ComputeControlChart(month, {}, true, three);
  ASSERT_TRUE(c.Limits);
  EXPECT_EQ(c.Origin, TLimitOrigin::Reference);
  EXPECT_EQ(c.Limits->Source, (TControlSource{84, 84 * 3700, 84 * 50}));
  EXPECT_DOUBLE_EQ(static_cast<double>(c.Limits->Center), 1850.0);
  EXPECT_EQ(c.ReferenceMonths,
            (std::vector<int32_t>{PackDate(2025, 3, 1), PackDate(2025, 4, 1), PackDate(2025, 5, 1)}));
  EXPECT_EQ(ReferenceText(c), "基準：2025年3月～5月（3か月，84群）");
  // The month's own points against the reference limits: every day mean
  // lies at or below 18.5 with R̄ = 0.5 cm, so day 1 (18.5) is on the line.
  EXPECT_EQ(c.Points.size(), 5u);

  const TControlChart span =
      ComputeControlChart(month, {}, true, {Ref(2025, 1, {3, 3 * 3600, 0}), Ref(2024, 11, {2, 2 * 3600, 0})});
  EXPECT_EQ(ReferenceText(span), "基準：2024年11月～2025年1月（2か月，5群）");
  const TControlChart one = ComputeControlChart(month, {}, true, {Ref(2025, 5, {5, 5 * 3600, 100})});
  EXPECT_EQ(ReferenceText(one), "基準：2025年5月（1か月，5群）");

  // Four subgroups among the reference months are too few.
  const TControlChart few = ComputeControlChart(month, {}, true, {Ref(2025, 5, {4, 4 * 3600, 100})});
  ASSERT_TRUE(few.Limits);
  EXPECT_EQ(few.Origin, TLimitOrigin::TooFewMonths);
  EXPECT_EQ(few.Limits->Source, (TControlSource{5, 18000, 500}));
  EXPECT_EQ(ReferenceText(few), "基準：当月（5群）　基準月の群が足りないため当月の値で計算");
  const TControlChart none = ComputeControlChart(month, {}, true, {});
  EXPECT_EQ(none.Origin, TLimitOrigin::TooFewMonths);
}

// Quantiles and intervals below were computed independently with SciPy
// 1.10 (scipy.stats.chi2.ppf) and the formulas written out in Python.
TEST(CapabilityBounds, ChiSquareQuantilesMatchAnIndependentComputation) {
  EXPECT_NEAR(*ChiSquareQuantile(0.025, 59), 39.66185935151565, 1e-9);
  EXPECT_NEAR(*ChiSquareQuantile(0.975, 59), 82.1174059402383, 1e-9);
  EXPECT_NEAR(*ChiSquareQuantile(0.025, 1), 0.0009820691171752555, 1e-12);
  EXPECT_NEAR(*ChiSquareQuantile(0.975, 1), 5.023886187314888, 1e-9);
  EXPECT_FALSE(ChiSquareQuantile(0.5, 0));
  EXPECT_FALSE(ChiSquareQuantile(0.0, 5));
  EXPECT_FALSE(ChiSquareQuantile(1.0, 5));
}

TEST(CapabilityBounds, IntervalsOfCpAndCpkAgreeWithAnIndependentComputation) {
  struct Case {
    int64_t n;
    double cp, cpk, cpLow, cpHigh, cpkLow, cpkHigh;
  } cases[] = {
      {60, 1.2, 0.9, 0.9838791908251171, 1.415705277632912, 0.717012625684667, 1.082987374315333},
      {2, 1.0, 0.5, 0.031337982021426576, 2.241402727604945, -0.3328398538868216, 1.3328398538868216},
      {9, 0.8, -0.3, 0.41758646982416947, 1.1843832534947343, -0.5627473320394084, -0.03725266796059157},
  };
  for (const Case& c : cases) {
    const TCapabilityBounds b = ComputeCapabilityBounds(TCapability{c.cp, c.cpk}, c.n, 1800, 250, 1800, {});
    ASSERT_TRUE(b.CpLow && b.CpHigh && b.CpkLow && b.CpkHigh) << c.n;
    EXPECT_NEAR(*b.CpLow, c.cpLow, 1e-9) << c.n;
    EXPECT_NEAR(*b.CpHigh, c.cpHigh, 1e-9) << c.n;
    EXPECT_NEAR(*b.CpkLow, c.cpkLow, 1e-9) << c.n;
    EXPECT_NEAR(*b.CpkHigh, c.cpkHigh, 1e-9) << c.n;
    EXPECT_FALSE(b.CpWithin);
  }
  // One value: no interval; undefined indices: none.
  const TCapabilityBounds one = ComputeCapabilityBounds(TCapability{1.0, 1.0}, 1, 1800, 250, 1800, {});
  EXPECT_FALSE(one.CpLow || one.CpHigh || one.CpkLow || one.CpkHigh);
  const TCapabilityBounds undefined = ComputeCapabilityBounds(TCapability{}, 60, 1800, 250, 1800, {});
  EXPECT_FALSE(undefined.CpLow || undefined.CpkLow);
}

TEST(CapabilityBounds, WithinIndicesUseSigmaHatAndTheMonthMean) {
  // T 18.0, K 2.5, X 18.5, σ̂ 0.5: Cp = 5/3, Cpk = min(2.0, 3.0)/1.5.
  const TCapabilityBounds b = ComputeCapabilityBounds({}, 10, 1800, 250, 1850, 0.5L);
  ASSERT_TRUE(b.CpWithin && b.CpkWithin);
  EXPECT_NEAR(*b.CpWithin, 5.0 / 3.0, 1e-12);
  EXPECT_NEAR(*b.CpkWithin, 2.0 / 1.5, 1e-12);
  const TCapabilityBounds low = ComputeCapabilityBounds({}, 10, 1800, 250, 1580, 0.5L);
  EXPECT_NEAR(*low.CpkWithin, 0.3 / 1.5, 1e-12);
  EXPECT_FALSE(ComputeCapabilityBounds({}, 10, 1800, 250, 1850, 0.0L).CpWithin);  // R̄ = 0
  EXPECT_FALSE(ComputeCapabilityBounds({}, 10, 1800, 0, 1850, 0.5L).CpWithin);    // no tolerance
  EXPECT_FALSE(ComputeCapabilityBounds({}, 10, 1800, 250, 1850, std::nullopt).CpWithin);
  const TCapabilityBounds empty = ComputeCapabilityBounds({}, 0, 1800, 250, 0, 0.5L);
  EXPECT_TRUE(empty.CpWithin);
  EXPECT_FALSE(empty.CpkWithin);
  EXPECT_TRUE(ComputeCapabilityBounds({}, 1, 1800, 250, 1850, 0.5L).CpkWithin);

  // The month's: σ̂ of its limits (R̄ = 1.00 cm), its mean X.
  const TMainData d = MonthWithValues(kFive, PackDate(2025, 6, 1), {}, 1800, 250);
  const TCapabilityBounds m = MonthCapabilityBounds(d, ComputeControlChart(d, {}));
  ASSERT_TRUE(m.CpWithin);
  EXPECT_NEAR(*m.CpWithin, 5.0 / (6.0 / 1.128), 1e-9);
  EXPECT_TRUE(m.CpLow);
  std::vector<int32_t> four(kFive.begin(), kFive.begin() + 8);
  const TMainData f = MonthWithValues(four, PackDate(2025, 6, 1), {}, 1800, 250);
  EXPECT_FALSE(MonthCapabilityBounds(f, ComputeControlChart(f, {})).CpWithin);
}

TEST(ControlOverview, MonthsCountTheirSignalsAgainstTheirOwnLimits) {
  // Days 1-9 at 18.0/19.0 and day 10 at 24.0/25.0: rule 2 and rule 1.
  std::vector<int32_t> v;
  for (int i = 0; i < 9; ++i) v.insert(v.end(), {1800, 1900});
  v.insert(v.end(), {2400, 2500});
  TOverviewMonth m;
  m.Days = MonthDays(MonthWithValues(v));
  EXPECT_EQ(ControlSignalCount(m, {}), 2);
  TControlRuleSet only1;
  only1.On = {true, false, false, false, false, false, false, false};
  EXPECT_EQ(ControlSignalCount(m, only1), 1);
  const std::vector<TSubgroup> all = m.Days;
  m.Days.assign(all.begin(), all.begin() + 4);
  EXPECT_FALSE(ControlSignalCount(m, {}));
  m.Days.assign(all.begin(), all.begin() + 5);
  EXPECT_EQ(ControlSignalCount(m, {}), 0);
}
