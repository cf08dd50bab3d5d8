// Entry into a strength log cell by cell and by pasted block, the heading's
// fields and the copy of the heading from a slump month: every limit at
// its edge, the drafts of incomplete specimens, and refusals that change
// nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/Numbers.h"
#include "core/StrengthEntry.h"
#include "core/StrengthMixEntry.h"
#include "core/StrengthPaste.h"

using namespace kestrin;

namespace {

using C = TStrengthColumn;

// A June log (30 days) with `tests` tests on day 1.
TStrengthWork Work(std::size_t tests = 1) {
  TStrengthLog log;
  log.Year = 2025;
  log.Month = 6;
  log.Tests.resize(tests);
  return TStrengthWork(std::move(log));
}

std::string Refusal(std::string_view text, const TScaledRange& limit) {
  std::optional<int32_t> v;
  std::string why;
  return ParseScaledEntry(text, limit, v, why) ? "ok " + (v ? std::to_string(*v) : "blank") : why;
}

}  // namespace

TEST(StrengthEntry, NumbersAreTakenWithinTheReadersRangesAndDecimals) {
  EXPECT_EQ(Refusal("0.1", kSpecimenRange), "ok 1");
  EXPECT_EQ(Refusal("0.0", kSpecimenRange), "0.1～200.0の範囲で入力してください．");
  EXPECT_EQ(Refusal("200.0", kSpecimenRange), "ok 2000");
  EXPECT_EQ(Refusal("200.1", kSpecimenRange), "0.1～200.0の範囲で入力してください．");
  EXPECT_EQ(Refusal("30.55", kSpecimenRange), "小数点以下は1桁までです．");
  EXPECT_EQ(Refusal("30", kSpecimenRange), "ok 300");
  EXPECT_EQ(Refusal(" ３０．５ ", kSpecimenRange), "ok 305");
  EXPECT_EQ(Refusal("", kSpecimenRange), "ok blank");
  EXPECT_EQ(Refusal("30.50", kSpecimenRange), "ok 305");
  EXPECT_EQ(Refusal("-1", kSpecimenRange), "0.1～200.0の範囲で入力してください．");
  EXPECT_EQ(Refusal("3O.5", kSpecimenRange), "数値を入力してください．");
  EXPECT_EQ(Refusal("-10.0", kTemperatureRange), "ok -100");
  EXPECT_EQ(Refusal("－10.1", kTemperatureRange), "-10.0～60.0の範囲で入力してください．");
  EXPECT_EQ(Refusal("0.30", kChlorideRange), "ok 30");
  EXPECT_EQ(Refusal("0.305", kChlorideRange), "小数点以下は2桁までです．");
  EXPECT_EQ(Refusal("20.5", kAggregateRange), "整数で入力してください．");
  EXPECT_EQ(Refusal("99999999999999999999", kAggregateRange), "1～200の範囲で入力してください．");
}

TEST(StrengthEntry, DayTimeAndTextsKeepTheirLimits) {
  TStrengthWork w = Work();
  EXPECT_EQ(SetStrengthCell(w, 0, C::Day, "30"), "");
  EXPECT_EQ(w.Log.Tests[0].Day, 30);
  EXPECT_EQ(SetStrengthCell(w, 0, C::Day, "31"), "1～30の範囲で入力してください．");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Day, "0"), "1～30の範囲で入力してください．");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Day, ""), "この欄は空にできません．");
  EXPECT_EQ(w.Log.Tests[0].Day, 30);
  EXPECT_EQ(SetStrengthCell(w, 0, C::Time, "9:05"), "");
  EXPECT_EQ(w.Log.Tests[0].Time, "09:05");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Time, "　１２：３０"), "");
  EXPECT_EQ(w.Log.Tests[0].Time, "12:30");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Time, "23:59"), "");
  EXPECT_NE(SetStrengthCell(w, 0, C::Time, "24:00"), "");
  EXPECT_NE(SetStrengthCell(w, 0, C::Time, "12:60"), "");
  EXPECT_EQ(w.Log.Tests[0].Time, "23:59");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Truck, std::string(20, 'x')), "");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Truck, std::string(21, 'x')), "この欄には20文字まで入力できます．");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Remarks, "雨\t天"), "改行やタブは入力できません．");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Remarks, "雨\x7F"), "改行やタブは入力できません．");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Remarks, "雨 天"), "");
  EXPECT_EQ(SetStrengthCell(w, 0, C::Result, "30.0"), "この欄は計算で求めるため入力できません．");
  EXPECT_FALSE(ClearStrengthCell(w, 0, C::Slump));
  EXPECT_TRUE(ClearStrengthCell(w, 0, C::Truck));
  EXPECT_EQ(w.Log.Tests[0].Truck, "");
}

