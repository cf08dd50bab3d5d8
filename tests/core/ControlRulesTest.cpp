// The eight control rules at their boundaries, the merging of windows and
// the order of the signals.
#include <gtest/gtest.h>

#include <vector>

#include "core/ControlRules.h"

using namespace kestrin;

namespace {

// Limits from 10 subgroups with X̿ = 18.00 cm and R̄ = 0.75 cm: one zone is
// A2·R̄/3 = 0.47 cm exactly, so the zone edges 1847, 1894 and 1941 (and
// 1753, 1706, 1659) are day means that can be entered.
const TControlSource kSource{10, 36000, 750};

// A day mean given twice (a sum), as AM + PM one apart at most: range 0 or 1.
TSubgroup Day(int32_t day, int64_t twiceMean) {
  TSubgroup s;
  s.Day = day;
  s.Slot = day - 1;
  s.Am = static_cast<int32_t>(twiceMean / 2);
  s.Pm = static_cast<int32_t>(twiceMean - twiceMean / 2);
  return s;
}

// Points with the given day means (cm x100), days 1, 2, ...
std::vector<TSubgroup> Means(const std::vector<int32_t>& means) {
  std::vector<TSubgroup> p;
  for (std::size_t i = 0; i < means.size(); ++i)
    p.push_back(Day(static_cast<int32_t>(i) + 1, 2 * int64_t{means[i]}));
  return p;
}

std::vector<int32_t> Repeat(int32_t mean, int n) {
  return std::vector<int32_t>(static_cast<std::size_t>(n), mean);
}

std::vector<int32_t> Concat(std::vector<int32_t> a, const std::vector<int32_t>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TControlRuleSet Only(int rule) {
  TControlRuleSet r;
  r.On.fill(false);
  r.On[static_cast<std::size_t>(rule - 1)] = true;
  return r;
}

std::vector<TControlSignal> Find(int rule, const std::vector<TSubgroup>& points) {
  return FindControlSignals(points, kSource, Only(rule));
}

std::vector<TControlSignal> Find(int rule, const std::vector<int32_t>& means) {
  return Find(rule, Means(means));
}

// Steps of +-10 from 1800, alternating: up, down, up, ...
std::vector<int32_t> Alternating(int n) {
  std::vector<int32_t> v;
  for (int i = 0; i < n; ++i) v.push_back(i % 2 == 0 ? 1800 : 1810);
  return v;
}

}  // namespace

TEST(ControlZones, EdgesAreNeitherBeyondNorWithin) {
  EXPECT_EQ(PlaceOf(Day(1, 2 * 1800), kSource).Side, 0);
  EXPECT_TRUE(PlaceOf(Day(1, 2 * 1800), kSource).Within1);
  const TZonePlace edge1 = PlaceOf(Day(1, 2 * 1847), kSource);
  EXPECT_EQ(edge1.Side, 1);
  EXPECT_EQ(edge1.Beyond, 0);
  EXPECT_FALSE(edge1.Within1);
  EXPECT_TRUE(PlaceOf(Day(1, 2 * 1847 - 1), kSource).Within1);  // 18.465 cm
  EXPECT_EQ(PlaceOf(Day(1, 2 * 1847 + 1), kSource).Beyond, 1);
  EXPECT_EQ(PlaceOf(Day(1, 2 * 1894), kSource).Beyond, 1);
  EXPECT_EQ(PlaceOf(Day(1, 2 * 1894 + 1), kSource).Beyond, 2);
  EXPECT_EQ(PlaceOf(Day(1, 2 * 1941), kSource).Beyond, 2);
  EXPECT_EQ(PlaceOf(Day(1, 2 * 1941 + 1), kSource).Beyond, 3);
  const TZonePlace below = PlaceOf(Day(1, 2 * 1659 - 1), kSource);
  EXPECT_EQ(below.Side, -1);
  EXPECT_EQ(below.Beyond, 3);
  EXPECT_EQ(PlaceOf(Day(1, 2 * 1659), kSource).Beyond, 2);
}

TEST(ControlRule1, OnePointStrictlyBeyondALimitIsOneSignalEach) {
  EXPECT_TRUE(Find(1, Means({1941, 1659})).empty());
  const auto s = Find(1, std::vector<TSubgroup>{Day(1, 2 * 1941 + 1), Day(2, 2 * 1800), Day(3, 2 * 1659 - 1),
                                                Day(4, 2 * 1941 + 1)});
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0], (TControlSignal{1, TControlChartKind::Xbar, TControlSide::Above, 0, 0, 1, 1, 1}));
  EXPECT_EQ(s[1], (TControlSignal{1, TControlChartKind::Xbar, TControlSide::Below, 2, 2, 3, 3, 1}));
  EXPECT_EQ(s[2].First, 3);
}

