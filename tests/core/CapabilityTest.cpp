// Cp and Cpk of a month: the figures against hand-computed values, and
// where they are undefined (too few values, sigma 0, no tolerance).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "core/Capability.h"
#include "core/MainData.h"
#include "tests/core/MonthBuilder.h"

using namespace kestrin;

namespace {

TMainData Month(const std::vector<int32_t>& values, int32_t kyoyo = 200) {
  return testutil::MonthWithValues(values, PackDate(2026, 3, 1), {}, 1800, kyoyo);
}

}  // namespace

// The worked example of the class table: X = 18.21 cm, sigma = 1.38013 cm,
// target 18.0 +- 2.0 cm. Cp = 4.0 / (6 sigma); Cpk = (20.00 - 18.21) / (3 sigma).
TEST(Capability, WorkedExampleAgainstHandValues) {
  const TCapability c = MonthCapability(Month({1800, 1850, 1750, 1900, 1800, 1600, 0, 2050}));
  ASSERT_TRUE(c.Cp && c.Cpk);
  EXPECT_NEAR(*c.Cp, 0.483046, 1e-6);
  EXPECT_NEAR(*c.Cpk, 0.432326, 1e-6);

  // The nearer limit decides Cpk: a mean below the target takes the lower.
  const TCapability low = ComputeCapability(1800, 200, 1750, 0.5L, 10);
  EXPECT_NEAR(*low.Cp, 4.0 / 3.0, 1e-12);
  EXPECT_NEAR(*low.Cpk, 1.5 / 1.5, 1e-12);
  // A mean outside the tolerance gives a negative Cpk.
  EXPECT_NEAR(*ComputeCapability(1800, 200, 2100, 0.5L, 10).Cpk, -1.0 / 1.5, 1e-12);
}

TEST(Capability, UndefinedCases) {
  auto undefined = [](const TCapability& c) { return !c.Cp && !c.Cpk; };
  EXPECT_TRUE(undefined(MonthCapability(Month({}))));              // no values
  EXPECT_TRUE(undefined(MonthCapability(Month({1850}))));          // one value
  EXPECT_TRUE(undefined(MonthCapability(Month({1850, 1860}))));    // one class: sigma 0
  EXPECT_TRUE(undefined(MonthCapability(Month({1700, 1900}, 0))));  // no tolerance
  EXPECT_TRUE(undefined(ComputeCapability(1800, -100, 1800, 1.0L, 10)));
  EXPECT_TRUE(undefined(ComputeCapability(1800, 200, 1800, std::numeric_limits<long double>::quiet_NaN(), 10)));
  EXPECT_TRUE(undefined(ComputeCapability(1800, 200, 1800, std::numeric_limits<long double>::infinity(), 10)));
  EXPECT_FALSE(undefined(MonthCapability(Month({1700, 1900}))));
}
