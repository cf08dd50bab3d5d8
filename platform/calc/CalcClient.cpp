#include "CalcClient.h"

#include <unistd.h>

#include <climits>

#include "HelperProcess.h"

namespace kestrin::calc {

namespace {

// Exit statuses of kestrin-calc-export.
constexpr int kHelperNoOffice = 2;

// Closes the busy window on every way out once it was opened.
class TBusyGuard {
 public:
  explicit TBusyGuard(TExportBusyWindow* busy) : busy_(busy) {
    if (busy_) {
      busy_->ShowBusyMessage();
      busy_->SetProgressText(kBusyProgressText);
    }
  }
  ~TBusyGuard() {
    if (busy_) busy_->HideBusyMessage();
  }
  TBusyGuard(const TBusyGuard&) = delete;
  TBusyGuard& operator=(const TBusyGuard&) = delete;

 private:
  TExportBusyWindow* busy_;
};

std::string LastLines(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  constexpr std::size_t kMax = 2000;
  if (text.size() > kMax) text = "..." + text.substr(text.size() - kMax);
  return text;
}

TCalcExportResult NoSpreadsheet(std::string detail) {
  TCalcExportResult r;
  r.Status = TCalcExportStatus::NoSpreadsheet;
  r.MessageUtf8 = kNoSpreadsheetMessage;
  r.DetailUtf8 = std::move(detail);
  return r;
}

TCalcExportResult Failed(std::string detail, std::string shown) {
  TCalcExportResult r;
  r.Status = TCalcExportStatus::Failed;
  r.MessageUtf8 = std::string(kExportFailedMessage) + (shown.empty() ? "" : "\n" + shown);
  r.DetailUtf8 = std::move(detail);
  return r;
}

}  // namespace

std::string DefaultHelperPath() {
  char buf[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string dir = ".";
  if (n > 0) {
    const std::string exe(buf, static_cast<std::size_t>(n));
    const std::size_t slash = exe.rfind('/');
    if (slash != std::string::npos) dir = exe.substr(0, slash);
  }
  return dir + "/kestrin-calc-export";
}

namespace {

// Set while an export runs; the user interface thread is the only caller.
bool exportRunning = false;

class TRunningFlag {
 public:
  TRunningFlag() { exportRunning = true; }
  ~TRunningFlag() { exportRunning = false; }
  TRunningFlag(const TRunningFlag&) = delete;
  TRunningFlag& operator=(const TRunningFlag&) = delete;
};

TCalcExportResult AlreadyRunning() {
  TCalcExportResult r;
  r.Status = TCalcExportStatus::AlreadyRunning;
  return r;
}

TCalcExportResult RunExport(const TSpreadsheetBlock& block, TExportBusyWindow* busy,
                            const TCalcExportOptions& options) {
  THelperRun run;
  run.Program = options.HelperPath.empty() ? DefaultHelperPath() : options.HelperPath;
  run.Args = options.HelperArgs;
  run.Input = SerializeBlock(block);
  run.TimeoutMs = options.TimeoutMs;
  bool connected = false;
  bool done = false;
  std::string title;
  run.OnLine = [&](const std::string& line) {
    if (line == "CONNECTED") connected = true;
    if (line == "DONE") done = true;
    if (line.rfind("DOCUMENT ", 0) == 0) title = line.substr(9);
  };
  run.OnWait = [&] {
    if (busy) busy->KeepAlive();
  };

  if (::access(run.Program.c_str(), X_OK) != 0)
    return NoSpreadsheet("the export helper " + run.Program + " is not installed");
  const THelperResult r = RunHelper(run);
  const std::string stderrText = LastLines(r.Stderr);

  TCalcExportResult result;
  switch (r.End) {
    case THelperResult::TEnd::NotStarted:
      return NoSpreadsheet(r.StartError);
    case THelperResult::TEnd::TimedOut:
      if (!connected) return NoSpreadsheet("the office did not answer in time");
      result = Failed("the office stopped answering; the export was abandoned", kNoAnswerDetail);
      break;
    case THelperResult::TEnd::Signalled:
      if (!connected)
        return NoSpreadsheet("the export helper ended with signal " + std::to_string(r.Signal) + ": " +
                             stderrText);
      result = Failed("the export helper ended with signal " + std::to_string(r.Signal), stderrText);
      break;
    case THelperResult::TEnd::Exited:
      if (r.ExitCode == 0 && done) {
        result.Status = TCalcExportStatus::Exported;
        break;
      }
      // Not reaching the office, for whatever reason (no LibreOffice, the
      // helper's libraries missing, a start that failed): the office is
      // not usable.
      if (!connected || r.ExitCode == kHelperNoOffice)
        return NoSpreadsheet(stderrText.empty() ? "exit status " + std::to_string(r.ExitCode) : stderrText);
      result = Failed(stderrText.empty() ? "exit status " + std::to_string(r.ExitCode) : stderrText, stderrText);
      break;
  }
  result.DocumentTitle = title;
  return result;
}

}  // namespace

TCalcExportResult ExportToCalc(const TMainData& data, TExportBusyWindow* busy,
                               const TCalcExportOptions& options) {
  if (exportRunning) return AlreadyRunning();
  TRunningFlag running;
  TBusyGuard guard(busy);
  return RunExport(MakeSpreadsheetBlock(data), busy, options);
}

TCalcExportResult ExportBlockToCalc(const TSpreadsheetBlock& block, TExportBusyWindow* busy,
                                    const TCalcExportOptions& options) {
  if (exportRunning) return AlreadyRunning();
  TRunningFlag running;
  TBusyGuard guard(busy);
  return RunExport(block, busy, options);
}

}  // namespace kestrin::calc
