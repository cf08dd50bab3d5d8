// The settings file: values read and written, bounded and never throwing
// on bad input, and where the file is looked for.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <cstdlib>

#include "core/DataFile.h"
#include "core/Settings.h"
#include "tests/core/TempDir.h"

using namespace kestrin;
using testutil::TempDir;

namespace {

TSettings FromText(const std::string& text) {
  TIniFile ini;
  ini.SetText(text);
  return ReadSettings(ini);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value)
      ::setenv(name, value, 1);
    else
      ::unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_)
      ::setenv(name_, old_.c_str(), 1);
    else
      ::unsetenv(name_);
  }

 private:
  const char* name_;
  std::string old_;
  bool had_ = false;
};

}  // namespace

TEST(Settings, DefaultsWithoutAFile) {
  TempDir dir;
  const TSettings s = LoadSettingsFile(dir / "none.INI");
  EXPECT_EQ(s.LastDataDir, "");
  EXPECT_EQ(s.CompanyName, "");
  EXPECT_EQ(s.TantoName, "");
  for (const auto& k : s.KojoNames) EXPECT_EQ(k, "");
  EXPECT_EQ(s.InkanTitle1, "\x8d\x48\x8f\xea\x92\xb7");  // 工場長 in CP932
  EXPECT_EQ(s.InkanTitle2, Sjis("部長"));
  EXPECT_EQ(s.InkanTitle3, Sjis("係"));
  EXPECT_EQ(s.DispNullData, 1);
  EXPECT_FALSE(s.DrawHistNoRange);
  EXPECT_FALSE(s.DrawXChartNoRange);
  EXPECT_TRUE(dir.Entries().empty()) << "reading must not create the file";
}

TEST(Settings, NumbersAndBooleansThatDoNotParse) {
  struct Case {
    const char* text;
    int32_t disp;
    bool hist;
  };
  const Case cases[] = {
      {"[Info]\r\nDispNullData=0\r\nDrawHistNoRange=1\r\n", 0, true},
      {"[Info]\r\nDispNullData=abc\r\nDrawHistNoRange=yes\r\n", 1, false},
      {"[Info]\r\nDispNullData=\r\nDrawHistNoRange=\r\n", 1, false},
      {"[Info]\r\nDispNullData= 7 \r\nDrawHistNoRange=10\r\n", 7, true},
      {"[Info]\r\nDispNullData=2x\r\nDrawHistNoRange=true\r\n", 1, false},
      {"[Info]\r\nDispNullData=-1\r\nDrawHistNoRange=0\r\n", -1, false},
      {"[Info]\r\nDispNullData=99999999999\r\nDrawHistNoRange= 1\r\n", 1, true},
      {"[info]\nDISPNULLDATA=0\ndrawhistnorange=1\n", 0, true},  // names ignore case
      {"[Other]\nDispNullData=0\nDrawHistNoRange=1\n", 1, false},  // wrong section
  };
  for (const auto& c : cases) {
    const TSettings s = FromText(c.text);
    EXPECT_EQ(s.DispNullData, c.disp) << c.text;
    EXPECT_EQ(s.DrawHistNoRange, c.hist) << c.text;
  }
}

