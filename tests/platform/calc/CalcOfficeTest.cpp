// The export against a real LibreOffice Calc, headless, with a private
// profile and pipe: the helper starts the office, a second export goes into
// the running office, and every cell of both new documents is read back
// through a second connection and compared with the block.
//
// Skipped (with the reason) where LibreOffice or its SDK is not installed.
#include <gtest/gtest.h>

#include <dirent.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/calc/CalcClient.h"

using namespace kestrin;
using namespace kestrin::calc;

namespace {

#ifdef KESTRIN_CALC_HELPER
const std::string kHelper = KESTRIN_CALC_HELPER;
const std::string kReadBack = KESTRIN_CALC_READBACK;
#else
const std::string kHelper;
const std::string kReadBack;
#endif
const std::string kSoffice = "/usr/lib/libreoffice/program/soffice";

std::string Capture(const std::string& command, int* status) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  for (std::size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
  *status = pclose(p);
  return out;
}

// Processes whose command line mentions `needle` (our private profile).
std::vector<pid_t> ProcessesWith(const std::string& needle) {
  std::vector<pid_t> found;
  DIR* proc = opendir("/proc");
  if (!proc) return found;
  while (dirent* e = readdir(proc)) {
    const pid_t pid = std::atoi(e->d_name);
    if (pid <= 0 || pid == getpid()) continue;
    std::ifstream in("/proc/" + std::string(e->d_name) + "/cmdline", std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    if (s.str().find(needle) != std::string::npos) found.push_back(pid);
  }
  closedir(proc);
  return found;
}

TMainData WorkedExample() {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2026, 12, 1);
  d.BasicInfo.Kojo = Sjis("第２ソ工場～①髙");
  d.BasicInfo.Tanto = Sjis("山田");
  d.BasicInfo.Kyodo = 24.0;
  d.BasicInfo.Cement = {Sjis("普通ポルトランドセメント"), Sjis("N")};
  d.MakeSlumpList();
  d.MakeHistogramList();
  const int32_t values[] = {1800, 1850, 1750, 1900, 1800, 1600, 0, 2050};
  for (int32_t i = 0; i < 8; ++i) d.SlumpList.Items(i / 2).SokuteiList.Items(i % 2).Value = values[i];
  d.Calculate();
  return d;
}

TMainData FebruaryToleranceFive() {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2005, 2, 1);
  d.BasicInfo.Kyoyo = 500;
  d.BasicInfo.Biko = Sjis("備考\tタブ");
  d.MakeSlumpList();
  d.MakeHistogramList();
  d.SlumpList.Items(27).SokuteiList.Items(1).Value = 2350;
  d.SlumpList.Items(3).SokuteiList.Items(0).Value = 1725;
  d.Calculate();
  return d;
}

// Another user (nobody) listening on the socket of an office pipe, as a
// local user could plant it in /tmp before Kestrin's first export. It
// reports every connection it gets.
class TPipeSquatter {
 public:
  explicit TPipeSquatter(const std::string& path) : path_(path) {
    int control[2], report[2];
    if (pipe(control) != 0 || pipe(report) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(control[1]);
      close(report[0]);
      if (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0) _exit(2);
      const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
      sockaddr_un addr{};
      addr.sun_family = AF_UNIX;
      std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
      if (fd < 0 || bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(fd, 8) != 0)
        _exit(3);
      if (write(report[1], "R", 1) != 1) _exit(4);
      for (;;) {  // until the test closes the control pipe
        pollfd fds[2] = {{fd, POLLIN, 0}, {control[0], POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) _exit(0);
        if (fds[0].revents & POLLIN) {
          const int c = accept(fd, nullptr, nullptr);
          if (c >= 0) close(c);
          if (write(report[1], "C", 1) != 1) _exit(5);
        }
      }
    }
    close(control[0]);
    close(report[1]);
    control_ = control[1];
    report_ = report[0];
    char c = 0;
    ready_ = pid_ > 0 && read(report_, &c, 1) == 1 && c == 'R';
  }
  ~TPipeSquatter() {
    if (pid_ > 0) {
      close(control_);
      waitpid(pid_, nullptr, 0);
      close(report_);
    }
    unlink(path_.c_str());
  }
  bool Ready() const { return ready_; }
  // Connections received so far.
  int Connections() const {
    pollfd p{report_, POLLIN, 0};
    int n = 0;
    char buf[64];
    while (poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
      const ssize_t r = read(report_, buf, sizeof buf);
      if (r <= 0) break;
      n += static_cast<int>(r);
    }
    connections_ += n;
    return connections_;
  }

 private:
  std::string path_;
  pid_t pid_ = -1;
  int control_ = -1;
  int report_ = -1;
  bool ready_ = false;
  mutable int connections_ = 0;
};

class CalcOffice : public ::testing::Test {
 protected:
  void SetUp() override {
    if (kHelper.empty() || access(kHelper.c_str(), X_OK) != 0)
      GTEST_SKIP() << "kestrin-calc-export was not built (LibreOffice SDK not installed: "
                      "libreoffice-dev, libreoffice-dev-common)";
    if (access(kSoffice.c_str(), X_OK) != 0)
      GTEST_SKIP() << "LibreOffice is not installed (" << kSoffice << "): install libreoffice-calc";
    char tmpl[] = "/tmp/kestrin-office-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    profile_ = tmpl;
    pipe_ = "kestrin_test_" + std::to_string(getpid());
  }

