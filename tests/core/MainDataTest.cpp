// The month record and the cement type table: defaults, the day list
// following the month, clearing, and the cement names and marks.
#include <gtest/gtest.h>

#include "core/MainData.h"

using namespace kestrin;

namespace {

// A record for the given month with every list rebuilt, as after a clear.
TMainData MonthRecord(int32_t year, int32_t month) {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(year, month, 1);
  d.MakeSlumpList();
  d.MakeHistogramList();
  return d;
}

void ExpectDaysNumbered(const TMainData& d, int32_t n) {
  ASSERT_EQ(d.SlumpList.Count(), n);
  for (int32_t i = 0; i < n; ++i) {
    EXPECT_EQ(d.SlumpList.Items(i).Day, i + 1);
    EXPECT_EQ(d.SlumpList.Items(i).SokuteiList.Count(), 2);
  }
}

}  // namespace

TEST(MonthRecord, DefaultsOfANewRecord) {
  TMainData d;
  const TBasicInfo& b = d.BasicInfo;
  EXPECT_EQ(b.Getsudo, TodayPacked());
  EXPECT_EQ(b.StartDay, 1);
  EXPECT_EQ(b.EndDay, DaysInMonth(b.Getsudo));
  EXPECT_TRUE(b.Kojo.empty() && b.Tanto.empty() && b.Biko.empty());
  EXPECT_EQ(b.ClassWidth, 0.5L);
  EXPECT_EQ(b.KariAveX, 1800);
  EXPECT_EQ(b.Kyoyo, 200);
  EXPECT_EQ(b.Kyodo, 0.0);
  EXPECT_EQ(b.AirKyoyo, 0.0);
  EXPECT_TRUE(b.Cement.Name.empty() && b.Cement.Mark.empty());
  ExpectDaysNumbered(d, DaysInMonth(b.Getsudo));
  for (const auto& day : d.SlumpList)
    for (const auto& s : day.SokuteiList) {
      EXPECT_EQ(s.Value, 0);
      EXPECT_FALSE(s.Judge);
    }
  EXPECT_EQ(d.HistogramList.Count(), 11);
  EXPECT_EQ(d.CalcedResult.SumF, 0);
  EXPECT_EQ(d.CalcedResult.Hensa, 0.0L);
}

TEST(MonthRecord, DayListFollowsTheMonthLength) {
  ExpectDaysNumbered(MonthRecord(2000, 2), 29);
  ExpectDaysNumbered(MonthRecord(2004, 2), 29);
  ExpectDaysNumbered(MonthRecord(2100, 2), 28);
  ExpectDaysNumbered(MonthRecord(2026, 4), 30);
  ExpectDaysNumbered(MonthRecord(2026, 12), 31);
}

TEST(MonthRecord, ShorterMonthDropsTrailingDaysAndKeepsTheRest) {
  TMainData d = MonthRecord(2026, 1);
  for (int32_t i = 0; i < 31; ++i) {
    d.SlumpList.Items(i).SokuteiList.Items(0).Value = 1000 + i;
    d.SlumpList.Items(i).SokuteiList.Items(1).Value = 2000 + i;
    d.SlumpList.Items(i).SokuteiList.Items(1).Judge = true;
  }
  d.BasicInfo.Getsudo = PackDate(2026, 2, 1);
  d.AdjustSlumpList();
  ExpectDaysNumbered(d, 28);
  for (int32_t i = 0; i < 28; ++i) {
    EXPECT_EQ(d.SlumpList.Items(i).SokuteiList.Items(0).Value, 1000 + i);
    EXPECT_EQ(d.SlumpList.Items(i).SokuteiList.Items(1).Value, 2000 + i);
    EXPECT_TRUE(d.SlumpList.Items(i).SokuteiList.Items(1).Judge);
  }

  // Back to a long month: the kept days stay, the new ones are blank.
  d.BasicInfo.Getsudo = PackDate(2026, 3, 1);
  d.AdjustSlumpList();
  ExpectDaysNumbered(d, 31);
  EXPECT_EQ(d.SlumpList.Items(27).SokuteiList.Items(0).Value, 1027);
  for (int32_t i = 28; i < 31; ++i) {
    EXPECT_EQ(d.SlumpList.Items(i).SokuteiList.Items(0).Value, 0);
    EXPECT_FALSE(d.SlumpList.Items(i).SokuteiList.Items(1).Judge);
  }
}

