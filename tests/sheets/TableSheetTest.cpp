// The control table and histogram sheet, recorded at A4 600 dpi: block
// placement, line weights, the daily table's rows, marks and packing, the
// seal boxes, the frequency table with its shading, leaders and scale.
#include <gtest/gtest.h>

#include <set>

#include "SheetRecording.h"
#include "core/DataFile.h"
#include "core/Numbers.h"
#include "sheets/SheetParts.h"
#include "sheets/TableSheet.h"

using namespace kestrin;
using namespace kestrin::test;

namespace {

// Page rectangle of A4 at 600 dpi with margins 15/10/15/15 mm.
constexpr TRect kPage{354, 354, 4725, 6662};

TRecordedSheet Record(const TMainData& data, const TSettings& settings = TSettings{},
                      int dpi = 600) {
  return RecordSheet(
      [&](TCanvas& c, const TRect& r) { DrawTableSheet(c, r, data, settings); }, dpi);
}

// Columns and rows of the daily table.
struct TDailyGrid {
  int X[8];
  int Y2;
  long double t;
  explicit TDailyGrid(const TRect& b) : t(static_cast<long double>(b.Height()) / 33) {
    const long double f[8] = {0, 0.1L, 0.2L, 0.3L, 0.5L, 0.7L, 0.85L, 1.0L};
    for (int i = 0; i < 8; ++i) X[i] = b.Left + RoundOff(f[i] * b.Width());
    Y2 = b.Top + RoundOff(2 * t);
  }
  int RowTop(int n) const { return Y2 + RoundEven(n * t); }
  int RowBottom(int n) const { return Y2 + RoundEven((n + 1) * t); }
};

// Texts of column `col` (0 No, 1 day, 2 weekday, 3 AM, 4 PM, 5/6 marks)
// in body row n.
std::vector<TRecordedText> Cell(const TRecordedSheet& s, const TDailyGrid& g, int col, int n) {
  return s.TextsIn(g.X[col], g.X[col + 1], g.RowTop(n) - 5, g.RowBottom(n) - 5);
}

std::vector<QString> Strings(const std::vector<TRecordedText>& texts) {
  std::vector<QString> out;
  for (const auto& t : texts) out.push_back(t.Str);
  return out;
}

// The distinct x of vertical one-pixel lines covering y0..y1 within
// [x - 10, x + 10].
int LineBundleWidth(const TRecordedSheet& s, int x, int y0, int y1) {
  std::set<int> xs;
  for (const auto& l : s.Lines)
    if (l.X1 == l.X2 && std::abs(l.X1 - x) <= 10 && std::min(l.Y1, l.Y2) <= y0 &&
        std::max(l.Y1, l.Y2) >= y1)
      xs.insert(l.X1);
  return static_cast<int>(xs.size());
}

}  // namespace

TEST(TableSheet, BlocksAreFractionsOfThePageAndTheRightColumn) {
  const TTableSheetLayout l = TableSheetLayout(kPage);
  EXPECT_EQ(l.Title, (TRect{354, 354, 4725, 480}));
  EXPECT_EQ(l.Header, (TRect{354, 575, 4725, 1143}));  // 0.125 x 6308 = 788.5 rounds up
  EXPECT_EQ(l.Daily, (TRect{354, 1237, 2059, 6662}));
  // The right column divides M = 5425 pixels: 0.1 M = 542.5 -> 543.
  EXPECT_EQ(l.Seal, (TRect{2146, 1237, 4725, 1780}));
  EXPECT_EQ(l.Frequency, (TRect{2146, 1780, 4725, 5496}));
  EXPECT_EQ(l.Formula, (TRect{2146, 5577, 4725, 6662}));
}

TEST(TableSheet, LineWeightsFollowThePageHeight) {
  EXPECT_EQ(SheetWeights(6308), (std::array<int, 6>{1, 3, 5, 8, 10, 13}));
  // Halves go to the even neighbour: 12500 x 0.0002 = 2.5 -> 2.
  EXPECT_EQ(SheetWeights(12500)[0], 2);
  EXPECT_EQ(SheetWeights(7500)[0], 2);  // 1.5 -> 2

  // The daily table's frame is weight 2: 5 + 1 pixels at 600 dpi, 1 + 1 at
  // 150 dpi (page height 1578); its inner column lines are weight 1.
  const TMainData data = MakeMonth({});
  const TRecordedSheet s600 = Record(data);
  const TRect d600 = TableSheetLayout(s600.PageRect).Daily;
  EXPECT_EQ(LineBundleWidth(s600, d600.Left, d600.Top + 10, d600.Bottom - 10), 6);
  EXPECT_EQ(LineBundleWidth(s600, TDailyGrid(d600).X[1], d600.Top + 10, d600.Bottom - 10), 4);

  const TRecordedSheet s150 = Record(data, TSettings{}, 150);
  EXPECT_EQ(s150.PageRect.Height(), 1578);
  const TRect d150 = TableSheetLayout(s150.PageRect).Daily;
  EXPECT_EQ(LineBundleWidth(s150, d150.Left, d150.Top + 3, d150.Bottom - 3), 2);
}

