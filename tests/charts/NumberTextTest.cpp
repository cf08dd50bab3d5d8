// Number texts with the "#" rule.
#include <gtest/gtest.h>

#include "charts/NumberText.h"

using namespace kestrin;

TEST(NumberText, FixedTextPadsAndRounds) {
  EXPECT_EQ(FixedText(8.0L, 4, 1), " 8.0");
  EXPECT_EQ(FixedText(18.5L, 4, 1), "18.5");
  EXPECT_EQ(FixedText(15.25L, 5, 2), "15.25");
  EXPECT_EQ(FixedText(2.0L, 5, 2), " 2.00");
  EXPECT_EQ(FixedText(1.234L, 6, 3), " 1.234");
  EXPECT_EQ(FixedText(24.0L, 2, 0), "24");
  // Halves go away from zero on the 18-digit decimal form of the extended
  // value, also for values that are not exact in binary (0.15, 2.675) ...
  EXPECT_EQ(FixedText(17.25L, 4, 1), "17.3");
  EXPECT_EQ(FixedText(0.15L, 3, 1), "0.2");
  EXPECT_EQ(FixedText(2.675L, 4, 2), "2.68");
  // ... while a double just below the half stays below it.
  EXPECT_EQ(FixedText(0.15, 3, 1), "0.1");
  EXPECT_EQ(FixedText(9.96L, 4, 1), "10.0");
  EXPECT_EQ(FixedText(0.04L, 3, 1), "0.0");
  EXPECT_EQ(FixedText(-0.04L, 4, 1), " 0.0");
  EXPECT_EQ(FixedText(-1.55L, 4, 1), "-1.6");
  EXPECT_EQ(FixedText(1821.0L / 100, 5, 2), "18.21");
}

TEST(NumberText, HashRuleWhenTheNumberIsTooWide) {
  EXPECT_EQ(FixedText(100.0L, 4, 1), "##.#");
  EXPECT_EQ(FixedText(99.96L, 4, 1), "##.#");   // rounds up to 100.0
  EXPECT_EQ(FixedText(-12.5L, 4, 1), "##.#");
  EXPECT_EQ(FixedText(123.0L, 2, 0), "##");
  EXPECT_EQ(IntText(5, 3), "  5");
  EXPECT_EQ(IntText(-5, 2), "-5");
  EXPECT_EQ(IntText(-50, 2), "##");
  EXPECT_EQ(IntText(1234, 3), "###");
  EXPECT_EQ(IntText(999, 3), "999");
  // Without the rule (header values) and with no width limit.
  EXPECT_EQ(FormatFixed(100.0L, 4, 1), "100.0");
  EXPECT_EQ(FixedText(123.4L, 0, 1), "123.4");
}

TEST(NumberText, TrimmedFormDropsLeadingBlanks) {
  EXPECT_EQ(FixedText(8.5L, 4, 1, true), "8.5");
  EXPECT_EQ(FixedText(18.5L, 4, 1, true), "18.5");
  EXPECT_EQ(FixedText(100.0L, 4, 1, true), "##.#");
}

TEST(NumberText, GroupedIntegers) {
  EXPECT_EQ(GroupedIntText(0), "0");
  EXPECT_EQ(GroupedIntText(999), "999");
  EXPECT_EQ(GroupedIntText(1000), "1,000");
  EXPECT_EQ(GroupedIntText(1400), "1,400");
  EXPECT_EQ(GroupedIntText(-1234567), "-1,234,567");
  EXPECT_EQ(GroupedIntText(-100), "-100");
}
