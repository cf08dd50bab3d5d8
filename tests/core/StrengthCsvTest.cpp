// The lab's CSV import: one test per detection rule (encoding, separator,
// quoting, headings), the number text the columns are read with, and one
// grouped test of the refusals, each naming its line and column.
#include <gtest/gtest.h>

#include <string>

#include "TempDir.h"
#include "core/Cp932.h"
#include "core/StrengthCsv.h"
#include "core/StrengthLimits.h"

using namespace kestrin;

namespace {

const char kHeader[] = "日,時刻,車番,スランプ,空気量,温度,塩化物,7日1,7日2,7日3,28日1,28日2,28日3,備考\n";
const char kRow1[] = "3,10:15,12,18.5,4.6,22.5,0.04,19.8,20.3,20.1,30.2,29.8,31.0,\n";
const char kRow2[] = "5,9:05,7,17.0,4.2,,,,,,,,,養生中\n";

TStrengthTest Row1() {
  TStrengthTest t;
  t.Day = 3;
  t.Time = "10:15";
  t.Truck = "12";
  t.Slump = 185;
  t.Air = 46;
  t.Temperature = 225;
  t.Chloride = 4;
  t.Strength7 = TSpecimens{198, 203, 201};
  t.Strength28 = TSpecimens{302, 298, 310};
  return t;
}

TStrengthTest Row2() {
  TStrengthTest t;
  t.Day = 5;
  t.Time = "09:05";
  t.Truck = "7";
  t.Slump = 170;
  t.Air = 42;
  t.Remarks = "養生中";
  return t;
}

TStrengthCsv Read(const std::string& bytes, int32_t days = 31) {
  TStrengthCsv csv;
  const TStrengthCsvResult r = ReadStrengthCsv(bytes, csv, days);
  EXPECT_TRUE(r) << r.Message();
  return csv;
}

std::string Replaced(std::string s, char from, char to) {
  for (char& c : s)
    if (c == from) c = to;
  return s;
}

}  // namespace

TEST(StrengthCsvEncoding, Utf8WithAByteOrderMarkReadsAsUtf8) {
  const TStrengthCsv csv = Read(std::string("\xEF\xBB\xBF") + kHeader + kRow1);
  EXPECT_EQ(csv.Encoding, "UTF-8");
  ASSERT_EQ(csv.Tests.size(), 1u);
  EXPECT_EQ(csv.Tests[0], Row1());
}

TEST(StrengthCsvEncoding, Utf8WithoutAMarkReadsAsUtf8) {
  const TStrengthCsv csv = Read(std::string(kHeader) + kRow1 + kRow2);
  EXPECT_EQ(csv.Encoding, "UTF-8");
  ASSERT_EQ(csv.Tests.size(), 2u);
  EXPECT_EQ(csv.Tests[0], Row1());
  EXPECT_EQ(csv.Tests[1], Row2());
}

TEST(StrengthCsvEncoding, Cp932ReadsAsCp932WithItsJapaneseHeadingsAndTexts) {
  const TStrengthCsv csv = Read(Sjis(std::string(kHeader) + kRow2));
  EXPECT_EQ(csv.Encoding, "CP932");
  ASSERT_EQ(csv.Tests.size(), 1u);
  EXPECT_EQ(csv.Tests[0], Row2());
}

TEST(StrengthCsvSeparator, CommaSemicolonAndTabAreDetectedFromTheHeader) {
  for (const char sep : {',', ';', '\t'}) {
    const TStrengthCsv csv = Read(Replaced(std::string(kHeader) + kRow1 + kRow2, ',', sep));
    EXPECT_EQ(csv.Separator, sep);
    ASSERT_EQ(csv.Tests.size(), 2u) << sep;
    EXPECT_EQ(csv.Tests[0], Row1());
    EXPECT_EQ(csv.Tests[1], Row2());
  }
  // The most fields win; a separator inside a quoted heading does not count.
  EXPECT_EQ(Read("日;スランプ;空気量;備考,2\n1;18;4.5;a,b\n").Separator, ';');
  EXPECT_EQ(Read("\"A,B,C,D\";日;スランプ;空気量\n;1;18;4.5\n").Separator, ';');
  // A tie goes to the comma, then the semicolon: the later one would have
  // lost 日, not 空気量.
  TStrengthCsv out;
  EXPECT_EQ(ReadStrengthCsv("日,スランプ,空気量;温度;備考\n", out).Message(),
            "1行目：空気量（air）の列がありません．");
  EXPECT_EQ(ReadStrengthCsv("日;スランプ;空気量\t温度\t備考\n", out).Message(),
            "1行目：空気量（air）の列がありません．");
}

