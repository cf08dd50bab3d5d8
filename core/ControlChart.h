// The X̄–R control chart of a month: its subgroups (the days with both an
// AM and a PM value, n = 2), the control limits computed from the process's
// own variation (from the month itself or pooled from reference months) and
// the control-rule signals found against them (ControlRules.h). The chart
// tab, the printed X̄–R sheet and kestrin-cli take their figures from here.
//
// With k subgroups in the limits' source, S the sum AM + PM of a day and
// R = |AM − PM| its range:
//   X̿ = ΣS / 2k, R̄ = ΣR / k, UCL/LCL = X̿ ± A2·R̄, R chart UCL = D4·R̄,
//   σ̂ = R̄ / d2, with A2 = 1.880, D4 = 3.267 (D3 = 0) and d2 = 1.128.
// Limits need at least kMinControlSubgroups subgroups in their source.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrin {

class TMainData;

// The Shewhart factors for subgroups of two.
inline constexpr long double kControlA2 = 1.880L;
inline constexpr long double kControlD4 = 3.267L;
inline constexpr long double kControlD2 = 1.128L;
inline constexpr int64_t kMinControlSubgroups = 5;

// One day with at least one entered value. Values in cm x100, 0 blank.
struct TSubgroup {
  int32_t Day = 0;   // TSlump.Day
  int32_t Slot = 0;  // index of the day in the month's SlumpList
  int32_t Am = 0;
  int32_t Pm = 0;

  bool Complete() const { return Am > 0 && Pm > 0; }
  int64_t Sum() const { return int64_t{Am} + Pm; }
  int64_t Range() const { return Am > Pm ? int64_t{Am} - Pm : int64_t{Pm} - Am; }
  // The day mean in cm x100 (the one value of an incomplete day).
  long double Mean() const;
  bool operator==(const TSubgroup&) const = default;
};

// The days of the month that hold a value, in the order of its day list.
std::vector<TSubgroup> MonthDays(const TMainData& data);
// The complete ones among `days`: the points of the rules and the limits.
std::vector<TSubgroup> CompleteSubgroups(const std::vector<TSubgroup>& days);

// The sums the limits come from; months pool by adding them.
struct TControlSource {
  int64_t Count = 0;  // complete subgroups
  int64_t SumS = 0;   // Σ(AM + PM), cm x100
  int64_t SumR = 0;   // Σ|AM − PM|, cm x100
  void Add(const TSubgroup& s);
  void Add(const TControlSource& other);
  bool operator==(const TControlSource&) const = default;
};

TControlSource SourceOf(const std::vector<TSubgroup>& subgroups);

// The limits of a source with at least kMinControlSubgroups subgroups.
struct TControlLimits {
  TControlSource Source;
  // cm x100, unrounded.
  long double Center = 0;  // X̿
  long double Ucl = 0;
  long double Lcl = 0;
  long double RBar = 0;
  long double RUcl = 0;
  long double Sigma = 0;  // σ̂ = R̄ / d2, in cm (as the month's Hensa)
};

// Empty with fewer than kMinControlSubgroups subgroups.
std::optional<TControlLimits> LimitsFrom(const TControlSource& source);

// A month that may lend its subgroups to the limits of a later month.
struct TReferenceMonth {
  std::string File;     // where it was read from
  int32_t Getsudo = 0;  // packed month of record
  TControlSource Source;
};

// Where the limits of a chart came from.
enum class TLimitOrigin : uint8_t {
  Month,         // the month itself (reference months not asked for)
  Reference,     // pooled reference months
  TooFewMonths,  // reference months asked for, too few found: the month's own
};

// The eight rules, switched on or off one by one (Rule1 ... Rule8).
struct TControlRuleSet {
  std::array<bool, 8> On = {true, true, true, false, true, false, false, false};
  bool Enabled(int rule) const { return rule >= 1 && rule <= 8 && On[static_cast<std::size_t>(rule - 1)]; }
  bool operator==(const TControlRuleSet&) const = default;
};

enum class TControlChartKind : uint8_t { Xbar, R };
// Above/Below the centre line (rules 1, 2, 5, 6), Up/Down (rule 3), None
// (rules 4, 7, 8).
enum class TControlSide : uint8_t { None, Above, Below, Up, Down };

struct TControlSignal {
  int32_t Rule = 1;  // 1..8
  TControlChartKind Chart = TControlChartKind::Xbar;
  TControlSide Side = TControlSide::None;
  // Positions in the sequence of complete subgroups of the first and the
  // last marked point, and their days.
  int32_t First = 0;
  int32_t Last = 0;
  int32_t FromDay = 0;
  int32_t ToDay = 0;
  int32_t Count = 0;  // marked points
  bool operator==(const TControlSignal&) const = default;
};

struct TControlChart {
  std::vector<TSubgroup> Days;    // every day with a value
  std::vector<TSubgroup> Points;  // the complete ones, in the same order
  std::optional<TControlLimits> Limits;
  TLimitOrigin Origin = TLimitOrigin::Month;
  // The reference months used (oldest first), with Origin == Reference;
  // the months that were found, with TooFewMonths.
  std::vector<int32_t> ReferenceMonths;
  std::vector<TControlSignal> Signals;  // empty without limits
};

// The chart of `data` with the limits from the month itself
// (`referenceAsked` false) or pooled from `reference` (any order; their
// months are reported oldest first). With reference months asked for and
// fewer than kMinControlSubgroups subgroups among them, the month's own
// limits are used and Origin says so.
TControlChart ComputeControlChart(const TMainData& data, const TControlRuleSet& rules,
                                  bool referenceAsked = false,
                                  const std::vector<TReferenceMonth>& reference = {});

// The reference period in words, for the tab and the sheet:
// "基準：2025年3月～5月（3か月，84群）", "基準：当月（28群）", or the
// month's own limits with the note that too few reference months were found.
// Empty without limits. UTF-8.
std::string ReferenceText(const TControlChart& chart);

}  // namespace kestrin
