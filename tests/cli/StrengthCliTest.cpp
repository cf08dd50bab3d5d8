// kestrin-cli strength stats end to end: the JSON of a worked example, the
// failure naming the file and the field, and the usage errors.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/StrengthFile.h"
#include "tests/cli/RunCli.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::Cli;
using testutil::Result;
using testutil::TempDir;

namespace {

// Five results 30.0 31.0 29.5 32.0 30.5 and a sixth test still curing.
std::string SaveWorkedExample(const TempDir& dir) {
  TStrengthLog log;
  log.Year = 2025;
  log.Month = 6;
  const TSpecimens specimens[] = {
      {290, 300, 310}, {305, 310, 315}, {290, 295, 300}, {310, 320, 330}, {300, 305, 310}};
  for (const TSpecimens& s : specimens) {
    TStrengthTest t;
    t.Slump = 180;
    t.Air = 45;
    t.Strength28 = s;
    log.Tests.push_back(t);
  }
  log.Tests.push_back(log.Tests.back());
  log.Tests.back().Strength28.reset();
  log.Tests.back().Slump = 210;  // beyond 18.0 ± 2.5
  log.Tests.back().Chloride = 31;
  const std::string path = dir / "w.kst";
  EXPECT_TRUE(SaveStrengthFile(path, log));
  return path;
}

}  // namespace

TEST(StrengthCli, StatsPrintsTheFiguresAsJsonWithNullsForWhatIsUndefined) {
  TempDir dir;
  const Result r = Cli(dir, {"strength", "stats", SaveWorkedExample(dir)});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto j = nlohmann::ordered_json::parse(r.out);
  std::vector<std::string> keys;
  for (auto it = j.begin(); it != j.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"Tests", "Lots", "Summary", "ControlChart", "Signals"}));
  ASSERT_EQ(j["Tests"].size(), 6u);
  EXPECT_EQ(j["Tests"][1].dump(),
            R"({"Day":1,"Result28":31.0,"Result7":null,"Rm":1.0,"Rs":1.0,"Pass":true,"SlumpPass":true,)"
            R"("AirPass":true,"ChloridePass":null})");
  EXPECT_EQ(j["Tests"][5].dump(),
            R"({"Day":1,"Result28":null,"Result7":null,"Rm":null,"Rs":null,"Pass":null,"SlumpPass":false,)"
            R"("AirPass":true,"ChloridePass":false})");
  EXPECT_EQ(j["Lots"].dump(),
            R"([{"Tests":[1,2,3],"Mean":30.2,"Pass":true},{"Tests":[4,5],"Mean":null,"Pass":null}])");
  EXPECT_EQ(
      j["Summary"].dump(),
      R"({"Count":5,"Mean":30.6,"Sigma":0.96,"Min":29.5,"Max":32.0,"RequiredMean":25.66,"Margin":4.94})");
  EXPECT_EQ(j["ControlChart"].dump(),
            R"({"Center":30.6,"UCL":34.94,"LCL":26.26,"RsBar":1.63,"RsUCL":5.33,"RmBar":1.4,"RmUCL":3.61})");
  EXPECT_EQ(j["Signals"].dump(), "[]");
}

