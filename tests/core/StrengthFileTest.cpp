// The strength log's file: the documented example reads, a written log
// reads back and writes again byte for byte, and every hostile input is
// refused with the field and the reason.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "TempDir.h"
#include "core/ReadFile.h"
#include "core/StrengthFile.h"
#include "core/StrictJson.h"

using namespace kestrin;

namespace {

const char kExample[] =
    R"({"Format": "Kestrin.StrengthLog", "Version": 1, "Plant": "東京第一工場", "Month": "2025-06",
 "Mix": {"NominalStrength": 24, "Slump": 18.0, "SlumpTolerance": 2.5, "Air": 4.5, "AirTolerance": 1.5,
         "Aggregate": 20, "Cement": "普通", "Symbol": "N"},
 "Tests": [{"Day": 3, "Time": "10:15", "Truck": "12", "Slump": 18.5, "Air": 4.6, "Temperature": 22.5,
            "Chloride": 0.04, "Strength7": [19.8, 20.3, 20.1], "Strength28": [30.2, 29.8, 31.0], "Remarks": ""}]})";

}  // namespace

TEST(StrengthFile, TheDocumentedExampleReadsIntoExactDecimals) {
  TStrengthLog log;
  ASSERT_TRUE(StrengthLogFromText(kExample, log));
  EXPECT_EQ(log.Plant, "東京第一工場");
  EXPECT_EQ(log.Year, 2025);
  EXPECT_EQ(log.Month, 6);
  EXPECT_EQ(log.Mix, (TStrengthMix{240, 180, 25, 45, 15, 20, "普通", "N"}));
  ASSERT_EQ(log.Tests.size(), 1u);
  const TStrengthTest& t = log.Tests[0];
  EXPECT_EQ(t.Day, 3);
  EXPECT_EQ(t.Time, "10:15");
  EXPECT_EQ(t.Truck, "12");
  EXPECT_EQ(t.Slump, 185);
  EXPECT_EQ(t.Air, 46);
  EXPECT_EQ(t.Temperature, 225);
  EXPECT_EQ(t.Chloride, 4);
  EXPECT_EQ(t.Strength7, (TSpecimens{198, 203, 201}));
  EXPECT_EQ(t.Strength28, (TSpecimens{302, 298, 310}));
}

TEST(StrengthFile, WrittenLogReadsBackAndWritesAgainByteForByte) {
  TStrengthLog log;
  log.Plant = "北\"工場\\";
  log.Year = 2024;
  log.Month = 2;
  log.Mix.NominalStrength = 45;  // a flexural 4.5
  log.Mix.Air = 0;
  TStrengthTest full;
  full.Day = 29;  // leap year
  full.Time = "07:05";
  full.Truck = "伝票 0012";
  full.Slump = 300;
  full.Air = 200;
  full.Temperature = -100;
  full.Chloride = 30;
  full.Strength7 = TSpecimens{1, 2000, 333};
  full.Strength28 = TSpecimens{300, 301, 299};
  full.Remarks = "再試験";
  TStrengthTest curing;  // nothing optional
  log.Tests = {full, curing};

  const std::string text = StrengthLogText(log);
  TStrengthLog back;
  ASSERT_TRUE(StrengthLogFromText(text, back)) << StrengthLogFromText(text, back).Message();
  EXPECT_EQ(back, log);
  EXPECT_EQ(StrengthLogText(back), text);
  EXPECT_NE(text.find("\"NominalStrength\": 4.5"), std::string::npos);
  EXPECT_NE(text.find("\"Chloride\": 0.3"), std::string::npos);

  // Through the files: save, load, save again.
  testutil::TempDir dir;
  ASSERT_TRUE(SaveStrengthFile(dir / "a.kst", log));
  TStrengthLog loaded;
  ASSERT_TRUE(LoadStrengthFile(dir / "a.kst", loaded));
  ASSERT_TRUE(SaveStrengthFile(dir / "b.kst", loaded));
  EXPECT_EQ(testutil::ReadFile(dir / "a.kst"), testutil::ReadFile(dir / "b.kst"));
  EXPECT_EQ(testutil::ReadFile(dir / "a.kst"), text);

  // The issue's whole-number strength reads as 24.0 and writes as 24.
  ASSERT_TRUE(StrengthLogFromText(kExample, back));
  EXPECT_NE(StrengthLogText(back).find("\"NominalStrength\": 24,"), std::string::npos);
}

TEST(StrengthFile, SaveRefusesALogTheReaderWouldRefuseAndWritesNothing) {
  testutil::TempDir dir;
  TStrengthLog log;
  log.Month = 6;
  log.Tests.resize(1);
  log.Tests[0].Day = 31;  // June has 30 days
  const TFileResult r = SaveStrengthFile(dir / "x.kst", log);
  EXPECT_FALSE(r);
  EXPECT_NE(r.Step.find("Tests[0].Day"), std::string::npos) << r.Step;
  log.Tests[0].Day = 30;
  log.Tests[0].Remarks = "\xFF";  // not UTF-8
  EXPECT_FALSE(SaveStrengthFile(dir / "x.kst", log));
  EXPECT_TRUE(dir.Entries().empty());
}