TEST(StrengthCsvQuoting, QuotedFieldsHoldSeparatorsDoubledQuotesAndLineBreaks) {
  // A line break inside quotes is a control character for 備考, but the
  // line count goes on across it: the next row's fault is on line 5.
  const std::string text = std::string("日,車番,スランプ,空気量,備考\r\n") +
                           "1,\"A,1\",18.0,4.5,\"言う\"\"これ\"\"\"\r\n" + "2,\"B\" ,\"18.5\",4.5,\r\n";
  const TStrengthCsv csv = Read(text);
  ASSERT_EQ(csv.Tests.size(), 2u);
  EXPECT_EQ(csv.Tests[0].Truck, "A,1");
  EXPECT_EQ(csv.Tests[0].Remarks, "言う\"これ\"");
  EXPECT_EQ(csv.Tests[1].Truck, "B");
  EXPECT_EQ(csv.Tests[1].Slump, 185);
  // Blanks after the closing quote: a tab too, unless the tab separates.
  EXPECT_EQ(Read("日,車番,スランプ,空気量\n1,\"C\"\t ,18,4.5\n").Tests[0].Truck, "C");
  const TStrengthCsv tabs = Read("日\t車番\tスランプ\t空気量\n1\t\"D\"\t18\t4.5\n");
  ASSERT_EQ(tabs.Tests.size(), 1u);
  EXPECT_EQ(tabs.Tests[0].Truck, "D");
  EXPECT_EQ(tabs.Tests[0].Slump, 180);

  TStrengthCsv out;
  EXPECT_EQ(ReadStrengthCsv("日,車番,スランプ,空気量\n1,\"X\r\nY\nZ\",18,4.5\n", out).Message(),
            "2行目 車番：使えない文字（改行などの制御文字）があります「X\\r\\nY\\nZ」");
  // Quoted line ends count: the "x" of the third record is on line 5.
  EXPECT_EQ(ReadStrengthCsv("日,メモ,スランプ,空気量\n1,\"\n\",18,4.5\n\n2,,18,x\n", out).Message(),
            "5行目 空気量：数値ではありません「x」");
}

TEST(StrengthCsvHeadings, AnyOrderEnglishAndDecoratedHeadingsFindTheirColumns) {
  const std::string text =
      "Remarks,S28_3,s28_2,S28_1,s7_3,S7_2,S7_1,CHLORIDE,Temperature,Air,slump,Truck,Time,Day\n"
      ",31.0,29.8,30.2,20.1,20.3,19.8,0.04,22.5,4.6,18.5,12,10:15,3\n";
  const TStrengthCsv csv = Read(text);
  ASSERT_EQ(csv.Tests.size(), 1u);
  EXPECT_EQ(csv.Tests[0], Row1());
  // Blanks, a unit in brackets, full-width digits and circled numbers.
  const TStrengthCsv decorated =
      Read(" 日 ,スランプ(cm),空気量（％）,温度[℃],２８日１,28日②,28日③\n3,18.5,4.6,22.5,30.2,29.8,31.0\n");
  ASSERT_EQ(decorated.Tests.size(), 1u);
  EXPECT_EQ(decorated.Tests[0].Temperature, 225);
  EXPECT_EQ(decorated.Tests[0].Strength28, (TSpecimens{302, 298, 310}));
  // A specimen column may come first; full-width capitals fold too.
  const TStrengthCsv first = Read("28日1,28日2,28日3,日,スランプ,ＡＩＲ\n30.2,29.8,31.0,3,18.5,4.6\n");
  ASSERT_EQ(first.Tests.size(), 1u);
  EXPECT_EQ(first.Tests[0].Strength28, (TSpecimens{302, 298, 310}));
  EXPECT_EQ(first.Tests[0].Air, 46);
}

