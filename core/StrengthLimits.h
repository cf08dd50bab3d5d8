// The ranges a strength log's values and texts keep: the file reader
// refuses anything outside them, and every entry (the window's cells, a
// paste, an import) checks against the same figures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrin {

// A scaled value: its decimals and its range in the scaled unit
// (tenths for one decimal, hundredths for two).
struct TScaledLimit {
  int Decimals = 1;
  int32_t Min = 0;
  int32_t Max = 0;
};

// The mix.
inline constexpr TScaledLimit kNominalStrengthLimit{1, 10, 1500};  // N/mm²
inline constexpr TScaledLimit kMixSlumpLimit{1, 0, 300};           // cm
inline constexpr TScaledLimit kSlumpToleranceLimit{1, 0, 100};     // cm
inline constexpr TScaledLimit kMixAirLimit{1, 0, 200};             // %
inline constexpr TScaledLimit kAirToleranceLimit{1, 0, 100};       // %
inline constexpr TScaledLimit kAggregateLimit{0, 1, 200};          // mm
// A test.
inline constexpr TScaledLimit kTestSlumpLimit{1, 0, 300};       // cm
inline constexpr TScaledLimit kTestAirLimit{1, 0, 200};         // %
inline constexpr TScaledLimit kTemperatureLimit{1, -100, 600};  // °C
inline constexpr TScaledLimit kChlorideLimit{2, 0, 500};        // kg/m³
inline constexpr TScaledLimit kSpecimenLimit{1, 1, 2000};       // N/mm²

// Texts, in characters.
inline constexpr std::size_t kMaxPlantChars = 40;
inline constexpr std::size_t kMaxCementChars = 20;
inline constexpr std::size_t kMaxSymbolChars = 10;
inline constexpr std::size_t kMaxTruckChars = 20;
inline constexpr std::size_t kMaxRemarksChars = 100;
// The field "Time" as the reader takes it before it checks the form.
inline constexpr std::size_t kMaxTimeChars = 16;
// The month's year.
inline constexpr int32_t kMinStrengthYear = 1900;
inline constexpr int32_t kMaxStrengthYear = 2999;

// "HH:MM" from 00:00 to 23:59.
bool ValidStrengthTime(const std::string& s);

}  // namespace kestrin
