// The lab's spreadsheet as strength tests: a CSV file with a header row and
// one test per row, read as hostile input (a regular file of at most
// 1 MiB, every value checked as the .kst reader checks a test). Any bad
// row refuses the whole file; the refusal names the line and the column.
//
// The rules, as the user can rely on them:
// - Encoding: a UTF-8 byte-order mark is dropped; text that is valid
//   UTF-8 is UTF-8, otherwise it is read as CP932; text that is neither
//   (or UTF-16) is refused.
// - Separator: comma, semicolon or tab, whichever splits the first row
//   (outside quotes) into the most fields; a tie goes to the first of
//   comma, semicolon, tab (a one-column file is comma-separated).
// - Fields per RFC 4180: a field that starts with a quote runs to the
//   closing quote and may hold separators, line ends and doubled quotes
//   (""); after the closing quote only blanks may come before the next
//   separator or line end. A quote inside an unquoted field is a plain
//   character. Lines end in CRLF, LF or CR. An unclosed quote is refused.
// - Lines are counted from 1 (the header row) in the file as written: a
//   line end inside a quoted field counts.
// - Headings: the first row. Blanks around a heading and a trailing unit
//   in brackets ("スランプ(cm)", "空気量（%）") are ignored; full-width
//   letters and digits count as ASCII, ①②③ as 1 2 3, and English headings
//   match in any case. Known headings, Japanese or English:
//     日/Day, 時刻/Time, 車番/Truck, スランプ/Slump, 空気量/Air,
//     温度/Temperature, 塩化物/Chloride, 7日1..7日3/S7_1..S7_3,
//     28日1..28日3/S28_1..S28_3, 備考/Remarks.
//   日, スランプ and 空気量 are required; the three specimen columns of an
//   age come together or not at all; a field named twice is refused. Any
//   other heading is ignored and listed; a column without a heading (or a
//   value beyond the last heading) is listed as "（N列目）" when it holds
//   a value.
// - Rows: a row whose fields are all empty is skipped; at most
//   kMaxStrengthTests tests. Values: blanks around a value are ignored;
//   numbers as ParseScaledText reads them, with the file's ranges and
//   decimals; 日 from 1 to the days of the month; 時刻 "H:MM" or "HH:MM"
//   (optionally ":00" seconds), kept as "HH:MM"; the three specimens of an
//   age all given or all empty; 車番 and 備考 within the file's lengths and
//   without control characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "StrengthLog.h"

namespace kestrin {

// The largest CSV file read.
inline constexpr std::size_t kMaxStrengthCsvBytes = 1024 * 1024;

// What a CSV file holds.
struct TStrengthCsv {
  std::vector<TStrengthTest> Tests;  // in the file's order
  // Headings of the columns not taken, as written (UTF-8, not escaped:
  // show them through ShownName), in the file's order.
  std::vector<std::string> IgnoredColumns;
  std::string Encoding;  // "UTF-8" or "CP932"
  char Separator = ',';  // ',', ';' or '\t'
};

// The outcome of reading: success, or the line (1-based, 0 when the file
// as a whole is at fault), the column's heading as written (empty when no
// one column is at fault) and the reason, a Japanese text that shows the
// value at fault escaped.
struct TStrengthCsvResult {
  bool Ok = true;
  int32_t Line = 0;
  std::string Column;
  std::string Reason;

  explicit operator bool() const { return Ok; }
  // "12行目 28日2：数値ではありません「3O.5」", "1行目：…" without a column,
  // the reason alone without a line; the heading escaped by ShownName.
  std::string Message() const;
};

// Reads the tests from the file's bytes for a month of `days` days (the
// highest 日). On failure `out` is unchanged.
TStrengthCsvResult ReadStrengthCsv(std::string_view bytes, TStrengthCsv& out, int32_t days = 31);
// Reads the file at `path` (a regular file of at most kMaxStrengthCsvBytes).
TStrengthCsvResult LoadStrengthCsv(const std::string& path, TStrengthCsv& out, int32_t days = 31);

}  // namespace kestrin
