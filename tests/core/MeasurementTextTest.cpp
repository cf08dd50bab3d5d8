// Measurements through the clipboard: the copied text of a range, and a
// pasted text read under the typing rules and placed from a day on.
#include <gtest/gtest.h>

#include "core/MeasurementText.h"

using namespace kestrin;

namespace {

std::vector<int32_t> Cells(const TPastePlan& p) {
  std::vector<int32_t> out;
  for (const TPasteCell& c : p.Cells) {
    out.push_back(c.Cell);
    out.push_back(c.Value);
  }
  return out;
}

std::string Refusal(std::string_view text) { return ParseMeasurementPaste(text).Refusal; }

}  // namespace

TEST(MeasurementText, CopiedRowsHaveOneDecimalTabsAndEmptyBlanks) {
  EXPECT_EQ(FormatMeasurementRows({{1850, 0}, {0, 1720}, {5, 9990}}), "18.5\t\n\t17.2\n0.1\t99.9\n");
  EXPECT_EQ(FormatMeasurementRows({{1855}, {1854}, {-3}, {1}}), "18.6\n18.5\n\n0.0\n");
  EXPECT_EQ(FormatMeasurementRows({}), "");
}

TEST(MeasurementText, OneValuePerLineFillsCellsInEntryOrder) {
  const TPastedText t = ParseMeasurementPaste("18.5\r\n\r\n１７．２\r\n 0 \r\n");
  ASSERT_EQ(t.Refusal, "");
  EXPECT_EQ(t.Columns, 1);
  ASSERT_EQ(t.Lines.size(), 4u);  // the last line end opens no line
  EXPECT_EQ(t.Lines[2].Values, std::vector<int32_t>{1720});
  // From day 2 PM: day 2 PM, day 3 AM, day 3 PM, day 4 AM.
  EXPECT_EQ(Cells(PlanMeasurementPaste(t, 1, 1, 31)), (std::vector<int32_t>{3, 1850, 4, 0, 5, 1720, 6, 0}));
  // Exactly to the last cell of the month, and one past it.
  EXPECT_EQ(PlanMeasurementPaste(t, 29, 0, 31).Refusal, "");
  EXPECT_EQ(PlanMeasurementPaste(t, 29, 1, 31).Refusal, "4行目：月末を超えるため貼り付けできません．");
  EXPECT_TRUE(PlanMeasurementPaste(t, 29, 1, 31).Cells.empty());
}

TEST(MeasurementText, TwoValuesPerLineFillAmAndPmOfConsecutiveDays) {
  const TPastedText t = ParseMeasurementPaste("測定値(AM)\t測定値(PM)\n18.5\t17\n,19.0\n20\n");
  ASSERT_EQ(t.Refusal, "");
  EXPECT_EQ(t.Columns, 2);
  ASSERT_EQ(t.Lines.size(), 3u);
  EXPECT_EQ(t.Lines[0].Line, 2);  // the heading was line 1
  // From the AM of the active day, whichever cell is active.
  EXPECT_EQ(Cells(PlanMeasurementPaste(t, 0, 1, 28)),
            (std::vector<int32_t>{0, 1850, 1, 1700, 2, 0, 3, 1900, 4, 2000, 5, 0}));
  EXPECT_EQ(PlanMeasurementPaste(t, 25, 0, 28).Refusal, "");
  EXPECT_EQ(PlanMeasurementPaste(t, 26, 0, 28).Refusal, "4行目：月末を超えるため貼り付けできません．");
  EXPECT_EQ(Refusal("1\t2\t3\n"), "1行目：1行に値は2つまでです．");
  EXPECT_EQ(Refusal("1\t2\t\n"), "1行目：1行に値は2つまでです．");
}

TEST(MeasurementText, EveryValueFollowsTheTypingRules) {
  EXPECT_EQ(Refusal("18.0\n17.5\n18.55\n"), "3行目「18.55」：小数点以下は1桁までです．");
  EXPECT_EQ(Refusal("99.9\n100\n"), "2行目「100」：0.0～99.9の範囲で入力してください．");
  EXPECT_EQ(Refusal("185"), "1行目「185」：0.0～99.9の範囲で入力してください．");
  EXPECT_EQ(Refusal("-1"), "1行目「-1」：マイナスの値は入力できません．");
  EXPECT_EQ(Refusal("1\n18.5cm"), "2行目「18.5cm」：数字と小数点のほかは入力できません．");
  EXPECT_EQ(Refusal("1..5"), "1行目「1..5」：小数点は１つだけ入力できます．");
  EXPECT_EQ(Refusal("018.5"), "1行目「018.5」：この欄には4文字まで入力できます．");
  EXPECT_EQ(Refusal("0018\n.\n99.9\n0.0"), "");
  EXPECT_EQ(ParseMeasurementPaste("0018\n.\n99.9").Lines[0].Values, std::vector<int32_t>{1800});
  EXPECT_EQ(ParseMeasurementPaste("0018\n.\n99.9").Lines[2].Values, std::vector<int32_t>{9990});
  // A heading only on the first line: a word later is refused.
  EXPECT_EQ(Refusal("18\nAM\n"), "2行目「AM」：数字と小数点のほかは入力できません．");
  // A long field is cut in the message.
  EXPECT_EQ(Refusal("1\nabcdefghijklmnopqrstuvwxyz"),
            "2行目「abcdefghijklmnop…」：数字と小数点のほかは入力できません．");
  EXPECT_EQ(Refusal(std::string(kMaxPasteBytes + 1, '1')), "貼り付ける内容が大きすぎます．");
  EXPECT_EQ(Refusal(std::string(kMaxPasteBytes, '\n')), "");
}

TEST(MeasurementText, NothingToPasteIsRefused) {
  EXPECT_EQ(PlanMeasurementPaste(ParseMeasurementPaste(""), 0, 0, 31).Refusal, "貼り付ける値がありません．");
  EXPECT_EQ(PlanMeasurementPaste(ParseMeasurementPaste("見出し\n"), 0, 0, 31).Refusal,
            "貼り付ける値がありません．");
  // One empty line blanks one cell.
  EXPECT_EQ(Cells(PlanMeasurementPaste(ParseMeasurementPaste("\n"), 0, 0, 31)), (std::vector<int32_t>{0, 0}));
  // Broken UTF-8 is refused as a character, never read past the text.
  EXPECT_EQ(Refusal("1\n\xE3\x81"), "2行目「\uFFFD\uFFFD」：数字と小数点のほかは入力できません．");
}
