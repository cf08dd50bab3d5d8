// The ranges, decimals and text limits of the strength log's values, and
// the number text every entry path reads them from. The file reader, the
// lab CSV import and the command line all check against these, so each
// accepts exactly what the file can hold.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace kestrin {

// A value kept as an integer in units of its last decimal, within [Lo, Hi]
// in those units (slump: 1 decimal, 0..300 is 0.0..30.0 cm).
struct TScaledRange {
  int Decimals = 0;
  int32_t Lo = 0;
  int32_t Hi = 0;
};

// The mix.
inline constexpr TScaledRange kNominalStrengthRange{1, 10, 1500};  // N/mm²
inline constexpr TScaledRange kMixSlumpRange{1, 0, 300};           // cm
inline constexpr TScaledRange kMixSlumpToleranceRange{1, 0, 100};  // cm
inline constexpr TScaledRange kMixAirRange{1, 0, 200};             // %
inline constexpr TScaledRange kMixAirToleranceRange{1, 0, 100};    // %
inline constexpr TScaledRange kAggregateRange{0, 1, 200};          // mm
// One test.
inline constexpr TScaledRange kTestSlumpRange{1, 0, 300};       // cm
inline constexpr TScaledRange kTestAirRange{1, 0, 200};         // %
inline constexpr TScaledRange kTemperatureRange{1, -100, 600};  // °C
inline constexpr TScaledRange kChlorideRange{2, 0, 500};        // kg/m³
inline constexpr TScaledRange kSpecimenRange{1, 1, 2000};       // N/mm²

// Text limits, in characters.
inline constexpr std::size_t kMaxPlantChars = 40;
inline constexpr std::size_t kMaxCementChars = 20;
inline constexpr std::size_t kMaxSymbolChars = 10;
inline constexpr std::size_t kMaxTruckChars = 20;
inline constexpr std::size_t kMaxRemarksChars = 100;
// The month of a log.
inline constexpr int32_t kMinStrengthYear = 1900;
inline constexpr int32_t kMaxStrengthYear = 2999;

// "HH:MM" from 00:00 to 23:59.
bool ValidStrengthTime(std::string_view s);
// "2025-06" into year and month (kMinStrengthYear..kMaxStrengthYear).
bool ParseStrengthMonth(std::string_view s, int32_t& year, int32_t& month);

// What reading a number text found.
enum class TScaledText { Ok, Empty, NotANumber, TooManyDecimals, OutOfRange };

// Reads a decimal number typed or exported as text: blanks (ASCII and the
// ideographic space) around it are ignored, full-width digits, point and
// minus count as their ASCII forms; an optional "-", digits, and
// optionally "." with digits ("18", "18.5", "-0.5"; not ".5", "18.",
// "1e3" or "+1"). Decimals beyond the range's are accepted only when they
// are zeros ("18.50" is 18.5). On Ok `out` holds the value in the range's
// units; otherwise `out` is unchanged.
TScaledText ParseScaledText(std::string_view text, const TScaledRange& range, int32_t& out);

// The refusal for a result other than Ok, without the value:
// "数値ではありません", "小数は 1 桁までです", "整数で書いてください",
// "値が範囲外です（0.0～30.0）", "値がありません".
std::string ScaledTextProblem(TScaledText result, const TScaledRange& range);

}  // namespace kestrin