TEST(StrengthCli, FailuresNameTheFileAndUsageErrorsExitWithTwo) {
  TempDir dir;
  testutil::WriteFile(dir / "bad.kst", R"({"Format": "Kestrin.StrengthLog", "Version": 3})");
  Result r = Cli(dir, {"strength", "stats", dir / "bad.kst"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(dir / "bad.kst" + ": このファイルは新しい版"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");

  r = Cli(dir, {"strength", "stats", dir / "missing.kst"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("見つかりません"), std::string::npos) << r.err;

  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"strength"},
        {"strength", "stats"},
        {"strength", "print", "a.kst"},
        {"strength", "stats", "a.kst", "-o", "a.pdf"},
        {"strength", "sheets", "a.kst"},
        {"strength", "sheets", "a.kst", "-o", "a.pdf", "--dpi", "49"}}) {
    r = Cli(dir, args);
    EXPECT_EQ(r.code, 2) << args.back() << ": " << r.err;
    EXPECT_NE(r.err.find("使い方: kestrin-cli strength"), std::string::npos) << r.err;
  }
}

TEST(StrengthCli, ImportWritesTheLogWithTheGivenMixAndNamesTheIgnoredColumns) {
  TempDir dir;
  testutil::WriteFile(dir / "lab.csv",
                      "日,スランプ,空気量,28日1,28日2,28日3,試験者\r\n30,18.5,4.6,30.2,29.8,31.0,山田\r\n");
  testutil::WriteFile(dir / "old.kst", "an older file");
  const Result r =
      Cli(dir, {"strength", "import", dir / "lab.csv", "-o", dir / "old.kst", "--plant", "東京第一",
                "--month", "2025-06", "--nominal", "24", "--slump", "12", "--air-tolerance", "1.0"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "次の列は取り込みません：「試験者」\n");
  TStrengthLog log;
  ASSERT_TRUE(LoadStrengthFile(dir / "old.kst", log));
  EXPECT_EQ(log.Plant, "東京第一");
  EXPECT_EQ(log.Month, 6);
  // Given values and the defaults of the mix for the rest.
  EXPECT_EQ(log.Mix, (TStrengthMix{240, 120, 25, 45, 10, 20, "普通", "N"}));
  ASSERT_EQ(log.Tests.size(), 1u);
  EXPECT_EQ(log.Tests[0].Day, 30);
  EXPECT_EQ(log.Tests[0].Strength28, (TSpecimens{302, 298, 310}));
}

TEST(StrengthCli, ImportRefusalsWriteNothingAndExitWithOneOrTwo) {
  TempDir dir;
  testutil::WriteFile(dir / "lab.csv", "日,スランプ,空気量,28日1,28日2,28日3\n1,18,4.5,30,3O.5,31\n");
  testutil::WriteFile(dir / "june.csv", "日,スランプ,空気量\n31,18,4.5\n");
  const std::vector<std::string> mix = {"--plant", "A", "--month", "2025-06", "--nominal", "24"};
  auto run = [&](std::vector<std::string> args) {
    args.insert(args.end(), mix.begin(), mix.end());
    return Cli(dir, args);
  };
  Result r = run({"strength", "import", dir / "lab.csv", "-o", dir / "out.kst"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "CSV ファイルを取り込めません：" + dir / "lab.csv" +
                       "\n2行目 28日2：数値ではありません「3O.5」\n");
  // Day 31 is beyond June given by --month.
  r = run({"strength", "import", dir / "june.csv", "-o", dir / "out.kst"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("2行目 日：値が範囲外です（1～30）「31」"), std::string::npos) << r.err;
  r = run({"strength", "import", dir / "missing.csv", "-o", dir / "out.kst"});
  EXPECT_EQ(r.code, 1);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"strength", "import", dir / "june.csv"},
        {"strength", "import", dir / "june.csv", "-o", dir / "june.csv"},
        {"strength", "import", dir / "june.csv", "-o", dir / "out.kst", "--dpi", "100"},
        {"strength", "import", dir / "june.csv", "-o", dir / "out.kst", "--slump", "30.1"},
        {"strength", "import", dir / "june.csv", "-o", dir / "out.kst", "--month", "2025-6"},
        {"strength", "import", dir / "june.csv", "-o", dir / "out.kst", "--plant", "a\nb"},
        {"strength", "stats", dir / "june.csv", "--nominal", "24"}}) {
    r = run(args);
    EXPECT_EQ(r.code, 2) << args.back() << ": " << r.err;
  }
  for (const char* flag : {"--plant", "--month", "--nominal"}) {
    std::vector<std::string> args = {"strength", "import", dir / "june.csv", "-o", dir / "out.kst"};
    for (std::size_t i = 0; i < mix.size(); i += 2)
      if (mix[i] != flag) args.insert(args.end(), {mix[i], mix[i + 1]});
    r = Cli(dir, args);
    EXPECT_EQ(r.code, 2) << flag;
    EXPECT_NE(r.err.find(std::string(flag) + " "), std::string::npos) << r.err;
  }
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"june.csv", "lab.csv"}));
  EXPECT_EQ(testutil::ReadFile(dir / "june.csv"), "日,スランプ,空気量\n31,18,4.5\n");
}

TEST(StrengthCli, TheSampleLabCsvImportsIntoTheSampleLogByteForByte) {
  TempDir dir;
  const std::string examples = std::string(KESTRIN_SOURCE_DIR) + "/examples";
  const Result r = Cli(dir, {"strength", "import", examples + "/sample-lab.csv", "-o", dir / "s.kst",
                             "--plant", "東京第一工場", "--month", "2025-06", "--nominal", "24"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "次の列は取り込みません：「試験者」\n");
  EXPECT_EQ(testutil::ReadFile(dir / "s.kst"), testutil::ReadFile(examples + "/sample-strength.kst"))
      << "examples/sample-lab.csv and examples/sample-strength.kst no longer hold the same tests";
}
