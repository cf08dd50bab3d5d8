// Entry of the strength log's heading: the plant, the month and the mix,
// each field from typed text checked as the file reader checks it, and
// the copy of the heading from a slump month (the main window's record).
// Standard C++ only; texts are UTF-8.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MainData.h"
#include "StrengthEntry.h"

namespace kestrin {

enum class TStrengthMixField {
  Plant,
  Month,  // "2025-06"
  NominalStrength,
  Slump,
  SlumpTolerance,
  Air,
  AirTolerance,
  Aggregate,
  Cement,
  Symbol,
};
inline constexpr int kStrengthMixFields = static_cast<int>(TStrengthMixField::Symbol) + 1;

// The field's name as the window labels it ("呼び強度").
const char* StrengthMixFieldName(TStrengthMixField field);
// The field as text ("24.0", "2025-06", "普通").
std::string StrengthMixText(const TStrengthLog& log, TStrengthMixField field);
// Sets the field from typed text; returns the refusal (empty when taken).
// A month whose length leaves out a test's day is refused.
std::string SetStrengthMixField(TStrengthLog& log, TStrengthMixField field, std::string_view text);

// A double of the slump month in the log's scaled unit: value × 10^decimals
// rounded half away from zero, as the decimal the value was typed as
// (18.55 held as 18.54999… gives 186 for one decimal); nothing for a value
// that is not finite or does not fit.
std::optional<int32_t> ScaledFromDouble(double value, int decimals);

// Copies the plant, month and mix of a slump month's header into the log
// (plant, month, 呼び強度, target slump and tolerance, air and tolerance,
// aggregate, cement and its mark as the symbol). A field whose value the
// log cannot hold (out of its range, a month that leaves out a test's
// day, an empty month) keeps the log's value; the names of those fields
// are returned.
std::vector<std::string> CopyMixFromMonth(const TBasicInfo& month, TStrengthLog& log);

}  // namespace kestrin
