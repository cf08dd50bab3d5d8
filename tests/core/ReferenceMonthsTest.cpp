// Reference months of the X̄–R chart from a folder and from given files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MonthBuilder.h"
#include "TempDir.h"
#include "core/DataFile.h"
#include "core/ReferenceMonths.h"

using namespace kestrin;
using testutil::MonthWithValues;

namespace {

// Days of 18.0/19.0 cm: `days` complete subgroups.
TMainData Month(int32_t year, int32_t month, int days, const std::string& plant = "第一工場",
                int32_t kyoyo = 250) {
  std::vector<int32_t> v;
  for (int i = 0; i < days; ++i) v.insert(v.end(), {1800, 1900});
  return MonthWithValues(v, PackDate(year, month, 1), plant, 1800, kyoyo);
}

void Save(const testutil::TempDir& dir, const std::string& name, const TMainData& data) {
  ASSERT_TRUE(SaveToFile(dir / name, data)) << name;
}

std::vector<int32_t> Months(const std::vector<TReferenceMonth>& found) {
  std::vector<int32_t> m;
  for (const auto& r : found) m.push_back(r.Getsudo);
  return m;
}

}  // namespace

TEST(ReferenceMonths, EarlierMonthsOfTheSameProcessNewestFirstUpToTheCount) {
  testutil::TempDir dir;
  Save(dir, "202501.slt", Month(2025, 1, 10));
  Save(dir, "202503.slt", Month(2025, 3, 12));
  Save(dir, "202504.slt", Month(2025, 4, 3));
  Save(dir, "202504b.slt", Month(2025, 4, 20));  // the same month again: the first by name counts
  Save(dir, "202505-other.slt", Month(2025, 5, 20, "第二工場"));
  Save(dir, "202505-k.slt", Month(2025, 5, 20, "第一工場", 200));
  Save(dir, "202506.slt", Month(2025, 6, 20));  // the month itself
  Save(dir, "202507.slt", Month(2025, 7, 20));  // later
  testutil::WriteFile(dir / "broken.slt", "SLUMPTES");
  const TMainData june = Month(2025, 6, 20);

  const auto two = FindReferenceMonths(dir.Path(), june, 2);
  EXPECT_EQ(Months(two), (std::vector<int32_t>{PackDate(2025, 4, 1), PackDate(2025, 3, 1)}));
  EXPECT_EQ(two[0].Source.Count, 3);
  EXPECT_EQ(two[0].File, dir / "202504.slt");
  EXPECT_EQ(two[1].Source, (TControlSource{12, 12 * 3700, 12 * 100}));
  EXPECT_EQ(FindReferenceMonths(dir.Path(), june, 3).size(), 3u);
  EXPECT_EQ(FindReferenceMonths(dir.Path(), june, 12).size(), 3u);
  EXPECT_EQ(Months(FindReferenceMonths(dir.Path(), june, 1)), (std::vector<int32_t>{PackDate(2025, 4, 1)}));
  EXPECT_TRUE(FindReferenceMonths(dir.Path(), june, 0).empty());
  // January of the next year looks back across the year.
  EXPECT_EQ(FindReferenceMonths(dir.Path(), Month(2026, 1, 5), 1)[0].Getsudo, PackDate(2025, 7, 1));
  // Nothing earlier, and no folder.
  EXPECT_TRUE(FindReferenceMonths(dir.Path(), Month(2025, 1, 5), 3).empty());
  EXPECT_TRUE(FindReferenceMonths(dir / "missing", june, 3).empty());

  // Found months pool into the limits; too few fall back to the month.
  const TControlChart c = ComputeControlChart(june, {}, true, FindReferenceMonths(dir.Path(), june, 2));
  EXPECT_EQ(c.Origin, TLimitOrigin::Reference);
  EXPECT_EQ(c.Limits->Source.Count, 15);
  const TControlChart few = ComputeControlChart(june, {}, true, FindReferenceMonths(dir.Path(), june, 1));
  EXPECT_EQ(few.Origin, TLimitOrigin::TooFewMonths);
  EXPECT_EQ(few.Limits->Source.Count, 20);
}

TEST(ReferenceMonths, AGivenFileOfAnotherPlantOrToleranceIsRefusedWithAReason) {
  testutil::TempDir dir;
  Save(dir, "a.slt", Month(2025, 5, 6));
  Save(dir, "b.slt", Month(2025, 5, 6, "第二工場"));
  Save(dir, "c.slt", Month(2025, 5, 6, "第一工場", 200));
  const TMainData june = Month(2025, 6, 20);
  TReferenceMonth r;
  std::string reason;
  ASSERT_TRUE(ReadReferenceMonth(dir / "a.slt", june, r, reason));
  EXPECT_EQ(r.Source.Count, 6);
  EXPECT_EQ(r.Getsudo, PackDate(2025, 5, 1));
  EXPECT_FALSE(ReadReferenceMonth(dir / "b.slt", june, r, reason));
  EXPECT_NE(reason.find("工場が違います"), std::string::npos) << reason;
  EXPECT_NE(reason.find("第二工場"), std::string::npos) << reason;
  EXPECT_FALSE(ReadReferenceMonth(dir / "c.slt", june, r, reason));
  EXPECT_NE(reason.find("許容値"), std::string::npos) << reason;
  EXPECT_FALSE(ReadReferenceMonth(dir / "none.slt", june, r, reason));
  EXPECT_NE(reason.find("読み込めません"), std::string::npos) << reason;
  // The same process also needs the same target.
  TMainData other = june;
  other.BasicInfo.KariAveX = 2100;
  EXPECT_FALSE(SameProcess(other, june));
  EXPECT_TRUE(SameProcess(june, june));
}
