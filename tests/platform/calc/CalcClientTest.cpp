// The export client against stand-in helpers (shell scripts): whatever the
// helper does — missing, failing, hanging, crashing, flooding its output,
// leaving processes behind — the export returns in time with the right
// outcome and the busy window is closed.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/calc/CalcClient.h"

using namespace kestrin;
using namespace kestrin::calc;

namespace {

class TRecordingBusy : public TExportBusyWindow {
 public:
  void ShowBusyMessage() override { log += "show;"; }
  void SetProgressText(const std::string& utf8) override { log += "text:" + utf8 + ";"; }
  void HideBusyMessage() override { log += "hide;"; }
  void KeepAlive() override { ++keepAlive; }
  std::string log;
  int keepAlive = 0;
};

class CalcClient : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/kestrin-calc-client-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }

  // Writes an executable shell script and returns its path.
  std::string Script(const std::string& name, const std::string& body) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), 0755);
    return path;
  }

  std::string Read(const std::string& name) {
    std::ifstream in(dir_ + "/" + name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TCalcExportResult Run(const std::string& helper, int timeoutMs = 20000) {
    TCalcExportOptions options;
    options.HelperPath = helper;
    options.TimeoutMs = timeoutMs;
    const auto start = std::chrono::steady_clock::now();
    TCalcExportResult r = ExportToCalc(month_, &busy_, options);
    elapsedMs_ = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
                     .count();
    return r;
  }

  static TMainData Month() {
    TMainData d;
    d.BasicInfo.Getsudo = PackDate(2005, 2, 1);
    d.BasicInfo.Kojo = Sjis("第２ソ工場");
    d.MakeSlumpList();
    d.MakeHistogramList();
    d.SlumpList.Items(0).SokuteiList.Items(0).Value = 1850;
    d.Calculate();
    return d;
  }

  // Running (a zombie waiting for its parent's reaper does not count).
  bool Alive(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string stat;
    std::getline(in, stat);
    const std::size_t paren = stat.rfind(')');
    if (paren == std::string::npos || paren + 2 >= stat.size()) return false;
    return stat[paren + 2] != 'Z';
  }

  std::string dir_;
  TMainData month_ = Month();
  TRecordingBusy busy_;
  long long elapsedMs_ = 0;
};

const std::string kBusyLog = "show;text:データ出力中...;hide;";

}  // namespace

TEST_F(CalcClient, ExportedHandsTheBlockOverOnStandardInput) {
  const std::string helper = Script("helper", "cat > \"$(dirname \"$0\")/input\"\n"
                                              "echo CONNECTED\necho 'DOCUMENT 無題 1'\necho DONE\n");
  const TCalcExportResult r = Run(helper);
  EXPECT_EQ(r.Status, TCalcExportStatus::Exported);
  EXPECT_EQ(r.MessageUtf8, "");
  EXPECT_EQ(r.DocumentTitle, "無題 1");
  EXPECT_EQ(Read("input"), SerializeBlock(MakeSpreadsheetBlock(month_)));
  EXPECT_EQ(busy_.log, kBusyLog);
}