TEST(Settings, SignalLengthsHaveTheirOwnSectionAndFallBackToTheirDefaults) {
  struct Case {
    const char* text;
    int32_t run;
    int32_t trend;
  };
  const Case cases[] = {
      {"", 9, 6},
      {"[Signals]\r\nRunLength=2\r\nTrendLength=3\r\n", 2, 3},
      {"[Signals]\r\nRunLength=62\r\nTrendLength=62\r\n", 62, 62},
      {"[Signals]\r\nRunLength=1\r\nTrendLength=2\r\n", 9, 6},    // below the range
      {"[Signals]\r\nRunLength=63\r\nTrendLength=-6\r\n", 9, 6},  // above, negative
      {"[Signals]\r\nRunLength=7x\r\nTrendLength=\r\n", 9, 6},    // not numbers
      {"[Info]\r\nRunLength=5\r\nTrendLength=5\r\n", 9, 6},       // wrong section
  };
  for (const auto& c : cases) {
    const TSettings s = FromText(c.text);
    EXPECT_EQ(s.RunLength, c.run) << c.text;
    EXPECT_EQ(s.TrendLength, c.trend) << c.text;
  }
  TIniFile ini;
  TSettings s;
  s.RunLength = 7;
  s.TrendLength = 5;
  WriteSettings(ini, s);
  EXPECT_EQ(ini.ReadInteger("Signals", "RunLength", 0), 7);
  EXPECT_EQ(ini.ReadInteger("Signals", "TrendLength", 0), 5);
}

TEST(Settings, ControlRulesAreZeroOrOneAndReferenceMonthsStayInRange) {
  const TSettings d = FromText("");
  EXPECT_EQ(d.ControlRules, TControlRuleSet{});
  EXPECT_EQ(d.ControlRules.On, (std::array<bool, 8>{true, true, true, false, true, false, false, false}));
  EXPECT_EQ(d.ReferenceMonths, 0);
  // 0 and 1 switch; anything else keeps the rule's default.
  const TSettings s = FromText(
      "[ControlRules]\r\nRule1=0\r\nRule2=2\r\nRule3=-1\r\nRule4=1\r\nRule5=yes\r\nRule6=1\r\n"
      "Rule7=01\r\nReferenceMonths=12\r\n");
  EXPECT_EQ(s.ControlRules.On, (std::array<bool, 8>{false, true, true, true, true, true, true, false}));
  EXPECT_EQ(s.ReferenceMonths, 12);
  EXPECT_EQ(FromText("[ControlRules]\r\nReferenceMonths=13\r\n").ReferenceMonths, 0);
  EXPECT_EQ(FromText("[ControlRules]\r\nReferenceMonths=-1\r\n").ReferenceMonths, 0);
  EXPECT_EQ(FromText("[ControlRules]\r\nReferenceMonths=1\r\n").ReferenceMonths, 1);
  EXPECT_EQ(FromText("[Signals]\r\nRule1=0\r\n").ControlRules.On[0], true);

  TIniFile ini;
  TSettings w;
  w.ControlRules.On = {false, true, false, true, false, true, false, true};
  w.ReferenceMonths = 3;
  WriteSettings(ini, w);
  EXPECT_EQ(ini.ReadInteger("ControlRules", "Rule1", 9), 0);
  EXPECT_EQ(ini.ReadInteger("ControlRules", "Rule8", 9), 1);
  EXPECT_EQ(ini.ReadInteger("ControlRules", "ReferenceMonths", 9), 3);
  EXPECT_EQ(ReadSettings(ini).ControlRules, w.ControlRules);
  w.ReferenceMonths = 40;  // never written out of range
  WriteSettings(ini, w);
  EXPECT_EQ(ini.ReadInteger("ControlRules", "ReferenceMonths", 9), 0);
}

TEST(Settings, TextsAreCp932BytesAndMissingKeysKeepTheirDefaults) {
  const std::string text = "[Info]\r\nCompanyName=" + Sjis("生コン株式会社") + "\r\nKojoName3=" +
                           Sjis("第三工場") + "\r\nInkanTitle2=\r\nInkanTitle3=\"" + Sjis("  係 ") + "\"\r\n";
  const TSettings s = FromText(text);
  EXPECT_EQ(s.CompanyName, Sjis("生コン株式会社"));
  EXPECT_EQ(s.KojoNames[3], Sjis("第三工場"));
  EXPECT_EQ(s.KojoNames[2], "");
  EXPECT_EQ(s.InkanTitle1, Sjis("工場長"));  // missing key: default
  EXPECT_EQ(s.InkanTitle2, "");             // present but empty: empty
  EXPECT_EQ(s.InkanTitle3, Sjis("  係 "));   // quotes keep the blanks
}

