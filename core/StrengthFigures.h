// The figures of a strength log: each test's result (the mean of its three
// 28-day specimens), Rm and Rs, the acceptance judgements, the lots of
// three results, the month summary with the required mean strength, and
// the x–Rs–Rm control chart with its signals. Everything is decimal-exact:
// values are integers in tenths (N/mm² × 10) or hundredths (× 100), means
// are rounded half away from zero, comparisons are between integers.
// A pure function of the record; no Qt.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "StrengthLog.h"

namespace kestrin {

// Control chart factors for individual values and moving ranges of two
// (E2, D4) and for ranges of three specimens (D4 × d2 ratio as printed on
// the usual forms), in thousandths.
inline constexpr int64_t kE2Milli = 2660;
inline constexpr int64_t kD4RsMilli = 3267;
inline constexpr int64_t kD4RmMilli = 2575;
// Results needed before the chart has limits.
inline constexpr std::size_t kMinChartResults = 5;
// Results needed for the standard deviation and the required mean.
inline constexpr std::size_t kMinSigmaResults = 2;
// Every result at least this share of the nominal strength, in percent.
inline constexpr int64_t kResultSharePercent = 85;
// Chloride content allowed, kg/m³ × 100.
inline constexpr int32_t kMaxChloride = 30;
// Results per lot.
inline constexpr std::size_t kLotSize = 3;

struct TStrengthTestFigures {
  std::optional<int32_t> Result28;   // tenths; empty while curing
  std::optional<int32_t> Result7;    // tenths
  std::optional<int32_t> Rm;         // tenths: largest minus smallest specimen
  std::optional<int32_t> Rs;         // tenths: |result - previous result|
  std::optional<bool> Pass;          // result >= 85 % of the nominal strength
  bool SlumpPass = true;             // within target ± tolerance
  bool AirPass = true;               // within target ± tolerance
  std::optional<bool> ChloridePass;  // at most 0.30 kg/m³
};

struct TStrengthLot {
  std::vector<std::size_t> Tests;  // 1-based test numbers
  std::optional<int32_t> Mean;     // tenths; empty while pending
  std::optional<bool> Pass;        // mean >= nominal; empty while pending
};

struct TStrengthSummary {
  std::size_t Count = 0;                // results
  std::optional<int32_t> Mean;          // hundredths
  std::optional<int32_t> Sigma;         // hundredths, n − 1
  std::optional<int32_t> Min;           // tenths
  std::optional<int32_t> Max;           // tenths
  std::optional<int32_t> RequiredMean;  // hundredths
  std::optional<int32_t> Margin;        // Mean − RequiredMean, hundredths
};

// The x–Rs–Rm chart's centre lines and limits, hundredths.
struct TStrengthChartLimits {
  int32_t Center = 0;
  int32_t UCL = 0;
  int32_t LCL = 0;
  int32_t RsBar = 0;
  int32_t RsUCL = 0;
  int32_t RmBar = 0;
  int32_t RmUCL = 0;
};

enum class TStrengthChart { X, Rs, Rm };

struct TStrengthSignal {
  TStrengthChart Chart = TStrengthChart::X;
  std::size_t Test = 0;  // 1-based
  bool operator==(const TStrengthSignal&) const = default;
};

struct TStrengthFigures {
  std::vector<TStrengthTestFigures> Tests;  // one per test, in order
  std::vector<TStrengthLot> Lots;
  TStrengthSummary Summary;
  std::optional<TStrengthChartLimits> Chart;  // at least kMinChartResults results
  std::vector<TStrengthSignal> Signals;       // X, then Rs, then Rm; each in test order
  int32_t FailedTests = 0;
  int32_t FailedLots = 0;
};

// The mean of three specimens rounded half away from zero to a tenth.
int32_t SpecimenMean(const TSpecimens& s);
// A result passes at ≥ 85 % of the nominal strength (both tenths).
bool ResultPasses(int32_t result, int32_t nominal);
// The required mean strength max(0.85·SL + 3s, SL + 3s/√3), hundredths,
// from SL in tenths and s in hundredths.
int32_t RequiredMeanStrength(int32_t nominal, int32_t sigma);

TStrengthFigures ComputeStrengthFigures(const TStrengthLog& log);

// The summary of any list of results (N/mm² × 10) of one nominal strength,
// as ComputeStrengthFigures makes the month's: the year overview pools a
// mix's results of several months through it.
TStrengthSummary SummarizeStrengthResults(const std::vector<int32_t>& results, int32_t nominal);

// "X", "Rs", "Rm".
const char* StrengthChartName(TStrengthChart chart);

}  // namespace kestrin