TEST(ControlRule1, RChartSignalsARangeAboveD4TimesRBar) {
  // D4·R̄ = 3.267 x 75 = 245.025: a range of 245 stays, 246 is beyond.
  TSubgroup within = Day(1, 3600);
  within.Am = 1800 - 122;
  within.Pm = 1800 + 123;
  TSubgroup beyond = Day(2, 3600);
  beyond.Am = 1800 - 123;
  beyond.Pm = 1800 + 123;
  const auto s = Find(1, std::vector<TSubgroup>{within, beyond});
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], (TControlSignal{1, TControlChartKind::R, TControlSide::Above, 1, 1, 2, 2, 1}));
}

TEST(ControlRule2, NinePointsOnOneSideAndAPointOnTheLineEndsThem) {
  EXPECT_TRUE(Find(2, Repeat(1810, 8)).empty());
  const auto nine = Find(2, Repeat(1790, 9));
  ASSERT_EQ(nine.size(), 1u);
  EXPECT_EQ(nine[0], (TControlSignal{2, TControlChartKind::Xbar, TControlSide::Below, 0, 8, 1, 9, 9}));
  // Overlapping windows of a longer run are one signal.
  const auto twelve = Find(2, Repeat(1810, 12));
  ASSERT_EQ(twelve.size(), 1u);
  EXPECT_EQ(twelve[0].Count, 12);
  EXPECT_EQ(twelve[0].Side, TControlSide::Above);
  EXPECT_TRUE(Find(2, Concat(Concat(Repeat(1810, 5), {1800}), Repeat(1810, 5))).empty());
  // Nine, a point on the line, nine: two signals.
  EXPECT_EQ(Find(2, Concat(Concat(Repeat(1810, 9), {1800}), Repeat(1810, 9))).size(), 2u);
}

TEST(ControlRule3, SixPointsSteadilyRisingOrFallingAndEqualNeighboursEndThem) {
  EXPECT_TRUE(Find(3, {1800, 1801, 1802, 1803, 1804}).empty());
  const auto up = Find(3, {1800, 1801, 1802, 1803, 1804, 1805});
  ASSERT_EQ(up.size(), 1u);
  EXPECT_EQ(up[0], (TControlSignal{3, TControlChartKind::Xbar, TControlSide::Up, 0, 5, 1, 6, 6}));
  EXPECT_TRUE(Find(3, {1800, 1801, 1802, 1802, 1803, 1804, 1805}).empty());
  // Seven falling after a rise to the turning point share it: the rise is
  // too short, the fall is one signal of 7.
  const auto down = Find(3, {1800, 1810, 1809, 1808, 1807, 1806, 1805, 1804});
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(down[0], (TControlSignal{3, TControlChartKind::Xbar, TControlSide::Down, 1, 7, 2, 8, 7}));
}

TEST(ControlRule4, FourteenPointsAlternatingAndEqualNeighboursEndThem) {
  EXPECT_TRUE(Find(4, Alternating(13)).empty());
  const auto s = Find(4, Alternating(14));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], (TControlSignal{4, TControlChartKind::Xbar, TControlSide::None, 0, 13, 1, 14, 14}));
  EXPECT_EQ(Find(4, Alternating(17))[0].Count, 17);
  auto broken = Alternating(14);
  broken.insert(broken.begin() + 7, broken[6]);  // an equal neighbour in the middle
  EXPECT_TRUE(Find(4, broken).empty());
  // Two steps the same way in the middle break it too.
  auto twice = Alternating(15);
  twice[7] = 1795;  // 1810 -> 1800 -> 1795: down twice
  EXPECT_TRUE(Find(4, twice).empty());
}

TEST(ControlRule5, TwoOfThreeBeyondTwoZonesOnOneSide) {
  EXPECT_TRUE(Find(5, {1894, 1800, 1895}).empty());        // one exactly on the edge
  EXPECT_TRUE(Find(5, {1895, 1800, 1705}).empty());        // not the same side
  EXPECT_TRUE(Find(5, {1895, 1800, 1800, 1895}).empty());  // not within three
  const auto s = Find(5, {1895, 1800, 1895});
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], (TControlSignal{5, TControlChartKind::Xbar, TControlSide::Above, 0, 2, 1, 3, 2}));
  const auto below = Find(5, {1800, 1705, 1705});
  ASSERT_EQ(below.size(), 1u);
  EXPECT_EQ(below[0], (TControlSignal{5, TControlChartKind::Xbar, TControlSide::Below, 1, 2, 2, 3, 2}));
}

TEST(ControlRule6, FourOfFiveBeyondOneZoneOnOneSide) {
  EXPECT_TRUE(Find(6, {1848, 1848, 1800, 1848, 1847}).empty());
  EXPECT_TRUE(Find(6, {1848, 1848, 1800, 1848, 1752}).empty());
  const auto s = Find(6, {1848, 1848, 1800, 1848, 1848});
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], (TControlSignal{6, TControlChartKind::Xbar, TControlSide::Above, 0, 4, 1, 5, 4}));
}