// Each case edits the example and names the field and the reason the
// reader must give; an empty field means the case is accepted.
TEST(StrengthFile, ReaderRefusesEachBadFieldNamingItsPathAndReason) {
  struct TCase {
    std::function<void(TJson&)> edit;
    const char* field;
    const char* message;  // a part of the message
  };
  auto test = [](TJson& j) -> TJson& { return j["Tests"][0]; };
  const TCase cases[] = {
      {[&](TJson& j) { test(j)["Strength28"][1] = 0.0; }, "Tests[0].Strength28[1]",
       "項目 Tests[0].Strength28[1] の値が範囲外です（0.1～200）．"},
      {[&](TJson& j) { test(j)["Strength28"][1] = 0.1; }, "", ""},
      {[&](TJson& j) { test(j)["Strength28"][1] = 200.1; }, "Tests[0].Strength28[1]", "範囲外"},
      {[&](TJson& j) { test(j)["Strength28"][1] = 200; }, "", ""},
      {[&](TJson& j) {
         test(j)["Strength28"] = {30.0, 30.0};
       },
       "Tests[0].Strength28", "3 本"},
      {[&](TJson& j) { test(j)["Strength28"] = nullptr; }, "", ""},
      {[&](TJson& j) { test(j)["Strength7"][0] = "20"; }, "Tests[0].Strength7[0]", "数値が必要"},
      {[&](TJson& j) { test(j)["Slump"] = 18.55; }, "Tests[0].Slump", "小数は 1 桁まで"},
      {[&](TJson& j) { test(j)["Slump"] = 30.0; }, "", ""},
      {[&](TJson& j) { test(j)["Slump"] = 30.1; }, "Tests[0].Slump", "（0～30）"},
      {[&](TJson& j) { test(j).erase("Slump"); }, "Tests[0].Slump", "ありません"},
      {[&](TJson& j) { test(j)["Air"] = 20.1; }, "Tests[0].Air", "（0～20）"},
      {[&](TJson& j) { test(j)["Temperature"] = -10.0; }, "", ""},
      {[&](TJson& j) { test(j)["Temperature"] = -10.1; }, "Tests[0].Temperature", "（-10～60）"},
      {[&](TJson& j) { test(j)["Temperature"] = 60.1; }, "Tests[0].Temperature", "範囲外"},
      {[&](TJson& j) { test(j)["Chloride"] = 0.035; }, "Tests[0].Chloride", "小数は 2 桁まで"},
      {[&](TJson& j) { test(j)["Chloride"] = 5.01; }, "Tests[0].Chloride", "（0～5）"},
      {[&](TJson& j) { test(j)["Day"] = 30; }, "", ""},
      {[&](TJson& j) { test(j)["Day"] = 31; }, "Tests[0].Day", "（1～30）"},
      {[&](TJson& j) { test(j)["Day"] = 0; }, "Tests[0].Day", "範囲外"},
      {[&](TJson& j) { test(j)["Time"] = "24:00"; }, "Tests[0].Time", "00:00～23:59"},
      {[&](TJson& j) { test(j)["Time"] = "23:60"; }, "Tests[0].Time", "時:分"},
      {[&](TJson& j) { test(j)["Time"] = "23:59"; }, "", ""},
      {[&](TJson& j) { test(j)["Truck"] = std::string(21, '1'); }, "Tests[0].Truck", "20 文字まで"},
      {[&](TJson& j) { test(j)["Remarks"] = "a\tb"; }, "Tests[0].Remarks", "制御文字"},
      {[&](TJson& j) { test(j)["Strength"] = 1; }, "Tests[0].Strength", "不明な項目"},
      {[&](TJson& j) { j["Mix"]["NominalStrength"] = 0.9; }, "Mix.NominalStrength", "（1～150）"},
      {[&](TJson& j) { j["Mix"]["NominalStrength"] = 150.0; }, "", ""},
      {[&](TJson& j) { j["Mix"]["NominalStrength"] = 150.1; }, "Mix.NominalStrength", "範囲外"},
      {[&](TJson& j) { j["Mix"].erase("Aggregate"); }, "Mix.Aggregate", "ありません"},
      {[&](TJson& j) { j["Mix"]["Colour"] = "grey"; }, "Mix.Colour", "不明な項目"},
      {[&](TJson& j) { j["Month"] = "2025-13"; }, "Month", "年-月"},
      {[&](TJson& j) {
         j["Month"] = "2024-02";
         test(j)["Day"] = 29;
       },
       "", ""},
      {[&](TJson& j) {
         j["Month"] = "2025-02";
         test(j)["Day"] = 29;
       },
       "Tests[0].Day", "（1～28）"},
      {[&](TJson& j) { j["Format"] = "Kestrin.Month"; }, "Format", "強度試験ファイルではありません"},
      {[&](TJson& j) { j["Version"] = 2; }, "Version", "新しい版の Kestrin で保存されています（Version 2）"},
      {[&](TJson& j) { j["Version"] = 0; }, "Version", "範囲外"},
      {[&](TJson& j) { j["Extra"] = true; }, "Extra", "不明な項目"},
      {[&](TJson& j) { j["Tests"] = TJson::array(); }, "", ""},
      {[&](TJson& j) { j["Tests"] = TJson::object(); }, "Tests", "配列が必要"},
      {[&](TJson& j) {
         const TJson one = test(j);
         j["Tests"] = TJson::array();
         for (int i = 0; i < 200; ++i) j["Tests"].push_back(one);
       },
       "", ""},
      {[&](TJson& j) {
         const TJson one = test(j);
         j["Tests"] = TJson::array();
         for (int i = 0; i < 201; ++i) j["Tests"].push_back(one);
       },
       "Tests", "200 件まで，現在 201 件"},
  };
  TJson example;
  TJsonError parsed;
  ASSERT_TRUE(ParseStrictJson(kExample, example, parsed));
  for (const TCase& c : cases) {
    TJson j = example;
    c.edit(j);
    TStrengthLog log;
    log.Plant = "unchanged";
    const TStrengthReadResult r = StrengthLogFromText(j.dump(), log);
    if (*c.field == '\0') {
      EXPECT_TRUE(r) << j.dump() << " → " << r.Message();
      continue;
    }
    EXPECT_FALSE(r) << j.dump();
    EXPECT_EQ(r.Field, c.field) << r.Message();
    EXPECT_NE(r.Reason.find(c.message), std::string::npos) << c.field << ": " << r.Reason;
    EXPECT_EQ(log.Plant, "unchanged") << c.field;
  }
  // Not JSON at all, and JSON of another shape.
  TStrengthLog log;
  EXPECT_NE(StrengthLogFromText("{\"Format\": ", log).Reason.find("JSON の形式"), std::string::npos);
  EXPECT_NE(StrengthLogFromText("[1]", log).Reason.find("強度試験ファイルではありません"), std::string::npos);
}

