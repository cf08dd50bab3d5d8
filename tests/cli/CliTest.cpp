// kestrin-cli end to end: the real binary is run with its output captured.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include "ControlJson.h"
#include "RecordJson.h"
#include "core/DataFile.h"
#include "core/Version.h"
#include "tests/cli/RunCli.h"
#include "tests/core/SltBuilder.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::TempDir;
using testutil::Cli;
using testutil::kCli;
using testutil::Result;
using testutil::RunProgram;

namespace {

const std::string kExamples = std::string(KESTRIN_SOURCE_DIR) + "/examples";
const std::string kLoadFailedLine = "ファイルのロードに失敗しました．\n";
const std::string kSaveFailedLine = "ファイルのセーブに失敗しました．\n";

// What the program itself makes of a file: reset, load, recompute.
TMainData LoadedAndCalculated(const std::string& path, bool* ok = nullptr) {
  TMainData d;
  d.ClearLists();
  d.Clear();
  const bool loaded = static_cast<bool>(LoadFromFile(path, d));
  if (ok) *ok = loaded;
  d.Calculate();
  return d;
}

cli::Json ParseJson(const std::string& text) { return cli::Json::parse(text); }

}  // namespace

TEST(CliUsage, HelpAndUsageErrors) {
  TempDir dir;
  Result r = Cli(dir, {"--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("使い方: kestrin-cli"), std::string::npos);
  for (const char* c : {"stats FILE.slt", "resave IN.slt OUT.slt", "import IN.json OUT.slt"})
    EXPECT_NE(r.out.find(c), std::string::npos) << c;
  EXPECT_EQ(r.err, "");

  r = Cli(dir, {"stats", "--help"});
  EXPECT_EQ(r.code, 0);
  EXPECT_NE(r.out.find("使い方: kestrin-cli stats FILE.slt"), std::string::npos);

  r = Cli(dir, {});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("コマンドが指定されていません．"), std::string::npos);

  r = Cli(dir, {"nosuchcommand", "x.slt"});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("不明なコマンドです：nosuchcommand\n"), std::string::npos) << r.err;

  // An unknown word before a command is not skipped over.
  r = Cli(dir, {"foo", "stats", "x.slt"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err.rfind("不明なコマンドです：foo\n", 0), 0u) << r.err;
  // The nearest command up to two edits away is suggested.
  r = Cli(dir, {"stat", "x.slt"});
  EXPECT_EQ(r.code, 2);
  EXPECT_EQ(r.err.rfind("不明なコマンドです：stat（stats のことですか？）\n", 0), 0u) << r.err;
  r = Cli(dir, {"sta"});
  EXPECT_EQ(r.err.rfind("不明なコマンドです：sta（stats のことですか？）\n", 0), 0u) << r.err;
  r = Cli(dir, {"st"});
  EXPECT_EQ(r.err.rfind("不明なコマンドです：st\n", 0), 0u) << r.err;
  r = Cli(dir, {"--version"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, std::string("kestrin-cli ") + kVersionText + "\n");
  EXPECT_EQ(r.err, "");

  for (const auto& args : std::vector<std::vector<std::string>>{
           {"stats"}, {"stats", "a", "b"}, {"resave", "a"}, {"import", "a", "b", "c"}}) {
    r = Cli(dir, args);
    EXPECT_EQ(r.code, 2) << args[0];
    EXPECT_NE(r.err.find("引数の数が正しくありません．"), std::string::npos);
    EXPECT_EQ(r.out, "");
  }
}

TEST(CliStats, ExampleMonthAsJson) {
  TempDir dir;
  const Result r = Cli(dir, {"stats", kExamples + "/sample-month.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const cli::Json j = ParseJson(r.out);
  EXPECT_EQ(j["BasicInfo"]["Kojo"], "東京第一工場");
  EXPECT_EQ(j["BasicInfo"]["Cement"]["Name"], "普通");
  EXPECT_EQ(j["BasicInfo"]["Kyoyo"], 250);
  EXPECT_EQ(j["SlumpList"].size(), 30u);
  EXPECT_EQ(j["HistogramList"].size(), 13u);  // 250 div 50 x 2 + 3
  // The record's JSON, then the X̄–R chart's keys (default rules).
  const TMainData d = LoadedAndCalculated(kExamples + "/sample-month.slt");
  cli::Json expected = cli::MainDataToJson(d);
  cli::AddControlChartJson(expected, d, ComputeControlChart(d, {}));
  EXPECT_EQ(j, expected);
}

// A file made byte by byte from the layout alone: the worked example of the
// class table (18.0, 18.5, 17.5, 19.0, 18.0, 16.0, blank, 20.5 with target
// 18.0 +- 2.0 cm and width 0.5) in March 2026, with judgements, class rows
// and totals left as zeros by the "other tool". stats must show the program's
// own computation.
TEST(CliStats, HandMadeFileGivesTheProgramsFigures) {
  TempDir dir;
  slt::Bytes e;
  e.Raw("SLUMPTES").I32(211).Raw("SLT ");
  e.I32(slt::Packed(2026, 3, 1));
  e.Str(Sjis("手作り工場")).Str(Sjis("検査員")).Str("");
  e.Ext(0.5).I32(1800).I32(200);
  e.Cur(240000).Cur(200000).Cur(45000).Cur(15000);
  e.Str(Sjis("早強")).Str("H");
  const int32_t values[8] = {1800, 1850, 1750, 1900, 1800, 1600, 0, 2050};
  e.I32(31);
  for (int32_t day = 1; day <= 31; ++day) {
    e.I32(day).I32(2);
    for (int k = 0; k < 2; ++k) {
      const int i = (day - 1) * 2 + k;
      e.I32(i < 8 ? values[i] : 0).Bool(false);
    }
  }
  e.I32(11);
  for (int r = 0; r < 11; ++r) e.I32(0).I32(0).I32(0).I32(0).I32(0);
  e.I32(0).I32(0).I32(0).I32(0).Ext(0).I32(0).I32(0);
  ASSERT_EQ(e.Size(), 915u + 10 + 6 + 4 + 1);  // the default size plus the text bytes
  testutil::WriteFile(dir / "hand.slt", e.Str());

  const Result r = Cli(dir, {"stats", dir / "hand.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  const cli::Json j = ParseJson(r.out);
  const cli::Json& c = j["CalcedResult"];
  EXPECT_EQ(c["SumF"], 7);
  EXPECT_EQ(c["SumUF"], 3);
  EXPECT_EQ(c["SumU2F"], 47);
  EXPECT_EQ(c["AveX"], 1821);
  EXPECT_NEAR(c["Hensa"].get<double>(), std::sqrt((47.0 - 9.0 / 7.0) / 6.0) * 0.5, 1e-12);
  EXPECT_EQ(j["HistogramList"][0]["Lower"], 1525);
  EXPECT_EQ(j["HistogramList"][10]["Upper"], 2075);
  EXPECT_EQ(j["HistogramList"][1]["F"], 1);
  EXPECT_EQ(j["SlumpList"][2]["SokuteiList"][1]["Value"], 1600);  // on the lower limit: passes
  EXPECT_EQ(j["SlumpList"][2]["SokuteiList"][1]["Judge"], true);
  EXPECT_EQ(j["SlumpList"][3]["SokuteiList"][1]["Value"], 2050);  // beyond 20.0: fails
  EXPECT_EQ(j["SlumpList"][3]["SokuteiList"][1]["Judge"], false);
  EXPECT_EQ(j["SlumpList"][3]["SokuteiList"][0]["Judge"], false);  // blank
  EXPECT_EQ(j["BasicInfo"]["Kojo"], "手作り工場");
  EXPECT_EQ(j["BasicInfo"]["Kyodo"], 24.0);
  EXPECT_EQ(j["BasicInfo"]["Cement"]["Mark"], "H");
  EXPECT_EQ(j["BasicInfo"]["StartDay"], 1);
  EXPECT_EQ(j["BasicInfo"]["EndDay"], 31);

  // And the same as entering the values in the program itself.
  TMainData own;
  own.BasicInfo.Getsudo = PackDate(2026, 3, 1);
  own.MakeSlumpList();
  own.MakeHistogramList();
  for (int i = 0; i < 8; ++i) own.SlumpList.Items(i / 2).SokuteiList.Items(i % 2).Value = values[i];
  own.Calculate();
  EXPECT_EQ(j["CalcedResult"], cli::MainDataToJson(own)["CalcedResult"]);
  EXPECT_EQ(j["HistogramList"], cli::MainDataToJson(own)["HistogramList"]);
  EXPECT_EQ(j["SlumpList"], cli::MainDataToJson(own)["SlumpList"]);
}

TEST(CliStats, CapabilityAndSignals) {
  TempDir dir;
  // Nine equal values above the target: one class (sigma 0, no capability)
  // and one run from June 1 AM to June 5 AM.
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2026, 6, 1);
  d.MakeSlumpList();
  d.MakeHistogramList();
  for (int i = 0; i < 9; ++i) d.SlumpList.Items(i / 2).SokuteiList.Items(i % 2).Value = 1850;
  d.Calculate();
  ASSERT_TRUE(SaveToFile(dir / "run.slt", d));
  Result r = Cli(dir, {"stats", dir / "run.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  cli::Json j = ParseJson(r.out);
  EXPECT_EQ(j["Capability"]["Cp"], nullptr);
  EXPECT_EQ(j["Capability"]["Cpk"], nullptr);
  EXPECT_EQ(j["Signals"], cli::Json::parse(R"([{"Rule": "Run", "Side": "Above",
      "From": {"Day": 1, "Time": "AM"}, "To": {"Day": 5, "Time": "AM"}, "Count": 9}])"));

  r = Cli(dir, {"stats", kExamples + "/sample-month.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  j = ParseJson(r.out);
  EXPECT_TRUE(j["Capability"]["Cp"].is_number());
  EXPECT_TRUE(j["Capability"]["Cpk"].is_number());
  EXPECT_TRUE(j["Signals"].is_array());
}

TEST(CliStats, LoadFailures) {
  TempDir dir;
  const std::string good = testutil::ReadFile(kExamples + "/sample-month.slt");
  testutil::WriteFile(dir / "cut.slt", good.substr(0, good.size() - 1));
  testutil::WriteFile(dir / "text.slt", "not a data file at all, just some text\n");
  ASSERT_EQ(::mkfifo((dir / "pipe.slt").c_str(), 0644), 0);
  // The fixed message, then the file and the cause on a second line. A
  // pipe fails at once instead of waiting for a writer.
  const std::pair<std::string, std::string> cases[] = {
      {dir / "missing.slt", "開けません（ファイルまたはフォルダがありません）"},
      {dir / "cut.slt", "終了日を読み込めません"},
      {dir / "text.slt", "工場名を読み込めません"},
      {dir.Path(), "通常のファイルではありません（フォルダです）"},
      {dir / "pipe.slt", "通常のファイルではありません（名前付きパイプ（FIFO）です）"},
      {dir / (std::string(256, 'n') + ".slt"), "開けません（名前が長すぎます）"}};
  for (const auto& [path, cause] : cases) {
    const Result r = Cli(dir, {"stats", path});
    EXPECT_EQ(r.code, 1) << path;
    EXPECT_EQ(r.err, kLoadFailedLine + path + ": " + cause + "\n") << path;
    EXPECT_EQ(r.out, "") << path;
  }
  // A name with a line break and a terminal escape cannot forge a line of
  // the message: both are shown escaped.
  testutil::WriteFile(dir / "a\nkestrin: saved\x1b[1m.slt", "text");
  const Result r = Cli(dir, {"stats", dir / "a\nkestrin: saved\x1b[1m.slt"});
  EXPECT_EQ(r.err, kLoadFailedLine + dir / "a\\nkestrin: saved\\x1B[1m.slt" + ": ヘッダを読み込めません\n");
}

TEST(CliResave, OldLayoutBecomesTheCurrentOne) {
  TempDir dir;
  slt::Bytes e;
  e.Raw("SLUMPTES").Raw("0100").Raw("SLT ");
  e.I32(slt::Packed(2005, 2, 1)).I32(1800).I32(200).I32(3);
  e.I32(1).I32(1800).I32(1850).I32(1).I32(1);
  e.I32(2).I32(1500).I32(0).I32(0).I32(0);
  e.I32(40).I32(1900).I32(1900).I32(1).I32(1);
  e.Zeros(1000 - 60).Ext(0.5).Zeros(30);
  testutil::WriteFile(dir / "old.slt", e.Str());

  const Result r = Cli(dir, {"resave", dir / "old.slt", dir / "new.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "");
  const std::string written = testutil::ReadFile(dir / "new.slt");
  EXPECT_EQ(written.size(), 861u);
  EXPECT_EQ(written.substr(0, 16), std::string("SLUMPTES\xD3\x00\x00\x00SLT ", 16));
  EXPECT_EQ(written, MainDataBytes(LoadedAndCalculated(dir / "old.slt")));
  bool ok = false;
  const TMainData back = LoadedAndCalculated(dir / "new.slt", &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(back.SlumpList.Items(0).SokuteiList.Items(1).Value, 1850);
  EXPECT_EQ(back.CalcedResult.SumF, 3);
}

TEST(CliResave, FailuresKeepTheOldFile) {
  TempDir dir;
  const std::string in = kExamples + "/sample-month.slt";
  Result r = Cli(dir, {"resave", dir / "missing.slt", dir / "out.slt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err,
            kLoadFailedLine + dir / "missing.slt" + ": 開けません（ファイルまたはフォルダがありません）\n");
  EXPECT_FALSE(testutil::Exists(dir / "out.slt"));

  r = Cli(dir, {"resave", in, dir / "no/such/folder/out.slt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, kSaveFailedLine + dir / "no/such/folder/out.slt" +
                       ": 保存先のフォルダを開けません（ファイルまたはフォルダがありません）\n");

  // A file-size limit below the new file's size: the write fails half-way;
  // the old file must stay byte for byte and no temporary file may remain.
  if (::system("command -v prlimit >/dev/null 2>&1") != 0) GTEST_SKIP() << "prlimit missing";
  const std::string old = std::string(900, 'o');
  testutil::WriteFile(dir / "out.slt", old);
  r = RunProgram(dir, {"prlimit", "--fsize=500", kCli, "resave", in, dir / "out.slt"});
  EXPECT_EQ(r.code, 1) << r.err;
  EXPECT_EQ(r.err,
            kSaveFailedLine + dir / "out.slt" + ": 書き込みに失敗しました（ファイルサイズの上限を超えました）\n");
  EXPECT_EQ(testutil::ReadFile(dir / "out.slt"), old);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.slt"});
}

TEST(CliImport, ExampleJsonGivesTheCommittedExampleFile) {
  TempDir dir;
  Result r = Cli(dir, {"import", kExamples + "/sample-month.json", dir / "m.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out + r.err, "");
  const std::string made = testutil::ReadFile(dir / "m.slt");
  EXPECT_EQ(made, testutil::ReadFile(kExamples + "/sample-month.slt"))
      << "examples/sample-month.slt is out of date: re-run the import";

  // stats -> import gives the same file again.
  r = Cli(dir, {"stats", dir / "m.slt"});
  ASSERT_EQ(r.code, 0);
  testutil::WriteFile(dir / "stats.json", r.out);
  r = Cli(dir, {"import", dir / "stats.json", dir / "again.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(testutil::ReadFile(dir / "again.slt"), made);
}

TEST(CliImport, RejectedInputWritesNothing) {
  TempDir dir;
  testutil::WriteFile(dir / "keep.slt", "previous");
  struct Case {
    std::string json;
    std::string message;
  };
  const Case cases[] = {
      {"{\"BasicInfo\": {\"Getsudo\": 132711937,", "JSON の形式が正しくありません"},
      {"{\"BasicInfo\": {\"Getsudo\": 132711937, \"Kyoyo\": \"2.0\"}}",
       "項目 BasicInfo.Kyoyo の型が正しくありません（整数が必要です）．"},
      {"{\"BasicInfo\": {\"Getsudo\": 132711937, \"Biko\": \"雨 ☔\"}}",
       "項目 BasicInfo.Biko に Shift-JIS（CP932）で表せない文字があります：「☔」．"},
      {"{\"BasicInfo\": {\"Getsudo\": 132711937}, \"SlumpList\": [{\"Day\": 1, \"SokuteiList\": "
       "[{\"Value\": 1800}, {\"Value\": 10000}]}]}",
       "項目 SlumpList[0].SokuteiList[1].Value の値が範囲外です（0～9990）．"},
      {"{\"BasicInfo\": {\"Getsudo\": 132711937}, \"SlumpList\": [{\"Day\": 0, \"SokuteiList\": "
       "[{\"Value\": 1800}, {\"Value\": 1800}]}]}",
       "項目 SlumpList[0].Day の値が範囲外です（1～30）．"},
      {"{\"BasicInfo\": {\"Getsudo\": 1e400}}", "項目 BasicInfo.Getsudo の数値が大きすぎます"},
      {std::string("{\"BasicInfo\": {\"Getsudo\": 132711937}}\0junk", 42), "NUL バイトがあります（38 バイト目）"},
  };
  for (const auto& c : cases) {
    testutil::WriteFile(dir / "in.json", c.json);
    for (const std::string& out : {dir / "keep.slt", dir / "new.slt"}) {
      const Result r = Cli(dir, {"import", dir / "in.json", out});
      EXPECT_EQ(r.code, 1) << c.json;
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      EXPECT_EQ(r.out, "");
    }
    EXPECT_EQ(testutil::ReadFile(dir / "keep.slt"), "previous");
    EXPECT_FALSE(testutil::Exists(dir / "new.slt"));
  }
  const Result r = Cli(dir, {"import", dir / "none.json", dir / "new.slt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("JSON ファイルを開けません"), std::string::npos);
}

// Each kind of argument refuses a bad use with exit code 2, a message that
// names what is wrong and the command's usage; nothing is read or written.
// Options take their value as "--name value" and "--name=value" alike.
TEST(CliUsage, EachKindOfArgumentRefusesBadUse) {
  TempDir dir;
  const std::string help = Cli(dir, {"--help"}).out;
  const bool drawing = help.find("  sheets ") != std::string::npos;
  struct Case {
    std::vector<std::string> args;
    std::string message;
    bool needsDrawing = false;
  };
  const std::string missing = dir / "missing.slt";
  const std::vector<Case> cases = {
      {{"resave", missing}, "引数の数が正しくありません．OUT.slt を指定してください．"},
      {{"stats", missing, "b"}, "引数の数が正しくありません．FILE.slt は一つだけ指定してください：b"},
      {{"resave", "a", "b", "c"}, "引数の数が正しくありません．余分な引数です：c"},
      {{"stats", "--colour", missing}, "不明なオプションです：--colour"},
      {{"export", missing, "--calc=maybe"}, "--calc は値を取りません．"},
      {{"sheets", missing, "-o"}, "-o, --output の値がありません．", true},
      {{"sheets", missing, "--dpi"}, "--dpi の値がありません．", true},
      {{"sheets", missing}, "-o OUT.pdf|png を指定してください．", true},
      {{"sheets", missing, "-o", "a.pdf", "--sheet", "both"},
       "--sheet には all，table，xchart，xbar-r のいずれかを指定してください：both", true},
      {{"sheets", missing, "-o", "a.pdf", "--dpi=49"}, "--dpi には 50 から 2400 までの整数を指定してください：49", true},
      {{"sheets", missing, "-o", "a.pdf", "--dpi", "3e2"}, "--dpi には 50 から 2400", true},
      {{"chart", "pie", missing, "-o", "a.png"}, "グラフの種類は xchart か histogram で指定してください：pie", true},
      {{"chart", "xchart", missing, "-o", "a.png", "--size=400"}, "大きさは 幅x高さ（各 1～4096 ピクセル）で指定してください：400",
       true},
      {{"chart", "xchart", missing, "--output="}, "-o, --output の値がありません．", true},
      {{"chart", "xchart", missing, "-o", ""}, "出力ファイル名を指定してください", true},
  };
  for (const Case& c : cases) {
    if (c.needsDrawing && !drawing) continue;
    SCOPED_TRACE(c.args[0] + " " + c.args.back());
    const Result r = Cli(dir, c.args);
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("使い方: kestrin-cli " + c.args[0]), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }

  // Well-formed options in both forms get as far as loading the file.
  std::vector<std::vector<std::string>> good = {{"export", missing, "--calc"}};
  if (drawing) {
    good.push_back({"sheets", missing, "--output=a.pdf", "--sheet=table", "--dpi=50"});
    good.push_back({"sheets", missing, "-o", "a.png", "--sheet", "xchart", "--dpi", "600", "--settings", "x.ini"});
    good.push_back({"chart", "histogram", missing, "--output", "a.png", "--size=1x4096"});
  }
  for (const auto& args : good) {
    const Result r = Cli(dir, args);
    EXPECT_EQ(r.code, 1) << args[0] << ": " << r.err;
    EXPECT_EQ(r.err.find("ファイルのロードに失敗しました．"), 0u) << args[0];
  }
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{});
}