TEST(TableSheet, ThirtyDayMonthNumbersAllThirtyOneRowsAndLeavesTheLastEmpty) {
  std::vector<TDayValues> days;
  for (int d = 1; d <= 30; ++d) days.push_back({d, 1800, 1790});
  const TRecordedSheet s = Record(MakeMonth(days));
  const TDailyGrid g(TableSheetLayout(s.PageRect).Daily);
  for (int n = 0; n < 31; ++n) {
    SCOPED_TRACE(n);
    EXPECT_EQ(Strings(Cell(s, g, 0, n)), std::vector<QString>{QString::number(n + 1)});
  }
  EXPECT_EQ(Strings(Cell(s, g, 1, 29)), std::vector<QString>{Q("30")});
  EXPECT_EQ(Strings(Cell(s, g, 2, 29)), std::vector<QString>{Q("月")});  // 30 June 2025
  for (int col = 1; col <= 6; ++col) EXPECT_TRUE(Cell(s, g, col, 30).empty()) << col;
}

TEST(TableSheet, BlankDaysKeepTheirRowsOrCloseUp) {
  // 1 June 2025 is a Sunday. Day 2 has no values, day 3 only a PM value.
  const TMainData data = MakeMonth({{1, 1800, 1810}, {3, 0, 1750}, {10, 1900, 0}});

  TSettings keep;
  keep.DispNullData = 1;
  const TRecordedSheet k = Record(data, keep);
  const TDailyGrid g(TableSheetLayout(k.PageRect).Daily);
  EXPECT_EQ(Strings(Cell(k, g, 1, 1)), std::vector<QString>{Q("2")});
  EXPECT_EQ(Strings(Cell(k, g, 2, 1)), std::vector<QString>{Q("月")});
  EXPECT_TRUE(Cell(k, g, 3, 1).empty());
  EXPECT_EQ(Strings(Cell(k, g, 1, 9)), std::vector<QString>{Q("10")});

  TSettings pack;
  pack.DispNullData = 0;
  const TRecordedSheet p = Record(data, pack);
  EXPECT_EQ(Strings(Cell(p, g, 1, 0)), std::vector<QString>{Q("1")});
  EXPECT_EQ(Strings(Cell(p, g, 1, 1)), std::vector<QString>{Q("3")});
  EXPECT_EQ(Strings(Cell(p, g, 2, 1)), std::vector<QString>{Q("火")});
  EXPECT_TRUE(Cell(p, g, 3, 1).empty());  // the blank AM stays an empty cell
  EXPECT_EQ(Strings(Cell(p, g, 4, 1)), std::vector<QString>{Q("17.5")});
  EXPECT_EQ(Strings(Cell(p, g, 1, 2)), std::vector<QString>{Q("10")});
  EXPECT_EQ(Strings(Cell(p, g, 3, 2)), std::vector<QString>{Q("19.0")});
  for (int n = 3; n < 31; ++n) {
    EXPECT_TRUE(Cell(p, g, 1, n).empty()) << n;
    EXPECT_EQ(Cell(p, g, 0, n).size(), 1u) << n;  // still numbered
  }

  // Any value other than 1 packs.
  EXPECT_EQ(DailyTableRows(data, 2)[1], 2);
  EXPECT_EQ(DailyTableRows(data, 1)[1], 1);
}

TEST(TableSheet, ValuesOfHundredCentimetresOrMoreShowHashes) {
  const TMainData data = MakeMonth({{1, 10000, 9990}});
  const TRecordedSheet s = Record(data);
  const TDailyGrid g(TableSheetLayout(s.PageRect).Daily);
  EXPECT_EQ(Strings(Cell(s, g, 3, 0)), std::vector<QString>{Q("##.#")});
  EXPECT_EQ(Strings(Cell(s, g, 4, 0)), std::vector<QString>{Q("99.9")});
}