TEST(StrengthCsvHeadings, OtherColumnsAreIgnoredAndListedInTheirOrder) {
  const TStrengthCsv csv =
      Read("試験者,日,スランプ,空気量, 天候 ,,\n山田,3,18.5,4.6,晴,,\n鈴木,4,18.0,4.5,,,x\n");
  EXPECT_EQ(csv.IgnoredColumns, (std::vector<std::string>{"試験者", "天候", "（7列目）"}));
  EXPECT_EQ(csv.Tests.size(), 2u);
  // A value beyond the last heading is named by its place too.
  EXPECT_EQ(Read("日,スランプ,空気量\n3,18.5,4.6,,9\n").IgnoredColumns,
            (std::vector<std::string>{"（5列目）"}));
  EXPECT_TRUE(Read(std::string(kHeader) + kRow1).IgnoredColumns.empty());
}

TEST(StrengthCsvRows, EmptyRowsAreSkippedAndLineEndsMayBeMixed) {
  const TStrengthCsv csv =
      Read(std::string("日,スランプ,空気量\r\n3,18.5,4.6\r\n,,\n\n4,18,4.5\r5,18,4.5\n\r\n\n"));
  ASSERT_EQ(csv.Tests.size(), 3u);
  EXPECT_EQ(csv.Tests[2].Day, 5);
}

TEST(StrengthCsvNumbers, TheNumberTextKeepsExactDecimalsWithinTheRange) {
  const TScaledRange r{1, 0, 300};
  struct TCase {
    const char* Text;
    TScaledText Result;
    int32_t Value;
  } cases[] = {{"18.5", TScaledText::Ok, 185},
               {" 18 ", TScaledText::Ok, 180},
               {"30.0", TScaledText::Ok, 300},
               {"30.1", TScaledText::OutOfRange, 0},
               {"0", TScaledText::Ok, 0},
               {"-0.1", TScaledText::OutOfRange, 0},
               {"18.50", TScaledText::Ok, 185},
               {"18.55", TScaledText::TooManyDecimals, 0},
               {"１８．５", TScaledText::Ok, 185},
               {"\xE3\x80\x80"
                "7",
                TScaledText::Ok, 70},
               {"", TScaledText::Empty, 0},
               {" ", TScaledText::Empty, 0},
               {".5", TScaledText::NotANumber, 0},
               {"18.", TScaledText::NotANumber, 0},
               {"-", TScaledText::NotANumber, 0},
               {"+1", TScaledText::NotANumber, 0},
               {"1e1", TScaledText::NotANumber, 0},
               {"3O.5", TScaledText::NotANumber, 0},
               {"99999999999", TScaledText::OutOfRange, 0}};
  for (const TCase& c : cases) {
    int32_t v = 0;
    EXPECT_EQ(ParseScaledText(c.Text, r, v), c.Result) << c.Text;
    EXPECT_EQ(v, c.Value) << c.Text;
  }
  int32_t v = 0;
  EXPECT_EQ(ParseScaledText("－1.0", kTemperatureRange, v), TScaledText::Ok);
  EXPECT_EQ(v, -10);
  EXPECT_EQ(ParseScaledText("-10.0", kTemperatureRange, v), TScaledText::Ok);
  EXPECT_EQ(ParseScaledText("-10.1", kTemperatureRange, v), TScaledText::OutOfRange);
  EXPECT_EQ(ScaledTextProblem(TScaledText::TooManyDecimals, kAggregateRange), "整数で書いてください");
  EXPECT_EQ(ScaledTextProblem(TScaledText::OutOfRange, kChlorideRange), "値が範囲外です（0.00～5.00）");
}