TEST(ControlRule7, FifteenPointsWithinOneZone) {
  auto fifteen = Alternating(15);
  EXPECT_TRUE(Find(7, Alternating(14)).empty());
  const auto s = Find(7, fifteen);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], (TControlSignal{7, TControlChartKind::Xbar, TControlSide::None, 0, 14, 1, 15, 15}));
  fifteen[7] = 1847;  // on the zone edge: not within
  EXPECT_TRUE(Find(7, fifteen).empty());
  fifteen[7] = 1753;
  EXPECT_TRUE(Find(7, fifteen).empty());
}

TEST(ControlRule8, EightPointsBeyondOneZoneEitherSideNoneWithin) {
  std::vector<int32_t> eight;
  for (int i = 0; i < 8; ++i) eight.push_back(i % 2 == 0 ? 1848 : 1752);
  EXPECT_TRUE(Find(8, std::vector<int32_t>(eight.begin(), eight.end() - 1)).empty());
  const auto s = Find(8, eight);
  ASSERT_EQ(s.size(), 1u);
  EXPECT_EQ(s[0], (TControlSignal{8, TControlChartKind::Xbar, TControlSide::None, 0, 7, 1, 8, 8}));
  eight[3] = 1753;  // on the lower zone edge
  EXPECT_TRUE(Find(8, eight).empty());
}

TEST(ControlMerging, OverlappingMarkedPointsJoinAndDisjointOnesDoNot) {
  const int32_t B = 1895, o = 1800;
  // Marked 0, 2, 3, 5: each window shares a marked point with the one before.
  const auto chain = Find(5, {B, o, B, B, o, B});
  ASSERT_EQ(chain.size(), 1u);
  EXPECT_EQ(chain[0].First, 0);
  EXPECT_EQ(chain[0].Last, 5);
  EXPECT_EQ(chain[0].Count, 4);
  // {0, 1} and {4, 5}: the windows between meet nothing, two signals.
  const auto apart = Find(5, {B, B, o, o, B, B});
  ASSERT_EQ(apart.size(), 2u);
  EXPECT_EQ(apart[0].Last, 1);
  EXPECT_EQ(apart[1].First, 4);
  EXPECT_EQ(apart[1].Count, 2);
  // Above then below at once: one signal each, not joined.
  const auto sides = Find(5, {B, B, 1705, 1705});
  ASSERT_EQ(sides.size(), 2u);
  EXPECT_EQ(sides[0].Side, TControlSide::Above);
  EXPECT_EQ(sides[1].Side, TControlSide::Below);
  EXPECT_EQ(sides[1].First, 2);
  // Rule 6: the fifth point past the first window joins only when marked.
  const auto six = Find(6, {1848, 1848, 1848, 1848, o, 1848});
  ASSERT_EQ(six.size(), 1u);
  EXPECT_EQ(six[0].Last, 5);
  EXPECT_EQ(six[0].Count, 5);
}

TEST(ControlOrder, FirstPointThenXbarBeforeRThenRuleNumber) {
  // Day 1: mean beyond the UCL with a range beyond D4·R̄; then eight more
  // days above the centre line.
  TSubgroup first = Day(1, 2 * 1942);
  first.Am = 1942 - 150;
  first.Pm = 1942 + 150;
  std::vector<TSubgroup> points{first};
  for (int d = 2; d <= 9; ++d) points.push_back(Day(d, 2 * 1810));
  TControlRuleSet all;
  all.On.fill(true);
  const auto s = FindControlSignals(points, kSource, all);
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].Rule, 1);
  EXPECT_EQ(s[0].Chart, TControlChartKind::Xbar);
  EXPECT_EQ(s[1].Rule, 2);
  EXPECT_EQ(s[1].Chart, TControlChartKind::Xbar);
  EXPECT_EQ(s[2].Chart, TControlChartKind::R);
  // Switched-off rules find nothing.
  TControlRuleSet none;
  none.On.fill(false);
  EXPECT_TRUE(FindControlSignals(points, kSource, none).empty());
}

TEST(ControlMarks, RulesFiveAndSixRingOnlyThePointsBeyondTheirZone) {
  const auto points = Means({1895, 1800, 1895});
  const auto s = FindControlSignals(points, kSource, Only(5));
  ASSERT_EQ(s.size(), 1u);
  EXPECT_TRUE(ControlSignalMarks(s[0], points, kSource, 0));
  EXPECT_FALSE(ControlSignalMarks(s[0], points, kSource, 1));
  EXPECT_TRUE(ControlSignalMarks(s[0], points, kSource, 2));
  EXPECT_FALSE(ControlSignalMarks(s[0], points, kSource, 3));
  const auto run = Means(Repeat(1810, 9));
  const auto r = FindControlSignals(run, kSource, Only(2));
  EXPECT_TRUE(ControlSignalMarks(r[0], run, kSource, 0));
  EXPECT_TRUE(ControlSignalMarks(r[0], run, kSource, 8));
  EXPECT_FALSE(ControlSignalMarks(r[0], run, kSource, 9));
  EXPECT_FALSE(ControlSignalMarks(r[0], run, kSource, -1));
}