TEST(TableSheet, PassMarksAreCircledOnlyForJudgedMeasurements) {
  // 18.0 +- 2.5: 18.0 and 16.0 pass, 21.0 and 15.0 fail.
  const TMainData data = MakeMonth({{1, 1800, 2100}, {2, 1500, 1600}});
  ASSERT_TRUE(data.SlumpList.Items(0).SokuteiList.Items(0).Judge);
  ASSERT_FALSE(data.SlumpList.Items(0).SokuteiList.Items(1).Judge);
  const TRecordedSheet s = Record(data);
  const TDailyGrid g(TableSheetLayout(s.PageRect).Daily);

  EXPECT_EQ(s.TextsEqual(Q("合")).size(), 2u);
  EXPECT_EQ(s.TextsEqual(Q("○")).size(), 2u);
  EXPECT_EQ(Strings(Cell(s, g, 5, 0)), (std::vector<QString>{Q("合"), Q("○")}));
  EXPECT_TRUE(Cell(s, g, 6, 0).empty());
  EXPECT_TRUE(Cell(s, g, 5, 1).empty());
  EXPECT_EQ(Strings(Cell(s, g, 6, 1)), (std::vector<QString>{Q("合"), Q("○")}));

  // The circle is as high as the row, the character 70 % of it, both
  // centred on the same point.
  const auto marks = Cell(s, g, 5, 0);
  const int rowHeight = g.RowBottom(0) - g.RowTop(0);
  EXPECT_EQ(marks[1].Font.Height, rowHeight);
  EXPECT_EQ(marks[0].Font.Height, RoundOff(0.7L * rowHeight));
  EXPECT_EQ(marks[0].Font.FaceName, Q("ＭＳ 明朝"));
}

TEST(TableSheet, HeaderShowsTheMonthAndLeavesValuesNotEnteredEmpty) {
  TMainData data = MakeMonth({});
  TSettings settings;
  settings.CompanyName = Sjis("北斗生コン");
  data.BasicInfo.Kojo = Sjis("東京第一工場");
  const TRecordedSheet s = Record(data, settings);
  EXPECT_TRUE(s.HasText(Q("北斗生コン 東京第一工場")));
  EXPECT_TRUE(s.HasText(Q("2025年 6月度")));
  EXPECT_TRUE(s.HasText(Q("18.0cm")));
  EXPECT_TRUE(s.HasText(Q("24N/mm")));  // then the raised "2"
  for (const auto& t : s.Texts) EXPECT_FALSE(t.Str.contains(Q("%"))) << t.Str.toStdString();

  data.BasicInfo.Air = 4.5;
  data.BasicInfo.AirKyoyo = 1.5;
  EXPECT_TRUE(Record(data, settings).HasText(Q("4.5±1.5%")));

  // Strength and aggregate size of 0 were not entered: no "0N/mm2", no "0mm".
  data.BasicInfo.Kyodo = 0;
  data.BasicInfo.Kotsuzai = 0;
  const TRecordedSheet blank = Record(data, settings);
  for (const auto& t : blank.Texts) {
    EXPECT_FALSE(t.Str.contains(Q("N/mm"))) << t.Str.toStdString();
    EXPECT_FALSE(t.Str.endsWith(Q("mm"))) << t.Str.toStdString();
  }
}

TEST(TableSheet, SealBoxesCarryTheThreeTitles) {
  const TMainData data = MakeMonth({});
  const TTableSheetLayout l = TableSheetLayout(kPage);
  const int xs = l.Seal.Left + RoundOff(0.55L * l.Seal.Width());
  const TRecordedSheet d = Record(data);
  for (const char* title : {"工場長", "部長", "係"}) {
    const auto found = d.TextsEqual(Q(title));
    ASSERT_EQ(found.size(), 1u) << title;
    EXPECT_GE(found[0].X, xs);
    EXPECT_GE(found[0].Y, l.Seal.Top);
    EXPECT_LT(found[0].Y, l.Seal.Top + 165);  // in the title row, one table row high
  }
  // The frame starts at 55 % of the block.
  EXPECT_GT(d.VerticalLinesAt(xs, l.Seal.Top + 5, l.Seal.Bottom - 5), 0);

  TSettings custom;
  custom.InkanTitle1 = Sjis("品質管理");
  custom.InkanTitle2 = AnsiString();
  custom.InkanTitle3 = Sjis("試験員");
  const TRecordedSheet c = Record(data, custom);
  EXPECT_TRUE(c.HasText(Q("品質管理")));
  EXPECT_TRUE(c.HasText(Q("試験員")));
  EXPECT_FALSE(c.HasText(Q("部長")));
}