TEST(Settings, ReadModifyWriteKeepsOtherSectionsAndComments) {
  TempDir dir;
  const std::string path = dir / "kestrin.INI";
  const std::string original =
      "; written by hand\r\n"
      "[TFrmMain]\r\n"
      "Flags=0\r\n"
      "ShowCmd=3\r\n"
      "NormalPos=10,20,810,620\r\n"
      "PixelsPerInch=96\r\n"
      "Color=-16777201\r\n"
      "\r\n"
      "[Info]\r\n"
      "CompanyName=old\r\n"
      "Unknown=" + Sjis("そのまま") + "\r\n"
      "\r\n"
      "[Extra]\r\n"
      "Key=Value\r\n";
  testutil::WriteFile(path, original);

  TSettings s = LoadSettingsFile(path);
  EXPECT_EQ(s.CompanyName, "old");
  s.CompanyName = Sjis("北関東生コン");
  s.KojoNames[9] = Sjis("第十工場");
  s.DispNullData = 0;
  s.DrawXChartNoRange = true;
  ASSERT_TRUE(SaveSettingsFile(path, s));

  const std::string written = testutil::ReadFile(path);
  // The untouched part is there byte for byte, in its place.
  EXPECT_EQ(written.substr(0, written.find("[Info]")), original.substr(0, original.find("[Info]")));
  EXPECT_NE(written.find("Unknown=" + Sjis("そのまま") + "\r\n"), std::string::npos);
  EXPECT_NE(written.find("\r\n[Extra]\r\nKey=Value\r\n"), std::string::npos);
  EXPECT_NE(written.find("CompanyName=" + Sjis("北関東生コン") + "\r\n"), std::string::npos);
  EXPECT_NE(written.find("DispNullData=0\r\n"), std::string::npos);
  EXPECT_NE(written.find("DrawXChartNoRange=1\r\n"), std::string::npos);
  EXPECT_NE(written.find("DrawHistNoRange=0\r\n"), std::string::npos);
  EXPECT_NE(written.find("[File]\r\nLastDataDir=\r\n"), std::string::npos);
  // New Info keys join their section, before the blank line and [Extra].
  EXPECT_LT(written.find("KojoName9="), written.find("[Extra]"));

  const TSettings back = LoadSettingsFile(path);
  EXPECT_EQ(back.CompanyName, s.CompanyName);
  EXPECT_EQ(back.KojoNames, s.KojoNames);
  EXPECT_EQ(back.InkanTitle1, s.InkanTitle1);
  EXPECT_EQ(back.DispNullData, 0);
  EXPECT_TRUE(back.DrawXChartNoRange);
  EXPECT_FALSE(back.DrawHistNoRange);

  // Writing the same values again changes nothing.
  ASSERT_TRUE(SaveSettingsFile(path, back));
  EXPECT_EQ(testutil::ReadFile(path), written);
}

