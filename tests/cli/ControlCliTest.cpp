// kestrin-cli stats with the X̄–R chart: limits, signals, capability
// bounds, reference months given or found, rules from --settings, and
// import taking the output back.
#include <gtest/gtest.h>

#include <cmath>

#include "RecordJson.h"
#include "core/DataFile.h"
#include "tests/cli/RunCli.h"
#include "tests/core/MonthBuilder.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::Cli;
using testutil::Result;
using testutil::TempDir;

namespace {

// Days 1-9 at 18.0/19.0 cm, day 10 at 24.0/25.0 cm: own limits X̿ = 19.10,
// R̄ = 1.00 cm; days 1-9 lie below the centre line, day 10 above the UCL.
TMainData June(const std::string& plant = "第一工場") {
  std::vector<int32_t> v;
  for (int i = 0; i < 9; ++i) v.insert(v.end(), {1800, 1900});
  v.insert(v.end(), {2400, 2500});
  return testutil::MonthWithValues(v, PackDate(2026, 6, 1), plant, 1800, 250);
}

TMainData May(int days, const std::string& plant = "第一工場") {
  std::vector<int32_t> v;
  for (int i = 0; i < days; ++i) v.insert(v.end(), {1800, 1900});
  return testutil::MonthWithValues(v, PackDate(2026, 5, 1), plant, 1800, 250);
}

cli::Json Stats(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), "stats");
  const Result r = Cli(dir, args);
  EXPECT_EQ(r.code, 0) << r.err;
  return r.code == 0 ? cli::Json::parse(r.out) : cli::Json();
}

}  // namespace

TEST(CliControlChart, OwnLimitsSignalsAndCapabilityBounds) {
  TempDir dir;
  ASSERT_TRUE(SaveToFile(dir / "june.slt", June()));
  testutil::WriteFile(dir / "none.INI", "");
  const cli::Json j = Stats(dir, {dir / "june.slt", "--settings", dir / "none.INI"});
  const cli::Json& c = j["ControlChart"];
  EXPECT_EQ(c["Subgroups"], 10);
  EXPECT_NEAR(c["Center"].get<double>(), 19.10, 1e-12);
  EXPECT_NEAR(c["UCL"].get<double>(), 20.98, 1e-12);
  EXPECT_NEAR(c["LCL"].get<double>(), 17.22, 1e-12);
  EXPECT_NEAR(c["RBar"].get<double>(), 1.0, 1e-12);
  EXPECT_NEAR(c["RUCL"].get<double>(), 3.267, 1e-12);
  EXPECT_NEAR(c["Sigma"].get<double>(), 1.0 / 1.128, 1e-12);
  EXPECT_EQ(c["Reference"], nullptr);
  EXPECT_EQ(j["ControlSignals"], cli::Json::parse(R"([
      {"Rule": 2, "Chart": "Xbar", "Side": "Below", "From": {"Day": 1}, "To": {"Day": 9}, "Count": 9},
      {"Rule": 1, "Chart": "Xbar", "Side": "Above", "From": {"Day": 10}, "To": {"Day": 10}, "Count": 1}])"));
  const cli::Json& cap = j["Capability"];
  for (const char* key : {"Cp", "Cpk", "CpWithin", "CpkWithin", "CpLow", "CpHigh", "CpkLow", "CpkHigh"})
    EXPECT_TRUE(cap[key].is_number()) << key;
  EXPECT_NEAR(cap["CpWithin"].get<double>(), 5.0 / (6.0 / 1.128), 1e-9);
  EXPECT_LT(cap["CpLow"].get<double>(), cap["Cp"].get<double>());
  EXPECT_GT(cap["CpkHigh"].get<double>(), cap["Cpk"].get<double>());

  // Rules from --settings: rule 2 off leaves rule 1 alone; all off, none.
  testutil::WriteFile(dir / "rules.INI", "[ControlRules]\r\nRule2=0\r\n");
  EXPECT_EQ(Stats(dir, {dir / "june.slt", "--settings", dir / "rules.INI"})["ControlSignals"].size(), 1u);
  testutil::WriteFile(dir / "off.INI", "[ControlRules]\r\nRule1=0\r\nRule2=0\r\n");
  EXPECT_TRUE(Stats(dir, {dir / "june.slt", "--settings=" + dir / "off.INI"})["ControlSignals"].empty());
  // A missing settings file means the defaults.
  EXPECT_EQ(Stats(dir, {dir / "june.slt", "--settings", dir / "missing.INI"})["ControlSignals"].size(), 2u);

  // Fewer than five subgroups: no chart, no signals, no within figures.
  ASSERT_TRUE(SaveToFile(dir / "four.slt", May(4)));
  const cli::Json four = Stats(dir, {dir / "four.slt", "--settings", dir / "none.INI"});
  EXPECT_EQ(four["ControlChart"], nullptr);
  EXPECT_TRUE(four["ControlSignals"].empty());
  EXPECT_EQ(four["Capability"]["CpWithin"], nullptr);

  // import takes stats output back.
  testutil::WriteFile(dir / "stats.json", Cli(dir, {"stats", dir / "june.slt"}).out);
  const Result imported = Cli(dir, {"import", dir / "stats.json", dir / "again.slt"});
  EXPECT_EQ(imported.code, 0) << imported.err;
  EXPECT_EQ(testutil::ReadFile(dir / "again.slt"), testutil::ReadFile(dir / "june.slt"));
}

TEST(CliControlChart, ReferenceMonthsGivenOrFoundInTheFolder) {
  TempDir dir;
  ASSERT_TRUE(SaveToFile(dir / "june.slt", June()));
  ASSERT_TRUE(SaveToFile(dir / "may.slt", May(5)));
  ASSERT_TRUE(SaveToFile(dir / "other.slt", May(5, "第二工場")));
  testutil::WriteFile(dir / "none.INI", "");

  // X̿ = 18.50 from May: days 1-9 lie on the centre line, day 10 beyond.
  const cli::Json j =
      Stats(dir, {dir / "june.slt", "--reference", dir / "may.slt", "--settings", dir / "none.INI"});
  EXPECT_NEAR(j["ControlChart"]["Center"].get<double>(), 18.5, 1e-12);
  EXPECT_EQ(j["ControlChart"]["Subgroups"], 10);
  EXPECT_EQ(j["ControlChart"]["Reference"], cli::Json::parse(R"({"Months": ["2026-05"], "Subgroups": 5})"));
  EXPECT_EQ(j["ControlSignals"].size(), 1u);

  Result r = Cli(dir, {"stats", dir / "june.slt", "--reference", dir / "other.slt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("基準月の工場が違います"), std::string::npos) << r.err;

  // The settings' ReferenceMonths search the file's folder (other plants
  // are passed over); too few subgroups fall back to the month's own.
  testutil::WriteFile(dir / "ref.INI", "[ControlRules]\r\nReferenceMonths=3\r\n");
  const cli::Json found = Stats(dir, {dir / "june.slt", "--settings", dir / "ref.INI"});
  EXPECT_EQ(found["ControlChart"]["Reference"],
            cli::Json::parse(R"({"Months": ["2026-05"], "Subgroups": 5})"));
  ASSERT_TRUE(SaveToFile(dir / "may.slt", May(4)));
  const cli::Json few = Stats(dir, {dir / "june.slt", "--settings", dir / "ref.INI"});
  EXPECT_EQ(few["ControlChart"]["Reference"], nullptr);
  EXPECT_NEAR(few["ControlChart"]["Center"].get<double>(), 19.1, 1e-12);
}
