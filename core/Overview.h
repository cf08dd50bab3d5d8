// The year and plant overview: any set of month data files read into one
// row per month, sorted by plant and month, with the figures of each plant
// pooled over every entered value of its months.
//
// A month's own figures (AveX, Hensa, Cp, Cpk) are those the month window
// shows (the class-table statistics and MonthCapability). A plant's pooled
// figures are computed from the raw entered values themselves, so a year's
// mean and deviation are not averages of monthly ones.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Capability.h"
#include "ControlChart.h"
#include "Cp932.h"
#include "StrengthOverview.h"

namespace kestrin {

// One month file that loaded.
struct TOverviewMonth {
  std::string File;         // the path as given
  int32_t Getsudo = 0;      // packed date of the month of record
  AnsiString Kojo;          // plant, CP932
  int32_t KariAveX = 0;     // target T, cm x100
  int32_t Kyoyo = 0;        // tolerance K, cm x100
  int64_t Count = 0;        // entered values (> 0)
  int64_t Failed = 0;       // entered values outside T +- K
  int32_t AveX = 0;         // the month's mean X, cm x100
  long double Hensa = 0;    // the month's standard deviation, cm
  std::optional<int32_t> Min;  // cm x100; empty without entered values
  std::optional<int32_t> Max;
  TCapability Capability;
  // Another listed file has the same plant and month of record.
  bool Duplicate = false;
  // The entered values in day order (AM before PM): the pooled figures and
  // the trend chart's whiskers use them.
  std::vector<int32_t> Values;
  // The days with a value (ControlChart.h): the control-rule signals of
  // the month against its own limits (ControlSignalCount).
  std::vector<TSubgroup> Days;
};

// The number of control-rule signals of the month (column 管理外れ) with
// the rules `rules` switched on, against the limits of the month itself;
// empty when it has fewer than kMinControlSubgroups complete days.
std::optional<int32_t> ControlSignalCount(const TOverviewMonth& month, const TControlRuleSet& rules);

// A plant's figures pooled over all entered values of its listed months
// (duplicates included). A plant of strength logs alone has no months
// (Months 0, MonthIndexes empty) and only its mixes.
struct TOverviewPlant {
  AnsiString Kojo;
  int32_t Months = 0;
  int64_t Count = 0;
  int64_t Failed = 0;
  std::optional<long double> AveX;   // mean, cm x100 (real); empty without values
  std::optional<long double> Hensa;  // sample standard deviation (n - 1), cm; n >= 2
  std::optional<int32_t> Min;
  std::optional<int32_t> Max;
  // From the pooled mean and deviation with the plant's T and K; both
  // empty when the months do not all share one T and one K.
  TCapability Capability;
  bool SameLimits = true;  // every month has the same T and K
  int32_t KariAveX = 0;    // T and K of the first month
  int32_t Kyoyo = 0;
  // Indexes into TOverview::Months, in month order.
  std::vector<std::size_t> MonthIndexes;
  // Indexes into TOverview::StrengthMixes, by nominal strength.
  std::vector<std::size_t> MixIndexes;
};

struct TOverviewFailure {
  std::string File;    // the path as given
  std::string Reason;  // Japanese, UTF-8
};

struct TOverview {
  std::vector<TOverviewMonth> Months;  // sorted by plant (see MakeOverview), month, file
  std::vector<TOverviewPlant> Plants;  // every plant of Months and StrengthMonths, in that order
  std::vector<TOverviewFailure> FailedFiles;  // in the order given
  // The strength logs, sorted by plant (in the order of Plants), nominal
  // strength, month, file; and the pooled mixes in the same order.
  std::vector<TStrengthOverviewMonth> StrengthMonths;
  std::vector<TStrengthOverviewMix> StrengthMixes;
};

// Reads every file (the order given does not matter) and builds the
// overview: strength logs (IsStrengthFileName) as strength rows, every
// other file as a month file. A file that cannot be read is listed in
// FailedFiles with the reason and the rest go on. Only regular files are
// opened (a named pipe would block the reader).
TOverview BuildOverview(const std::vector<std::string>& files);

// Builds the overview from months and strength logs already in hand (the
// window adds and removes files without reading the others again): sorts,
// flags duplicates and pools. Everything given is taken over. Plants
// named in `plantOrder` (the settings' plant list; empty names ignored)
// come first, in its order; the others follow by name.
TOverview MakeOverview(std::vector<TOverviewMonth> months, std::vector<TOverviewFailure> failures,
                       const std::vector<AnsiString>& plantOrder = {},
                       std::vector<TStrengthOverviewMonth> strength = {});

// Reads one month file into a row; false with `reason` when it cannot be
// read.
bool ReadOverviewMonth(const std::string& path, TOverviewMonth& month, std::string& reason);

// A month data file's name: ending in ".slt" in any case (".slt" alone is
// a hidden name, not an extension). Only the part after the last '/'
// counts.
bool IsMonthFileName(const std::string& path);

// Subfolders deeper than this below a listed folder are not read.
inline constexpr int kMaxFolderDepth = 64;

// The month data files of a folder: regular files whose names end in
// ".slt" in any case, sorted by path; with `recursive` also those of its
// subfolders down to kMaxFolderDepth levels (symbolic links to folders are
// not followed). Nothing is left out in silence: a subfolder that cannot
// be read or lies too deep, and the folder itself when it cannot be read
// or holds no month file, is appended to `failures` with the reason
// (sorted by path). The folders that were read are appended to `folders`
// when given (a window follows them). True when any month file was found.
bool ListMonthFiles(const std::string& folder, bool recursive, std::vector<std::string>& files,
                    std::vector<TOverviewFailure>& failures, std::vector<std::string>* folders = nullptr);

// The files of a folder for the year overview: as ListMonthFiles, with
// the strength logs (".kst" in any case) beside the month files; a folder
// with neither is a failure of its own.
bool ListOverviewFiles(const std::string& folder, bool recursive, std::vector<std::string>& files,
                       std::vector<TOverviewFailure>& failures, std::vector<std::string>* folders = nullptr);

// The plant name for display: the CP932 name as UTF-8, or "（工場名なし）"
// for an empty one.
std::string PlantLabelUtf8(const AnsiString& kojo);

}  // namespace kestrin
