// The process signals of a month: runs, trends and values near the
// tolerance limits, at their boundaries.
#include <gtest/gtest.h>

#include <vector>

#include "core/MainData.h"
#include "core/Signals.h"

using namespace kestrin;

namespace {

constexpr int32_t T = 1800;  // 18.0 cm
constexpr int32_t K = 200;   // +- 2.0 cm: 2K/3 is 1.333 cm

// Values in time order from day 1 AM.
std::vector<TSignalValue> Seq(const std::vector<int32_t>& values) {
  std::vector<TSignalValue> s;
  for (std::size_t i = 0; i < values.size(); ++i)
    s.push_back({static_cast<int32_t>(i / 2) + 1, static_cast<int32_t>(i % 2), values[i]});
  return s;
}

std::vector<TSignalValue> Repeat(int32_t value, int n) { return Seq(std::vector<int32_t>(n, value)); }

std::vector<TSignal> Find(const std::vector<TSignalValue>& seq, int32_t run = 9, int32_t trend = 6) {
  return FindSignals(seq, T, K, {run, trend});
}

// Rising values 0.1 cm apart, never beyond 2K/3.
std::vector<int32_t> Rising(int n, int32_t from = 1750) {
  std::vector<int32_t> v;
  for (int i = 0; i < n; ++i) v.push_back(from + 10 * i);
  return v;
}

}  // namespace

TEST(SignalsRun, ExactlyRunLengthOnOneSideIsOneSignal) {
  EXPECT_TRUE(Find(Repeat(1850, 8)).empty());
  const auto nine = Find(Repeat(1850, 9));
  ASSERT_EQ(nine.size(), 1u);
  EXPECT_EQ(nine[0].Rule, TSignalRule::Run);
  EXPECT_EQ(nine[0].Side, TSignalSide::Above);
  EXPECT_EQ(nine[0].From, (TSignalValue{1, 0, 1850}));
  EXPECT_EQ(nine[0].To, (TSignalValue{5, 0, 1850}));
  EXPECT_EQ(nine[0].Count, 9);

  // Longer is still one signal; below the target works alike.
  const auto below = Find(Repeat(1750, 20));
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(below[0].Side, TSignalSide::Below);
  EXPECT_EQ(below[0].Count, 20);
  EXPECT_EQ(below[0].To, (TSignalValue{10, 1, 1750}));

  // The length comes from the settings; out of range means the default.
  EXPECT_EQ(Find(Repeat(1850, 2), 2).size(), 1u);
  EXPECT_TRUE(Find(Repeat(1850, 8), 1).empty());
  EXPECT_TRUE(Find(Repeat(1850, 8), 63).empty());
}

TEST(SignalsRun, AValueAtTheTargetEndsARunAndStartsNone) {
  std::vector<int32_t> v(8, 1850);
  v.push_back(T);
  v.insert(v.end(), 8, 1850);
  EXPECT_TRUE(Find(Seq(v)).empty());

  // A value at T before nine values above: the run starts after it.
  v = {T};
  v.insert(v.end(), 9, 1850);
  const auto s = Find(Seq(v));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].First, 1);
  EXPECT_EQ(s[0].Count, 9);

  // Crossing the target ends a run too.
  v = std::vector<int32_t>(5, 1850);
  v.insert(v.end(), 5, 1750);
  EXPECT_TRUE(Find(Seq(v)).empty());
}

TEST(SignalsRun, BlanksInsideARunAreSkipped) {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2026, 6, 1);
  d.MakeSlumpList();
  // Nine values above the target from June 11 AM to June 17 PM, with blanks
  // on June 11 PM, 12 AM, 14 (both) and 16 PM; June 18 AM crosses below.
  const struct { int day, half, value; } slots[] = {{11, 0, 1850}, {12, 1, 1900}, {13, 0, 1900}, {13, 1, 1900},
                                                    {15, 0, 1900}, {15, 1, 1900}, {16, 0, 1900}, {17, 0, 1900},
                                                    {17, 1, 1900}, {18, 0, 1700}};
  for (const auto& s : slots) d.SlumpList.Items(s.day - 1).SokuteiList.Items(s.half).Value = s.value;
  d.Calculate();
  const auto seq = SignalSequence(d);
  ASSERT_EQ(seq.size(), 10u);
  EXPECT_EQ(seq[0], (TSignalValue{11, 0, 1850}));
  const auto s = MonthSignals(d, {});
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].Rule, TSignalRule::Run);
  EXPECT_EQ(s[0].From, (TSignalValue{11, 0, 1850}));
  EXPECT_EQ(s[0].To, (TSignalValue{17, 1, 1900}));
  EXPECT_EQ(s[0].Count, 9);
}

TEST(SignalsTrend, ExactlyTrendLengthRisingOrFalling) {
  EXPECT_TRUE(Find(Seq(Rising(5))).empty());
  auto s = Find(Seq(Rising(6)));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].Rule, TSignalRule::Trend);
  EXPECT_EQ(s[0].Side, TSignalSide::Up);
  EXPECT_EQ(s[0].Count, 6);
  EXPECT_EQ(s[0].From.Value, 1750);
  EXPECT_EQ(s[0].To.Value, 1800);

  // Up then down: the turning value belongs to both trends.
  std::vector<int32_t> v = Rising(6);            // 1750 .. 1800
  for (int i = 1; i <= 5; ++i) v.push_back(1800 - 10 * i);  // .. 1750
  s = Find(Seq(v));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].Side, TSignalSide::Up);
  EXPECT_EQ(s[1].Side, TSignalSide::Down);
  EXPECT_EQ(s[1].First, 5);
  EXPECT_EQ(s[1].Count, 6);
}

