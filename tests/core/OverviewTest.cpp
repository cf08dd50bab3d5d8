// The year and plant overview over hand-built month files.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <vector>

#include "TempDir.h"
#include "core/Capability.h"
#include "core/DataFile.h"
#include "core/Overview.h"
#include "tests/core/MonthBuilder.h"

using namespace kestrin;

namespace {

TMainData Month(const std::string& plantUtf8, int32_t year, int32_t month,
                const std::vector<int32_t>& values, int32_t t = 1800, int32_t k = 250) {
  return testutil::MonthWithValues(values, PackDate(year, month, 1), plantUtf8, t, k);
}

std::string Save(const testutil::TempDir& dir, const std::string& name, const TMainData& d) {
  const std::string path = dir / name;
  EXPECT_TRUE(SaveToFile(path, d));
  return path;
}

}  // namespace

TEST(Overview, MonthRowsCarryTheMonthsOwnFiguresSortedByPlantThenMonth) {
  testutil::TempDir dir;
  const TMainData june = Month("南工場", 2026, 6, {1800, 1850, 0, 2100, 1700, 1750});
  const TMainData may = Month("南工場", 2026, 5, {1900, 1600});
  const TMainData north = Month("北工場", 2026, 7, {});
  const std::string pJune = Save(dir, "a.slt", june);
  const std::string pMay = Save(dir, "b.slt", may);
  const std::string pNorth = Save(dir, "c.slt", north);

  const TOverview o = BuildOverview({pJune, pMay, pNorth});
  ASSERT_EQ(o.Months.size(), 3u);
  EXPECT_TRUE(o.FailedFiles.empty());
  // CP932 byte order of the plant names: 南 (93 EC) before 北 (96 6B).
  EXPECT_EQ(o.Months[0].File, pMay);
  EXPECT_EQ(o.Months[1].File, pJune);
  EXPECT_EQ(o.Months[2].File, pNorth);

  const TOverviewMonth& r = o.Months[1];
  EXPECT_EQ(r.Getsudo, june.BasicInfo.Getsudo);
  EXPECT_EQ(r.Kojo, june.BasicInfo.Kojo);
  EXPECT_EQ(r.KariAveX, 1800);
  EXPECT_EQ(r.Kyoyo, 250);
  EXPECT_EQ(r.Count, 5);
  EXPECT_EQ(r.Failed, 1);  // 21.0 is beyond 18.0 + 2.5
  EXPECT_EQ(r.AveX, june.CalcedResult.AveX);
  EXPECT_EQ(static_cast<double>(r.Hensa), static_cast<double>(june.CalcedResult.Hensa));
  EXPECT_EQ(r.Min, 1700);
  EXPECT_EQ(r.Max, 2100);
  const TCapability c = MonthCapability(june);
  EXPECT_EQ(r.Capability.Cp, c.Cp);
  EXPECT_EQ(r.Capability.Cpk, c.Cpk);
  EXPECT_FALSE(r.Duplicate);

  const TOverviewMonth& empty = o.Months[2];
  EXPECT_EQ(empty.Count, 0);
  EXPECT_FALSE(empty.Min.has_value());
  EXPECT_FALSE(empty.Capability.Cp.has_value());
  ASSERT_EQ(o.Plants.size(), 2u);
  EXPECT_EQ(o.Plants[1].Months, 1);
  EXPECT_FALSE(o.Plants[1].AveX.has_value());
  EXPECT_FALSE(o.Plants[1].Hensa.has_value());
}

