// The block of labels and values the spreadsheet export puts at A1, and
// the exchange file the export helper reads.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>
#include <vector>

#include "core/SpreadsheetBlock.h"
#include "tests/core/MonthBuilder.h"

using namespace kestrin;
using TKind = TBlockCell::TKind;

namespace {

// Sheet coordinates as the user sees them: column letter and 1-based row.
const TBlockCell& Cell(const TSpreadsheetBlock& b, char column, int32_t sheetRow) {
  return b.At(sheetRow - 1, column - 'A');
}

std::string Utf8(const TBlockCell& c) {
  EXPECT_EQ(c.Kind, TKind::Text);
  return Cp932ToUtf8Lossy(c.Text);
}

int32_t Int(const TBlockCell& c) {
  EXPECT_EQ(c.Kind, TKind::Integer);
  return c.Integer;
}

double Real(const TBlockCell& c) {
  EXPECT_EQ(c.Kind, TKind::Real);
  return c.Real;
}

// The worked example: a 31-day month, 18.0 +- 2.0 cm, h = 0.5, values
// entered AM, PM, AM, PM ... from day 1; 0 is a blank measurement.
TMainData WorkedExample() {
  return testutil::MonthWithValues({1800, 1850, 1750, 1900, 1800, 1600, 0, 2050});
}

}  // namespace

TEST(SpreadsheetBlock, WorkedExampleTotalsMeanAndDeviation) {
  const TMainData d = WorkedExample();
  const TSpreadsheetBlock b = MakeSpreadsheetBlock(d);
  ASSERT_EQ(b.RowCount(), 32);
  ASSERT_EQ(b.ColumnCount(), 16);
  EXPECT_EQ(b.RangeName(), "A1:P32");
  EXPECT_EQ(b.BottomRightCellName(), "P32");

  EXPECT_EQ(Utf8(Cell(b, 'L', 13)), "合計");
  EXPECT_EQ(Int(Cell(b, 'M', 13)), 7);
  EXPECT_EQ(Int(Cell(b, 'N', 13)), 3);
  EXPECT_EQ(Int(Cell(b, 'O', 13)), 47);
  for (char c : {'L', 'M', 'N', 'O'}) EXPECT_TRUE(Cell(b, c, 14).IsEmpty()) << c;
  EXPECT_EQ(Utf8(Cell(b, 'L', 15)), "平均値X");
  EXPECT_DOUBLE_EQ(Real(Cell(b, 'M', 15)), 18.21);
  EXPECT_EQ(Utf8(Cell(b, 'L', 16)), "標準偏差");
  // The deviation goes over unrounded.
  EXPECT_NEAR(Real(Cell(b, 'M', 16)), 1.38013, 1e-5);
  EXPECT_EQ(Real(Cell(b, 'M', 16)), static_cast<double>(d.CalcedResult.Hensa));
  EXPECT_NE(Real(Cell(b, 'M', 16)), 1.38);
  // Nothing beside the mean and deviation.
  for (char c : {'N', 'O'}) {
    EXPECT_TRUE(Cell(b, c, 15).IsEmpty());
    EXPECT_TRUE(Cell(b, c, 16).IsEmpty());
  }

  // Class rows: lowest class first in row 2.
  EXPECT_DOUBLE_EQ(Real(Cell(b, 'I', 2)), 15.25);
  EXPECT_DOUBLE_EQ(Real(Cell(b, 'J', 2)), 15.75);
  EXPECT_DOUBLE_EQ(Real(Cell(b, 'K', 2)), 15.5);
  EXPECT_EQ(Int(Cell(b, 'L', 2)), -5);
  EXPECT_EQ(Int(Cell(b, 'L', 12)), 5);
  EXPECT_DOUBLE_EQ(Real(Cell(b, 'J', 12)), 20.75);
  EXPECT_EQ(Int(Cell(b, 'M', 3)), 1);   // 16.0
  EXPECT_EQ(Int(Cell(b, 'N', 3)), -4);
  EXPECT_EQ(Int(Cell(b, 'O', 3)), 16);
  EXPECT_EQ(Int(Cell(b, 'O', 12)), 25);  // 20.5 in the top class
}

