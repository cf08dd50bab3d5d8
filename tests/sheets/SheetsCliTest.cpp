// kestrin-cli sheets end to end: the real binary writes PDF and PNG files,
// checked with poppler's pdfinfo, pdffonts and pdftotext.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/Cp932.h"
#include "tests/core/TempDir.h"

using testutil::TempDir;

namespace {

const std::string kCli = std::string(KESTRIN_BIN_DIR) + "/kestrin-cli";
const std::string kSample = std::string(KESTRIN_SOURCE_DIR) + "/examples/sample-month.slt";
const char kTableTitle[] = "スランプ試験（管理表・ヒストグラム）";
const char kXChartTitle[] = "スランプ試験（Ｘ管理図）";

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs a shell command line with stdout and stderr captured.
Result Shell(const TempDir& dir, const std::string& command) {
  const std::string errPath = dir / ".stderr";
  Result r;
  FILE* p = ::popen((command + " 2>" + Quote(errPath)).c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  std::size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
  const int status = ::pclose(p);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
  r.err = testutil::ReadFile(errPath);
  return r;
}

Result Sheets(const TempDir& dir, const std::string& args, const std::string& cli = kCli) {
  return Shell(dir, Quote(cli) + " sheets " + args);
}

bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

#define REQUIRE_POPPLER()                                                        \
  if (!HaveTool("pdfinfo") || !HaveTool("pdffonts") || !HaveTool("pdftotext")) \
  GTEST_SKIP() << "poppler-utils not installed"

// Width and height of a PNG file from its IHDR chunk.
std::pair<int, int> PngSize(const std::string& path) {
  const std::string bytes = testutil::ReadFile(path);
  if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) return {0, 0};
  auto be32 = [&](std::size_t at) {
    return (static_cast<unsigned char>(bytes[at]) << 24) |
           (static_cast<unsigned char>(bytes[at + 1]) << 16) |
           (static_cast<unsigned char>(bytes[at + 2]) << 8) | static_cast<unsigned char>(bytes[at + 3]);
  };
  return {static_cast<int>(be32(16)), static_cast<int>(be32(20))};
}

void WriteIni(const std::string& path, const std::string& utf8) {
  std::ofstream(path, std::ios::binary) << kestrin::Sjis(utf8);
}

}  // namespace

TEST(SheetsCli, PdfHasOnePagePerSheetOnA4PortraitWithEmbeddedFonts) {
  REQUIRE_POPPLER();
  TempDir dir;
  const std::string pdf = dir / "month.pdf";
  const Result r = Sheets(dir, Quote(kSample) + " -o " + Quote(pdf));
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, pdf + "\n");

  const Result info = Shell(dir, "pdfinfo " + Quote(pdf));
  EXPECT_NE(info.out.find("Pages:           2"), std::string::npos) << info.out;
  std::smatch m;
  ASSERT_TRUE(std::regex_search(info.out, m, std::regex(R"(Page size:\s+([\d.]+) x ([\d.]+) pts \(A4\))")))
      << info.out;
  EXPECT_LT(std::stod(m[1]), std::stod(m[2]));  // portrait

  // Every font is embedded.
  const Result fonts = Shell(dir, "pdffonts " + Quote(pdf));
  std::istringstream lines(fonts.out);
  std::string line;
  int fontRows = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("name", 0) == 0 || line.rfind("----", 0) == 0 || line.empty()) continue;
    ++fontRows;
    EXPECT_TRUE(std::regex_search(line, std::regex(R"(\s+yes\s+(yes|no)\s+(yes|no)\s+\d+)"))) << line;
  }
  EXPECT_GE(fontRows, 2);

  // The table sheet first, the X chart sheet second; vector text.
  const Result page1 = Shell(dir, "pdftotext -f 1 -l 1 " + Quote(pdf) + " -");
  const Result page2 = Shell(dir, "pdftotext -f 2 -l 2 " + Quote(pdf) + " -");
  EXPECT_NE(page1.out.find(kTableTitle), std::string::npos);
  EXPECT_NE(page1.out.find("度 数 チ ェ ッ ク"), std::string::npos);
  EXPECT_NE(page1.out.find("東京第一工場"), std::string::npos);
  EXPECT_NE(page1.out.find("工場長"), std::string::npos);
  EXPECT_NE(page2.out.find(kXChartTitle), std::string::npos);
  EXPECT_NE(page2.out.find("《備考欄》"), std::string::npos);
  EXPECT_EQ(page2.out.find(kTableTitle), std::string::npos);
}