TEST(MonthRecord, ClearListsEmptiesBothListsAndClearRestoresDefaults) {
  TMainData d = MonthRecord(2026, 6);
  d.BasicInfo.Kojo = "X";
  d.BasicInfo.Kyoyo = 500;
  d.MakeHistogramList();
  d.ClearLists();
  EXPECT_EQ(d.SlumpList.Count(), 0);
  EXPECT_EQ(d.HistogramList.Count(), 0);
  d.Clear();
  EXPECT_TRUE(d.BasicInfo.Kojo.empty());
  EXPECT_EQ(d.HistogramList.Count(), 11);
  EXPECT_EQ(d.SlumpList.Count(), DaysInMonth(TodayPacked()));
}

TEST(MonthRecord, ClearResetsEveryHeaderField) {
  TMainData d = MonthRecord(2024, 2);
  TBasicInfo& b = d.BasicInfo;
  b.StartDay = 5;
  b.EndDay = 9;
  b.Kojo = b.Tanto = b.Biko = "X";
  b.ClassWidth = 0.25L;
  b.KariAveX = 2100;
  b.Kyoyo = 250;
  b.Kyodo = 24;
  b.Kotsuzai = 20;
  b.Air = 4.5;
  b.AirKyoyo = 1.5;
  b.Cement = {"N", "N"};
  d.ClearLists();
  d.Clear();
  TMainData fresh;
  const TBasicInfo& f = fresh.BasicInfo;
  EXPECT_EQ(b.Getsudo, f.Getsudo);
  EXPECT_EQ(b.StartDay, f.StartDay);
  EXPECT_EQ(b.EndDay, f.EndDay);
  EXPECT_TRUE(b.Kojo.empty() && b.Tanto.empty() && b.Biko.empty());
  EXPECT_EQ(b.ClassWidth, 0.5L);
  EXPECT_EQ(b.KariAveX, 1800);
  EXPECT_EQ(b.Kyoyo, 200);
  EXPECT_EQ(b.Kyodo, 0.0);
  EXPECT_EQ(b.Kotsuzai, 0.0);
  EXPECT_EQ(b.Air, 0.0);
  EXPECT_EQ(b.AirKyoyo, 0.0);
  EXPECT_TRUE(b.Cement.Name.empty() && b.Cement.Mark.empty());
}

TEST(MonthRecord, ListsCheckTheirIndexes) {
  TMainData d;
  EXPECT_THROW(d.SlumpList.Items(-1), std::out_of_range);
  EXPECT_THROW(d.SlumpList.Items(d.SlumpList.Count()), std::out_of_range);
  EXPECT_THROW(d.SlumpList.Delete(40), std::out_of_range);
  EXPECT_THROW(d.HistogramList.Items(11), std::out_of_range);
}

TEST(CementTable, SeventeenRowsInPickListOrder) {
  TCementList list;
  MakeCementList(list);
  ASSERT_EQ(list.Count(), 17);
  EXPECT_EQ(list.Items(0).Name, Sjis("普通"));
  EXPECT_EQ(list.Items(0).Mark, "N");
  EXPECT_EQ(list.Items(10).Name, Sjis("シリカB種"));
  EXPECT_EQ(list.Items(10).Mark, "AB");
  EXPECT_EQ(list.Items(15).Mark, "NL");
  EXPECT_EQ(list.Items(16).Name, Sjis("その他"));
  EXPECT_EQ(list.Items(16).Mark, "");
}

TEST(CementTable, ChoiceRules) {
  TCementList list;
  MakeCementList(list);
  TCement c;

  // A standard name brings its mark and locks the mark.
  SetCementName(c, list, Sjis("普通"));
  EXPECT_EQ(c.Mark, "N");
  EXPECT_FALSE(CementMarkEditable(c, list));
  SetCementMark(c, list, "XY");
  EXPECT_EQ(c.Mark, "N");

  // "その他" empties the mark and opens it.
  SetCementName(c, list, Sjis("その他"));
  EXPECT_EQ(c.Mark, "");
  EXPECT_TRUE(CementMarkEditable(c, list));
  SetCementMark(c, list, "Z");
  EXPECT_EQ(c.Mark, "Z");

  // A typed name that merely resembles a standard one is free text.
  SetCementName(c, list, Sjis("普通 "));
  EXPECT_EQ(c.Mark, "");
  EXPECT_TRUE(CementMarkEditable(c, list));
  SetCementMark(c, list, "Q");
  EXPECT_EQ(c.Mark, "Q");

  // Choosing a standard name again replaces the typed mark.
  SetCementName(c, list, Sjis("高炉B種"));
  EXPECT_EQ(c.Mark, "BB");
}