TEST(SpreadsheetBlock, ClassColumnsSumToTheTotalsRow) {
  for (int32_t kyoyo : {0, 120, 200, 500}) {
    SCOPED_TRACE(kyoyo);
    TMainData d;
    d.BasicInfo.Getsudo = PackDate(2025, 1, 1);
    d.BasicInfo.Kyoyo = kyoyo;
    d.MakeSlumpList();
    d.MakeHistogramList();
    int32_t v = 1400;
    for (auto& day : d.SlumpList)
      for (auto& s : day.SokuteiList) s.Value = (v += 37) % 900 + 1350;
    d.Calculate();
    const TSpreadsheetBlock b = MakeSpreadsheetBlock(d);
    const int32_t n = d.HistogramList.Count();
    for (int32_t col : {12, 13, 14}) {  // M, N, O
      int64_t sum = 0;
      for (int32_t row = 1; row <= n; ++row) sum += Int(b.At(row, col));
      EXPECT_EQ(sum, Int(b.At(n + 1, col))) << "column " << static_cast<char>('A' + col);
    }
    EXPECT_GT(Int(b.At(n + 1, 12)), 0);
  }
}

TEST(SpreadsheetBlock, FebruaryWithToleranceFive) {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2005, 2, 1);
  d.BasicInfo.Kyoyo = 500;
  d.MakeSlumpList();
  d.MakeHistogramList();
  d.SlumpList.Items(27).SokuteiList.Items(1).Value = 2350;
  d.Calculate();
  ASSERT_EQ(d.HistogramList.Count(), 23);

  const TSpreadsheetBlock b = MakeSpreadsheetBlock(d);
  EXPECT_EQ(SpreadsheetBlockRowCount(d), 29);
  EXPECT_EQ(b.RangeName(), "A1:P29");
  EXPECT_EQ(Utf8(Cell(b, 'B', 1)), "2005/02");
  EXPECT_EQ(Int(Cell(b, 'B', 3)), 28);
  EXPECT_EQ(Utf8(Cell(b, 'L', 25)), "合計");
  EXPECT_EQ(Int(Cell(b, 'M', 25)), 1);
  EXPECT_EQ(Utf8(Cell(b, 'L', 27)), "平均値X");
  EXPECT_EQ(Utf8(Cell(b, 'L', 28)), "標準偏差");
  // One counted measurement: mean and deviation are 0.
  EXPECT_EQ(Real(Cell(b, 'M', 27)), 0.0);
  EXPECT_EQ(Real(Cell(b, 'M', 28)), 0.0);
  // The last day stands in the last row, beside the deviation's row + 1.
  EXPECT_EQ(Int(Cell(b, 'D', 29)), 28);
  EXPECT_DOUBLE_EQ(Real(Cell(b, 'G', 29)), 23.5);
  EXPECT_EQ(Utf8(Cell(b, 'H', 29)), "(否)");
  EXPECT_TRUE(Cell(b, 'L', 29).IsEmpty());
  EXPECT_DOUBLE_EQ(Real(Cell(b, 'I', 2)), 12.25);
  EXPECT_DOUBLE_EQ(Real(Cell(b, 'J', 24)), 23.75);
}