TEST(SignalsTrend, EqualNeighboursEndATrend) {
  std::vector<int32_t> v = {1750, 1760, 1770, 1770, 1780, 1790};
  EXPECT_TRUE(Find(Seq(v), 9, 4).empty());
  const auto s = Find(Seq(v), 9, 3);
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].Last, 2);
  EXPECT_EQ(s[1].First, 3);  // the second of the equal pair starts the next
  EXPECT_EQ(s[1].Count, 3);
}

TEST(SignalsNearLimit, BeyondTwoThirdsInIntegersTwoOfThree) {
  // 3 (v - T) > 2K: 1934 qualifies above (402 > 400), 1933 does not (399);
  // below, 1666 qualifies and 1667 does not.
  EXPECT_TRUE(Find(Seq({1933, 1800, 1933})).empty());
  EXPECT_TRUE(Find(Seq({1667, 1667, 1800})).empty());
  auto s = Find(Seq({1934, 1800, 1934}));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].Rule, TSignalRule::NearLimit);
  EXPECT_EQ(s[0].Side, TSignalSide::Above);
  EXPECT_EQ(s[0].First, 0);
  EXPECT_EQ(s[0].Last, 2);
  EXPECT_EQ(s[0].Count, 2);
  s = Find(Seq({1800, 1666, 1500}));  // beyond the tolerance counts too
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].Side, TSignalSide::Below);
  EXPECT_EQ(s[0].From.Value, 1666);

  // Two apart in four values is no window; opposite sides do not combine.
  EXPECT_TRUE(Find(Seq({1934, 1800, 1800, 1934})).empty());
  EXPECT_TRUE(Find(Seq({1934, 1666, 1800})).empty());
}

TEST(SignalsNearLimit, ExactlyTwoThirdsIsNotBeyondAndAToleranceOfZeroStillCounts) {
  // K = 3.0 cm: 2K/3 is exactly 2.0 cm. 20.0 and 16.0 lie on the line.
  EXPECT_TRUE(FindSignals(Seq({2000, 1800, 2000}), T, 300, {}).empty());
  EXPECT_TRUE(FindSignals(Seq({1600, 1600, 1800}), T, 300, {}).empty());
  auto s = FindSignals(Seq({2001, 1800, 2001}), T, 300, {});
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].Count, 2);  // its two values, not the three it spans
  EXPECT_EQ(FindSignals(Seq({1599, 1599, 1800}), T, 300, {}).size(), 1u);
  // Tolerance 0: every value off the target is beyond 2K/3.
  s = FindSignals(Seq({1801, 1800, 1801}), T, 0, {});
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].Rule, TSignalRule::NearLimit);
  EXPECT_EQ(s[0].Count, 2);
  EXPECT_TRUE(FindSignals(Seq({1800, 1800, 1801}), T, 0, {}).empty());
}

TEST(SignalsNearLimit, OverlappingWindowsMergeOthersStaySeparate) {
  // 1 0 1 0 1: windows {0,2} and {2,4} share value 2: one signal of 3.
  auto s = Find(Seq({1950, 1800, 1950, 1800, 1950}));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].First, 0);
  EXPECT_EQ(s[0].Last, 4);
  EXPECT_EQ(s[0].Count, 3);
  // 1 1 0 0 1 1: {0,1} and {4,5} share nothing: two signals.
  s = Find(Seq({1950, 1950, 1800, 1800, 1950, 1950}));
  ASSERT_EQ(s.size(), 2u);
  EXPECT_EQ(s[0].Count, 2);
  EXPECT_EQ(s[1].First, 4);
  // 1 1 0 1 1: {0,1}, {1,3}, {3,4} chain into one of four.
  s = Find(Seq({1950, 1950, 1800, 1950, 1950}));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0].Count, 4);

  // The values a signal covers: its qualifying values only.
  const auto seq = Seq({1950, 1800, 1950});
  s = FindSignals(seq, T, K, {});
  EXPECT_TRUE(SignalCovers(s[0], seq, 0, T, K));
  EXPECT_FALSE(SignalCovers(s[0], seq, 1, T, K));
  EXPECT_TRUE(SignalCovers(s[0], seq, 2, T, K));
}

TEST(Signals, OrderedByFromThenRunTrendNearLimit) {
  // Three rising values far above: a run, a trend and a near-limit signal
  // all from the first value.
  const auto s = Find(Seq({1790, 1950, 1960, 1970}), 3, 3);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].Rule, TSignalRule::Trend);  // from 1790 (index 0)
  EXPECT_EQ(s[0].Count, 4);
  EXPECT_EQ(s[1].Rule, TSignalRule::Run);    // from 1950 (index 1)
  EXPECT_EQ(s[2].Rule, TSignalRule::NearLimit);
  EXPECT_EQ(s[1].First, 1);
  EXPECT_EQ(s[2].First, 1);
  const auto same = Find(Seq({1950, 1960, 1970}), 3, 3);
  ASSERT_EQ(same.size(), 3u);
  EXPECT_EQ(same[0].Rule, TSignalRule::Run);
  EXPECT_EQ(same[1].Rule, TSignalRule::Trend);
  EXPECT_EQ(same[2].Rule, TSignalRule::NearLimit);
}
