// Which printed sheets of the month a preview, a print or `kestrin-cli
// sheets` produces (the report's PrintSheet): both, the control table and
// histogram sheet, or the X control chart sheet.
#pragma once

#include <vector>

namespace kestrin {

// The values are those of the sheet-choice popup: 0 both, 1 the table
// sheet, 2 the X chart sheet.
enum class TPrintSheet : int { All = 0, Table = 1, XChart = 2 };

// The single sheets of a choice in page order: All is the table sheet, then
// the X chart sheet.
inline std::vector<TPrintSheet> SheetsOf(TPrintSheet choice) {
  if (choice == TPrintSheet::All) return {TPrintSheet::Table, TPrintSheet::XChart};
  return {choice};
}

}  // namespace kestrin
