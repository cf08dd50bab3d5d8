// The strength side of the year and plant overview: one row per strength
// log file (a plant's mix in one month) with the log's month summary, and
// one pooled row per plant and mix over all its listed months.
//
// A mix is told by its nominal strength alone: two logs of one plant with
// the same nominal strength are one mix, two with different ones are two
// mixes (two rows in a month). The pooled row pools the 28-day results
// themselves (count, mean, sigma, min and max of every result of the
// period, SummarizeStrengthResults), not the monthly figures, so that its
// required mean and margin follow from the year's own sigma as the
// monthly ones follow from the month's; its failed tests and failed lots
// are the sums of the months' (a lot never runs across two logs).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Cp932.h"
#include "StrengthFigures.h"

namespace kestrin {

// One strength log file that loaded.
struct TStrengthOverviewMonth {
  std::string File;     // the path as given
  int32_t Getsudo = 0;  // packed date of the log's month (day 1)
  AnsiString Kojo;      // plant, CP932 as the month files' plants
  int32_t Nominal = 0;  // nominal strength, N/mm² × 10
  int32_t Tests = 0;    // tests in the log, pending ones included
  TStrengthSummary Summary;
  int32_t FailedTests = 0;
  int32_t FailedLots = 0;
  // Another listed log has the same plant, nominal strength and month.
  bool Duplicate = false;
  // The 28-day results in sampling order, N/mm² × 10: the pooled row uses
  // them.
  std::vector<int32_t> Results;
};

// A plant's mix pooled over its listed logs (duplicates included).
struct TStrengthOverviewMix {
  AnsiString Kojo;
  int32_t Nominal = 0;
  int32_t Months = 0;
  TStrengthSummary Summary;  // over every result of the logs
  int64_t FailedTests = 0;   // sums over the logs
  int64_t FailedLots = 0;
  // Indexes into TOverview::StrengthMonths, in month order.
  std::vector<std::size_t> MonthIndexes;
};

// Reads one strength log file into a row; false with `reason` (Japanese)
// when it cannot be read.
bool ReadStrengthOverviewMonth(const std::string& path, TStrengthOverviewMonth& month, std::string& reason);

// The row of a log in hand (the file name as given).
TStrengthOverviewMonth StrengthOverviewRow(const TStrengthLog& log, const std::string& file);

// A strength log file's name: ending in ".kst" in any case (".kst" alone
// is a hidden name). Only the part after the last '/' counts.
bool IsStrengthFileName(const std::string& path);

// The plant of a strength log (UTF-8) as the month files name plants
// (CP932); a character CP932 cannot hold becomes "？".
AnsiString StrengthPlantKey(const std::string& utf8);

// "24" for 240, "22.5" for 225: the nominal strength as the mix's name.
std::string NominalText(int32_t nominal);

}  // namespace kestrin
