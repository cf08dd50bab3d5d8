// The strength sheet, recorded at A4 600 dpi: the pages the tests need,
// the tests of each page, the pending and curing marks, the summary.
#include <gtest/gtest.h>

#include "SheetRecording.h"
#include "core/StrengthFigures.h"
#include "sheets/StrengthSheet.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

TStrengthLog LogOf(std::size_t tests) {
  TStrengthLog log;
  log.Plant = "東京第一工場";
  log.Year = 2025;
  log.Month = 6;
  for (std::size_t i = 0; i < tests; ++i) {
    TStrengthTest t;
    t.Day = 1;
    t.Slump = 180;
    t.Air = 45;
    t.Strength28 = TSpecimens{300, 300, 300};
    log.Tests.push_back(t);
  }
  return log;
}

TRecordedSheet Record(const TStrengthLog& log, int page) {
  const TStrengthFigures f = ComputeStrengthFigures(log);
  return RecordSheet([&](TCanvas& c, const TRect& r) { DrawStrengthSheet(c, r, log, f, TSettings{}, page); });
}

// Texts equal to `text` with their top from `top` to before `bottom`.
std::size_t TextsWithin(const TRecordedSheet& s, const char* text, int top, int bottom) {
  std::size_t n = 0;
  for (const auto& t : s.TextsEqual(Q(text))) n += t.Y >= top && t.Y < bottom;
  return n;
}

}  // namespace

TEST(StrengthSheet, TestsBeyondTheFirstPageGoOnFurtherPages) {
  EXPECT_EQ(StrengthSheetPages(LogOf(0)), 1);
  EXPECT_EQ(StrengthSheetPages(LogOf(kStrengthFirstPageTests)), 1);
  EXPECT_EQ(StrengthSheetPages(LogOf(kStrengthFirstPageTests + 1)), 2);
  EXPECT_EQ(StrengthSheetPages(LogOf(kStrengthFirstPageTests + kStrengthNextPageTests)), 2);
  EXPECT_EQ(StrengthSheetPages(LogOf(kStrengthFirstPageTests + kStrengthNextPageTests + 1)), 3);
  EXPECT_EQ(StrengthSheetPages(LogOf(kMaxStrengthTests)), 6);  // 20 + 4 × 44 + 4

  // 21 tests: test 20 is the first page's last row, test 21 the second
  // page's first; the chart (with its test numbers) only on the first.
  TStrengthLog log = LogOf(kStrengthFirstPageTests + 1);
  log.Tests.back().Strength28.reset();
  const TRecordedSheet first = Record(log, 0);
  const TStrengthSheetLayout l = StrengthSheetLayout(first.PageRect);
  EXPECT_TRUE(first.HasText(Q("圧縮強度試験（管理表）")));
  EXPECT_EQ(TextsWithin(first, "20", l.Table.Top, l.Table.Bottom), 1u);
  EXPECT_EQ(TextsWithin(first, "21", l.Table.Top, l.Table.Bottom), 0u);
  EXPECT_TRUE(first.HasText(Q("試験数")));

  const TRecordedSheet second = Record(log, 1);
  EXPECT_TRUE(second.HasText(Q("2025年06月度（2／2）")));
  EXPECT_EQ(TextsWithin(second, "21", l.Chart.Top, l.Table.Bottom), 1u);
  EXPECT_EQ(TextsWithin(second, "20", l.Chart.Top, l.Table.Bottom), 0u);
  EXPECT_TRUE(second.HasText(Q("養生中")));
  EXPECT_FALSE(second.HasText(Q("試験数")));
  // Six lots of three results, then tests 19 and 20 pending; the 21st is
  // still curing.
  EXPECT_TRUE(first.HasText(Q("L6 30.0")));
  EXPECT_TRUE(first.HasText(Q("保留")));
  EXPECT_FALSE(second.HasText(Q("保留")));
  // A page beyond the last draws nothing.
  EXPECT_TRUE(Record(log, 2).Texts.empty());
}
