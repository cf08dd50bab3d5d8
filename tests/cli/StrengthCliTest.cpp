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