TEST(Settings, ValuesThatWouldBreakTheLineSyntax) {
  TIniFile ini;
  ini.SetText("[Info]\nA=1\n");  // LF file stays LF
  ini.WriteString("Info", "CompanyName", "two\r\nlines");
  ini.WriteString("Info", "TantoName", "  padded ");
  ini.WriteString("Info", "Quoted", "\"q\"");
  EXPECT_EQ(ini.Text(), "[Info]\nA=1\nCompanyName=two  lines\nTantoName=\"  padded \"\nQuoted=\"\"q\"\"\n");
  EXPECT_EQ(ini.ReadString("Info", "CompanyName", "?"), "two  lines");
  EXPECT_EQ(ini.ReadString("Info", "TantoName", "?"), "  padded ");
  EXPECT_EQ(ini.ReadString("Info", "Quoted", "?"), "\"q\"");

  TIniFile noEnd;
  noEnd.SetText("\xEF\xBB\xBF[Info]\r\nA=1");  // byte-order mark, no final line end
  EXPECT_EQ(noEnd.ReadString("info", "a", "?"), "1");
  noEnd.WriteString("New", "B", "2");
  EXPECT_EQ(noEnd.Text(), "[Info]\r\nA=1\r\n[New]\r\nB=2\r\n");

  // One pair of matching quotes, double or single, is taken off a value;
  // a value that would lose its own quotes is written quoted.
  TIniFile quotes;
  quotes.SetText("[Info]\nA='北斗'\nB=\"x\"\nC='x\"\nD='\nE=''\n");
  const std::pair<const char*, const char*> read[] = {
      {"A", "北斗"}, {"B", "x"}, {"C", "'x\""}, {"D", "'"}, {"E", ""}};
  for (const auto& [key, value] : read) EXPECT_EQ(quotes.ReadString("Info", key, "?"), value) << key;
  quotes.WriteString("Info", "F", "'s'");
  EXPECT_EQ(quotes.ReadString("Info", "F", "?"), "'s'");
}

TEST(Settings, LastDataDirFollowsAnExistingDataFileOnly) {
  TempDir dir;
  const std::string sub = dir / "データ";
  ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
  testutil::WriteFile(sub + "/200502.slt", "x");

  TSettings s;
  s.LastDataDir = "/earlier";
  RememberDataFolder(s, "");
  RememberDataFolder(s, sub + "/missing.slt");
  EXPECT_EQ(s.LastDataDir, "/earlier");
  RememberDataFolder(s, sub + "/200502.slt");
  char* real = ::realpath(sub.c_str(), nullptr);
  EXPECT_EQ(s.LastDataDir, real);
  std::free(real);

  // The file holds the folder in CP932; it reads back as the same path.
  ASSERT_TRUE(SaveSettingsFile(dir / "k.INI", s));
  EXPECT_NE(testutil::ReadFile(dir / "k.INI").find(Sjis("データ")), std::string::npos);
  EXPECT_EQ(LoadSettingsFile(dir / "k.INI").LastDataDir, s.LastDataDir);

  // A folder name CP932 cannot hold is kept as its own bytes.
  const std::string emoji = dir / "📁";
  ASSERT_EQ(::mkdir(emoji.c_str(), 0755), 0);
  s.LastDataDir = emoji;
  ASSERT_TRUE(SaveSettingsFile(dir / "k.INI", s));
  EXPECT_EQ(LoadSettingsFile(dir / "k.INI").LastDataDir, emoji);
}

TEST(SettingsLocation, NamedAfterTheExecutableBesideIt) {
  EXPECT_EQ(SettingsFileName("/opt/kestrin/bin/kestrin"), "kestrin.INI");
  EXPECT_EQ(SettingsFileName("/x/Kestrin.exe"), "Kestrin.INI");
  EXPECT_EQ(SettingsFileName("kestrin-cli"), "kestrin-cli.INI");
  EXPECT_EQ(ExeFolderSettingsPath("/opt/kestrin/bin/kestrin"), "/opt/kestrin/bin/kestrin.INI");
  EXPECT_EQ(ExeFolderSettingsPath("/kestrin"), "/kestrin.INI");
  EXPECT_NE(CurrentExecutablePath().find("file_tests"), std::string::npos);
}

