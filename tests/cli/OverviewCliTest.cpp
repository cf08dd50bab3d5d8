// kestrin-cli overview end to end: JSON, CSV and the exit codes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>

#include <nlohmann/json.hpp>

#include "core/DataFile.h"
#include "core/StrengthFile.h"
#include "tests/cli/RunCli.h"
#include "tests/core/MonthBuilder.h"
#include "tests/core/StrengthBuilder.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::TempDir;
using testutil::Cli;
using testutil::Result;

namespace {

void SaveMonth(const std::string& path, const std::string& plantUtf8, int32_t month,
               const std::vector<int32_t>& values) {
  ASSERT_TRUE(SaveToFile(path, testutil::MonthWithValues(values, PackDate(2025, month, 1), plantUtf8)));
}

}  // namespace

TEST(OverviewCli, JsonListsMonthsPlantsAndFailuresWithExitCodeOneOnAnyFailure) {
  TempDir dir;
  ASSERT_EQ(::mkdir((dir / "y").c_str(), 0700), 0);
  SaveMonth(dir / "y/a.slt", "北工場", 5, {1800, 1900, 2300});
  SaveMonth(dir / "y/b.SLT", "南工場", 4, {1700, 1750});
  Result r = Cli(dir, {"overview", dir / "y"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  auto j = nlohmann::ordered_json::parse(r.out);
  ASSERT_EQ(j["Months"].size(), 2u);
  EXPECT_EQ(j["Months"][0]["Kojo"], "南工場");
  EXPECT_EQ(j["Months"][0]["File"], dir / "y/b.SLT");
  const auto& m = j["Months"][1];
  std::vector<std::string> keys;
  for (auto it = m.begin(); it != m.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"File", "Getsudo", "Kojo", "KariAveX", "Kyoyo", "Count", "Failed",
                                            "AveX", "Hensa", "Min", "Max", "Cp", "Cpk", "Duplicate",
                                            "ControlSignals"}));
  EXPECT_EQ(m["ControlSignals"], nullptr);  // fewer than five complete days
  EXPECT_EQ(m["Count"], 3);
  EXPECT_EQ(m["Failed"], 1);
  EXPECT_EQ(m["Max"], 2300);
  EXPECT_EQ(m["Duplicate"], false);
  ASSERT_EQ(j["Plants"].size(), 2u);
  EXPECT_EQ(j["Plants"][1]["Months"], 1);
  EXPECT_NEAR(j["Plants"][1]["AveX"].get<double>(), 2000.0, 1e-9);
  EXPECT_NEAR(j["Plants"][1]["Hensa"].get<double>(), std::sqrt(7.0), 1e-9);
  EXPECT_TRUE(j["FailedFiles"].empty());
  // Month files alone: no strength keys at all.
  std::vector<std::string> top;
  for (auto it = j.begin(); it != j.end(); ++it) top.push_back(it.key());
  EXPECT_EQ(top, (std::vector<std::string>{"Months", "Plants", "FailedFiles"}));

  testutil::WriteFile(dir / "y/broken.slt", "SLUMPTES");
  r = Cli(dir, {"overview", dir / "y", dir / "y/missing.slt"});
  EXPECT_EQ(r.code, 1);
  j = nlohmann::ordered_json::parse(r.out);
  EXPECT_EQ(j["Months"].size(), 2u);
  ASSERT_EQ(j["FailedFiles"].size(), 2u);
  EXPECT_EQ(j["FailedFiles"][0]["File"], dir / "y/broken.slt");
  EXPECT_NE(r.err.find("missing.slt：ファイルが見つかりません．"), std::string::npos) << r.err;

  // A name too long is not "not found"; a line break in a name is shown
  // escaped.
  const std::string longName = dir / (std::string(256, 'n') + ".slt");
  testutil::WriteFile(dir / "y/x\rforged.slt", "SLUMPTES");
  r = Cli(dir, {"overview", longName, dir / "y/x\rforged.slt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(longName + "：ファイルを開けません（名前が長すぎます）．\n"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find(dir / "y/x\\rforged.slt：ファイルのロードに失敗しました．"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find('\r'), std::string::npos);
  ::unlink((dir / "y/x\rforged.slt").c_str());

  // An empty folder: a clear message and exit code 1.
  ASSERT_EQ(::mkdir((dir / "empty").c_str(), 0700), 0);
  r = Cli(dir, {"overview", dir / "empty"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("フォルダに月度データファイル（.slt）も強度試験データ（.kst）もありません"),
            std::string::npos)
      << r.err;
}

TEST(OverviewCli, CsvIsUtf8WithByteOrderMarkAndSafeTexts) {
  TempDir dir;
  SaveMonth(dir / "a.slt", "=1+1工場", 6, {1800});
  SaveMonth(dir / "b.slt", "=1+1工場", 6, {1850});
  const Result r = Cli(dir, {"overview", "--csv", dir / "a.slt", dir / "b.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("\xEF\xBB\xBF"
                        "File,Getsudo,Kojo,KariAveX,Kyoyo,Count,Failed,AveX,Hensa,"
                        "Min,Max,Cp,Cpk,Duplicate,ControlSignals,Reason\r\n",
                        0),
            0u);
  EXPECT_NE(r.out.find(dir / "a.slt" + ",2025/06,'=1+1工場,1800,200,1,0,"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find(",1800,1800,,,1,,\r\n"), std::string::npos) << r.out;  // Cp empty, duplicate, no limits

  // A month without values has no mean and no deviation: null in the
  // JSON, empty fields in the CSV.
  SaveMonth(dir / "e.slt", "空工場", 9, {});
  const Result e = Cli(dir, {"overview", "--csv", dir / "e.slt"});
  EXPECT_NE(e.out.find(",2025/09,空工場,1800,200,0,0,,,,,,,0,,\r\n"), std::string::npos) << e.out;
  const auto j = nlohmann::ordered_json::parse(Cli(dir, {"overview", dir / "e.slt"}).out);
  EXPECT_TRUE(j["Months"][0]["AveX"].is_null());
  EXPECT_TRUE(j["Months"][0]["Hensa"].is_null());

  // A separator a spreadsheet may split on ("," ";" tab) quotes the whole
  // field, quotes doubled; every leading formula character is neutralised.
  SaveMonth(dir / "c;=6+7.slt", "+SUM(1)", 7, {1800});
  SaveMonth(dir / "d.slt", "北\"A\",B", 8, {1800});
  const Result q = Cli(dir, {"overview", "--csv", dir / "c;=6+7.slt", dir / "d.slt"});
  ASSERT_EQ(q.code, 0) << q.err;
  EXPECT_NE(q.out.find("\r\n\"" + dir / "c;=6+7.slt" + "\",2025/07,'+SUM(1),"), std::string::npos) << q.out;
  EXPECT_NE(q.out.find(",2025/08,\"北\"\"A\"\",B\",1800,"), std::string::npos) << q.out;
}

// Strength logs beside month files: their rows after the months', a plant
// of logs alone not among the month plants, a log that cannot be read
// listed as a month file is.
TEST(OverviewCli, StrengthLogsGiveStrengthRowsInJsonAndCsv) {
  TempDir dir;
  ASSERT_EQ(::mkdir((dir / "y").c_str(), 0700), 0);
  SaveMonth(dir / "y/a.slt", "北工場", 5, {1800, 1900});
  ASSERT_TRUE(SaveStrengthFile(dir / "y/n24.kst",
                               testutil::StrengthLogWith("北工場", 2025, 5, 240, {300, 200, 250})));
  ASSERT_TRUE(SaveStrengthFile(dir / "y/s24.kst",
                               testutil::StrengthLogWith("=南工場", 2025, 6, 225, {250, std::nullopt})));
  testutil::WriteFile(dir / "y/bad.kst", "[]");

  Result r = Cli(dir, {"overview", dir / "y"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(dir / "y/bad.kst："), std::string::npos) << r.err;
  auto j = nlohmann::ordered_json::parse(r.out);
  ASSERT_EQ(j["FailedFiles"].size(), 1u);
  EXPECT_EQ(j["FailedFiles"][0]["File"], dir / "y/bad.kst");
  ASSERT_EQ(j["Plants"].size(), 1u);  // 南 has logs alone
  ASSERT_EQ(j["Strength"].size(), 2u);
  // "=" sorts before 北 in CP932: =南's rows come first.
  const auto& m = j["Strength"][1];
  std::vector<std::string> keys;
  for (auto it = m.begin(); it != m.end(); ++it) keys.push_back(it.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"File", "Getsudo", "Kojo", "Nominal", "Tests", "Count", "Mean",
                                            "Sigma", "Min", "Max", "RequiredMean", "Margin", "FailedTests",
                                            "FailedLots", "Duplicate"}));
  // 30.0 20.0 25.0: mean 25.00, σ 5.00, required max(20.4 + 15, 24 + 8.66) = 35.40.
  EXPECT_EQ(m["File"], dir / "y/n24.kst");
  EXPECT_EQ(m["Getsudo"], PackDate(2025, 5, 1));
  EXPECT_EQ(m["Nominal"], 24.0);
  EXPECT_EQ(m["Count"], 3);
  EXPECT_EQ(m["Mean"], 25.0);
  EXPECT_EQ(m["Sigma"], 5.0);
  EXPECT_EQ(m["Min"], 20.0);
  EXPECT_EQ(m["RequiredMean"], 35.4);
  EXPECT_EQ(m["Margin"], -10.4);
  EXPECT_EQ(m["FailedTests"], 1);
  EXPECT_EQ(m["FailedLots"], 0);
  EXPECT_EQ(j["Strength"][0]["Tests"], 2);
  EXPECT_EQ(j["Strength"][0]["Sigma"], nullptr);
  ASSERT_EQ(j["StrengthPooled"].size(), 2u);
  EXPECT_EQ(j["StrengthPooled"][0]["Kojo"], "=南工場");
  EXPECT_EQ(j["StrengthPooled"][0]["Nominal"], 22.5);
  EXPECT_EQ(j["StrengthPooled"][0]["Months"], 1);

  // CSV: the month block as ever, then the strength block with its own
  // heading; the plant name neutralised.
  r = Cli(dir, {"overview", "--csv", dir / "y"});
  const std::string heading =
      "Kind,File,Getsudo,Kojo,Nominal,Tests,Count,Mean,Sigma,Min,Max,RequiredMean,Margin,FailedTests,"
      "FailedLots,Duplicate\r\n";
  const std::size_t at = r.out.find(heading);
  ASSERT_NE(at, std::string::npos) << r.out;
  EXPECT_LT(r.out.find(dir / "y/bad.kst,,,"), at);  // failures stay in the month block
  EXPECT_EQ(r.out.substr(at + heading.size()),
            "Month," + dir / "y/s24.kst" + ",2025/06,'=南工場,22.5,2,1,25.00,,25.0,25.0,,,0,0,0\r\n" +
                "Pooled,,,'=南工場,22.5,2,1,25.00,,25.0,25.0,,,0,0,\r\n" + "Month," + dir / "y/n24.kst" +
                ",2025/05,北工場,24.0,3,3,25.00,5.00,20.0,30.0,35.40,-10.40,1,0,0\r\n" +
                "Pooled,,,北工場,24.0,3,3,25.00,5.00,20.0,30.0,35.40,-10.40,1,0,\r\n");

  // The printed overview: =南's strength page alone, 北's slump page and
  // then its strength page, then the failure page.
  // (A build without Qt prints no pages.)
  r = Cli(dir, {"overview", dir / "y", "--dpi", "50", "-o", dir / "p.png"});
  if (r.err.find("帳票を出力できません") == std::string::npos) {
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_EQ(r.out, dir / "p-1.png\n" + dir / "p-2.png\n" + dir / "p-3.png\n" + dir / "p-4.png\n");
  }
}

// kestrin-cli as a user without root's exemption from permissions: as
// nobody when the tests run as root.
Result CliAsUser(const TempDir& dir, std::vector<std::string> args) {
  if (::geteuid() != 0) return Cli(dir, std::move(args));
  args.insert(args.begin(), {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", testutil::kCli});
  return testutil::RunProgram(dir, args);
}

TEST(OverviewCli, UnreadableFoldersAreListedWithTheCauseAndExitOne) {
  TempDir dir;
  ASSERT_EQ(::chmod(dir.Path().c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir / "y").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir / "y/locked").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir / "closed").c_str(), 0755), 0);
  SaveMonth(dir / "y/a.slt", "北工場", 5, {1800});
  SaveMonth(dir / "y/locked/b.slt", "北工場", 6, {1800});
  SaveMonth(dir / "closed/c.slt", "北工場", 7, {1800});
  ASSERT_EQ(::chmod((dir / "y/locked").c_str(), 0), 0);
  ASSERT_EQ(::chmod((dir / "closed").c_str(), 0), 0);

  Result r = CliAsUser(dir, {"overview", "--recursive", dir / "y", dir / "closed"});
  EXPECT_EQ(r.code, 1) << r.err;
  auto j = nlohmann::ordered_json::parse(r.out);
  EXPECT_EQ(j["Months"].size(), 1u);
  ASSERT_EQ(j["FailedFiles"].size(), 2u) << r.out;
  EXPECT_EQ(j["FailedFiles"][0]["File"], dir / "y/locked");
  EXPECT_EQ(j["FailedFiles"][0]["Reason"], "フォルダを読み込む権限がありません．");
  EXPECT_EQ(j["FailedFiles"][1]["File"], dir / "closed");
  EXPECT_EQ(j["FailedFiles"][1]["Reason"], "フォルダを読み込む権限がありません．");
  EXPECT_NE(r.err.find(dir / "y/locked" + "：フォルダを読み込む権限がありません．\n"), std::string::npos)
      << r.err;

  r = CliAsUser(dir, {"overview", "--csv", "--recursive", dir / "y"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.out.find("\r\n" + dir / "y/locked" + ",,,,,,,,,,,,,,,フォルダを読み込む権限がありません．\r\n"),
            std::string::npos)
      << r.out;

  // Without --recursive the subfolder is not asked for.
  r = CliAsUser(dir, {"overview", dir / "y"});
  EXPECT_EQ(r.code, 0) << r.err;
  ASSERT_EQ(::chmod((dir / "y/locked").c_str(), 0700), 0);
  ASSERT_EQ(::chmod((dir / "closed").c_str(), 0700), 0);
}

TEST(OverviewCli, UsageErrorsExitWithTwo) {
  TempDir dir;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"overview"},
           {"overview", "--bogus", "x.slt"},
           {"overview", "x.slt", "--csv", "-o", "out.pdf"},
           {"overview", "x.slt", "-o", "out.txt"},
           {"overview", "x.slt", "--dpi", "0", "-o", "out.pdf"},
           {"overview", "x.slt", "-o"}}) {
    const Result r = Cli(dir, args);
    EXPECT_EQ(r.code, 2) << args.back();
    EXPECT_EQ(r.out, "");
  }
}
