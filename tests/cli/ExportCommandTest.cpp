// kestrin-cli export end to end: a month saved to a data file comes out as
// the spreadsheet block in tab-separated text.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "core/DataFile.h"
#include "core/SpreadsheetBlock.h"
#include "tests/cli/RunCli.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::TempDir;
using testutil::Cli;
using testutil::Result;

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    fields.push_back(line.substr(start, tab - start));
  fields.push_back(line.substr(start));
  return fields;
}

}  // namespace

TEST(CliExport, WorkedExampleFromADataFile) {
  TempDir dir;
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2005, 1, 1);
  d.BasicInfo.Kojo = Sjis("第２工場");
  d.BasicInfo.Biko = Sjis("二行\n目");
  d.MakeSlumpList();
  d.MakeHistogramList();
  const int32_t values[] = {1800, 1850, 1750, 1900, 1800, 1600, 0, 2050};
  for (int32_t i = 0; i < 8; ++i) d.SlumpList.Items(i / 2).SokuteiList.Items(i % 2).Value = values[i];
  d.Calculate();
  ASSERT_TRUE(SaveToFile(dir / "month.slt", d));

  const Result r = Cli(dir, {"export", dir / "month.slt"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const auto lines = Lines(r.out);
  ASSERT_EQ(lines.size(), 32u);
  for (const auto& line : lines) ASSERT_EQ(Fields(line).size(), 16u) << line;

  EXPECT_EQ(Fields(lines[0])[1], "2005/01");
  EXPECT_EQ(Fields(lines[3])[1], "第２工場");
  EXPECT_EQ(Fields(lines[5])[1], "二行 目");
  EXPECT_EQ(Fields(lines[9])[0], "　±許容値");
  // Day 4: blank AM (0, no mark), failing PM.
  const auto day4 = Fields(lines[4]);
  EXPECT_EQ(std::vector<std::string>(day4.begin() + 3, day4.begin() + 8),
            (std::vector<std::string>{"4", "0", "", "20.5", "(否)"}));
  // Totals, mean and deviation.
  auto lmno = [&](int row) {
    const auto f = Fields(lines[row - 1]);
    return std::vector<std::string>(f.begin() + 11, f.begin() + 15);
  };
  EXPECT_EQ(lmno(13), (std::vector<std::string>{"合計", "7", "3", "47"}));
  EXPECT_EQ(lmno(14), (std::vector<std::string>{"", "", "", ""}));
  EXPECT_EQ(lmno(15), (std::vector<std::string>{"平均値X", "18.21", "", ""}));
  EXPECT_EQ(lmno(16)[0], "標準偏差");
  EXPECT_EQ(lmno(16)[1].substr(0, 7), "1.38013");
  // Column P is always empty.
  for (const auto& line : lines) EXPECT_EQ(Fields(line)[15], "");
}

TEST(CliExport, ShippedSampleMatchesTheBlockOfTheLoadedMonth) {
  TempDir dir;
  const std::string sample = std::string(KESTRIN_SOURCE_DIR) + "/examples/sample-month.slt";
  TMainData d;
  d.ClearLists();
  d.Clear();
  ASSERT_TRUE(LoadFromFile(sample, d));
  d.Calculate();
  const Result r = Cli(dir, {"export", sample});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, FormatBlockTsv(MakeSpreadsheetBlock(d)));
}

TEST(CliExport, BadFilesAndArguments) {
  TempDir dir;
  Result r = Cli(dir, {"export", dir / "missing.slt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "ファイルのロードに失敗しました．\n" + dir / "missing.slt" +
                       ": 開けません（ファイルまたはフォルダがありません）\n");
  EXPECT_EQ(r.out, "");

  std::ofstream(dir / "junk.slt") << "not a month";
  r = Cli(dir, {"export", dir / "junk.slt"});
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.out, "");

  EXPECT_EQ(Cli(dir, {"export"}).code, 2);
  EXPECT_EQ(Cli(dir, {"export", "a.slt", "b.slt"}).code, 2);
  EXPECT_EQ(Cli(dir, {"export", "--calc"}).code, 2);
}