TEST(SettingsLocation, FallsBackToTheConfigFolderWhenTheExeFolderIsNotWritable) {
  TempDir dir;
  const std::string exeDir = dir / "bin";
  ASSERT_EQ(::mkdir(exeDir.c_str(), 0755), 0);
  const std::string exe = exeDir + "/kestrin";
  ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "config").c_str());

  EXPECT_EQ(SettingsPathForWrite(exe), exeDir + "/kestrin.INI");
  EXPECT_EQ(SettingsPathForRead(exe), exeDir + "/kestrin.INI");
  // A fallback file left from an earlier run seeds the first read; the
  // save moves its other sections beside the executable.
  ::mkdir((dir / "config").c_str(), 0755);
  ::mkdir((dir / "config/kestrin").c_str(), 0755);
  testutil::WriteFile(dir / "config/kestrin/kestrin.INI", "[TFrmMain]\r\nShowCmd=3\r\n");
  EXPECT_EQ(SettingsPathForRead(exe), dir / "config/kestrin/kestrin.INI");
  ASSERT_TRUE(SaveSettingsForExecutable(exe, TSettings()));
  EXPECT_EQ(SettingsPathForRead(exe), exeDir + "/kestrin.INI");
  EXPECT_EQ(testutil::ReadFile(exeDir + "/kestrin.INI").substr(0, 23), "[TFrmMain]\r\nShowCmd=3\r\n");
  ::unlink((dir / "config/kestrin/kestrin.INI").c_str());

  // A folder that cannot be written (here: one that does not exist, or whose
  // "parent" is a file) sends writing to the fallback, which is created.
  const std::string lost = dir / "no/such/folder/kestrin";
  testutil::WriteFile(dir / "plain", "");
  for (const std::string& e : {lost, dir / "plain/kestrin"}) {
    const std::string path = SettingsPathForWrite(e);
    EXPECT_EQ(path, dir / "config/kestrin/kestrin.INI");
  }
  TSettings s;
  s.TantoName = Sjis("佐藤");
  ASSERT_TRUE(SaveSettingsForExecutable(lost, s));
  EXPECT_EQ(LoadSettingsForExecutable(lost).TantoName, Sjis("佐藤"));
  EXPECT_TRUE(testutil::Exists(dir / "config/kestrin/kestrin.INI"));

  // A relative XDG_CONFIG_HOME is ignored in favour of ~/.config.
  ScopedEnv relative("XDG_CONFIG_HOME", "relative/dir");
  ScopedEnv home("HOME", (dir / "home").c_str());
  EXPECT_EQ(FallbackSettingsPath(exe), dir / "home/.config/kestrin/kestrin.INI");
}

TEST(SettingsLocation, InstalledProgramsKeepTheirSettingsInTheConfigFolder) {
  TempDir dir;
  ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "config").c_str());
  // Even when run as root, where /usr/bin is writable.
  EXPECT_EQ(SettingsPathForWrite("/usr/bin/kestrin"), dir / "config/kestrin/kestrin.INI");
  EXPECT_EQ(SettingsPathForWrite("/opt/kestrin/kestrin"), dir / "config/kestrin/kestrin.INI");
  EXPECT_TRUE(IsSystemProgramFolder("/usr/local/bin"));
  EXPECT_FALSE(IsSystemProgramFolder("/usrdata/bin"));
  EXPECT_FALSE(IsSystemProgramFolder("/work/main/build"));
}

TEST(SettingsLocation, ReadOnlyExeFolderFallsBack) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempDir dir;
  const std::string exeDir = dir / "bin";
  const std::string exe = exeDir + "/kestrin";
  ASSERT_EQ(::mkdir(exeDir.c_str(), 0755), 0);
  // A settings file shipped beside the executable in a folder made read-only.
  testutil::WriteFile(exeDir + "/kestrin.INI", "[Info]\r\nCompanyName=shipped\r\n");
  ::chmod(exeDir.c_str(), 0555);
  ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "config").c_str());
  EXPECT_EQ(SettingsPathForWrite(exe), dir / "config/kestrin/kestrin.INI");
  EXPECT_EQ(SettingsPathForRead(exe), exeDir + "/kestrin.INI");

  TSettings s = LoadSettingsForExecutable(exe);
  EXPECT_EQ(s.CompanyName, "shipped");
  s.CompanyName = "changed";
  ASSERT_TRUE(SaveSettingsForExecutable(exe, s));
  // From now on the user's own copy is read, not the shipped one.
  EXPECT_EQ(SettingsPathForRead(exe), dir / "config/kestrin/kestrin.INI");
  EXPECT_EQ(LoadSettingsForExecutable(exe).CompanyName, "changed");
  ::chmod(exeDir.c_str(), 0755);
}

