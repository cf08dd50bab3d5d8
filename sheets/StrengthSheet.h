// The strength sheet, "圧縮強度試験（管理表）", A4 portrait in the style of
// the slump sheets: title, header (company, plant, month, the mix), seal
// boxes, the x–Rs–Rm chart and the month summary on the first page, and
// the test table (specimens, result, Rm, 7-day result, judgements, the
// lot means at each lot's last test; failed values red) on the first page
// and as many further pages as the tests need.
#pragma once

#include <cstddef>

#include "core/Settings.h"
#include "core/StrengthFigures.h"
#include "core/StrengthLog.h"
#include "platform/Canvas.h"

namespace kestrin {

// Tests in the table of the first page and of each further page.
inline constexpr std::size_t kStrengthFirstPageTests = 20;
inline constexpr std::size_t kStrengthNextPageTests = 44;

// Pages the log needs: one, and one more per kStrengthNextPageTests tests
// beyond the first page's.
int StrengthSheetPages(const TStrengthLog& log);

// The blocks of a page.
struct TStrengthSheetLayout {
  TRect Title;
  TRect Header;
  TRect Seal;
  TRect Chart;    // first page
  TRect Summary;  // first page
  TRect Table;    // the first page's; further pages start at Chart.Top
};
TStrengthSheetLayout StrengthSheetLayout(const TRect& pageRect);

// Draws page `page` (0-based) into `pageRect`.
void DrawStrengthSheet(TCanvas& canvas, const TRect& pageRect, const TStrengthLog& log,
                       const TStrengthFigures& figures, const TSettings& settings, int page);

}  // namespace kestrin
