// Calendar helpers of the packed month date and the two roundings
// (halves away from zero, halves to even).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Numbers.h"

using namespace kestrin;

TEST(Rounding, RoundOffTakesHalvesAwayFromZero) {
  EXPECT_EQ(RoundOff(2.5L), 3);
  EXPECT_EQ(RoundOff(-2.5L), -3);
  EXPECT_EQ(RoundOff(2.4999L), 2);
  EXPECT_EQ(RoundOff(-2.4999L), -2);
  EXPECT_EQ(RoundOff(0.5L), 1);
  EXPECT_EQ(RoundOff(-0.5L), -1);
  // An entered 17.9 cm is stored as 1790 even though 17.9 x 100 is not exact.
  EXPECT_EQ(RoundOff(17.9L * 100), 1790);
  EXPECT_EQ(RoundOff(static_cast<long double>(17.9) * 100), 1790);
  EXPECT_EQ(RoundOff(1821.43L), 1821);
}

TEST(Rounding, RoundEvenTakesHalvesToEven) {
  EXPECT_EQ(RoundEven(2.5L), 2);
  EXPECT_EQ(RoundEven(3.5L), 4);
  EXPECT_EQ(RoundEven(-2.5L), -2);
  EXPECT_EQ(RoundEven(-3.5L), -4);
  EXPECT_EQ(RoundEven(0.5L * 100), 50);
  EXPECT_EQ(RoundEven(0.004L * 100), 0);
  EXPECT_EQ(RoundEven64(45678.9L), 45679);
}

TEST(Rounding, OutOfRangeAndNaNSaturateInsteadOfUndefinedBehaviour) {
  const long double inf = std::numeric_limits<long double>::infinity();
  EXPECT_EQ(RoundOff(inf), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RoundOff(-inf), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(RoundEven(1e30L), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(RoundEven(std::nanl("")), 0);
  EXPECT_EQ(RoundOff(std::nanl("")), 0);
  EXPECT_EQ(RoundEven64(-1e30L), std::numeric_limits<int64_t>::min());
}

TEST(Calendar, DaysInMonthFollowsGregorianLeapRules) {
  EXPECT_EQ(DaysInMonth(2000, 2), 29);
  EXPECT_EQ(DaysInMonth(2004, 2), 29);
  EXPECT_EQ(DaysInMonth(2100, 2), 28);
  EXPECT_EQ(DaysInMonth(2005, 2), 28);
  EXPECT_EQ(DaysInMonth(2005, 4), 30);
  EXPECT_EQ(DaysInMonth(2005, 12), 31);
  EXPECT_EQ(DaysInMonth(2005, 0), 31);
  EXPECT_EQ(DaysInMonth(2005, 13), 31);
  EXPECT_EQ(DaysInMonth(PackDate(2024, 2, 17)), 29);
}

TEST(Calendar, PackedDateLayout) {
  EXPECT_EQ(PackDate(2005, 2, 1), 2005 * 65536 + 2 * 256 + 1);
  const int32_t d = PackDate(2026, 12, 8);
  EXPECT_EQ(DateYear(d), 2026);
  EXPECT_EQ(DateMonth(d), 12);
  EXPECT_EQ(DateDay(d), 8);
  EXPECT_EQ(WithDay(d, 31), PackDate(2026, 12, 31));
}

TEST(Calendar, DayOfWeekNo) {
  EXPECT_EQ(DayOfWeekNo(PackDate(2005, 2, 1)), 3);  // Tuesday
  EXPECT_EQ(DayOfWeekNameUtf8(3), "火");
  EXPECT_EQ(DayOfWeekNo(PackDate(2026, 12, 6)), 1);  // Sunday
  EXPECT_EQ(DayOfWeekNo(PackDate(2026, 12, 12)), 7);  // Saturday
  EXPECT_EQ(DayOfWeekNo(PackDate(2000, 2, 29)), 3);
  EXPECT_EQ(DayOfWeekNo(PackDate(1900, 1, 1)), 2);   // Monday
  EXPECT_EQ(DayOfWeekNo(PackDate(2100, 12, 31)), 6);  // Friday
  // Odd packed values never crash and stay in range.
  for (int32_t m : {0, 13, 255}) {
    const int32_t w = DayOfWeekNo(PackDate(2005, m, 1));
    EXPECT_GE(w, 1);
    EXPECT_LE(w, 7);
  }
}

TEST(Calendar, TodayIsAPlausibleDate) {
  const int32_t t = TodayPacked();
  EXPECT_GE(DateYear(t), 2020);
  EXPECT_GE(DateMonth(t), 1);
  EXPECT_LE(DateMonth(t), 12);
  EXPECT_GE(DateDay(t), 1);
  EXPECT_LE(DateDay(t), DaysInMonth(t));
}
