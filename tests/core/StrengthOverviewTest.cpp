// The year overview over folders of month files and strength logs: the
// strength rows per plant, mix and month, the pooled mixes, plants of one
// kind of file alone, and what cannot be read.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>
#include <vector>

#include "TempDir.h"
#include "core/DataFile.h"
#include "core/Overview.h"
#include "core/StrengthFile.h"
#include "tests/core/MonthBuilder.h"
#include "tests/core/StrengthBuilder.h"

using namespace kestrin;
using testutil::StrengthLogWith;

namespace {

void SaveLog(const std::string& path, const TStrengthLog& log) { ASSERT_TRUE(SaveStrengthFile(path, log)); }

}  // namespace

TEST(StrengthOverview, MixedFolderGivesStrengthRowsPerPlantMixAndMonthPooledOverTheResults) {
  testutil::TempDir dir;
  ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0700), 0);
  // 南工場: a month file and two mixes; 北工場: strength logs alone.
  ASSERT_TRUE(SaveToFile(dir / "south-04.slt",
                         testutil::MonthWithValues({1800, 1900}, PackDate(2025, 4, 1), "南工場")));
  SaveLog(dir / "s24-04.kst", StrengthLogWith("南工場", 2025, 4, 240, {300, 310, 200, 320}));
  SaveLog(dir / "s24-05.KST", StrengthLogWith("南工場", 2025, 5, 240, {230, 240, 235, std::nullopt}));
  SaveLog(dir / "sub/s30-05.kst", StrengthLogWith("南工場", 2025, 5, 300, {330, 340}));
  SaveLog(dir / "north-06.kst", StrengthLogWith("北工場", 2025, 6, 240, {250}));
  testutil::WriteFile(dir / "broken.kst", "{}");
  testutil::WriteFile(dir / "notes.txt", "Kestrin.StrengthLog");

  std::vector<std::string> files;
  std::vector<TOverviewFailure> failures;
  ASSERT_TRUE(ListOverviewFiles(dir.Path(), true, files, failures));
  EXPECT_EQ(files,
            (std::vector<std::string>{dir / "broken.kst", dir / "north-06.kst", dir / "s24-04.kst",
                                      dir / "s24-05.KST", dir / "south-04.slt", dir / "sub/s30-05.kst"}));
  EXPECT_TRUE(failures.empty());
  // The month files' own walk (reference months) still takes .slt alone.
  ASSERT_TRUE(ListMonthFiles(dir.Path(), true, files, failures));
  EXPECT_EQ(files, (std::vector<std::string>{dir / "south-04.slt"}));
  ASSERT_TRUE(ListOverviewFiles(dir.Path(), true, files, failures));

  const TOverview o = BuildOverview(files);
  ASSERT_EQ(o.FailedFiles.size(), 1u);
  EXPECT_EQ(o.FailedFiles[0].File, dir / "broken.kst");
  EXPECT_NE(o.FailedFiles[0].Reason.find("Kestrin.StrengthLog"), std::string::npos)
      << o.FailedFiles[0].Reason;

  // Plants in CP932 order (南 93 EC before 北 96 6B); the strength-only
  // plant has mixes and no months.
  ASSERT_EQ(o.Plants.size(), 2u);
  EXPECT_EQ(o.Plants[0].Kojo, Sjis("南工場"));
  EXPECT_EQ(o.Plants[0].MonthIndexes.size(), 1u);
  EXPECT_EQ(o.Plants[0].MixIndexes, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(o.Plants[1].Kojo, Sjis("北工場"));
  EXPECT_TRUE(o.Plants[1].MonthIndexes.empty());
  EXPECT_EQ(o.Plants[1].Months, 0);
  EXPECT_EQ(o.Plants[1].MixIndexes, (std::vector<std::size_t>{2}));

  // Logs by plant, nominal strength, month.
  ASSERT_EQ(o.StrengthMonths.size(), 4u);
  EXPECT_EQ(o.StrengthMonths[0].File, dir / "s24-04.kst");
  EXPECT_EQ(o.StrengthMonths[1].File, dir / "s24-05.KST");
  EXPECT_EQ(o.StrengthMonths[2].File, dir / "sub/s30-05.kst");
  EXPECT_EQ(o.StrengthMonths[3].File, dir / "north-06.kst");

  const TStrengthOverviewMonth& april = o.StrengthMonths[0];
  EXPECT_EQ(april.Getsudo, PackDate(2025, 4, 1));
  EXPECT_EQ(april.Nominal, 240);
  EXPECT_EQ(april.Summary.Count, 4u);
  EXPECT_EQ(april.Summary.Mean, 2825);  // 113.0 / 4
  EXPECT_EQ(april.Summary.Min, 200);
  EXPECT_EQ(april.FailedTests, 1);  // 20.0 < 0.85 × 24 = 20.4
  EXPECT_EQ(april.FailedLots, 0);   // (30.0 + 31.0 + 20.0) / 3 = 27.0
  const TStrengthOverviewMonth& may = o.StrengthMonths[1];
  EXPECT_EQ(may.Tests, 4);  // one still curing
  EXPECT_EQ(may.Summary.Count, 3u);
  EXPECT_EQ(may.FailedTests, 0);
  EXPECT_EQ(may.FailedLots, 1);  // 23.5 < 24
  EXPECT_FALSE(may.Duplicate);
  EXPECT_FALSE(o.StrengthMonths[2].Duplicate);  // same month, another mix

  // Pooled over the seven results 30.0 31.0 20.0 32.0 23.0 24.0 23.5, not
  // over the monthly figures (whose means average 25.875):
  // mean 183.5 / 7 = 26.214 -> 26.21; σ = √(92350 / 42) / 10 = 4.689 -> 4.69;
  // required mean max(0.85 × 24 + 3 × 4.69, 24 + √3 × 4.69) = 34.47.
  ASSERT_EQ(o.StrengthMixes.size(), 3u);
  const TStrengthOverviewMix& pooled = o.StrengthMixes[0];
  EXPECT_EQ(pooled.Kojo, Sjis("南工場"));
  EXPECT_EQ(pooled.Nominal, 240);
  EXPECT_EQ(pooled.Months, 2);
  EXPECT_EQ(pooled.MonthIndexes, (std::vector<std::size_t>{0, 1}));
  EXPECT_EQ(pooled.Summary.Count, 7u);
  EXPECT_EQ(pooled.Summary.Mean, 2621);
  EXPECT_EQ(pooled.Summary.Sigma, 469);
  EXPECT_EQ(pooled.Summary.Min, 200);
  EXPECT_EQ(pooled.Summary.Max, 320);
  EXPECT_EQ(pooled.Summary.RequiredMean, 3447);
  EXPECT_EQ(pooled.Summary.Margin, 2621 - 3447);
  EXPECT_EQ(pooled.FailedTests, 1);
  EXPECT_EQ(pooled.FailedLots, 1);
  // A mix of one result has no σ and so no margin.
  const TStrengthOverviewMix& north = o.StrengthMixes[2];
  EXPECT_EQ(north.Summary.Count, 1u);
  EXPECT_FALSE(north.Summary.Sigma.has_value());
  EXPECT_FALSE(north.Summary.Margin.has_value());
}