TEST(StrengthFile, LoadReadsOnlyARegularFileOfAtMostOneMebibyte) {
  testutil::TempDir dir;
  TStrengthLog log;
  EXPECT_NE(LoadStrengthFile(dir / "none.kst", log).Reason.find("見つかりません"), std::string::npos);
  EXPECT_NE(LoadStrengthFile(dir.Path(), log).Reason.find("フォルダ"), std::string::npos);
  ASSERT_EQ(::mkfifo((dir / "fifo.kst").c_str(), 0600), 0);
  EXPECT_NE(LoadStrengthFile(dir / "fifo.kst", log).Reason.find("通常のファイルではありません"),
            std::string::npos);

  // Exactly 1 MiB is read; one byte more is too large.
  std::string big = kExample;
  big += std::string(kMaxStrengthFileBytes - big.size(), ' ');
  testutil::WriteFile(dir / "big.kst", big);
  const TStrengthReadResult atCap = LoadStrengthFile(dir / "big.kst", log);
  EXPECT_TRUE(atCap) << atCap.Message();
  testutil::WriteFile(dir / "big.kst", big + " ");
  const TStrengthReadResult over = LoadStrengthFile(dir / "big.kst", log);
  EXPECT_FALSE(over);
  EXPECT_EQ(over.Message(), dir / "big.kst" + ": ファイルが大きすぎます（1 MiB まで）．");
  // A name with a line break is shown escaped, on one line.
  EXPECT_EQ(LoadStrengthFile(dir / "a\nb.kst", log).Message(), dir / "a\\nb.kst" + ": ファイルが見つかりません．");
}

// /proc files say size 0 and hold more: the reader grows its buffer as the
// bytes come and still stops one byte past the limit.
TEST(ReadRegularFile, AFileLongerThanItsSizeIsReadUpToTheLimit) {
  std::ifstream in("/proc/self/cmdline", std::ios::binary);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_GE(content.size(), 3u);
  std::string bytes, reason;
  ASSERT_TRUE(ReadRegularFile("/proc/self/cmdline", kMaxStrengthFileBytes, bytes, reason)) << reason;
  EXPECT_EQ(bytes, content);
  EXPECT_TRUE(ReadRegularFile("/proc/self/cmdline", content.size(), bytes, reason)) << reason;
  EXPECT_FALSE(ReadRegularFile("/proc/self/cmdline", content.size() - 1, bytes, reason));
  EXPECT_NE(reason.find("大きすぎます"), std::string::npos);
  // A limit the doubling buffer lands on exactly.
  std::size_t power = 1;
  while (2 * power < content.size()) power *= 2;
  EXPECT_FALSE(ReadRegularFile("/proc/self/cmdline", power, bytes, reason));
}