TEST(StrengthEntry, SpecimensWaitInTheDraftUntilAllThreeAreIn) {
  TStrengthWork w = Work(2);
  EXPECT_EQ(SetStrengthCell(w, 1, C::S28_1, "30.1"), "");
  EXPECT_EQ(SetStrengthCell(w, 1, C::S28_2, "30.2"), "");
  EXPECT_FALSE(w.Log.Tests[1].Strength28);
  EXPECT_EQ(StrengthCellText(w, 1, C::S28_2), "30.2");
  EXPECT_EQ(IncompleteEntry(w),
            "2番目の試験の28日強度は供試体 3 本とも入力してください（入力途中のため保存できません）．");
  EXPECT_EQ(SetStrengthCell(w, 1, C::S28_3, "30.3"), "");
  EXPECT_EQ(w.Log.Tests[1].Strength28, (TSpecimens{301, 302, 303}));
  EXPECT_EQ(IncompleteEntry(w), "");
  EXPECT_TRUE(ClearStrengthCell(w, 1, C::S28_2));
  EXPECT_FALSE(w.Log.Tests[1].Strength28);
  EXPECT_EQ(StrengthCellText(w, 1, C::S28_3), "30.3");
  EXPECT_EQ(SetStrengthCell(w, 0, C::S7_3, "20.0"), "");
  EXPECT_EQ(IncompleteEntry(w).rfind("1番目の試験の7日強度", 0), 0u);
  RemoveStrengthTest(w, 0);
  EXPECT_EQ(w.Drafts.size(), 1u);
  EXPECT_EQ(StrengthCellText(w, 0, C::S28_1), "30.1");
}

TEST(StrengthEntry, TestsAreAddedUpToTheLimitAndOnDaysOfTheMonth) {
  TStrengthWork w = Work(kMaxStrengthTests - 1);
  EXPECT_TRUE(InsertStrengthTest(w, 0, 31));
  EXPECT_EQ(w.Log.Tests[0].Day, 30);  // June has 30 days
  EXPECT_FALSE(InsertStrengthTest(w, 0, 1));
  EXPECT_EQ(w.Log.Tests.size(), kMaxStrengthTests);
  TStrengthWork two = Work(1);
  EXPECT_FALSE(InsertStrengthTest(two, 2, 1));
  EXPECT_TRUE(InsertStrengthTest(two, 1, 0));
  EXPECT_EQ(two.Log.Tests[1].Day, 1);

  TStrengthWork a = Work(kMaxStrengthTests - 1);
  TStrengthTest t;
  t.Day = 30;
  EXPECT_EQ(AppendStrengthTests(a, {t}), "");
  EXPECT_EQ(a.Log.Tests.size(), kMaxStrengthTests);
  EXPECT_EQ(a.Drafts.size(), kMaxStrengthTests);
  EXPECT_EQ(AppendStrengthTests(a, {t}), "試験は 200 件までです（取り込むと 201 件）．");
  TStrengthWork b = Work(0);
  t.Day = 31;
  EXPECT_EQ(AppendStrengthTests(b, {t}), "1件目の日（31日）が 6 月にありません．");
  t.Day = 0;
  EXPECT_EQ(AppendStrengthTests(b, {t}), "1件目の日（0日）が 6 月にありません．");
  EXPECT_TRUE(b.Log.Tests.empty());
}

