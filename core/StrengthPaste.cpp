// A block pasted into the strength table (see StrengthPaste.h).
#include "StrengthPaste.h"

#include <algorithm>

namespace kestrin {

std::vector<std::vector<std::string>> SplitPastedBlock(std::string_view text) {
  std::vector<std::vector<std::string>> rows;
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  if (text.empty()) return rows;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find('\n', start);
    std::string_view line =
        text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::vector<std::string>& row = rows.emplace_back();
    std::size_t cell = 0;
    while (true) {
      const std::size_t tab = line.find('\t', cell);
      row.emplace_back(
          line.substr(cell, tab == std::string_view::npos ? std::string_view::npos : tab - cell));
      if (tab == std::string_view::npos) break;
      cell = tab + 1;
    }
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return rows;
}

TStrengthPasteResult PasteStrengthBlock(TStrengthWork& work, std::size_t test, TStrengthColumn column,
                                        std::string_view text) {
  TStrengthPasteResult r;
  if (text.size() > kMaxStrengthPasteBytes) {
    r.Refusal = "貼り付ける内容が大きすぎます．";
    return r;
  }
  const std::vector<std::vector<std::string>> rows = SplitPastedBlock(text);
  if (rows.empty()) {
    r.Refusal = "貼り付ける内容がありません．";
    return r;
  }
  std::size_t columns = 0;
  for (const auto& row : rows) columns = std::max(columns, row.size());
  const int first = static_cast<int>(column);
  if (first >= kStrengthEditColumns) {
    r.Refusal = "計算で求める列には貼り付けられません．";
    return r;
  }
  if (columns > static_cast<std::size_t>(kStrengthEditColumns - first)) {
    r.Refusal = std::string("貼り付ける列が多すぎます（") + StrengthColumnTitle(column) + "から" +
                std::to_string(kStrengthEditColumns - first) + " 列まで）．";
    return r;
  }
  if (test > work.Log.Tests.size() || rows.size() > kMaxStrengthTests - test) {
    r.Refusal = "試験は " + std::to_string(kMaxStrengthTests) + " 件までです（貼り付けると " +
                std::to_string(test + rows.size()) + " 件）．";
    return r;
  }
  TStrengthWork out = work;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const std::size_t at = test + i;
    if (at == out.Log.Tests.size()) {
      // A new test: the day of the test before it until the block gives one.
      const int32_t day = at > 0 ? out.Log.Tests[at - 1].Day : 1;
      InsertStrengthTest(out, at, day);
    }
    for (std::size_t c = 0; c < rows[i].size(); ++c) {
      const auto col = static_cast<TStrengthColumn>(first + static_cast<int>(c));
      const std::string& cell = rows[i][c];
      std::string why;
      // An empty cell empties what may be empty and leaves a required value.
      if (cell.empty() && StrengthCellRequired(col)) continue;
      why = SetStrengthCell(out, at, col, cell);
      if (!why.empty()) {
        r.Refusal = std::to_string(i + 1) + "行目 " + StrengthColumnTitle(col) + "：" + why;
        return r;
      }
    }
  }
  work = std::move(out);
  r.Ok = true;
  r.Rows = rows.size();
  r.Columns = columns;
  return r;
}

std::string CopyStrengthBlock(const std::vector<std::vector<std::string>>& cells) {
  std::string out;
  for (const auto& row : cells) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) out += '\t';
      out += row[i];
    }
    out += '\n';
  }
  return out;
}

}  // namespace kestrin
