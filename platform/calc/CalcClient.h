// The spreadsheet export as the program calls it: builds the block of the
// month and has the helper process kestrin-calc-export put it into a new,
// visible LibreOffice Calc document.
//
// Nothing here links UNO or needs LibreOffice: when the helper or the office
// is missing, slow or crashes, the export ends with a message and the
// program carries on.
//
// The main window's export command (F7, "EXCEL出力(&E)"):
//
//   const TCalcExportResult r = ExportToCalc(MainData, &busyWindow);
//   if (r.Status == TCalcExportStatus::NoSpreadsheet ||
//       r.Status == TCalcExportStatus::Failed)
//     ShowError(r.MessageUtf8);
//
// where busyWindow implements TExportBusyWindow with the window's
// ShowBusyMessage / HideBusyMessage.
#pragma once

#include <string>
#include <vector>

#include "core/MainData.h"
#include "core/SpreadsheetBlock.h"

namespace kestrin::calc {

// Texts of the export, UTF-8.
inline constexpr const char* kNoSpreadsheetMessage =
    "操作可能なバージョンの Excel がインストールされていません．";
inline constexpr const char* kBusyMessage = "エクセルにデータを出力中です．しばらくお待ちください．";
inline constexpr const char* kBusyProgressText = "データ出力中...";
// First line of the general error shown when the office fails after it was
// reached; the reason follows on the next line.
inline constexpr const char* kExportFailedMessage = "エクセルへのデータ出力中にエラーが発生しました．";
inline constexpr const char* kNoAnswerDetail = "表計算ソフトから応答がないため中断しました．";

// What the main window offers while the export runs (its busy window).
class TExportBusyWindow {
 public:
  virtual ~TExportBusyWindow() = default;
  // Opens the busy window with kBusyMessage, its first two progress lines
  // and a cancel button.
  virtual void ShowBusyMessage() = 0;
  // Sets the text of the first progress line.
  virtual void SetProgressText(const std::string& utf8) = 0;
  // Closes the busy window; called on every way out once it was opened.
  virtual void HideBusyMessage() = 0;
  // Called about every 50 ms while the helper works, so the window can
  // process its events and stay responsive. An export started from here
  // returns AlreadyRunning at once.
  virtual void KeepAlive() {}
};

struct TCalcExportOptions {
  // The helper program; empty means kestrin-calc-export in the folder of
  // the running executable.
  std::string HelperPath;
  // Extra helper arguments (pipe name, office arguments; used by tests).
  std::vector<std::string> HelperArgs;
  // The whole export, starting the office included. The helper itself
  // gives up connecting after 60 s.
  int TimeoutMs = 120000;
};

enum class TCalcExportStatus {
  Exported,       // the new document is in Calc and visible
  NoSpreadsheet,  // no usable office: show kNoSpreadsheetMessage
  Failed,         // the office was reached but the export failed
  AlreadyRunning, // another export of this process is still running (a
                  // second F7 while KeepAlive processed events): nothing done
};

struct TCalcExportResult {
  TCalcExportStatus Status = TCalcExportStatus::NoSpreadsheet;
  // The text for the message box (empty when exported).
  std::string MessageUtf8;
  // The technical reason, for the command-line tool and the tests.
  std::string DetailUtf8;
  // The title of the new document when one was created ("無題 1",
  // "Untitled 1"); it stays in the office even when the export failed.
  std::string DocumentTitle;
};

// kestrin-calc-export beside the running executable.
std::string DefaultHelperPath();

// Exports the month: `data` must have its statistics up to date (the
// window recomputes after every change). `busy` may be null.
TCalcExportResult ExportToCalc(const TMainData& data, TExportBusyWindow* busy,
                               const TCalcExportOptions& options = {});

// Exports a block built beforehand.
TCalcExportResult ExportBlockToCalc(const TSpreadsheetBlock& block, TExportBusyWindow* busy,
                                    const TCalcExportOptions& options = {});

}  // namespace kestrin::calc