TEST(TableSheet, OutOfRangeClassesAreShadedOnlyWhenAskedAndTextsStayTransparent) {
  // Values in the first class (below 15.25) and the last (20.75 and above).
  const TMainData data = MakeMonth({{1, 1500, 1800}, {2, 2200, 1850}});
  auto shaded = [](const TRecordedSheet& s) {
    int n = 0;
    for (const auto& sh : s.Shapes)
      if (sh.Type == TRecordedShape::Rectangle && sh.Brush.Color() == Rgb(235, 235, 235) &&
          !sh.Brush.IsClear())
        ++n;
    return n;
  };
  const TRecordedSheet off = Record(data);
  EXPECT_EQ(shaded(off), 0);

  TSettings on;
  on.DrawHistNoRange = true;
  const TRecordedSheet s = Record(data, on);
  // Centres 15.0 and 21.0 lie outside 15.5 .. 20.5; 15.5 and 20.5 do not.
  EXPECT_EQ(shaded(s), 2);
  const TRect f = TableSheetLayout(s.PageRect).Frequency;
  for (const auto& sh : s.Shapes) {
    if (sh.Type != TRecordedShape::Rectangle) continue;
    EXPECT_EQ(sh.R.Left, f.Left);
    EXPECT_EQ(sh.R.Right, f.Right + 1);
  }
  // The bars: four occupied classes, filled grey from the tally column's left.
  int bars = 0;
  for (const auto& sh : s.Shapes)
    if (sh.Type == TRecordedShape::FillRect && sh.Brush.Color() == Rgb(128, 128, 128)) ++bars;
  EXPECT_EQ(bars, 4);
  // Shading must not turn the text background opaque.
  for (const auto& t : s.Texts) EXPECT_TRUE(t.Brush.IsClear()) << t.Str.toStdString();
}

TEST(TableSheet, LowestAndHighestClassLeadersNeedTwoOccupiedClasses) {
  EXPECT_FALSE(Record(MakeMonth({{1, 1800, 0}})).HasText(Q("L.L.")));
  const TRecordedSheet same = Record(MakeMonth({{1, 1800, 1810}}));  // one class, SumF 2
  EXPECT_FALSE(same.HasText(Q("L.L.")));
  EXPECT_FALSE(same.HasText(Q("U.L.")));

  const TMainData data = MakeMonth({{1, 1700, 1900}});
  const TRecordedSheet s = Record(data);
  const auto ll = s.TextsEqual(Q("L.L."));
  const auto ul = s.TextsEqual(Q("U.L."));
  ASSERT_EQ(ll.size(), 1u);
  ASSERT_EQ(ul.size(), 1u);
  EXPECT_LT(ll[0].Y, ul[0].Y);  // 17.0 sits above 19.0 in the table
}

TEST(TableSheet, TallyScaleGrowsInStepsOfFive) {
  auto scale = [](std::vector<int> counts) {
    THistogramList list;
    for (int f : counts) list.Add(THistogram{0, 0, 0, 0, f});
    return TallyScale(list);
  };
  EXPECT_EQ(scale({}), 20);
  EXPECT_EQ(scale({3, 20, 1}), 20);
  EXPECT_EQ(scale({21}), 25);
  EXPECT_EQ(scale({23}), 25);
  EXPECT_EQ(scale({25}), 30);
  EXPECT_EQ(scale({2147483647}), kMaxTallyScale);

  // The count labels above the grid: 5 .. 15 for 20, 5 .. 20 for 25.
  auto labels = [](int values) {
    std::vector<TDayValues> days;
    for (int i = 0; i < values; ++i)
      if (i % 2 == 0) days.push_back({i / 2 + 1, 1800, 0});
      else days.back().Pm = 1800;
    const TRecordedSheet s = Record(MakeMonth(days));
    const TRect f = TableSheetLayout(s.PageRect).Frequency;
    const int y2 = f.Top + RoundOff(3 * static_cast<long double>(5425) / 33);
    std::vector<QString> out;
    for (const auto& t : s.TextsIn(f.Left + RoundOff(0.42L * f.Width()),
                                   f.Left + RoundOff(0.76L * f.Width()), y2 - 200, y2))
      if (t.Font.FaceName == Q("ＭＳ ゴシック")) out.push_back(t.Str);
    return out;
  };
  EXPECT_EQ(labels(20), (std::vector<QString>{Q("5"), Q("10"), Q("15")}));
  EXPECT_EQ(labels(21), (std::vector<QString>{Q("5"), Q("10"), Q("15"), Q("20")}));
}

