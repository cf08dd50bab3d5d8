// Rounding and calendar helpers shared by the whole program.
#pragma once

#include <cstdint>
#include <string>

namespace kestrin {

// Nearest integer, halves away from zero (2.5 -> 3, -2.5 -> -3).
// Values beyond the 32-bit range saturate; NaN gives 0.
int32_t RoundOff(long double x);

// Nearest integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
// Values beyond the 32-bit range saturate; NaN gives 0.
int32_t RoundEven(long double x);

// Same as RoundEven but for the 64-bit fixed-point forms (currency).
int64_t RoundEven64(long double x);

// A packed date: year in bits 16-31, month in bits 8-15, day in bits 0-7.
constexpr int32_t PackDate(int32_t year, int32_t month, int32_t day) {
  return static_cast<int32_t>((static_cast<uint32_t>(year) << 16) |
                              ((static_cast<uint32_t>(month) & 0xFF) << 8) |
                              (static_cast<uint32_t>(day) & 0xFF));
}
constexpr int32_t DateYear(int32_t packed) { return packed >> 16; }
constexpr int32_t DateMonth(int32_t packed) { return (packed >> 8) & 0xFF; }
constexpr int32_t DateDay(int32_t packed) { return packed & 0xFF; }

// The packed date with its day part replaced.
constexpr int32_t WithDay(int32_t packed, int32_t day) {
  return PackDate(DateYear(packed), DateMonth(packed), day);
}

bool IsLeapYear(int32_t year);

// 28-31; 31 for a month outside 1-12.
int32_t DaysInMonth(int32_t year, int32_t month);
int32_t DaysInMonth(int32_t packed);

// Gregorian weekday of a packed date, 1 = Sunday ... 7 = Saturday.
int32_t DayOfWeekNo(int32_t packed);

// One-kanji weekday name ("日" ... "土") for 1..7, UTF-8 and CP932.
std::string DayOfWeekNameUtf8(int32_t dayOfWeekNo);
std::string DayOfWeekNameCp932(int32_t dayOfWeekNo);

// Today's date in local time, packed.
int32_t TodayPacked();

}  // namespace kestrin
