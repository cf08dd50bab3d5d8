// Which printed sheets of the month a preview, a print or `kestrin-cli
// sheets` produces (the report's PrintSheet): both, the control table and
// histogram sheet, the X control chart sheet, or the X̄–R control chart
// sheet.
#pragma once

#include <vector>

namespace kestrin {

// The values are those of the sheet-choice popup: 0 both, 1 the table
// sheet, 2 the X chart sheet, 3 the X̄–R chart sheet. "Both" stays the two
// sheets of the table and the X chart.
enum class TPrintSheet : int { All = 0, Table = 1, XChart = 2, XbarR = 3 };

// The title printed on a sheet, and the title of a document of the choice
// (a PDF's title): both sheets together are "スランプ試験".
inline const char* SheetTitle(TPrintSheet choice) {
  switch (choice) {
    case TPrintSheet::Table: return "スランプ試験（管理表・ヒストグラム）";
    case TPrintSheet::XChart: return "スランプ試験（Ｘ管理図）";
    case TPrintSheet::XbarR: return "スランプ試験（X̄－R管理図）";
    case TPrintSheet::All: break;
  }
  return "スランプ試験";
}

// The single sheets of a choice in page order: All is the table sheet, then
// the X chart sheet.
inline std::vector<TPrintSheet> SheetsOf(TPrintSheet choice) {
  if (choice == TPrintSheet::All) return {TPrintSheet::Table, TPrintSheet::XChart};
  return {choice};
}

}  // namespace kestrin