TEST(StrengthOverview, DuplicatesPlantOrderAndNames) {
  auto row = [](const std::string& plant, int32_t month, int32_t nominal, const std::string& file) {
    return StrengthOverviewRow(StrengthLogWith(plant, 2025, month, nominal, {300, 310}), file);
  };
  // Two logs of one plant, mix and month are duplicates (and both pooled);
  // a neighbouring month or another mix is not.
  const TOverview o =
      MakeOverview({}, {}, {Sjis("東工場")},
                   {row("西工場", 5, 240, "b"), row("西工場", 5, 240, "a"), row("西工場", 6, 240, "c"),
                    row("西工場", 5, 210, "d"), row("東工場", 5, 240, "e")});
  ASSERT_EQ(o.StrengthMonths.size(), 5u);
  // The plant of the settings' list first, then mixes by nominal strength.
  EXPECT_EQ(o.StrengthMonths[0].File, "e");
  EXPECT_EQ(o.StrengthMonths[1].File, "d");
  EXPECT_EQ(o.StrengthMonths[2].File, "a");
  EXPECT_EQ(o.StrengthMonths[3].File, "b");
  EXPECT_EQ(o.StrengthMonths[4].File, "c");
  std::vector<bool> duplicate;
  for (const TStrengthOverviewMonth& m : o.StrengthMonths) duplicate.push_back(m.Duplicate);
  EXPECT_EQ(duplicate, (std::vector<bool>{false, false, true, true, false}));
  ASSERT_EQ(o.StrengthMixes.size(), 3u);
  EXPECT_EQ(o.StrengthMixes[2].Months, 3);
  EXPECT_EQ(o.StrengthMixes[2].Summary.Count, 6u);
  ASSERT_EQ(o.Plants.size(), 2u);
  EXPECT_EQ(o.Plants[0].Kojo, Sjis("東工場"));
  EXPECT_EQ(o.Plants[1].MixIndexes, (std::vector<std::size_t>{1, 2}));

  EXPECT_TRUE(IsStrengthFileName("dir/a.KsT"));
  EXPECT_FALSE(IsStrengthFileName("dir/.kst"));
  EXPECT_TRUE(IsStrengthFileName("dir/a.kst"));
  EXPECT_FALSE(IsStrengthFileName("dir.kst/a.slt"));
  EXPECT_FALSE(IsStrengthFileName("a.kst~"));
  EXPECT_EQ(StrengthPlantKey("東京第一工場"), Sjis("東京第一工場"));
  EXPECT_EQ(StrengthPlantKey("工場\xF0\x9F\x98\x80"
                             "A"),
            Sjis("工場？A"));
  EXPECT_EQ(NominalText(240), "24");
  EXPECT_EQ(NominalText(225), "22.5");
  EXPECT_EQ(NominalText(241), "24.1");

  // A folder with neither kind of file is a failure of its own.
  testutil::TempDir empty;
  testutil::WriteFile(empty / "a.txt", "x");
  std::vector<std::string> files;
  std::vector<TOverviewFailure> failures;
  EXPECT_FALSE(ListOverviewFiles(empty.Path(), false, files, failures));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].Reason, "フォルダに月度データファイル（.slt）も強度試験データ（.kst）もありません．");
}
