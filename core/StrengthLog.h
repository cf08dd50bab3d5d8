// The strength log: one month of compressive-strength tests of one mix at
// one plant, in sampling order. Every measured value is an integer in the
// unit of its last printed decimal (N/mm² × 10, cm × 10, % × 10, °C × 10,
// kg/m³ × 100), so judgements compare exactly and the file writes back
// what it read. Standard C++ only; texts are UTF-8.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kestrin {

// The most tests one log holds.
inline constexpr std::size_t kMaxStrengthTests = 200;
// Specimens per test age (7 days, 28 days).
inline constexpr std::size_t kSpecimens = 3;
// The file's extension, without the dot.
inline constexpr char kStrengthFileExt[] = "kst";

// The three specimens of one age, N/mm² × 10.
using TSpecimens = std::array<int32_t, kSpecimens>;

// The mix the log is kept for.
struct TStrengthMix {
  int32_t NominalStrength = 240;  // 呼び強度, N/mm² × 10
  int32_t Slump = 180;            // target slump, cm × 10
  int32_t SlumpTolerance = 25;    // cm × 10
  int32_t Air = 45;               // target air content, % × 10
  int32_t AirTolerance = 15;      // % × 10
  int32_t Aggregate = 20;         // maximum aggregate size, mm
  std::string Cement = "普通";
  std::string Symbol = "N";

  bool operator==(const TStrengthMix&) const = default;
};

// One sampled truck and its specimens.
struct TStrengthTest {
  int32_t Day = 1;                     // day of the month
  std::string Time;                    // "HH:MM" or empty
  std::string Truck;                   // truck or ticket, may be empty
  int32_t Slump = 0;                   // cm × 10
  int32_t Air = 0;                     // % × 10
  std::optional<int32_t> Temperature;  // concrete temperature, °C × 10
  std::optional<int32_t> Chloride;     // kg/m³ × 100
  std::optional<TSpecimens> Strength7;
  std::optional<TSpecimens> Strength28;  // empty while the specimens cure
  std::string Remarks;

  bool operator==(const TStrengthTest&) const = default;
};

struct TStrengthLog {
  std::string Plant;
  int32_t Year = 2025;
  int32_t Month = 1;
  TStrengthMix Mix;
  std::vector<TStrengthTest> Tests;  // sampling order

  bool operator==(const TStrengthLog&) const = default;
};

// A scaled integer as decimal text with exactly `decimals` decimals
// (FormatScaled(185, 1) == "18.5", FormatScaled(-5, 1) == "-0.5").
std::string FormatScaled(int64_t value, int decimals);

// num / den rounded half away from zero (den > 0).
int64_t RoundDiv(int64_t num, int64_t den);

}  // namespace kestrin