TEST(StrengthCsvRefusals, EveryBadInputIsRefusedWithItsLineAndColumnAndNothingIsTaken) {
  const std::string head = "日,時刻,スランプ,空気量,28日1,28日2,28日3,備考\n";
  const std::string good = "1,10:00,18.0,4.5,30.0,30.1,30.2,\n";
  std::string many = head;
  for (int i = 0; i < 200; ++i) many += good;
  struct TCase {
    std::string Text;
    std::string Message;
  } cases[] = {
      {head + good + "2,,18.0,4.5,30.0,3O.5,30.2,\n", "3行目 28日2：数値ではありません「3O.5」"},
      {head + "2,,30.1,4.5,,,,\n", "2行目 スランプ：値が範囲外です（0.0～30.0）「30.1」"},
      {head + "2,,18.0,4.55,,,,\n", "2行目 空気量：小数は 1 桁までです「4.55」"},
      {head + "2,,18.0,4.5,30.0,,30.2,\n",
       "2行目 28日2：供試体 3 本の値を全部書くか，全部空けてください（この値がありません）"},
      {head + "31,,18.0,4.5,,,,\n", "2行目 日：値が範囲外です（1～30）「31」"},
      {head + "0,,18.0,4.5,,,,\n", "2行目 日：値が範囲外です（1～30）「0」"},
      {head + "1.5,,18.0,4.5,,,,\n", "2行目 日：整数で書いてください「1.5」"},
      {head + ",,18.0,4.5,,,,\n", "2行目 日：値がありません"},
      {head + "1,,,4.5,,,,\n", "2行目 スランプ：値がありません"},
      {head + "1,,18.0, ,,,,\n", "2行目 空気量：値がありません"},
      {head + "1,24:00,18.0,4.5,,,,\n", "2行目 時刻：「時:分」（00:00～23:59）で書いてください「24:00」"},
      {head + "1,,18.0,4.5,,,," + std::string(101, 'x') + "\n",
       "2行目 備考：長すぎます（100 文字まで，現在 101 文字）「" + std::string(40, 'x') + "…」"},
      {"日,スランプ,温度\n", "1行目：空気量（air）の列がありません．"},
      {"日,空気量,Slump,スランプ\n", "1行目 スランプ：同じ項目の列が 2 つあります（3 列目と 4 列目）．"},
      {"日,スランプ,空気量,7日1,7日3\n",
       "1行目：供試体の列は 3 本そろえてください（7日2 の列がありません）．"},
      {"28日1,日,スランプ,空気量\n", "1行目：供試体の列は 3 本そろえてください（28日2 の列がありません）．"},
      {head + "1,,\"18.0,4.5,,,,\n", "2行目：引用符（\"）が閉じていません．"},
      {head + "1,,\"18.0\"x,4.5,,,,\n", "2行目：引用符（\"）で囲んだ値の後に文字があります．"},
      {head + "1,,18.0,4.5,,,,\x1B[2J\n",
       "2行目 備考：使えない文字（改行などの制御文字）があります「\\x1B[2J」"},
      {"Day,Slump,Air\n1,18,4\x82\xA0\n\x82",
       "3行目：文字コードが UTF-8 でも CP932（Shift_JIS）でもありません（24 バイト目）．"},
      {"\xFF\xFE"
       "a",
       "UTF-16 のファイルは読めません．UTF-8 または CP932（Shift_JIS）の CSV で保存してください．"},
      {"", "ファイルが空です（見出しの行がありません）．"},
      {",,\n1,2,3\n", "1行目：見出しがありません．"},
      {many + good, "202行目：試験が多すぎます（200 件まで）．"},
  };
  for (const TCase& c : cases) {
    TStrengthCsv out;
    out.Encoding = "kept";
    const TStrengthCsvResult r = ReadStrengthCsv(c.Text, out, 30);
    EXPECT_FALSE(r) << c.Message;
    EXPECT_EQ(r.Message(), c.Message);
    EXPECT_EQ(out.Encoding, "kept");
    EXPECT_TRUE(out.Tests.empty());
  }
  // 200 rows are taken (the 201st above is refused).
  EXPECT_EQ(Read(many, 30).Tests.size(), 200u);
  // A heading as written is shown escaped.
  TStrengthCsv out;
  EXPECT_EQ(ReadStrengthCsv("日,スランプ,空気量,温度(\x1B)\n1,18,4.5,\n1,18,4.5,x\n", out).Message(),
            "3行目 温度(\\x1B)：数値ではありません「x」");
}

TEST(StrengthCsvFile, ALargeFileOrAFolderIsRefusedBeforeReading) {
  testutil::TempDir dir;
  TStrengthCsv out;
  EXPECT_EQ(LoadStrengthCsv(dir.Path(), out).Message(), "フォルダです．");
  EXPECT_EQ(LoadStrengthCsv(dir / "none.csv", out).Message(), "ファイルが見つかりません．");
  const std::string path = dir / "lab.csv";
  std::string text = std::string(kHeader) + kRow1;
  text.resize(kMaxStrengthCsvBytes, '\n');
  testutil::WriteFile(path, text);
  EXPECT_TRUE(LoadStrengthCsv(path, out));
  EXPECT_EQ(out.Tests.size(), 1u);
  testutil::WriteFile(path, text + "\n");
  EXPECT_EQ(LoadStrengthCsv(path, out).Message(), "ファイルが大きすぎます（1 MiB まで）．");
}
