// The X control chart sheet, recorded at A4 600 dpi: blocks, seal boxes
// at 73 % of the width, the caption with the tolerance, the chart block and
// the remarks box.
#include <gtest/gtest.h>

#include "SheetRecording.h"
#include "core/Numbers.h"
#include "sheets/XChartSheet.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

TRecordedSheet Record(const TMainData& data, const TSettings& settings = TSettings{}) {
  return RecordSheet([&](TCanvas& c, const TRect& r) { DrawXChartSheet(c, r, data, settings); });
}

}  // namespace

TEST(XChartSheet, BlocksAreFractionsOfThePage) {
  const TXChartSheetLayout l = XChartSheetLayout(TRect{354, 354, 4725, 6662});
  EXPECT_EQ(l.Seal, (TRect{354, 1237, 4725, 1780}));
  EXPECT_EQ(l.Caption, (TRect{354, 1780, 4725, 1893}));
  EXPECT_EQ(l.Chart, (TRect{354, 1988, 4725, 4637}));
  EXPECT_EQ(l.Remarks, (TRect{354, 4763, 4725, 6567}));  // 0.985: the last strip stays empty
}

TEST(XChartSheet, SealBoxesStartAtSeventyThreePercentWithATitleRowOfAThird) {
  TSettings settings;
  settings.InkanTitle1 = Sjis("所長");
  const TRecordedSheet s = Record(MakeMonth({{1, 1800, 1800}}), settings);
  const TXChartSheetLayout l = XChartSheetLayout(s.PageRect);
  const int xs = s.PageRect.Left + RoundOff(0.73L * s.PageRect.Width());
  const int y1 = l.Seal.Top + l.Seal.Height() / 3;
  EXPECT_GT(s.VerticalLinesAt(xs, l.Seal.Top + 5, l.Seal.Bottom - 5), 0);
  EXPECT_GT(s.HorizontalLinesAt(y1, xs + 5, l.Seal.Right - 5), 0);
  for (const char* title : {"所長", "部長", "係"}) {
    const auto t = s.TextsEqual(Q(title));
    ASSERT_EQ(t.size(), 1u) << title;
    EXPECT_GE(t[0].X, xs);
    EXPECT_GE(t[0].Y, l.Seal.Top);
    EXPECT_LT(t[0].Y, y1);
  }
}

TEST(XChartSheet, CaptionWritesTheTargetInFourCharacters) {
  TMainData data = MakeMonth({{1, 800, 900}});
  data.BasicInfo.KariAveX = 800;
  data.BasicInfo.Kyoyo = 150;
  data.MakeHistogramList();
  data.Calculate();
  const TRecordedSheet s = Record(data);
  EXPECT_TRUE(s.HasText(Q("スランプ試験（Ｘ管理図）")));
  EXPECT_TRUE(s.HasText(Q("Ｘ管理図")));
  EXPECT_TRUE(s.HasText(Q("　許容値  8.0 ± 1.5 cm")));
  // The header is the same block as on the table sheet.
  EXPECT_TRUE(s.HasText(Q(" 8.0cm")));
}

TEST(XChartSheet, ChartFillsItsBlockAndRemarksBoxIsEmptyButForItsHeading) {
  const TRecordedSheet s = Record(MakeMonth({{1, 1800, 1750}, {2, 1900, 1700}}));
  const TXChartSheetLayout l = XChartSheetLayout(s.PageRect);
  int inChart = 0;
  for (const auto& line : s.Lines)
    if (line.Y1 > l.Chart.Top && line.Y1 < l.Chart.Bottom && line.Y2 > l.Chart.Top &&
        line.Y2 < l.Chart.Bottom)
      ++inChart;
  EXPECT_GT(inChart, 50);

  const auto heading = s.TextsEqual(Q("《備考欄》"));
  ASSERT_EQ(heading.size(), 1u);
  EXPECT_GE(heading[0].Y, l.Remarks.Top);
  EXPECT_LT(heading[0].Y, l.Remarks.Top + l.Remarks.Height() / 8);
  // Nothing else is written inside the remarks box.
  EXPECT_EQ(s.TextsIn(l.Remarks.Left, l.Remarks.Right, l.Remarks.Top, l.Remarks.Bottom).size(), 1u);
  // Nothing at all below it.
  for (const auto& t : s.Texts) EXPECT_LT(t.Y, l.Remarks.Bottom) << t.Str.toStdString();
}