TEST(SheetsCli, SheetChoiceGivesOnePage) {
  REQUIRE_POPPLER();
  TempDir dir;
  for (const auto& [sheet, title] :
       {std::pair{"table", kTableTitle}, std::pair{"xchart", kXChartTitle},
        std::pair{"xbar-r", "－R管理図）"}}) {
    SCOPED_TRACE(sheet);
    const std::string pdf = dir / (std::string(sheet) + ".pdf");
    // --dpi and --sheet also in the --name=value form.
    ASSERT_EQ(Sheets(dir, Quote(kSample) + " --sheet=" + sheet + " --dpi 300 -o " + Quote(pdf)).code, 0);
    EXPECT_NE(Shell(dir, "pdfinfo " + Quote(pdf)).out.find("Pages:           1"), std::string::npos);
    EXPECT_NE(Shell(dir, "pdftotext " + Quote(pdf) + " -").out.find(title), std::string::npos);
  }
}

TEST(SheetsCli, PngWritesOnePicturePerPage) {
  TempDir dir;
  const std::string out = dir / "month.png";
  const Result r = Sheets(dir, Quote(kSample) + " -o " + Quote(out) + " --dpi 100");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, dir / "month-1.png" + "\n" + dir / "month-2.png" + "\n");
  // A4 at 100 dpi.
  EXPECT_EQ(PngSize(dir / "month-1.png"), (std::pair{827, 1169}));
  EXPECT_EQ(PngSize(dir / "month-2.png"), (std::pair{827, 1169}));
  EXPECT_FALSE(std::filesystem::exists(out));

  ASSERT_EQ(Sheets(dir, Quote(kSample) + " --sheet xchart -o " + Quote(dir / "x.png") + " --dpi 100").code, 0);
  EXPECT_TRUE(std::filesystem::exists(dir / "x-1.png"));
  EXPECT_FALSE(std::filesystem::exists(dir / "x-2.png"));
}

// The pages of one run are a set: replaced all together or not at all,
// and pages of an earlier, longer run under the same name do not stay
// behind to mix with them.
TEST(SheetsCli, PngPagesAreReplacedAsASet) {
  TempDir dir;
  const std::string out = dir / "m.png";
  const std::string args = Quote(kSample) + " -o " + Quote(out) + " --dpi 50";
  testutil::WriteFile(dir / "m-1.png", "old");
  ASSERT_EQ(::mkfifo((dir / "m-2.png").c_str(), 0644), 0);
  Result r = Sheets(dir, args);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("m-2.png"), std::string::npos) << r.err;
  EXPECT_EQ(testutil::ReadFile(dir / "m-1.png"), "old");

  ASSERT_EQ(::unlink((dir / "m-2.png").c_str()), 0);
  for (const char* stale : {"m-3.png", "m-4.png", "m-6.png"}) testutil::WriteFile(dir / stale, "old");
  r = Sheets(dir, args);
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(testutil::ReadFile(dir / "m-1.png"), "old");
  EXPECT_EQ(r.err,
            "前回の出力の残りのページを削除しました：" + dir / "m-3.png" + "，" + dir / "m-4.png" + "\n");
  // Only the pages that follow on: m-6.png is not of that run.
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{".stderr", "m-1.png", "m-2.png", "m-6.png"}));

  // A later page that cannot be removed is named, and the run fails.
  ASSERT_EQ(::mkdir((dir / "m-3.png").c_str(), 0700), 0);
  r = Sheets(dir, Quote(kSample) + " --sheet table -o " + Quote(out) + " --dpi 50");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find(dir / "m-2.png" + "\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("削除できません（新しいページは 1 枚です）：" + dir / "m-3.png"), std::string::npos)
      << r.err;
  EXPECT_FALSE(testutil::Exists(dir / "m-2.png"));
}

TEST(SheetsCli, SettingsComeFromTheProgramsFileOrTheNamedOne) {
  REQUIRE_POPPLER();
  TempDir dir;
  // A copy of the tool in its own folder, with kestrin's settings beside it.
  const std::string cli = dir / "kestrin-cli";
  std::filesystem::copy_file(kCli, cli);
  WriteIni(dir / "kestrin.INI",
           "[Info]\r\nCompanyName=北斗生コン株式会社\r\nInkanTitle1=品質管理\r\n");
  const std::string pdf = dir / "a.pdf";
  ASSERT_EQ(Sheets(dir, Quote(kSample) + " --sheet table -o " + Quote(pdf), cli).code, 0);
  std::string text = Shell(dir, "pdftotext " + Quote(pdf) + " -").out;
  EXPECT_NE(text.find("北斗生コン株式会社"), std::string::npos);
  EXPECT_NE(text.find("品質管理"), std::string::npos);
  EXPECT_EQ(text.find("工場長"), std::string::npos);
  EXPECT_NE(text.find("部長"), std::string::npos);  // missing keys keep their defaults

  // --settings names another file.
  WriteIni(dir / "other.ini", "[Info]\r\nCompanyName=南星建材\r\n");
  ASSERT_EQ(Sheets(dir, Quote(kSample) + " --sheet table --settings " + Quote(dir / "other.ini") +
                            " -o " + Quote(pdf), cli).code, 0);
  text = Shell(dir, "pdftotext " + Quote(pdf) + " -").out;
  EXPECT_NE(text.find("南星建材"), std::string::npos);
  EXPECT_NE(text.find("工場長"), std::string::npos);

  // A named file that does not exist: defaults, with a warning.
  const Result r = Sheets(dir, Quote(kSample) + " --sheet table --settings " +
                                   Quote(dir / "none.ini") + " -o " + Quote(pdf), cli);
  ASSERT_EQ(r.code, 0);
  EXPECT_NE(r.err.find("設定ファイルが見つからない"), std::string::npos);
  text = Shell(dir, "pdftotext " + Quote(pdf) + " -").out;
  EXPECT_EQ(text.find("北斗生コン"), std::string::npos);
  EXPECT_NE(text.find("工場長"), std::string::npos);
}

