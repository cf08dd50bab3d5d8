// A block copied from a spreadsheet (tab-separated cells, one row per
// line) pasted into the strength table from its active cell: row r and
// column c of the block land in test `test + r` and column `column + c`,
// in the table's column order, new tests appended where the block reaches
// past the last one. Checked as a whole: one cell that the table would
// refuse refuses the block, nothing changes, and the message names the
// block's line and the column ("2行目 28日1：0.1～200.0の範囲で入力してください．").
// Standard C++ only; texts are UTF-8.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "StrengthEntry.h"

namespace kestrin {

// The largest text taken.
inline constexpr std::size_t kMaxStrengthPasteBytes = 256 * 1024;

// The block's cells: lines split at '\n' (a '\r' before it dropped, the
// line end after the last line opening no empty line), cells at '\t'.
std::vector<std::vector<std::string>> SplitPastedBlock(std::string_view text);

struct TStrengthPasteResult {
  bool Ok = false;
  std::string Refusal;   // why nothing changed
  std::size_t Rows = 0;  // rows and columns taken
  std::size_t Columns = 0;
};

// Pastes `text` into `work` at (`test`, `column`); `test` may be the row
// after the last test (the block then only appends). On refusal `work` is
// unchanged.
TStrengthPasteResult PasteStrengthBlock(TStrengthWork& work, std::size_t test, TStrengthColumn column,
                                        std::string_view text);

// The cells of a rectangle of the table (editable and computed columns
// alike, as given) as tab-separated lines ending in '\n'.
std::string CopyStrengthBlock(const std::vector<std::vector<std::string>>& cells);

}  // namespace kestrin