TEST(SpreadsheetBlock, RowCountIsTheLargestOfDaysClassesAndFifteen) {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2024, 2, 1);  // 29 days
  d.BasicInfo.Kyoyo = 0;                       // 3 class rows
  d.MakeSlumpList();
  d.MakeHistogramList();
  d.Calculate();
  EXPECT_EQ(SpreadsheetBlockRowCount(d), 30);

  d.SlumpList.Clear();
  EXPECT_EQ(SpreadsheetBlockRowCount(d), 15);
  const TSpreadsheetBlock empty = MakeSpreadsheetBlock(d);
  EXPECT_EQ(empty.RangeName(), "A1:P15");
  EXPECT_EQ(Utf8(Cell(empty, 'L', 5)), "合計");  // n = 3: totals in row 5
  EXPECT_EQ(Utf8(Cell(empty, 'L', 8)), "標準偏差");
  // No days: only the day headers in D-H.
  for (char c = 'D'; c <= 'H'; ++c) {
    EXPECT_FALSE(Cell(empty, c, 1).IsEmpty());
    for (int32_t r = 2; r <= 15; ++r) EXPECT_TRUE(Cell(empty, c, r).IsEmpty()) << c << r;
  }

  // A very fine class width read from an old file: thousands of class rows.
  d.BasicInfo.ClassWidth = 0.01L;
  d.BasicInfo.Kyoyo = 4997;
  d.MakeHistogramList();
  d.Calculate();
  ASSERT_EQ(d.HistogramList.Count(), 9997);
  const TSpreadsheetBlock big = MakeSpreadsheetBlock(d);
  EXPECT_EQ(big.RangeName(), "A1:P10002");
  EXPECT_EQ(Utf8(big.At(10001, 11)), "標準偏差");
}

TEST(SpreadsheetBlock, HeaderLabelsAndValues) {
  TMainData d = WorkedExample();
  TBasicInfo& h = d.BasicInfo;
  h.Getsudo = PackDate(2005, 2, 1);
  h.StartDay = 3;
  h.EndDay = 27;
  h.Kojo = Sjis("第２ソ工場");  // "ソ" has 0x5C as its second byte
  h.Tanto = "";
  h.Biko = std::string("\x82\xA0\xFF", 3);  // a broken byte goes over as it is
  h.ClassWidth = 0.5L;
  h.Kyodo = 24.0;
  h.KariAveX = 1250;
  h.Kyoyo = 250;
  h.Kotsuzai = 20.0;
  h.Air = 4.5;
  h.AirKyoyo = 1.5;
  h.Cement = {Sjis("普通ポルトランドセメント"), Sjis("N")};
  const TSpreadsheetBlock b = MakeSpreadsheetBlock(d);

  const char* labels[15] = {"集計月度", "集計開始日", "集計終了日", "工場名", "担当者名",
                            "備考", "区間の幅", "呼び強度", "スランプ", "　±許容値",
                            "粗骨材", "空気量", "　±許容値", "セメント種類名称",
                            "セメント種類略称記号"};
  for (int32_t r = 1; r <= 15; ++r) EXPECT_EQ(Utf8(Cell(b, 'A', r)), labels[r - 1]) << r;
  // Both tolerance labels begin with the ideographic space (81 40).
  EXPECT_EQ(Cell(b, 'A', 10).Text.substr(0, 2), "\x81\x40");
  EXPECT_EQ(Cell(b, 'A', 13).Text.substr(0, 2), "\x81\x40");

  EXPECT_EQ(Utf8(Cell(b, 'B', 1)), "2005/02");
  EXPECT_EQ(Int(Cell(b, 'B', 2)), 3);
  EXPECT_EQ(Int(Cell(b, 'B', 3)), 27);
  EXPECT_EQ(Cell(b, 'B', 4).Text, h.Kojo);
  EXPECT_EQ(Cell(b, 'B', 5), TBlockCell::MakeText(""));  // an empty text, not an empty cell
  EXPECT_EQ(Cell(b, 'B', 6).Text, std::string("\x82\xA0\xFF", 3));
  EXPECT_EQ(Real(Cell(b, 'B', 7)), 0.5);
  EXPECT_EQ(Real(Cell(b, 'B', 8)), 24.0);
  EXPECT_EQ(Real(Cell(b, 'B', 9)), 12.5);
  EXPECT_EQ(Real(Cell(b, 'B', 10)), 2.5);
  EXPECT_EQ(Real(Cell(b, 'B', 11)), 20.0);
  EXPECT_EQ(Real(Cell(b, 'B', 12)), 4.5);
  EXPECT_EQ(Real(Cell(b, 'B', 13)), 1.5);
  EXPECT_EQ(Utf8(Cell(b, 'B', 14)), "普通ポルトランドセメント");
  EXPECT_EQ(Utf8(Cell(b, 'B', 15)), "N");

  // Columns C and P and everything below the header in A and B stay empty.
  for (int32_t r = 1; r <= b.RowCount(); ++r) {
    EXPECT_TRUE(Cell(b, 'C', r).IsEmpty()) << r;
    EXPECT_TRUE(Cell(b, 'P', r).IsEmpty()) << r;
    if (r > 15) {
      EXPECT_TRUE(Cell(b, 'A', r).IsEmpty()) << r;
      EXPECT_TRUE(Cell(b, 'B', r).IsEmpty()) << r;
    }
  }
}