TEST(SheetsCli, SettingsThatCannotBeReadAreNamedNeverWaitedOn) {
  TempDir dir;
  const std::string pdf = dir / "out.pdf";
  ::mkdir((dir / "folder.ini").c_str(), 0700);
  ASSERT_EQ(::mkfifo((dir / "fifo.ini").c_str(), 0600), 0);
  const std::string longName = dir / (std::string(256, 's') + ".ini");
  // Named with --settings (sheets, and the printed overview): an error
  // saying what is there, and nothing is written.
  const std::pair<std::string, std::string> cases[] = {
      {dir / "folder.ini", "設定ファイルが通常のファイルではないため読み込めません（フォルダです）："},
      {dir / "fifo.ini",
       "設定ファイルが通常のファイルではないため読み込めません（名前付きパイプ（FIFO）です）："},
      {"/dev/zero", "設定ファイルが通常のファイルではないため読み込めません（装置ファイルです）："},
      {longName, "設定ファイルを読み込めません（名前が長すぎます）："}};
  for (const auto& [ini, message] : cases) {
    for (const std::string& command :
         {" sheets " + Quote(kSample) + " --sheet table", " overview " + Quote(kSample)}) {
      const Result r = Shell(dir, Quote(kCli) + command + " --settings " + Quote(ini) + " -o " + Quote(pdf));
      EXPECT_EQ(r.code, 1) << command << ini;
      EXPECT_EQ(r.err, message + ini + "\n") << command;
      EXPECT_FALSE(std::filesystem::exists(pdf));
    }
  }
  // The program's own file: the sheets print with the defaults, after a word.
  const std::string cli = dir / "kestrin-cli";
  std::filesystem::copy_file(kCli, cli);
  ::mkdir((dir / "kestrin.INI").c_str(), 0700);
  const Result r = Sheets(dir, Quote(kSample) + " --sheet table -o " + Quote(pdf), cli);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.err.find(dir / "kestrin.INI"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("初期値で印刷します"), std::string::npos) << r.err;
  EXPECT_TRUE(std::filesystem::exists(pdf));
}

TEST(SheetsCli, BadInputIsRefusedAndNothingIsWritten) {
  TempDir dir;
  const std::string pdf = dir / "out.pdf";
  struct Case {
    std::string args;
    int code;
    const char* message;
  };
  const std::vector<Case> cases = {
      {Quote(dir / "missing.slt") + " -o " + Quote(pdf), 1, "ファイルのロードに失敗しました．"},
      {Quote(kSample) + " -o " + Quote(dir / "out.txt"), 2, ".pdf または .png"},
      {Quote(kSample) + " -o " + Quote(pdf) + " --sheet both", 2, "--sheet"},
      {Quote(kSample) + " -o " + Quote(pdf) + " --dpi 0", 2, "--dpi"},
      {Quote(kSample) + " -o " + Quote(pdf) + " --dpi 300x", 2, "--dpi"},
      {Quote(kSample) + " -o " + Quote(dir / "p.png") + " --dpi 1200", 2, "600 dpi"},
      {Quote(kSample) + " -o " + Quote(pdf) + " --colour red", 2, "不明なオプション"},
      {Quote(kSample) + " " + Quote(pdf) + " -o " + Quote(pdf), 2, "一つだけ"},
      {Quote(kSample) + " -o " + Quote(dir / "no/such/dir/out.pdf"), 1, "書き込めません"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args);
    const Result r = Sheets(dir, c.args);
    EXPECT_EQ(r.code, c.code);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  EXPECT_FALSE(std::filesystem::exists(pdf));
  // Only the capture file of stderr is left.
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{".stderr"});

  // A failed load leaves an earlier output as it was.
  std::ofstream(pdf) << "earlier";
  EXPECT_EQ(Sheets(dir, Quote(dir / "missing.slt") + " -o " + Quote(pdf)).code, 1);
  EXPECT_EQ(testutil::ReadFile(pdf), "earlier");
}