// A folder anyone may change (world-writable, no sticky bit) is no place
// to write settings, also for root, who may write anywhere; the settings
// shipped beside the program there are still read.
TEST(SettingsLocation, AFolderAnyoneMayChangeIsReadButNotWritten) {
  TempDir dir;
  const std::string shared = dir / "shared";
  ASSERT_EQ(::mkdir(shared.c_str(), 0777), 0);
  ASSERT_EQ(::mkdir((shared + "/kestrin").c_str(), 0700), 0);
  ::chmod(shared.c_str(), 0777);
  EXPECT_FALSE(IsPrivateSettingsFolder(shared + "/kestrin"));
  ::chmod(shared.c_str(), 01777);  // sticky: our own entry there is safe
  EXPECT_TRUE(IsPrivateSettingsFolder(shared + "/kestrin"));

  const std::string exeDir = dir / "bin";
  const std::string exe = exeDir + "/kestrin";
  ASSERT_EQ(::mkdir(exeDir.c_str(), 0777), 0);
  ::chmod(exeDir.c_str(), 0777);
  testutil::WriteFile(exeDir + "/kestrin.INI", "[Info]\r\nCompanyName=shipped\r\n");
  ScopedEnv xdg("XDG_CONFIG_HOME", (dir / "config").c_str());
  EXPECT_EQ(SettingsPathForWrite(exe), dir / "config/kestrin/kestrin.INI");
  EXPECT_EQ(SettingsPathForRead(exe), exeDir + "/kestrin.INI");
  TSettings s = LoadSettingsForExecutable(exe);
  EXPECT_EQ(s.CompanyName, "shipped");
  s.CompanyName = "changed";
  ASSERT_TRUE(SaveSettingsForExecutable(exe, s));
  EXPECT_EQ(testutil::ReadFile(exeDir + "/kestrin.INI"), "[Info]\r\nCompanyName=shipped\r\n");
  EXPECT_EQ(LoadSettingsForExecutable(exe).CompanyName, "changed");
}

// ------------------------------------------------ settings file as input

TEST(SettingsInput, OnlyARegularFileOfBoundedSizeIsReadAndNothingBlocksOrThrows) {
  TempDir dir;
  ::mkdir((dir / "folder.INI").c_str(), 0700);
  ASSERT_EQ(::mkfifo((dir / "fifo.INI").c_str(), 0600), 0);  // no writer: an open would block
  const std::string body = "[Info]\r\nCompanyName=x\r\n";
  testutil::WriteFile(dir / "big.INI", body + std::string(kMaxIniBytes - body.size() + 1, ';'));
  testutil::WriteFile(dir / "full.INI", body + std::string(kMaxIniBytes - body.size(), ';'));
  using S = TIniLoadResult::TStatus;
  const std::pair<std::string, S> cases[] = {
      {dir / "folder.INI", S::NotAFile}, {dir / "fifo.INI", S::NotAFile},
      {"/dev/zero", S::NotAFile},        {dir / "big.INI", S::TooLarge},
      {dir / "none.INI", S::Missing},    {dir / "full.INI", S::Loaded},
  };
  for (const auto& [path, status] : cases) {
    TIniLoadResult read;
    const TSettings s = LoadSettingsFile(path, &read);
    EXPECT_EQ(read.Status, status) << path;
    EXPECT_EQ(read.Failed(), status != S::Loaded && status != S::Missing) << path;
    EXPECT_EQ(s.CompanyName, status == S::Loaded ? "x" : "") << path;
    if (status != S::Loaded) {
      EXPECT_NE(read.Message().find(path), std::string::npos) << read.Message();
    }
  }
  // Below a plain file there is no settings file: the defaults, and no
  // failure that would keep the settings from being saved elsewhere.
  testutil::WriteFile(dir / "plain", "");
  TIniLoadResult below;
  EXPECT_EQ(LoadSettingsFile(dir / "plain/kestrin.INI", &below).InkanTitle1, Sjis("工場長"));
  EXPECT_EQ(below.Status, S::Missing);
  EXPECT_FALSE(below.Failed());

  // A save does not replace what it could not read.
  const std::string before = testutil::ReadFile(dir / "big.INI");
  EXPECT_FALSE(SaveSettingsFile(dir / "big.INI", TSettings()));
  EXPECT_EQ(testutil::ReadFile(dir / "big.INI"), before);
}

