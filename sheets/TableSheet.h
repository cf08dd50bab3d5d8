// The control table and histogram sheet, "スランプ試験（管理表・ヒストグラム）":
// title, header block, the daily control table (31 rows, AM/PM values and
// their pass marks), three seal boxes, the frequency table with a tally
// histogram, and the mean and standard deviation formulas written out with
// the month's numbers.
#pragma once

#include <array>
#include <vector>

#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/Canvas.h"

namespace kestrin {

// Draws the whole sheet into `pageRect` (device pixels of `canvas`).
void DrawTableSheet(TCanvas& canvas, const TRect& pageRect, const TMainData& data,
                    const TSettings& settings);

// The blocks of the sheet for a page rectangle.
struct TTableSheetLayout {
  TRect Title;
  TRect Header;
  TRect Daily;      // daily control table
  TRect Seal;       // seal boxes
  TRect Frequency;  // frequency table and tally histogram
  TRect Formula;
};
TTableSheetLayout TableSheetLayout(const TRect& pageRect);

// Rows of the daily table: 31 rows; each holds the index into SlumpList of
// the day printed there, or -1. With dispNullData 1 the k-th day goes to
// row k-1; otherwise days without any value are left out and the later
// days move up.
inline constexpr int kDailyRows = 31;
std::array<int, kDailyRows> DailyTableRows(const TMainData& data, int dispNullData);

// Counts of the tally column: the largest class count, at least 20; above
// 20 rounded up to the next multiple of 5 beyond it (23 -> 25, 25 -> 30).
// Capped at kMaxTallyScale.
inline constexpr int kMaxTallyScale = 10000;
int TallyScale(const THistogramList& classes);

}  // namespace kestrin
