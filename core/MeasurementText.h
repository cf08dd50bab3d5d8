// Measurements as text a spreadsheet exchanges through the clipboard: a
// range of the day table written as lines of tab-separated values, and a
// pasted text read back into values under the same rules as typing
// (0.0-99.9, one decimal, no sign), with a refusal that names the line.
//
// Values are in hundredths of a cm as the record keeps them; 0 is blank.
// Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin {

// One line per row, the row's values separated by a tab, each line ending
// in '\n'; a blank value (0 or less) is empty, any other has one decimal
// (rounded half up: 1855 gives "18.6", as the cell shows it).
std::string FormatMeasurementRows(const std::vector<std::vector<int32_t>>& rows);

// A pasted text, line by line.
struct TPastedLine {
  int32_t Line = 0;             // 1-based line of the text
  std::vector<int32_t> Values;  // one or two values, 0 for blank
};

struct TPastedText {
  std::vector<TPastedLine> Lines;
  // 2 when any line holds a tab or comma (AM and PM per line), else 1.
  int32_t Columns = 1;
  // Why the paste is refused ("3行目「18.55」：小数点以下は1桁までです．");
  // empty when it is not.
  std::string Refusal;
};

// The largest text read; a longer one is refused as a whole.
inline constexpr std::size_t kMaxPasteBytes = 64 * 1024;

// Reads a pasted text. Lines end in "\n" or "\r\n"; the line end after the
// last line is not an empty line. An empty line or field is a blank value.
// A first line that holds no digit (a column heading) is skipped. Fields
// are separated by a tab or a comma, at most two per line. Full-width
// digits and point count as their ASCII forms; blanks around a value are
// ignored.
TPastedText ParseMeasurementPaste(std::string_view text);

// One cell a paste writes: `Cell` in entry order (day index x 2 + 0 for AM,
// 1 for PM).
struct TPasteCell {
  int32_t Cell = 0;
  int32_t Value = 0;
};

struct TPastePlan {
  std::vector<TPasteCell> Cells;
  std::string Refusal;  // empty when the paste fits
};

// Where a read paste goes, starting at day `day` (0-based) and `which`
// (0 AM, 1 PM) of a month of `days` days: one value per line fills the
// cells in entry order from there; two per line fill AM and PM of
// consecutive days from the AM of that day (a line with one value fills AM
// and blanks PM). A paste that runs past the last day, or holds no line, is
// refused as a whole.
TPastePlan PlanMeasurementPaste(const TPastedText& text, int32_t day, int32_t which, int32_t days);

}  // namespace kestrin