TEST(SpreadsheetBlock, YearsAndMonthsArePaddedInTheMonthText) {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(987, 11, 1);
  EXPECT_EQ(Utf8(Cell(MakeSpreadsheetBlock(d), 'B', 1)), "0987/11");
  d.BasicInfo.Getsudo = PackDate(2026, 1, 1);
  EXPECT_EQ(Utf8(Cell(MakeSpreadsheetBlock(d), 'B', 1)), "2026/01");
}

TEST(SpreadsheetBlock, DayRowsWithMarksAndBlanks) {
  TMainData d = WorkedExample();
  d.SlumpList.Items(5).SokuteiList.Items(0).Value = -150;  // damaged file: still blank
  d.Calculate();
  const TSpreadsheetBlock b = MakeSpreadsheetBlock(d);

  const char* heads[5] = {"日にち", "測定値(AM)", "合否", "測定値(PM)", "合否"};
  for (int32_t i = 0; i < 5; ++i) EXPECT_EQ(Utf8(Cell(b, static_cast<char>('D' + i), 1)), heads[i]);
  const char* classHeads[7] = {"区間", "区間", "中心値", "u", "f", "u･f", "u^2･f"};
  for (int32_t i = 0; i < 7; ++i)
    EXPECT_EQ(Utf8(Cell(b, static_cast<char>('I' + i), 1)), classHeads[i]);
  // "･" is the half-width middle dot, one byte A5.
  EXPECT_EQ(Cell(b, 'N', 1).Text, "u\xA5" "f");

  for (int32_t day = 1; day <= 31; ++day) EXPECT_EQ(Int(Cell(b, 'D', day + 1)), day);

  // Day 1: 18.0 and 18.5, both pass.
  EXPECT_EQ(Real(Cell(b, 'E', 2)), 18.0);
  EXPECT_EQ(Utf8(Cell(b, 'F', 2)), "(合)");
  EXPECT_EQ(Real(Cell(b, 'G', 2)), 18.5);
  EXPECT_EQ(Utf8(Cell(b, 'H', 2)), "(合)");
  // Day 3: 16.0 on the lower limit passes.
  EXPECT_EQ(Real(Cell(b, 'G', 4)), 16.0);
  EXPECT_EQ(Utf8(Cell(b, 'H', 4)), "(合)");
  // Day 4: blank AM, failing PM 20.5.
  EXPECT_EQ(Real(Cell(b, 'E', 5)), 0.0);
  EXPECT_TRUE(Cell(b, 'F', 5).IsEmpty());
  EXPECT_EQ(Real(Cell(b, 'G', 5)), 20.5);
  EXPECT_EQ(Utf8(Cell(b, 'H', 5)), "(否)");
  // Day 5: nothing entered.
  EXPECT_EQ(Real(Cell(b, 'E', 6)), 0.0);
  EXPECT_TRUE(Cell(b, 'F', 6).IsEmpty());
  EXPECT_EQ(Real(Cell(b, 'G', 6)), 0.0);
  EXPECT_TRUE(Cell(b, 'H', 6).IsEmpty());
  // Day 6: a negative value is blank too.
  EXPECT_EQ(Real(Cell(b, 'E', 7)), 0.0);
  EXPECT_TRUE(Cell(b, 'F', 7).IsEmpty());
}