TEST(StrengthMixEntry, FieldsAreCheckedAndAMonthMustHoldTheTestsDays) {
  TStrengthWork w = Work();
  TStrengthLog& log = w.Log;
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::NominalStrength, "1.0"), "");
  EXPECT_EQ(log.Mix.NominalStrength, 10);
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::NominalStrength, "0.9"),
            "1.0～150.0の範囲で入力してください．");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Aggregate, ""), "この欄は空にできません．");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Month, "2025/7"), "");
  EXPECT_EQ(StrengthMixText(log, TStrengthMixField::Month), "2025-07");
  log.Tests[0].Day = 31;
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Month, "2025-06"),
            "1番目の試験の日（31日）がこの月にありません．");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Month, "2025年8月"), "");
  EXPECT_EQ(log.Month, 8);
  EXPECT_NE(SetStrengthMixField(log, TStrengthMixField::Month, "2025-13"), "");
  EXPECT_NE(SetStrengthMixField(log, TStrengthMixField::Month, "1899-12"), "");
  EXPECT_NE(SetStrengthMixField(log, TStrengthMixField::Month, "3000-01"), "");
  EXPECT_NE(SetStrengthMixField(log, TStrengthMixField::Month, "2025-00"), "");
  EXPECT_NE(SetStrengthMixField(log, TStrengthMixField::Month, "2025-012"), "");
  EXPECT_NE(SetStrengthMixField(log, TStrengthMixField::Month, "202-12"), "");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Month, "2999-12"), "");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Month, "1900-01"), "");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Plant, std::string(40, 'p')), "");
  EXPECT_NE(SetStrengthMixField(log, TStrengthMixField::Plant, std::string(41, 'p')), "");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Plant, "北\t工場"), "改行やタブは入力できません．");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Symbol, "N\x7F"), "改行やタブは入力できません．");
  EXPECT_EQ(SetStrengthMixField(log, TStrengthMixField::Symbol, "N M"), "");
}

TEST(StrengthMixEntry, DoublesOfTheSlumpMonthRoundAsTheDecimalsTheyWereTypedAs) {
  EXPECT_EQ(ScaledFromDouble(18.55, 1), 186);
  EXPECT_EQ(ScaledFromDouble(18.549, 1), 185);
  EXPECT_EQ(ScaledFromDouble(-0.05, 1), -1);
  EXPECT_EQ(ScaledFromDouble(0.0499, 1), 0);
  EXPECT_EQ(ScaledFromDouble(20.5, 0), 21);
  EXPECT_EQ(ScaledFromDouble(std::nan(""), 1), std::nullopt);
  EXPECT_EQ(ScaledFromDouble(214748364.7, 1), 2147483647);
  EXPECT_EQ(ScaledFromDouble(214748364.8, 1), std::nullopt);
}

TEST(StrengthMixEntry, TheHeadingIsCopiedFromTheSlumpMonthAndWhatDoesNotFitIsNamed) {
  TBasicInfo b;
  b.Getsudo = PackDate(2025, 2, 1);
  b.Kojo = *Utf8ToCp932("第一工場");
  b.Kyodo = 27.0;
  b.KariAveX = 1855;  // 18.55 cm
  b.Kyoyo = 250;
  b.Air = 4.5;
  b.AirKyoyo = 1.5;
  b.Kotsuzai = 20.0;
  b.Cement.Name = *Utf8ToCp932("高炉B種");
  b.Cement.Mark = "BB";
  TStrengthLog log;
  EXPECT_TRUE(CopyMixFromMonth(b, log).empty());
  EXPECT_EQ(log.Plant, "第一工場");
  EXPECT_EQ(log.Year * 100 + log.Month, 202502);
  EXPECT_EQ(log.Mix, (TStrengthMix{270, 186, 25, 45, 15, 20, "高炉B種", "BB"}));

  // Out of the log's range, or a month without a test's day: kept.
  b.Kyodo = 0.9;
  b.Kotsuzai = 0.0;
  b.Getsudo = PackDate(2025, 2, 1);
  log.Tests.resize(1);
  log.Tests[0].Day = 30;
  log.Month = 3;
  const std::vector<std::string> skipped = CopyMixFromMonth(b, log);
  EXPECT_EQ(skipped, (std::vector<std::string>{"月度", "呼び強度", "粗骨材"}));
  EXPECT_EQ(log.Month, 3);
  EXPECT_EQ(log.Mix.NominalStrength, 270);
  b.Kyodo = 1.0;
  b.Kotsuzai = 1.0;
  b.Getsudo = 0;
  EXPECT_EQ(CopyMixFromMonth(b, log), (std::vector<std::string>{"月度"}));
  EXPECT_EQ(log.Mix.NominalStrength, 10);
  EXPECT_EQ(log.Mix.Aggregate, 1);
}