TEST_F(CalcClient, NoUsableOfficeGivesTheFixedMessage) {
  struct Case {
    const char* name;
    std::string helper;
  };
  const Case cases[] = {
      {"missing helper", dir_ + "/nothing-here"},
      {"not executable", [&] {
         const std::string p = Script("plain", "exit 0\n");
         chmod(p.c_str(), 0644);
         return p;
       }()},
      {"helper reports no office", Script("nooffice", "echo 'no office on pipe' >&2\nexit 2\n")},
      // A helper whose libraries are gone fails in the loader with 127.
      {"loader failure", Script("loader", "exit 127\n")},
      {"crash before connecting", Script("crash", "kill -SEGV $$\n")},
      {"exit 0 without connecting", Script("quiet", "exit 0\n")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    busy_.log.clear();
    const TCalcExportResult r = Run(c.helper);
    EXPECT_EQ(r.Status, TCalcExportStatus::NoSpreadsheet);
    EXPECT_EQ(r.MessageUtf8, "操作可能なバージョンの Excel がインストールされていません．");
    EXPECT_FALSE(r.DetailUtf8.empty());
    EXPECT_EQ(busy_.log, kBusyLog);
  }
}

TEST_F(CalcClient, ErrorsAfterConnectingAreReportedWithTheReason) {
  const TCalcExportResult r = Run(Script("fail", "cat >/dev/null\necho CONNECTED\necho 'DOCUMENT Untitled 3'\n"
                                                 "echo 'no sheet named Sheet1' >&2\nexit 3\n"));
  EXPECT_EQ(r.Status, TCalcExportStatus::Failed);
  EXPECT_EQ(r.MessageUtf8, "エクセルへのデータ出力中にエラーが発生しました．\nno sheet named Sheet1");
  // The document already made stays and is named.
  EXPECT_EQ(r.DocumentTitle, "Untitled 3");
  EXPECT_EQ(busy_.log, kBusyLog);

  const TCalcExportResult crash = Run(Script("crash", "echo CONNECTED\nkill -SEGV $$\n"));
  EXPECT_EQ(crash.Status, TCalcExportStatus::Failed);
  EXPECT_NE(crash.DetailUtf8.find("signal 11"), std::string::npos) << crash.DetailUtf8;

  const TCalcExportResult noDone = Run(Script("nodone", "echo CONNECTED\nexit 0\n"));
  EXPECT_EQ(noDone.Status, TCalcExportStatus::Failed);
}

TEST_F(CalcClient, AHangingHelperIsKilledWithEverythingItStarted) {
  // Before connecting: counts as no usable office. The helper's own child
  // (the sleep) must go too.
  const std::string hang = Script("hang", "sleep 60 &\necho $! > \"$(dirname \"$0\")/child\"\n"
                                          "echo $$ > \"$(dirname \"$0\")/pid\"\nwait\n");
  TCalcExportResult r = Run(hang, 700);
  EXPECT_EQ(r.Status, TCalcExportStatus::NoSpreadsheet);
  EXPECT_LT(elapsedMs_, 5000);
  EXPECT_GE(busy_.keepAlive, 5);  // the window was kept alive meanwhile
  EXPECT_EQ(busy_.log, kBusyLog);
  const pid_t pid = std::atoi(Read("pid").c_str());
  const pid_t child = std::atoi(Read("child").c_str());
  ASSERT_GT(pid, 0);
  ASSERT_GT(child, 0);
  EXPECT_FALSE(Alive(pid));
  EXPECT_FALSE(Alive(child));

  // After connecting, and deaf to SIGTERM: killed all the same, and the
  // outcome is a failed export with the no-answer text.
  r = Run(Script("deaf", "trap '' TERM\necho CONNECTED\nwhile :; do sleep 1; done\n"), 700);
  EXPECT_EQ(r.Status, TCalcExportStatus::Failed);
  EXPECT_EQ(r.MessageUtf8,
            "エクセルへのデータ出力中にエラーが発生しました．\n表計算ソフトから応答がないため中断しました．");
  EXPECT_LT(elapsedMs_, 6000);
}

TEST_F(CalcClient, AProcessLeftHoldingTheOutputDoesNotHoldTheExport) {
  // The helper ends but leaves a process with its standard output open (as
  // an office started carelessly would): the export must not wait for it.
  const std::string helper = Script("leave", "sleep 30 &\necho $! > \"$(dirname \"$0\")/child\"\n"
                                             "echo CONNECTED\necho DONE\nexit 0\n");
  const TCalcExportResult r = Run(helper);
  EXPECT_EQ(r.Status, TCalcExportStatus::Exported);
  EXPECT_LT(elapsedMs_, 5000);
  const pid_t child = std::atoi(Read("child").c_str());
  if (child > 0) kill(child, SIGKILL);
}

TEST_F(CalcClient, FloodedOutputIsCappedAndLinesStillCount) {
  const TCalcExportResult r =
      Run(Script("flood", "echo CONNECTED\nhead -c 5000000 /dev/zero | tr '\\0' x >&2\necho DONE\n"));
  EXPECT_EQ(r.Status, TCalcExportStatus::Exported);
}

TEST_F(CalcClient, WithoutABusyWindow) {
  TCalcExportOptions options;
  options.HelperPath = Script("ok", "echo CONNECTED\necho DONE\n");
  EXPECT_EQ(ExportBlockToCalc(MakeSpreadsheetBlock(month_), nullptr, options).Status,
            TCalcExportStatus::Exported);
}

TEST_F(CalcClient, ASecondExportWhileOneRunsDoesNothing) {
  // The window processes events in KeepAlive; a second F7 arriving there
  // must not start a second export or touch the busy window.
  struct TReentrant : TRecordingBusy {
    std::string helper;
    TMainData month;
    std::vector<TCalcExportStatus> nested;
    void KeepAlive() override {
      TRecordingBusy inner;
      TCalcExportOptions o;
      o.HelperPath = helper;
      nested.push_back(ExportToCalc(month, &inner, o).Status);
      if (!inner.log.empty()) nested.push_back(TCalcExportStatus::Failed);
    }
  } busy;
  busy.helper = Script("slow", "sleep 0.3\necho CONNECTED\necho DONE\n");
  busy.month = month_;
  TCalcExportOptions options;
  options.HelperPath = busy.helper;
  EXPECT_EQ(ExportToCalc(month_, &busy, options).Status, TCalcExportStatus::Exported);
  ASSERT_FALSE(busy.nested.empty());
  for (TCalcExportStatus s : busy.nested) EXPECT_EQ(s, TCalcExportStatus::AlreadyRunning);
  EXPECT_EQ(busy.log, kBusyLog);
  // Once it has ended, the next export runs normally.
  EXPECT_EQ(ExportToCalc(month_, nullptr, options).Status, TCalcExportStatus::Exported);
}

TEST(CalcClientPaths, DefaultHelperSitsBesideTheExecutable) {
  const std::string path = DefaultHelperPath();
  char buf[4096];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  ASSERT_GT(n, 0);
  std::string exe(buf, static_cast<std::size_t>(n));
  EXPECT_EQ(path, exe.substr(0, exe.rfind('/')) + "/kestrin-calc-export");
}