TEST(SpreadsheetBlock, ADayWithOneMeasurementMissingShowsItBlank) {
  TMainData d = WorkedExample();
  TSlump& day = d.SlumpList.Items(0);
  day.SokuteiList.Clear();
  day.SokuteiList.Add(TSokutei{1900, true});
  const TSpreadsheetBlock b = MakeSpreadsheetBlock(d);
  EXPECT_EQ(Real(Cell(b, 'E', 2)), 19.0);
  EXPECT_EQ(Real(Cell(b, 'G', 2)), 0.0);
  EXPECT_TRUE(Cell(b, 'H', 2).IsEmpty());
}

TEST(SpreadsheetBlock, LastColumnLetters) {
  EXPECT_EQ(LastColumnLetters(16), "P");
  EXPECT_EQ(LastColumnLetters(1), "A");
  EXPECT_EQ(LastColumnLetters(26), "Z");
  EXPECT_EQ(LastColumnLetters(27), "AA");
  EXPECT_EQ(LastColumnLetters(52), "AZ");
  EXPECT_EQ(LastColumnLetters(53), "BA");
  EXPECT_EQ(LastColumnLetters(702), "ZZ");
  EXPECT_THROW(LastColumnLetters(0), std::invalid_argument);
  EXPECT_THROW(LastColumnLetters(703), std::invalid_argument);
  EXPECT_EQ(SpreadsheetRangeName(15, 16), "A1:P15");
}

TEST(SpreadsheetBlock, TabSeparatedText) {
  TMainData d = WorkedExample();
  d.BasicInfo.Biko = Sjis("一行目\n二行目\tタブ");
  const TSpreadsheetBlock b = MakeSpreadsheetBlock(d);
  const std::string tsv = FormatBlockTsv(b);

  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t nl; (nl = tsv.find('\n', start)) != std::string::npos; start = nl + 1)
    lines.push_back(tsv.substr(start, nl - start));
  ASSERT_EQ(start, tsv.size()) << "text must end with a line feed";
  ASSERT_EQ(lines.size(), 32u);
  for (const std::string& line : lines) EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 15) << line;

  EXPECT_EQ(lines[0],
            "集計月度\t2026/12\t\t日にち\t測定値(AM)\t合否\t測定値(PM)\t合否\t区間\t区間\t中心値\tu\tf\tu･f\tu^2･f\t");
  EXPECT_EQ(lines[1], "集計開始日\t1\t\t1\t18\t(合)\t18.5\t(合)\t15.25\t15.75\t15.5\t-5\t0\t0\t0\t");
  EXPECT_EQ(lines[4].substr(0, lines[4].find('\t', lines[4].find('\t') + 1)), "担当者名\t");
  EXPECT_EQ(lines[5].substr(0, lines[5].find("\t\t")), "備考\t一行目 二行目 タブ");
  EXPECT_EQ(lines[14], "セメント種類略称記号\t\t\t14\t0\t\t0\t\t\t\t\t平均値X\t18.21\t\t\t");
  EXPECT_EQ(lines[15].substr(lines[15].find("標準偏差")),
            "標準偏差\t" + FormatRealShortest(static_cast<double>(d.CalcedResult.Hensa)) + "\t\t\t");
}