TEST(StrengthPaste, ABlockLandsRowsByColumnsAndAppendsTests) {
  EXPECT_EQ(SplitPastedBlock("a\tb\r\nc\n"), (std::vector<std::vector<std::string>>{{"a", "b"}, {"c"}}));
  EXPECT_EQ(SplitPastedBlock("\n\n").size(), 2u);
  TStrengthWork w = Work(1);
  const TStrengthPasteResult r =
      PasteStrengthBlock(w, 0, C::S28_1, "30.1\t30.2\t30.3\n31.1\t31.2\t31.3\t雨\n");
  ASSERT_TRUE(r.Ok) << r.Refusal;
  EXPECT_EQ(r.Rows, 2u);
  EXPECT_EQ(r.Columns, 4u);
  ASSERT_EQ(w.Log.Tests.size(), 2u);
  EXPECT_EQ(w.Log.Tests[0].Strength28, (TSpecimens{301, 302, 303}));
  EXPECT_EQ(w.Log.Tests[1].Strength28, (TSpecimens{311, 312, 313}));
  EXPECT_EQ(w.Log.Tests[1].Remarks, "雨");
  EXPECT_EQ(w.Log.Tests[1].Day, 1);
  EXPECT_EQ(w.Drafts.size(), 2u);
  // Empty cells leave a required value and empty the others.
  ASSERT_TRUE(PasteStrengthBlock(w, 1, C::Day, "\t\t\t\t\t").Ok);
  EXPECT_EQ(w.Log.Tests[1].Day, 1);
}

TEST(StrengthPaste, OneBadCellRefusesTheWholeBlock) {
  TStrengthWork w = Work(1);
  const TStrengthWork before = w;
  auto refusal = [&w](std::size_t test, C column, std::string_view text) {
    return PasteStrengthBlock(w, test, column, text).Refusal;
  };
  EXPECT_EQ(refusal(0, C::S28_1, "30.1\t30.2\t30.3\n31.1\t3O.5\t31.3\n"),
            "2行目 28日2：数値を入力してください．");
  EXPECT_EQ(refusal(0, C::S28_3, "1\t\t\n"), "貼り付ける列が多すぎます（28日3から2 列まで）．");
  EXPECT_EQ(refusal(0, C::S28_3, "\t\n"), "");
  EXPECT_EQ(refusal(0, C::Remarks, "a\n"), "");
  EXPECT_EQ(refusal(0, C::Result, "1\n"), "計算で求める列には貼り付けられません．");
  EXPECT_EQ(refusal(0, C::Day, ""), "貼り付ける内容がありません．");
  w = before;
  std::string rows;
  for (std::size_t i = 0; i < kMaxStrengthTests; ++i) rows += "1\n";
  EXPECT_EQ(refusal(1, C::Day, rows), "試験は 200 件までです（貼り付けると 201 件）．");
  EXPECT_TRUE(PasteStrengthBlock(w, 0, C::Day, rows).Ok);
  EXPECT_EQ(w.Log.Tests.size(), kMaxStrengthTests);
  w = before;
  EXPECT_EQ(refusal(0, C::Day, std::string(kMaxStrengthPasteBytes + 1, '1')),
            "貼り付ける内容が大きすぎます．");
  EXPECT_EQ(refusal(0, C::Day, std::string(kMaxStrengthPasteBytes, '1')), "1行目 日：1～30の範囲で入力してください．");
  EXPECT_EQ(w, before);
}