TEST(TableSheet, ClassRowsKeepTheirHeightUpToTwentyThreeClassesAndShrinkBeyond) {
  // The diagonal of the totals row runs from (X0, Y3) to (X4, Y4).
  struct Rows {
    int K;
    int Y2, Y3, Y4, Bottom;
  };
  auto measure = [](long double width, int kyoyo) {
    TMainData data = MakeMonth({});
    data.BasicInfo.ClassWidth = width;
    data.BasicInfo.Kyoyo = kyoyo;
    data.MakeHistogramList();
    data.Calculate();
    const TRecordedSheet s = Record(data);
    const TRect f = TableSheetLayout(s.PageRect).Frequency;
    Rows r{data.HistogramList.Count(), f.Top + RoundOff(3 * static_cast<long double>(5425) / 33),
           0, 0, f.Bottom};
    for (const auto& l : s.Lines) {
      if (l.X1 != f.Left || l.Y1 == l.Y2 || l.X2 - l.X1 < f.Width() / 3) continue;
      if (l.Y1 > r.Y3) {
        r.Y3 = l.Y1;
        r.Y4 = l.Y2;
      }
    }
    return r;
  };
  const Rows k13 = measure(0.5L, 250);
  const Rows k23 = measure(0.25L, 250);
  const Rows k27 = measure(0.25L, 300);
  ASSERT_EQ(k13.K, 13);
  ASSERT_EQ(k23.K, 23);
  ASSERT_EQ(k27.K, 27);
  auto rowHeight = [](const Rows& r) {
    return static_cast<double>(r.Y3 - r.Y2) / r.K;
  };
  EXPECT_NEAR(rowHeight(k13), rowHeight(k23), 0.1);
  EXPECT_LT(rowHeight(k27), rowHeight(k23) - 10);
  EXPECT_LT(k13.Y4, k13.Bottom - 1000);  // ends well above the block's bottom
  EXPECT_EQ(k23.Y4, k23.Bottom);
  EXPECT_EQ(k27.Y4, k27.Bottom);
}

TEST(TableSheet, ExampleMonthFormulaAndTotals) {
  TMainData data;
  ASSERT_TRUE(LoadFromFile(std::string(KESTRIN_SOURCE_DIR) + "/examples/sample-month.slt", data));
  data.Calculate();
  const TRecordedSheet s = Record(data);
  EXPECT_TRUE(s.HasText(Q("スランプ試験（管理表・ヒストグラム）")));
  EXPECT_TRUE(s.HasText(Q("規 格 値：Xo=18.0")));
  EXPECT_TRUE(s.HasText(Q("区間の幅：h = 0.5")));
  EXPECT_TRUE(s.HasText(Q("平 均 値：X =Xo+Σu･f/Σf×h = 18.21")));
  EXPECT_TRUE(s.HasText(Q("            = 0.975")));
  EXPECT_TRUE(s.HasText(Q("許容値 18.0 ± 2.5 cm")));
  EXPECT_TRUE(s.HasText(Q("Σf-1")));
  // Totals of the frequency table.
  EXPECT_TRUE(s.HasText(Q(" 46")));
  EXPECT_TRUE(s.HasText(Q("  19")));
  EXPECT_TRUE(s.HasText(Q(" 179")));
  // First and last classes show no centre and an open bound.
  EXPECT_TRUE(s.HasText(Q("      ～ 15.25")));
  EXPECT_TRUE(s.HasText(Q("20.75 ～      ")));
}

TEST(TableSheet, AClassTableOfThousandsOfRowsStaysInsideItsBlock) {
  // A width of 0.01 cm over a tolerance of 50 cm: 10003 rows, capped.
  TMainData data = MakeMonth({{1, 1800, 1900}});
  data.BasicInfo.ClassWidth = 0.01L;
  data.BasicInfo.Kyoyo = 5000;
  data.MakeHistogramList();
  data.Calculate();
  ASSERT_EQ(data.HistogramList.Count(), kMaxHistogramRows);
  const TRecordedSheet s = Record(data);
  const TRect f = TableSheetLayout(s.PageRect).Frequency;
  for (const auto& t : s.Texts) {
    // Height 0 would be the default font size, far too large for a row.
    EXPECT_GT(t.Font.Height, 0) << t.Str.toStdString();
    if (t.X >= f.Left && t.Y >= f.Top + 400 && t.Y < f.Bottom) {
      EXPECT_LT(t.Font.Height, 200) << t.Str.toStdString();
    }
  }
  for (const auto& l : s.Lines)
    if (l.X1 >= f.Left && std::min(l.Y1, l.Y2) < f.Bottom) {
      EXPECT_LE(std::max(l.Y1, l.Y2), f.Bottom + 20);
    }
}
