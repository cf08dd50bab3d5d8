// Process signals of a month: runs, trends and values near the tolerance
// limits in the time sequence of the entered values. The month window, its
// X chart and kestrin-cli all take their signals from here.
//
// The sequence is every entered value (> 0) of the month in time order:
// day 1 AM, day 1 PM, day 2 AM, ...; blank values are skipped and do not
// break anything. With T the target and K the tolerance (cm x100):
// - Run: RunLength or more consecutive values on the same side of T. A
//   value equal to T ends a run and starts none.
// - Trend: TrendLength or more consecutive values each strictly greater
//   (Up) or each strictly smaller (Down) than the one before. Equal
//   neighbours end a trend. An up and a down trend may share their turning
//   value.
// - NearLimit: among 3 consecutive values, 2 or more lie farther than 2K/3
//   from T on the same side (3(v - T) > 2K, or 3(T - v) > 2K, in integers).
//   The signal holds the qualifying values of such windows; windows on the
//   same side whose qualifying values overlap make one signal.
// A longer run or trend is one signal covering all its values.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrin {

class TMainData;

inline constexpr int32_t kDefaultRunLength = 9;
inline constexpr int32_t kMinRunLength = 2;
inline constexpr int32_t kMaxRunLength = 62;
inline constexpr int32_t kDefaultTrendLength = 6;
inline constexpr int32_t kMinTrendLength = 3;
inline constexpr int32_t kMaxTrendLength = 62;

// The two lengths; a value outside its range counts as the default.
struct TSignalLengths {
  int32_t RunLength = kDefaultRunLength;
  int32_t TrendLength = kDefaultTrendLength;
};

// `value` when it lies in [lo, hi], `def` otherwise.
int32_t LengthOrDefault(int32_t value, int32_t lo, int32_t hi, int32_t def);

enum class TSignalRule : uint8_t { Run, Trend, NearLimit };
// Above/Below of T for Run and NearLimit, Up/Down for Trend.
enum class TSignalSide : uint8_t { Above, Below, Up, Down };

// One entered value of the sequence.
struct TSignalValue {
  int32_t Day = 0;   // day number of the month (TSlump.Day)
  int32_t Half = 0;  // 0 AM, 1 PM
  int32_t Value = 0; // cm x100, > 0
  bool operator==(const TSignalValue&) const = default;
};

struct TSignal {
  TSignalRule Rule = TSignalRule::Run;
  TSignalSide Side = TSignalSide::Above;
  // Positions in the sequence of the first and the last value of the
  // signal (for NearLimit: the first and last qualifying value).
  int32_t First = 0;
  int32_t Last = 0;
  TSignalValue From;  // the value at First
  TSignalValue To;    // the value at Last
  // Values in the run or trend; for NearLimit, the qualifying values.
  int32_t Count = 0;
  bool operator==(const TSignal&) const = default;
};

// The entered values of the month in time order.
std::vector<TSignalValue> SignalSequence(const TMainData& data);

// The signals of `sequence` against target T and tolerance K (cm x100),
// ordered by First, ties in the order Run, Trend, NearLimit. No NearLimit
// signal is found with a negative tolerance (only a damaged file has one).
std::vector<TSignal> FindSignals(const std::vector<TSignalValue>& sequence, int32_t T, int32_t K,
                                 const TSignalLengths& lengths);

// The signals of the month (its KariAveX and Kyoyo).
std::vector<TSignal> MonthSignals(const TMainData& data, const TSignalLengths& lengths);

// Whether the value at `position` of the sequence belongs to `signal`: for
// Run and Trend every value from First to Last, for NearLimit the values
// in that stretch that lie beyond 2K/3 on the signal's side.
bool SignalCovers(const TSignal& signal, const std::vector<TSignalValue>& sequence, int32_t position,
                  int32_t T, int32_t K);

}  // namespace kestrin