TEST(Overview, PooledFiguresComeFromTheRawValuesNotFromMonthlyAverages) {
  testutil::TempDir dir;
  const std::vector<int32_t> a = {1800, 1850, 1700, 2100};
  const std::vector<int32_t> b = {1650, 1900, 1750};
  const std::string pa = Save(dir, "a.slt", Month("東工場", 2025, 1, a));
  const std::string pb = Save(dir, "b.slt", Month("東工場", 2025, 2, b));
  const TOverview o = BuildOverview({pa, pb});
  ASSERT_EQ(o.Plants.size(), 1u);
  const TOverviewPlant& p = o.Plants[0];

  std::vector<double> all(a.begin(), a.end());
  all.insert(all.end(), b.begin(), b.end());
  double mean = 0;
  for (double v : all) mean += v;
  mean /= static_cast<double>(all.size());
  double ss = 0;
  for (double v : all) ss += (v - mean) * (v - mean);
  const double sd = std::sqrt(ss / static_cast<double>(all.size() - 1)) / 100.0;

  EXPECT_EQ(p.Months, 2);
  EXPECT_EQ(p.Count, 7);
  EXPECT_EQ(p.Failed, 1);
  EXPECT_EQ(p.Min, 1650);
  EXPECT_EQ(p.Max, 2100);
  ASSERT_TRUE(p.AveX && p.Hensa);
  EXPECT_NEAR(static_cast<double>(*p.AveX), mean, 1e-9);
  EXPECT_NEAR(static_cast<double>(*p.Hensa), sd, 1e-12);
  ASSERT_TRUE(p.Capability.Cp && p.Capability.Cpk);
  EXPECT_NEAR(*p.Capability.Cp, 5.0 / (6 * sd), 1e-12);
  EXPECT_NEAR(*p.Capability.Cpk, std::min(2050 - mean, mean - 1550) / 100 / (3 * sd), 1e-12);

  // A month with another tolerance leaves the pooled capability undefined.
  const std::string pc = Save(dir, "c.slt", Month("東工場", 2025, 3, {1800, 1900}, 1800, 150));
  const TOverviewPlant q = BuildOverview({pa, pb, pc}).Plants.at(0);
  EXPECT_FALSE(q.SameLimits);
  EXPECT_TRUE(q.Hensa.has_value());
  EXPECT_FALSE(q.Capability.Cp.has_value());
  EXPECT_FALSE(q.Capability.Cpk.has_value());
  // So does one with another target and the same tolerance.
  const std::string pd = Save(dir, "d.slt", Month("東工場", 2025, 4, {1800, 1900}, 1900, 250));
  const TOverviewPlant t = BuildOverview({pa, pb, pd}).Plants.at(0);
  EXPECT_FALSE(t.SameLimits);
  EXPECT_FALSE(t.Capability.Cp.has_value());

  // Exactly two values have a pooled deviation; one has none.
  const std::string two = Save(dir, "e.slt", Month("西工場", 2025, 1, {1800, 1900}));
  const TOverviewPlant w = BuildOverview({two}).Plants.at(0);
  ASSERT_TRUE(w.Hensa.has_value());
  EXPECT_NEAR(static_cast<double>(*w.Hensa), std::sqrt(0.5), 1e-12);
  EXPECT_TRUE(w.Capability.Cp.has_value());
  const std::string one = Save(dir, "f.slt", Month("西工場", 2025, 1, {1800}));
  EXPECT_FALSE(BuildOverview({one}).Plants.at(0).Hensa.has_value());
}

TEST(Overview, SamePlantAndMonthTwiceIsListedTwiceFlaggedAndPooled) {
  testutil::TempDir dir;
  const std::string p1 = Save(dir, "x1.slt", Month("西工場", 2024, 4, {1800}));
  TMainData again = Month("西工場", 2024, 4, {1900});
  again.BasicInfo.Getsudo = PackDate(2024, 4, 15);  // another day of the same month
  const std::string p2 = Save(dir, "x2.slt", again);
  const std::string p3 = Save(dir, "x3.slt", Month("西工場", 2024, 5, {2000}));
  const TOverview o = BuildOverview({p3, p2, p1});
  ASSERT_EQ(o.Months.size(), 3u);
  // The two of one month in the order of their files, whatever the order given.
  EXPECT_EQ(o.Months[0].File, p1);
  EXPECT_EQ(o.Months[1].File, p2);
  EXPECT_TRUE(o.Months[0].Duplicate);
  EXPECT_TRUE(o.Months[1].Duplicate);
  EXPECT_FALSE(o.Months[2].Duplicate);
  EXPECT_EQ(o.Plants.at(0).Months, 3);
  EXPECT_EQ(o.Plants.at(0).Count, 3);
  EXPECT_NEAR(static_cast<double>(*o.Plants.at(0).AveX), 1900.0, 1e-9);
}

