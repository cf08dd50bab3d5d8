// Number texts: numbers written right-justified in a fixed number of
// characters, as every table of the charts and sheets shows them.
#pragma once

#include <cstdint>
#include <string>

namespace kestrin {

// x with d decimals, right-justified in w characters with leading blanks,
// longer when the number needs more. Rounding takes halves away from zero
// on the number's 18-digit decimal form (17.25 with one decimal gives
// "17.3", 0.15 gives "0.2"). A result that rounds to zero has no minus sign.
// No "#" rule: header values are written this way and never cut.
std::string FormatFixed(long double x, int w, int d);

// FormatFixed with the "#" rule: a result longer than w keeps its last w
// characters and every digit and minus sign in them becomes "#" (100.0 in
// 4 characters with 1 decimal gives "##.#"). With `trimmed` the leading
// blanks are removed afterwards. A width of 0 or less sets no limit.
std::string FixedText(long double x, int w, int d, bool trimmed = false);

// The integer right-justified in w characters, with the same "#" rule.
std::string IntText(int64_t n, int w);

// The integer with a comma between each group of three digits ("1,234",
// "-12,345"), without leading blanks.
std::string GroupedIntText(int64_t n);

}  // namespace kestrin
