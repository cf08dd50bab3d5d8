#include "Numbers.h"

#include <cmath>
#include <ctime>
#include <limits>

namespace kestrin {

namespace {

template <typename Int>
Int SaturateTrunc(long double v) {
  if (std::isnan(v)) return 0;
  constexpr long double lo = static_cast<long double>(std::numeric_limits<Int>::min());
  constexpr long double hi = static_cast<long double>(std::numeric_limits<Int>::max());
  if (v <= lo) return std::numeric_limits<Int>::min();
  if (v >= hi) return std::numeric_limits<Int>::max();
  return static_cast<Int>(v);  // truncates toward zero
}

}  // namespace

int32_t RoundOff(long double x) {
  if (std::isnan(x)) return 0;
  return SaturateTrunc<int32_t>(x >= 0 ? x + 0.5L : x - 0.5L);
}

int32_t RoundEven(long double x) {
  if (std::isnan(x)) return 0;
  return SaturateTrunc<int32_t>(std::nearbyint(x));
}

int64_t RoundEven64(long double x) {
  if (std::isnan(x)) return 0;
  return SaturateTrunc<int64_t>(std::nearbyint(x));
}

bool IsLeapYear(int32_t year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int32_t DaysInMonth(int32_t year, int32_t month) {
  static constexpr int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 31;
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

int32_t DaysInMonth(int32_t packed) {
  return DaysInMonth(DateYear(packed), DateMonth(packed));
}

int32_t DayOfWeekNo(int32_t packed) {
  // Days since 1970-01-01 of the proleptic Gregorian calendar; months
  // outside 1-12 are carried into the year so any packed value is safe.
  int64_t y = DateYear(packed);
  int64_t m = DateMonth(packed);
  const int64_t d = DateDay(packed);
  if (m < 1 || m > 12) {
    const int64_t m0 = m - 1;
    y += (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
    m = ((m0 % 12) + 12) % 12 + 1;
  }
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  const int64_t days = era * 146097 + doe - 719468;
  // 1970-01-01 was a Thursday (5 in 1 = Sunday numbering).
  const int64_t wd = ((days + 4) % 7 + 7) % 7;  // 0 = Sunday
  return static_cast<int32_t>(wd + 1);
}

std::string DayOfWeekNameUtf8(int32_t no) {
  static const char* const kNames[7] = {"日", "月", "火", "水", "木", "金", "土"};
  if (no < 1 || no > 7) return {};
  return kNames[no - 1];
}

std::string DayOfWeekNameCp932(int32_t no) {
  static const char* const kNames[7] = {"\x93\xfa", "\x8c\x8e", "\x89\xce", "\x90\x85",
                                        "\x96\xd8", "\x8b\xe0", "\x93\x79"};
  if (no < 1 || no > 7) return {};
  return kNames[no - 1];
}

int32_t TodayPacked() {
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return PackDate(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
}

}  // namespace kestrin