TEST(SpreadsheetBlock, ShortestRealsReadBackExactly) {
  for (double v : {0.1, 18.21, 1.0 / 3.0, 1e-310, -0.0, 1.7976931348623157e308, 2.0}) {
    const std::string s = FormatRealShortest(v);
    EXPECT_EQ(std::strtod(s.c_str(), nullptr), v) << s;
  }
  EXPECT_EQ(FormatRealShortest(18.0), "18");
  EXPECT_EQ(FormatRealShortest(18.21), "18.21");
}

TEST(SpreadsheetBlockExchange, RoundTripsEveryKindExactly) {
  TSpreadsheetBlock b(3, 4);
  b.At(0, 0) = TBlockCell::MakeText(std::string("a\nb\x83\x5C\0z", 7));
  b.At(0, 1) = TBlockCell::MakeText("");
  b.At(0, 3) = TBlockCell::MakeText("\n");
  b.At(1, 0) = TBlockCell::MakeInteger(INT32_MIN);
  b.At(1, 1) = TBlockCell::MakeInteger(INT32_MAX);
  b.At(1, 2) = TBlockCell::MakeReal(0.1 + 0.2);
  b.At(1, 3) = TBlockCell::MakeReal(-0.0);
  b.At(2, 0) = TBlockCell::MakeReal(std::numeric_limits<double>::denorm_min());
  b.At(2, 1) = TBlockCell::MakeReal(std::numeric_limits<double>::infinity());
  const std::string s = SerializeBlock(b);
  std::string error;
  const auto back = ParseBlock(s, &error);
  ASSERT_TRUE(back) << error;
  EXPECT_EQ(*back, b);
  EXPECT_TRUE(std::signbit(back->At(1, 3).Real));

  const TSpreadsheetBlock month = MakeSpreadsheetBlock(WorkedExample());
  const auto monthBack = ParseBlock(SerializeBlock(month));
  ASSERT_TRUE(monthBack);
  EXPECT_EQ(*monthBack, month);
}

TEST(SpreadsheetBlockExchange, RefusesEveryTruncationAndDamage) {
  const std::string good = SerializeBlock(MakeSpreadsheetBlock(WorkedExample()));
  // Every strict prefix is refused (a text's length prefix makes even a cut
  // inside a text detectable).
  for (std::size_t n = 0; n < good.size(); ++n) {
    std::string error;
    ASSERT_FALSE(ParseBlock(std::string_view(good).substr(0, n), &error)) << n;
    EXPECT_FALSE(error.empty());
  }
  EXPECT_FALSE(ParseBlock(good + "E\n"));

  const char* bad[] = {
      "",
      "KESTRIN-BLOCK 2 1 1\nE\n",
      "KESTRIN-BLOCK 1 1\nE\n",
      "KESTRIN-BLOCK 1 0 16\n",
      "KESTRIN-BLOCK 1 1 703\nE\n",
      "KESTRIN-BLOCK 1 -1 1\nE\n",
      "KESTRIN-BLOCK 1 1 1\nX 1\n",
      "KESTRIN-BLOCK 1 1 1\nI 2147483648\n",
      "KESTRIN-BLOCK 1 1 1\nI 1.5\n",
      "KESTRIN-BLOCK 1 1 1\nR x\n",
      "KESTRIN-BLOCK 1 1 1\nT 5\nab\n",
      "KESTRIN-BLOCK 1 1 1\nT 2\nabc\n",
      "KESTRIN-BLOCK 1 1 1\nT -1\n\n",
      "KESTRIN-BLOCK 1 1 1\nE \n",
      "KESTRIN-BLOCK 1 1 1\nI\n",
      // A huge size with a tiny body must fail fast, without allocating.
      "KESTRIN-BLOCK 1 1000000 702\nE\nE\n",
  };
  for (const char* s : bad) {
    std::string error;
    EXPECT_FALSE(ParseBlock(s, &error)) << s;
    EXPECT_FALSE(error.empty()) << s;
  }
}