// overview -o: one A4 landscape page per plant with the overview's title.
TEST(OverviewSheetCli, PdfHasOneLandscapePagePerPlant) {
  REQUIRE_POPPLER();
  TempDir dir;
  const std::string pdf = dir / "overview.pdf";
  const Result r = Shell(dir, Quote(kCli) + " overview " + Quote(kSample) + " " + Quote(kSample) +
                                  " -o " + Quote(pdf) + " --dpi 150");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, pdf + "\n");
  const Result info = Shell(dir, "pdfinfo " + Quote(pdf));
  EXPECT_TRUE(std::regex_search(info.out, std::regex("Pages: +1\n"))) << info.out;
  EXPECT_TRUE(std::regex_search(info.out, std::regex("Page size: +842 x 595 pts"))) << info.out;
  const Result text = Shell(dir, "pdftotext " + Quote(pdf) + " -");
  EXPECT_NE(text.out.find("スランプ試験（年間推移）"), std::string::npos);
  EXPECT_NE(text.out.find("東京第一工場"), std::string::npos);
  EXPECT_NE(text.out.find("※重複"), std::string::npos);

  // What could not be read is printed too, on a page after the plants.
  const Result failed = Shell(dir, Quote(kCli) + " overview " + Quote(kSample) + " " +
                                       Quote(dir / "missing.slt") + " -o " + Quote(pdf) + " --dpi 150");
  EXPECT_EQ(failed.code, 1) << failed.err;
  EXPECT_TRUE(std::regex_search(Shell(dir, "pdfinfo " + Quote(pdf)).out, std::regex("Pages: +2\n")));
  const Result listed = Shell(dir, "pdftotext -f 2 " + Quote(pdf) + " -");
  EXPECT_NE(listed.out.find("読み込めなかったファイル・フォルダ：1件"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("ファイルが見つかりません．"), std::string::npos) << listed.out;
  EXPECT_NE(listed.out.find("missing.slt"), std::string::npos) << listed.out;
}

// ================================================================ output targets

// A name made under a non-UTF-8 locale (月度 in EUC-JP) cannot pass through
// Qt unchanged: every command that writes through Qt refuses it, naming it
// by its bytes, and writes nothing (never a file of another name).
TEST(OutputTargets, ANameQtCannotCarryIsRefusedAndNothingIsWrittenUnderAnotherName) {
  TempDir dir;
  const std::string euc = dir / "\xb7\xee\xc5\xd9.png";
  for (const std::string& command :
       {" sheets " + Quote(kSample) + " -o ", " overview " + Quote(kSample) + " -o ",
        " chart xchart " + Quote(kSample) + " -o "}) {
    const Result r = Shell(dir, Quote(kCli) + command + Quote(euc));
    EXPECT_EQ(r.code, 1) << command;
    EXPECT_EQ(r.err, "出力ファイル名に UTF-8 で表せないバイトがあるため書き込めません：" + dir.Path() +
                         "/\\xB7\\xEE\\xC5\\xD9.png\n")
        << command;
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{".stderr"}) << command;
  }
}

TEST(OutputTargets, PicturesAndDocumentsNeverReplaceAPipeADeviceOrALinkToThem) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "out.pdf").c_str(), 0644), 0);
  ASSERT_EQ(::mkfifo((dir / "chart.png").c_str(), 0644), 0);
  ASSERT_EQ(::symlink("out.pdf", (dir / "link.pdf").c_str()), 0);
  std::vector<std::string> targets = {"out.pdf", "link.pdf"};
  if (::geteuid() == 0) {
    // A node of the null device in the test's folder (root only).
    ASSERT_EQ(::mknod((dir / "null.pdf").c_str(), S_IFCHR | 0666, makedev(1, 3)), 0);
    targets.push_back("null.pdf");
  }
  for (const std::string& name : targets) {
    SCOPED_TRACE(name);
    const Result r = Sheets(dir, Quote(kSample) + " -o " + Quote(dir / name));
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("通常のファイルではない"), std::string::npos) << r.err;
  }
  const Result chart =
      Shell(dir, Quote(kCli) + " chart xchart " + Quote(kSample) + " -o " + Quote(dir / "chart.png"));
  EXPECT_EQ(chart.code, 1);
  EXPECT_NE(chart.err.find("通常のファイルではない"), std::string::npos) << chart.err;
  struct stat st;
  ASSERT_EQ(::lstat((dir / "out.pdf").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  ASSERT_EQ(::lstat((dir / "chart.png").c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
  if (::geteuid() == 0) {
    ASSERT_EQ(::lstat((dir / "null.pdf").c_str(), &st), 0);
    EXPECT_TRUE(S_ISCHR(st.st_mode));
  } else {
    std::cout << "[ NOTE     ] the device-node case needs root\n";
  }
}