TEST(SettingsInput, IntegersReadTheWholeThirtyTwoBitRange) {
  const std::pair<const char*, int32_t> cases[] = {
      {"-2147483648", INT32_MIN}, {"2147483647", INT32_MAX}, {"-2147483649", 1}, {"2147483648", 1}};
  for (const auto& [text, value] : cases)
    EXPECT_EQ(FromText(std::string("[Info]\nDispNullData=") + text + "\n").DispNullData, value) << text;
}

TEST(SettingsInput, NamesGoIntoTheRecordCutToTheCellsWithoutSplittingACharacter) {
  TSettings s;
  s.TantoName = "a" + Sjis("山田太郎山田太郎山田太郎");  // 25 bytes
  s.KojoNames[1] = Sjis("第一生コンクリート工場");        // 22 bytes
  s.KojoNames[2] = std::string(5000, 'k');
  s.KojoNames[3] = std::string("ab\0cd", 5);
  EXPECT_EQ(DefaultTanto(s), "a" + Sjis("山田太郎山田太"));  // 15 bytes
  EXPECT_EQ(KojoChoice(s, 1), Sjis("第一生コンクリート工"));
  EXPECT_EQ(KojoChoice(s, 2), std::string(20, 'k'));
  EXPECT_EQ(KojoChoice(s, 3), "ab");
  EXPECT_EQ(KojoChoice(s, 10), "");
  EXPECT_EQ(s.KojoNames[2].size(), 5000u) << "the settings keep what the file holds";

  // What goes in saves to a file that loads again.
  TempDir dir;
  TMainData d;
  d.BasicInfo.Tanto = DefaultTanto(s);
  d.BasicInfo.Kojo = KojoChoice(s, 2);
  ASSERT_TRUE(SaveToFile(dir / "m.slt", d));
  TMainData back;
  ASSERT_TRUE(LoadFromFile(dir / "m.slt", back));
  EXPECT_EQ(back.BasicInfo.Tanto, d.BasicInfo.Tanto);
}

// A CR that is not part of a CR LF line end stays in its line: writing the
// settings back keeps such lines byte for byte, and a second write changes
// nothing (the first could strip one CR per write, found by fuzzing).
TEST(SettingsInput, StrayCarriageReturnsSurviveWritingBack) {
  TIniFile ini;
  ini.SetText(std::string("[Other]\nA=1\r\nB=x\r\r", 18));
  EXPECT_EQ(ini.ReadString("Other", "A", ""), "1");
  TIniFile once = ini;
  WriteSettings(once, ReadSettings(ini));
  TIniFile reread;
  reread.SetText(once.Text());
  TIniFile twice = reread;
  WriteSettings(twice, ReadSettings(reread));
  EXPECT_EQ(twice.Text(), once.Text());
  EXPECT_NE(once.Text().find("B=x\r\r\n"), std::string::npos);

  // Two byte-order marks in front of the first section: both go at once.
  TIniFile marked;
  marked.SetText("\xEF\xBB\xBF\xEF\xBB\xBF[Info]\nCompanyName=A\n");
  EXPECT_EQ(marked.ReadString("Info", "CompanyName", ""), "A");
}
