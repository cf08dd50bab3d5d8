// The month's statistics: judgements, class rows, the sums, mean X and
// sigma against worked examples.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/MainData.h"
#include "tests/core/MonthBuilder.h"

using namespace kestrin;

namespace {

// A 31-day record with the given values (cm x100) entered AM, PM, AM, PM ...
TMainData WithValues(const std::vector<int32_t>& values) {
  return testutil::MonthWithValues(values);
}

const TSokutei& Measurement(const TMainData& d, std::size_t i) {
  return d.SlumpList.Items(static_cast<int32_t>(i / 2)).SokuteiList.Items(static_cast<int32_t>(i % 2));
}

}  // namespace

TEST(Statistics, WorkedExampleRowByRowAndInTotals) {
  const TMainData d = WithValues({1800, 1850, 1750, 1900, 1800, 1600, 0, 2050});
  ASSERT_EQ(d.HistogramList.Count(), 11);

  struct Row { int32_t lower, upper, center, u, f; };
  const Row expected[11] = {
      {1525, 1575, 1550, -5, 0}, {1575, 1625, 1600, -4, 1}, {1625, 1675, 1650, -3, 0},
      {1675, 1725, 1700, -2, 0}, {1725, 1775, 1750, -1, 1}, {1775, 1825, 1800, 0, 2},
      {1825, 1875, 1850, 1, 1},  {1875, 1925, 1900, 2, 1},  {1925, 1975, 1950, 3, 0},
      {1975, 2025, 2000, 4, 0},  {2025, 2075, 2050, 5, 1},
  };
  for (int32_t i = 0; i < 11; ++i) {
    const THistogram& h = d.HistogramList.Items(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(h.Lower, expected[i].lower);
    EXPECT_EQ(h.Upper, expected[i].upper);
    EXPECT_EQ(h.Center, expected[i].center);
    EXPECT_EQ(h.U, expected[i].u);
    EXPECT_EQ(h.F, expected[i].f);
  }
  EXPECT_EQ(d.CalcedResult.SumF, 7);
  EXPECT_EQ(d.CalcedResult.SumUF, 3);
  EXPECT_EQ(d.CalcedResult.SumU2F, 47);
  EXPECT_EQ(d.CalcedResult.AveX, 1821);
  EXPECT_NEAR(static_cast<double>(d.CalcedResult.Hensa), 1.380131, 1e-6);
  EXPECT_EQ(std::lround(static_cast<double>(d.CalcedResult.Hensa) * 1000), 1380);

  EXPECT_TRUE(Measurement(d, 5).Judge);   // 16.0 is on the lower limit
  EXPECT_FALSE(Measurement(d, 7).Judge);  // 20.5 is beyond the upper limit
  EXPECT_FALSE(Measurement(d, 6).Judge);  // blank
  EXPECT_EQ(d.BasicInfo.StartDay, 1);
  EXPECT_EQ(d.BasicInfo.EndDay, 31);
}

TEST(Statistics, JudgementIncludesBothLimitsExactly) {
  const TMainData d = WithValues({1600, 2000, 1599, 2001, 1800});
  EXPECT_TRUE(Measurement(d, 0).Judge);
  EXPECT_TRUE(Measurement(d, 1).Judge);
  EXPECT_FALSE(Measurement(d, 2).Judge);
  EXPECT_FALSE(Measurement(d, 3).Judge);
  EXPECT_TRUE(Measurement(d, 4).Judge);
}

TEST(Statistics, BlankPassesOnlyWhenTheLowerLimitIsNotPositive) {
  TMainData d;
  d.BasicInfo.KariAveX = 100;
  d.BasicInfo.Kyoyo = 100;
  d.MakeHistogramList();
  d.Calculate();
  EXPECT_TRUE(d.SlumpList.Items(0).SokuteiList.Items(0).Judge);
  EXPECT_EQ(d.CalcedResult.SumF, 0);  // still never counted
}

TEST(Statistics, SingleMeasurementLeavesMeanAndDeviationZero) {
  const TMainData d = WithValues({0, 1900});
  EXPECT_EQ(d.CalcedResult.SumF, 1);
  EXPECT_EQ(d.HistogramList.Items(7).F, 1);
  EXPECT_EQ(d.CalcedResult.AveX, 0);
  EXPECT_EQ(d.CalcedResult.Hensa, 0.0L);
}

TEST(Statistics, MeanOnAnExactHalfRoundsAwayFromZero) {
  // 1800 + (0 + 0 + 0 + 1) / 4 x 50 = 1812.5
  const TMainData d = WithValues({1800, 1800, 1800, 1850});
  EXPECT_EQ(d.CalcedResult.SumUF, 1);
  EXPECT_EQ(d.CalcedResult.AveX, 1813);
}

TEST(Statistics, TwoValuesInOneClassGiveZeroDeviationAndTheCentre) {
  const TMainData d = WithValues({1740, 1760});
  EXPECT_EQ(d.CalcedResult.SumF, 2);
  EXPECT_EQ(d.CalcedResult.Hensa, 0.0L);
  EXPECT_EQ(d.CalcedResult.AveX, d.HistogramList.Items(4).Center);
}

TEST(Statistics, ValuesOutsideTheTableFallIntoTheEndRows) {
  const TMainData d = WithValues({500, 3000, 1525, 1524, 2025, 2075});
  EXPECT_EQ(d.HistogramList.Items(0).Lower, 1525);
  EXPECT_EQ(d.HistogramList.Items(0).F, 3);   // 5.0, 15.25 (its lower bound) and 15.24
  EXPECT_EQ(d.HistogramList.Items(1).F, 0);
  EXPECT_EQ(d.HistogramList.Items(10).F, 3);  // 30.0, 20.25 and 20.75
  EXPECT_EQ(d.CalcedResult.SumF, 6);
}

TEST(Statistics, ValueOnABoundaryBelongsToTheUpperClass) {
  const TMainData d = WithValues({1775});
  EXPECT_EQ(d.HistogramList.Items(5).F, 1);
  EXPECT_EQ(d.HistogramList.Items(4).F, 0);
}

TEST(Statistics, ClassTableForSeveralTolerances) {
  struct Case { int32_t kyoyo, rows, first_lower, last_upper; };
  for (const Case& c : {Case{0, 3, 1725, 1875}, Case{120, 7, 1625, 1975},
                        Case{200, 11, 1525, 2075}, Case{500, 23, 1225, 2375}}) {
    SCOPED_TRACE(c.kyoyo);
    TMainData d;
    d.BasicInfo.Kyoyo = c.kyoyo;
    d.MakeHistogramList();
    d.Calculate();
    ASSERT_EQ(d.HistogramList.Count(), c.rows);
    EXPECT_EQ(d.HistogramList.Items(0).Lower, c.first_lower);
    EXPECT_EQ(d.HistogramList.Items(c.rows - 1).Upper, c.last_upper);
    const THistogram& mid = d.HistogramList.Items(c.rows / 2);
    EXPECT_EQ(mid.U, 0);
    EXPECT_EQ(mid.Center, 1800);
    for (int32_t i = 1; i < c.rows; ++i)
      EXPECT_EQ(d.HistogramList.Items(i).Lower, d.HistogramList.Items(i - 1).Upper);
  }
}

TEST(Statistics, TargetIsTruncatedToATenthForTheTableButNotForTheMean) {
  TMainData d = WithValues({1800, 1800});
  d.BasicInfo.KariAveX = 1807;
  d.Calculate();
  EXPECT_EQ(d.HistogramList.Items(5).Center, 1800);  // K = 1800
  // Mean = 0/2 x 0.5 + 18.07 = 18.07 even though both values are 18.0.
  EXPECT_EQ(d.CalcedResult.AveX, 1807);
}

TEST(Statistics, RecalculationReplacesStaleFrequenciesAndTotals) {
  TMainData d = WithValues({1800, 1900, 2000});
  EXPECT_EQ(d.CalcedResult.SumF, 3);
  d.SlumpList.Items(0).SokuteiList.Items(0).Value = 0;
  d.SlumpList.Items(0).SokuteiList.Items(1).Value = 0;
  d.Calculate();
  EXPECT_EQ(d.CalcedResult.SumF, 1);
  EXPECT_EQ(d.CalcedResult.AveX, 0);
  EXPECT_EQ(d.CalcedResult.Hensa, 0.0L);
  EXPECT_EQ(d.HistogramList.Items(5).F, 0);
}

TEST(Statistics, FullMonthOfPassingValues) {
  std::vector<int32_t> values;
  for (int i = 0; i < 62; ++i) values.push_back(1650 + (i * 37) % 300);
  const TMainData d = WithValues(values);
  EXPECT_EQ(d.CalcedResult.SumF, 62);
  int32_t f = 0;
  for (const auto& h : d.HistogramList) f += h.F;
  EXPECT_EQ(f, 62);
  EXPECT_GT(d.CalcedResult.Hensa, 0.0L);
  EXPECT_GT(d.CalcedResult.AveX, 1650);
  EXPECT_LT(d.CalcedResult.AveX, 1950);
}

// Widths and tolerances that only a damaged or foreign file can carry must
// never divide by zero, build a negative list or index outside the table.
TEST(Statistics, DegenerateClassWidthAndToleranceAreSafe) {
  {
    TMainData d;
    d.BasicInfo.ClassWidth = 0.004L;  // w rounds to 0
    EXPECT_EQ(d.BasicInfo.ClassWidthHundredths(), 0);
    EXPECT_FALSE(d.BasicInfo.HistogramCountValid());
    EXPECT_EQ(d.BasicInfo.HistogramCount(), 0);
    d.MakeHistogramList();
    d.SlumpList.Items(0).SokuteiList.Items(0).Value = 1800;
    d.SlumpList.Items(0).SokuteiList.Items(1).Value = 1900;
    EXPECT_TRUE(d.Calculate());
    EXPECT_EQ(d.CalcedResult.SumF, 0);
  }
  {
    TMainData d;
    d.BasicInfo.Kyoyo = -200;  // (-200 div 50) x 2 + 3 = -5
    EXPECT_EQ(d.BasicInfo.HistogramCountRaw(), -5);
    EXPECT_EQ(d.BasicInfo.HistogramCount(), 0);
    d.MakeHistogramList();
    d.SlumpList.Items(0).SokuteiList.Items(0).Value = 1800;
    d.Calculate();
    EXPECT_EQ(d.HistogramList.Count(), 0);
    EXPECT_EQ(d.CalcedResult.SumF, 0);
    EXPECT_FALSE(d.SlumpList.Items(0).SokuteiList.Items(0).Judge);
  }
  {
    TMainData d;
    d.BasicInfo.Kyoyo = -40;  // (-40 div 50) = 0: three rows remain
    EXPECT_EQ(d.BasicInfo.HistogramCount(), 3);
  }
  {
    TMainData d;
    d.BasicInfo.Kyoyo = INT32_MAX;
    d.BasicInfo.KariAveX = INT32_MAX;
    EXPECT_FALSE(d.BasicInfo.HistogramCountValid());
    EXPECT_EQ(d.BasicInfo.HistogramCount(), kMaxHistogramRows);
    d.MakeHistogramList();
    d.SlumpList.Items(3).SokuteiList.Items(1).Value = INT32_MAX;
    d.Calculate();  // no overflow, no crash
    EXPECT_EQ(d.CalcedResult.SumF, 1);
  }
  {
    TMainData d;
    d.BasicInfo.ClassWidth = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_EQ(d.BasicInfo.HistogramCount(), 0);
    d.MakeHistogramList();
    EXPECT_TRUE(d.Calculate());
  }
}
