// The X control chart sheet, recorded at A4 600 dpi: blocks, seal boxes
// at 73 % of the width, the caption with the tolerance, the chart block and
// the remarks box.
#include <gtest/gtest.h>

#include <algorithm>

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

namespace {

// The recorded page drawn at a quarter of its resolution.
QImage Quarter(const TPageImage& page) { return page.ToImage(page.Width() / 4, page.Height() / 4); }

// Rows y0..y1 (inclusive, quarter resolution) of two images are the same.
bool SameRows(const QImage& a, const QImage& b, int y0, int y1) {
  for (int y = std::max(0, y0); y <= std::min(a.height() - 1, y1); ++y)
    for (int x = 0; x < a.width(); ++x)
      if (a.pixel(x, y) != b.pixel(x, y)) return false;
  return true;
}

}  // namespace

TEST(XChartSheet, OutliersLeaveThePlotAsLinesButStayBetweenCaptionAndRemarks) {
  const std::vector<TDayValues> days{{1, 1800, 1900}, {2, 1750, 1800}, {3, 1700, 1850}, {4, 1800, 1800}};
  std::vector<TDayValues> wild = days;
  wild[1].Am = 500;   // 5.0 cm, far below T - 2K
  wild[2].Pm = 3000;  // 30.0 cm, far above T + 2K
  const TRecordedSheet normal = Record(MakeMonth(days));
  const TRecordedSheet outliers = Record(MakeMonth(wild));
  const TXChartSheetLayout l = XChartSheetLayout(normal.PageRect);

  // The chart is drawn inside a clip from the caption to the remarks box
  // that holds the whole chart block.
  std::vector<pageop::Clip> clips;
  for (const TPageOp& op : outliers.Page.Ops())
    if (const auto* c = std::get_if<pageop::Clip>(&op)) clips.push_back(*c);
  ASSERT_EQ(clips.size(), 2u);
  ASSERT_TRUE(clips[0].On);
  EXPECT_FALSE(clips[1].On);
  const TRect clip = clips[0].R;
  EXPECT_GE(clip.Top, l.Caption.Bottom);
  EXPECT_LT(clip.Top, l.Chart.Top);
  EXPECT_EQ(clip.Bottom, l.Remarks.Top);
  EXPECT_EQ(clip.Left, l.Chart.Left);
  EXPECT_EQ(clip.Right, l.Chart.Right);

  // Outside the clip both months print the same page; inside, the outliers'
  // lines run on below the plot.
  const QImage a = Quarter(normal.Page);
  const QImage b = Quarter(outliers.Page);
  EXPECT_TRUE(SameRows(a, b, 0, clip.Top / 4 - 2));
  EXPECT_TRUE(SameRows(a, b, clip.Bottom / 4 + 1, a.height() - 1));
  const int plotBottom = l.Chart.Bottom - RoundEven(l.Chart.Height() * 0.05L);
  EXPECT_FALSE(SameRows(a, b, plotBottom / 4 + 2, clip.Bottom / 4 - 2));

  // A month inside the range draws exactly as it would without the clip.
  TPageImage unclipped(normal.Page.Width(), normal.Page.Height(), normal.Page.DpiX(), normal.Page.DpiY());
  for (const TPageOp& op : normal.Page.Ops())
    if (!std::holds_alternative<pageop::Clip>(op)) unclipped.Append(op);
  EXPECT_EQ(Quarter(unclipped), a);
}

TEST(XChartSheet, LongCompanyAndPlantNamesShrinkLeftOfTheMonth) {
  TSettings settings;
  TMainData data = MakeMonth({{1, 1800, 1800}}, 2025, 10);
  settings.CompanyName = Sjis("北山生コンクリート工業株式会社");  // 30 bytes
  data.BasicInfo.Kojo = Sjis("北関東第一生コン工場");           // 10 kanji
  const TRecordedSheet fits = Record(data, settings);
  // Thirty full-width characters, as a hand-edited settings file may hold.
  settings.CompanyName = Sjis("株式会社北山生コンクリート工業ホールディングス東日本支社営業");
  const TRecordedSheet shrunk = Record(data, settings);

  const QString month = Q("2025年10月度");
  ASSERT_EQ(fits.TextsEqual(month).size(), 1u);
  ASSERT_EQ(shrunk.TextsEqual(month).size(), 1u);
  const TRecordedText m = shrunk.TextsEqual(month)[0];
  const TRecordedText mFits = fits.TextsEqual(month)[0];
  EXPECT_EQ(m.X, mFits.X);  // the month text is untouched
  EXPECT_EQ(m.Y, mFits.Y);
  EXPECT_EQ(m.Font, mFits.Font);

  auto names = [&](const TRecordedSheet& s) {
    std::vector<TRecordedText> found;
    for (const auto& t : s.Texts)
      if (t.Str.contains(Q("北関東第一生コン工場"))) found.push_back(t);
    EXPECT_EQ(found.size(), 1u);
    return found.empty() ? TRecordedText{} : found[0];
  };
  auto width = [&](const TRecordedSheet& s, const TRecordedText& t) {
    TPageImage scratch(s.Page.Width(), s.Page.Height(), s.Page.DpiX(), s.Page.DpiY());
    TRecordingCanvas c(&scratch);
    c.Font.Log = t.Font;
    return c.TextWidth(t.Str);
  };
  // Names that fit keep the header font and stand where they always did.
  const TRecordedText n1 = names(fits);
  EXPECT_EQ(n1.Font, m.Font);
  EXPECT_LT(n1.X + width(fits, n1), m.X);
  // Too long: a smaller font from the same left edge, ending before the month.
  const TRecordedText n2 = names(shrunk);
  EXPECT_EQ(n2.X, n1.X);
  EXPECT_LT(n2.Font.Height, m.Font.Height);
  EXPECT_LT(n2.X + width(shrunk, n2), m.X);
}