TEST(Overview, FilesThatFailAreListedWithTheReasonAndTheRestGoOn) {
  testutil::TempDir dir;
  const std::string good = Save(dir, "good.slt", Month("北工場", 2026, 1, {1800, 1810}));
  const std::string junk = dir / "junk.slt";
  testutil::WriteFile(junk, "not a month file at all");
  const std::string missing = dir / "missing.slt";
  const std::string pipe = dir / "pipe.slt";
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);  // must not block the reader

  const TOverview o = BuildOverview({junk, good, missing, pipe, dir.Path()});
  ASSERT_EQ(o.Months.size(), 1u);
  EXPECT_EQ(o.Months[0].File, good);
  ASSERT_EQ(o.FailedFiles.size(), 4u);
  EXPECT_EQ(o.FailedFiles[0].File, junk);
  EXPECT_NE(o.FailedFiles[0].Reason.find("ロードに失敗"), std::string::npos);
  EXPECT_NE(o.FailedFiles[1].Reason.find("見つかりません"), std::string::npos);
  EXPECT_NE(o.FailedFiles[2].Reason.find("通常のファイルではありません"), std::string::npos);
  EXPECT_NE(o.FailedFiles[3].Reason.find("フォルダ"), std::string::npos);
}

TEST(Overview, FolderListingTakesSltFilesInAnyCaseAndSubfoldersOnlyWhenAsked) {
  testutil::TempDir dir;
  std::vector<std::string> files;
  std::vector<TOverviewFailure> failures;
  EXPECT_FALSE(ListMonthFiles(dir.Path(), false, files, failures));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].File, dir.Path());
  EXPECT_NE(failures[0].Reason.find("ありません"), std::string::npos);
  failures.clear();
  EXPECT_FALSE(ListMonthFiles(dir / "nowhere", false, files, failures));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].Reason, "フォルダが見つかりません．");
  failures.clear();

  testutil::WriteFile(dir / "b.SLT", "x");
  testutil::WriteFile(dir / "a.slt", "x");
  testutil::WriteFile(dir / "notes.txt", "x");
  testutil::WriteFile(dir / ".slt", "x");
  ASSERT_EQ(::mkdir((dir / "sub").c_str(), 0700), 0);
  ASSERT_EQ(::mkdir((dir / "folder.slt").c_str(), 0700), 0);
  testutil::WriteFile(dir / "sub/c.slt", "x");
  testutil::WriteFile(dir / "folder.slt/d.slt", "x");
  ASSERT_EQ(::symlink("sub", (dir / "link").c_str()), 0);
  ASSERT_EQ(::symlink("a.slt", (dir / "e.slt").c_str()), 0);
  ASSERT_TRUE(ListMonthFiles(dir.Path() + "/", false, files, failures));
  EXPECT_EQ(files, (std::vector<std::string>{dir / "a.slt", dir / "b.SLT", dir / "e.slt"}));
  std::vector<std::string> folders;
  ASSERT_TRUE(ListMonthFiles(dir.Path(), true, files, failures, &folders));
  EXPECT_EQ(files, (std::vector<std::string>{dir / "a.slt", dir / "b.SLT", dir / "e.slt",
                                             dir / "folder.slt/d.slt", dir / "sub/c.slt"}));
  EXPECT_TRUE(failures.empty());
  std::sort(folders.begin(), folders.end());
  EXPECT_EQ(folders, (std::vector<std::string>{dir.Path(), dir / "folder.slt", dir / "sub"}));
}

