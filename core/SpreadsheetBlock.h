// The block of values the spreadsheet export puts into a new workbook: the
// month's header, its days and its class table with the totals, mean and
// standard deviation, R rows by 16 columns starting at cell A1.
//
// Plain data only: the automation layer (platform/calc) hands it to the
// spreadsheet application, the command-line tool prints it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Cp932.h"
#include "MainData.h"

namespace kestrin {

// One value of the block.
struct TBlockCell {
  enum class TKind : uint8_t { Empty, Text, Integer, Real };

  TKind Kind = TKind::Empty;
  AnsiString Text;      // CP932 bytes, for Text
  int32_t Integer = 0;  // for Integer
  double Real = 0.0;    // for Real

  static TBlockCell MakeText(AnsiString text);
  static TBlockCell MakeInteger(int32_t value);
  static TBlockCell MakeReal(double value);

  bool IsEmpty() const { return Kind == TKind::Empty; }
  friend bool operator==(const TBlockCell&, const TBlockCell&) = default;
};

// A rectangular block of cells, row-major; row 0 is sheet row 1, column 0 is
// column A.
class TSpreadsheetBlock {
 public:
  static constexpr int32_t kColumnCount = 16;  // A..P

  TSpreadsheetBlock() = default;
  TSpreadsheetBlock(int32_t rows, int32_t columns);

  int32_t RowCount() const { return rows_; }
  int32_t ColumnCount() const { return columns_; }

  // Checked access; throws std::out_of_range outside the block.
  TBlockCell& At(int32_t row, int32_t column);
  const TBlockCell& At(int32_t row, int32_t column) const;

  // The name of the bottom-right cell ("P32") and of the whole range
  // ("A1:P32").
  std::string BottomRightCellName() const;
  std::string RangeName() const;

  friend bool operator==(const TSpreadsheetBlock&, const TSpreadsheetBlock&) = default;

 private:
  std::size_t Index(int32_t row, int32_t column) const;

  int32_t rows_ = 0;
  int32_t columns_ = 0;
  std::vector<TBlockCell> cells_;
};

// The number of rows of the block for a record: the largest of the number
// of days + 1, 15 and the number of class rows + 5.
int32_t SpreadsheetBlockRowCount(const TMainData& data);

// Builds the block from a record whose statistics are up to date (call
// TMainData::Calculate first). Reads the record only.
TSpreadsheetBlock MakeSpreadsheetBlock(const TMainData& data);

// The letters of the last column for a block of `columnCount` columns
// (16 gives "P", 26 "Z", 27 "AA"): k = columnCount - 1; a first letter
// 64 + k div 26 when k div 26 > 0, then the letter 65 + k mod 26.
// Defined for 1..702 columns; throws std::invalid_argument otherwise.
std::string LastColumnLetters(int32_t columnCount);

// "A1:<last column letters><rows>".
std::string SpreadsheetRangeName(int32_t rows, int32_t columns);

// The block as tab-separated UTF-8 text, one line per sheet row, each line
// ending in '\n'. Integers in decimal, reals in the shortest form that reads
// back to the same double, empty cells as nothing. Tabs, carriage returns
// and line feeds inside a text are shown as spaces so that every sheet row
// stays one line; bytes that are not valid CP932 show as U+FFFD.
std::string FormatBlockTsv(const TSpreadsheetBlock& block);

// The shortest decimal text that reads back as exactly `value`.
std::string FormatRealShortest(double value);

// The block in the exchange form the export helper reads on its standard
// input: a header line, then one item per cell, row by row. Texts keep their
// CP932 bytes exactly (length-prefixed), reals are exact.
std::string SerializeBlock(const TSpreadsheetBlock& block);

// Reads the exchange form back. Returns nullopt (and an English reason in
// `error`) for anything malformed, truncated or oversized; never throws.
std::optional<TSpreadsheetBlock> ParseBlock(std::string_view text, std::string* error = nullptr);

// The largest block ParseBlock accepts (rows); the record itself can make at
// most kMaxHistogramRows + 5 rows.
inline constexpr int32_t kMaxBlockRows = 1'000'000;
inline constexpr int32_t kMaxBlockColumns = 702;

}  // namespace kestrin