  void TearDown() override {
    if (profile_.empty()) return;
    int status = 0;
    Capture("'" + kReadBack + "' --pipe " + pipe_ + " --terminate 2>&1", &status);
    // Wait for the office to end; whatever is left of it goes by force (at
    // once when it could not be asked to end).
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(status == 0 ? 15 : 0);
    while (!ProcessesWith(profile_).empty() && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (pid_t pid : ProcessesWith(profile_)) kill(pid, SIGKILL);
    std::system(("rm -rf '" + profile_ + "'").c_str());
  }

  TCalcExportOptions Options() const {
    TCalcExportOptions o;
    o.HelperPath = kHelper;
    o.HelperArgs = {"--pipe", pipe_};
    for (const char* a : {"--headless", "--invisible", "--nologo", "--nolockcheck"})
      o.HelperArgs.insert(o.HelperArgs.end(), {"--office-arg", a});
    o.HelperArgs.insert(o.HelperArgs.end(), {"--office-arg", "-env:UserInstallation=file://" + profile_});
    return o;
  }

  // Reads the document back and compares every cell, one row and one
  // column beyond the block included, with the block.
  void ExpectCellsEqual(const std::string& title, const TSpreadsheetBlock& block) {
    SCOPED_TRACE(title);
    const int32_t rows = block.RowCount() + 1;
    const int32_t cols = block.ColumnCount() + 1;
    int status = 0;
    const std::string out = Capture("'" + kReadBack + "' --pipe " + pipe_ + " --title '" + title + "' --rows " +
                                        std::to_string(rows) + " --cols " + std::to_string(cols),
                                    &status);
    ASSERT_EQ(status, 0) << out;
    std::istringstream in(out);
    std::string sheetLine, usedLine, visibleLine;
    std::getline(in, sheetLine);
    std::getline(in, usedLine);
    std::getline(in, visibleLine);
    EXPECT_EQ(sheetLine, "SHEET Sheet1");
    // The used area ends in column O (P is always empty) and the last row.
    EXPECT_EQ(usedLine, "USED 15 " + std::to_string(block.RowCount()));
    EXPECT_EQ(visibleLine, "VISIBLE 1");
    const std::size_t header = sheetLine.size() + usedLine.size() + visibleLine.size() + 3;
    std::string error;
    const auto cells = ParseBlock(std::string_view(out).substr(header), &error);
    ASSERT_TRUE(cells) << error;

    using K = TBlockCell::TKind;
    for (int32_t r = 0; r < rows; ++r) {
      for (int32_t c = 0; c < cols; ++c) {
        const TBlockCell& got = cells->At(r, c);
        const bool inside = r < block.RowCount() && c < block.ColumnCount();
        const TBlockCell want = inside ? block.At(r, c) : TBlockCell{};
        const std::string where = SpreadsheetRangeName(r + 1, c + 1).substr(3);
        switch (want.Kind) {
          case K::Empty:
            EXPECT_EQ(got.Kind, K::Empty) << where;
            break;
          case K::Text:
            // An empty text leaves the cell empty, as an empty cell does.
            if (want.Text.empty()) {
              EXPECT_EQ(got.Kind, K::Empty) << where;
              break;
            }
            EXPECT_EQ(got.Kind, K::Text) << where;
            EXPECT_EQ(got.Text, want.Text) << where;
            break;
          case K::Integer:
            EXPECT_EQ(got.Kind, K::Real) << where;
            EXPECT_EQ(got.Real, static_cast<double>(want.Integer)) << where;
            break;
          case K::Real:
            EXPECT_EQ(got.Kind, K::Real) << where;
            EXPECT_EQ(got.Real, want.Real) << where;  // exactly the double handed over
            break;
        }
      }
    }
  }

  std::string profile_;
  std::string pipe_;
};

}  // namespace

TEST_F(CalcOffice, StartsCalcThenAddsASecondDocumentAndEveryCellMatches) {
  const TMainData first = WorkedExample();
  const TMainData second = FebruaryToleranceFive();

  const TCalcExportResult r1 = ExportToCalc(first, nullptr, Options());
  ASSERT_EQ(r1.Status, TCalcExportStatus::Exported) << r1.DetailUtf8;
  const TCalcExportResult r2 = ExportToCalc(second, nullptr, Options());
  ASSERT_EQ(r2.Status, TCalcExportStatus::Exported) << r2.DetailUtf8;
  ASSERT_FALSE(r1.DocumentTitle.empty());
  ASSERT_NE(r1.DocumentTitle, r2.DocumentTitle);

  int status = 0;
  const std::string list = Capture("'" + kReadBack + "' --pipe " + pipe_ + " --list", &status);
  EXPECT_NE(list.find("DOCUMENT " + r1.DocumentTitle + "\n"), std::string::npos) << list;
  EXPECT_NE(list.find("DOCUMENT " + r2.DocumentTitle + "\n"), std::string::npos) << list;

  const TSpreadsheetBlock b1 = MakeSpreadsheetBlock(first);
  const TSpreadsheetBlock b2 = MakeSpreadsheetBlock(second);
  ASSERT_EQ(b1.RangeName(), "A1:P32");
  ASSERT_EQ(b2.RangeName(), "A1:P29");
  ExpectCellsEqual(r1.DocumentTitle, b1);
  ExpectCellsEqual(r2.DocumentTitle, b2);
}

TEST_F(CalcOffice, OfficeMissingOrFailingAtStartIsReportedQuickly) {
  TCalcExportOptions o = Options();
  o.HelperArgs.insert(o.HelperArgs.end(), {"--soffice", "/nonexistent/soffice"});
  auto start = std::chrono::steady_clock::now();
  TCalcExportResult r = ExportToCalc(WorkedExample(), nullptr, o);
  EXPECT_EQ(r.Status, TCalcExportStatus::NoSpreadsheet);
  EXPECT_EQ(r.MessageUtf8, kNoSpreadsheetMessage);

  // An office that exits with an error at start: no waiting for the
  // connection deadline.
  const std::string fake = profile_ + "/failing-soffice";
  std::ofstream(fake) << "#!/bin/sh\nexit 1\n";
  chmod(fake.c_str(), 0755);
  o = Options();
  o.HelperArgs.insert(o.HelperArgs.end(), {"--soffice", fake});
  r = ExportToCalc(WorkedExample(), nullptr, o);
  EXPECT_EQ(r.Status, TCalcExportStatus::NoSpreadsheet);
  EXPECT_NE(r.DetailUtf8.find("exit status 1"), std::string::npos) << r.DetailUtf8;

  // An office that starts but never listens: the helper gives up at its
  // connection deadline.
  const std::string deaf = profile_ + "/deaf-soffice";
  std::ofstream(deaf) << "#!/bin/sh\nexec sleep 5\n";
  chmod(deaf.c_str(), 0755);
  o = Options();
  o.HelperArgs.insert(o.HelperArgs.end(), {"--soffice", deaf, "--connect-timeout", "800"});
  r = ExportToCalc(WorkedExample(), nullptr, o);
  EXPECT_EQ(r.Status, TCalcExportStatus::NoSpreadsheet);
  EXPECT_NE(r.DetailUtf8.find("in time"), std::string::npos) << r.DetailUtf8;
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

TEST_F(CalcOffice, PipeNameTakenByAnotherUserIsNeverConnectedTo) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user (nobody) planting the pipe";
  // Where LibreOffice keeps the socket of a named pipe of this user.
  TPipeSquatter squatter("/tmp/OSL_PIPE_" + std::to_string(getuid()) + "_" + pipe_);
  ASSERT_TRUE(squatter.Ready());

  // Not allowed to start an office: the export finds none (the planted
  // pipe is not one) and says so.
  TCalcExportOptions o = Options();
  o.HelperArgs.push_back("--no-start");
  TCalcExportResult r = ExportToCalc(WorkedExample(), nullptr, o);
  EXPECT_EQ(r.Status, TCalcExportStatus::NoSpreadsheet) << r.DetailUtf8;
  EXPECT_EQ(squatter.Connections(), 0);

  // Allowed to start one: the month goes into an office of our own, on a
  // pipe name of this run.
  r = ExportToCalc(WorkedExample(), nullptr, Options());
  EXPECT_EQ(r.Status, TCalcExportStatus::Exported) << r.DetailUtf8;
  EXPECT_EQ(squatter.Connections(), 0);
}