// A chain of nested folders: read down to the cap, the folder below it
// listed as skipped; a folder whose path the system refuses (too long,
// which also root cannot read) is listed and the rest is still read.
TEST(Overview, DeepFoldersStopAtTheCapAndNoUnreadablePartIsLeftOutSilently) {
  testutil::TempDir dir;
  std::string path = dir.Path();
  for (int depth = 1; depth <= kMaxFolderDepth + 1; ++depth) {
    path += "/d";
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    if (depth >= kMaxFolderDepth) testutil::WriteFile(path + "/m.slt", "x");
  }
  std::vector<std::string> files;
  std::vector<TOverviewFailure> failures;
  ASSERT_TRUE(ListMonthFiles(dir.Path(), true, files, failures));
  const std::string deepest = path.substr(0, path.size() - 2);
  EXPECT_EQ(files, std::vector<std::string>{deepest + "/m.slt"});
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].File, path);
  EXPECT_NE(failures[0].Reason.find("深すぎる"), std::string::npos) << failures[0].Reason;

  // Names of 200 bytes, down to a folder whose path is PATH_MAX long or
  // longer (made relative to its parent, as the path itself is refused).
  testutil::TempDir wide;
  testutil::WriteFile(wide / "top.slt", "x");
  const std::string name(200, 'n');
  std::string longPath = wide.Path();
  int parent = ::open(wide.Path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  ASSERT_GE(parent, 0);
  while (longPath.size() + 1 + name.size() < PATH_MAX) {
    ASSERT_EQ(::mkdirat(parent, name.c_str(), 0700), 0);
    const int child = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ::close(parent);
    parent = child;
    ASSERT_GE(parent, 0);
    longPath += "/" + name;
  }
  ASSERT_EQ(::mkdirat(parent, name.c_str(), 0700), 0);
  const std::string unreadable = longPath + "/" + name;
  files.clear();
  failures.clear();
  ASSERT_TRUE(ListMonthFiles(wide.Path(), true, files, failures));
  EXPECT_EQ(files, std::vector<std::string>{wide / "top.slt"});
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].File, unreadable);
  EXPECT_NE(failures[0].Reason.find("フォルダを読み込めません"), std::string::npos) << failures[0].Reason;
  // Up again, where the test folder's removal reaches it.
  EXPECT_EQ(::renameat(parent, name.c_str(), AT_FDCWD, (wide / "moved").c_str()), 0);
  ::close(parent);
}

TEST(Overview, PlantsFollowTheSettingsListThenTheirNamesAndEmptySlotsNameNoPlant) {
  auto row = [](const char* plantUtf8, const char* file) {
    TOverviewMonth m;
    m.Kojo = plantUtf8[0] ? *Utf8ToCp932(plantUtf8) : AnsiString();
    m.File = file;
    m.Getsudo = PackDate(2025, 4, 1);
    return m;
  };
  const std::vector<TOverviewMonth> rows = {row("北工場", "a"), row("", "b"), row("東工場", "c"),
                                            row("南工場", "d"), row("西工場", "e")};
  auto plants = [](const TOverview& o) {
    std::vector<std::string> names;
    for (const TOverviewPlant& p : o.Plants) names.push_back(PlantLabelUtf8(p.Kojo));
    return names;
  };
  // Without a list: by name (CP932 bytes).
  const std::vector<std::string> byName = plants(MakeOverview(rows, {}));
  EXPECT_EQ(byName.front(), "（工場名なし）");
  // The list's order first, the last slot included; the empty slot does
  // not pull the plant without a name forward.
  std::vector<AnsiString> order(10);
  order[0] = *Utf8ToCp932("南工場");
  order[9] = *Utf8ToCp932("北工場");
  const std::vector<std::string> listed = plants(MakeOverview(rows, {}, order));
  ASSERT_EQ(listed.size(), 5u);
  EXPECT_EQ(listed[0], "南工場");
  EXPECT_EQ(listed[1], "北工場");
  std::vector<std::string> rest(listed.begin() + 2, listed.end());
  std::vector<std::string> expected;
  for (const std::string& n : byName)
    if (n != "南工場" && n != "北工場") expected.push_back(n);
  EXPECT_EQ(rest, expected);
}
