// Registration of the kestrin-cli subcommands. Each group of commands has
// its own source file and Register function, which adds the commands with
// their arguments and options to the command line; main() calls them in
// the order the help lists them. Commands that need Qt (drawing charts or
// sheets) are registered only in builds with Qt.
#pragma once

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "CommandLine.h"
#include "core/DataFile.h"
#include "core/MainData.h"
#include "core/Overview.h"
#include "core/SafeFile.h"
#include "core/Settings.h"
#include "core/ShownText.h"
#include "core/StrengthFigures.h"
#include "core/StrengthLog.h"
#include "core/StrictJson.h"

namespace kestrin::cli {

// Loads as the main window's load command does: reset the record, read the
// file, recompute. On failure the record is a fresh default month.
TFileResult LoadMonth(const std::string& path, TMainData& data);

// Writes the fixed message and, on a second line, the reason of `result`.
void PrintFailure(std::ostream& err, const char* message, const TFileResult& result);

// Output files of charts and sheets are written through Qt, which carries
// a name exactly only when it is UTF-8 (other bytes, from a non-UTF-8
// locale, would become U+FFFD: another name). False, with a message naming
// the file, for any other name.
bool OutputNameCarried(const std::string& path, std::ostream& err);

// The settings the program itself uses: those of `kestrin` in the folder
// of this executable (FileCommands.cpp); how the file was read goes to
// `read` when given.
TSettings ProgramSettings(TIniLoadResult* read = nullptr);

// The folder of a file path ("." for a bare name).
std::string FolderOf(const std::string& path);

// stats, resave, import (FileCommands.cpp; no Qt).
void RegisterFileCommands(TCommandLine& cli);

// export (ExportCommands.cpp; --calc only where the Calc client is built).
void RegisterExportCommands(TCommandLine& cli);

// chart (ChartCommands.cpp; Qt builds only, KESTRIN_CLI_WITH_CHARTS).
void RegisterChartCommands(TCommandLine& cli);

// sheets (SheetCommands.cpp; Qt builds only, KESTRIN_CLI_WITH_SHEETS).
void RegisterSheetCommands(TCommandLine& cli);

// Resolution of the printed overview: the default and the accepted range.
inline constexpr int kOverviewDefaultDpi = 600;
inline constexpr int kOverviewMinDpi = 50;
inline constexpr int kOverviewMaxDpi = 2400;

// How overview -o writes the printed overview (Qt builds only; the command
// refuses -o without it).
struct TOverviewWriter {
  // Checks the output name and resolution before any file is read; false
  // with a message for a usage error.
  std::function<bool(const std::string& output, int dpi, std::string& message)> Check;
  // Writes the overview's pages (OverviewPages); the names written go to `written`.
  std::function<bool(const TOverview& overview, const std::string& output, int dpi,
                     const std::optional<std::string>& settings,
                     std::vector<std::string>& written, std::string& message)>
      Write;
  explicit operator bool() const { return Check && Write; }
};

// overview (OverviewCommands.cpp; no Qt); `writer` serves -o.
void RegisterOverviewCommands(TCommandLine& cli, TOverviewWriter writer = {});

// Page files of the printed sheets (OverviewSheetCommand.cpp; Qt builds
// only): the lower-cased extension of a name, and the check of an output
// name (.pdf or .png) and its resolution before any file is read; false
// with a message for a usage error.
std::string LowerExtension(const std::string& path);
bool CheckPagesOutput(const std::string& output, int dpi, std::string& message);

// The printed overview writer (OverviewSheetCommand.cpp; Qt builds only).
TOverviewWriter OverviewSheetWriter();

// Resolution of the printed strength sheet: the default and the accepted
// range (PNG pages are further limited by the writer).
inline constexpr int kStrengthDefaultDpi = 600;
inline constexpr int kStrengthMinDpi = 50;
inline constexpr int kStrengthMaxDpi = 2400;

// How "strength sheets" writes the printed sheet (Qt builds only; without
// it the command reports that it cannot print).
struct TStrengthSheetWriter {
  // Checks the output name and resolution before the file is read; false
  // with a message for a usage error.
  std::function<bool(const std::string& output, int dpi, std::string& message)> Check;
  // Writes the pages; the names written go to `written`.
  std::function<bool(const TStrengthLog& log, const TStrengthFigures& figures, const std::string& output,
                     int dpi, std::vector<std::string>& written, std::string& message)>
      Write;
  explicit operator bool() const { return Check && Write; }
};

// The figures of a strength log as "strength stats" prints them.
TJson StrengthFiguresJson(const TStrengthLog& log, const TStrengthFigures& figures);

// strength stats|sheets (StrengthCommands.cpp; no Qt); `writer` serves sheets.
void RegisterStrengthCommands(TCommandLine& cli, TStrengthSheetWriter writer = {});

// The options of "strength import" (StrengthImportCommand.cpp; no Qt), as
// given; each is checked by its validator when it is parsed.
struct TStrengthImportArgs {
  std::optional<std::string> Plant, Month, Nominal, Slump, SlumpTolerance, Air, AirTolerance;
  // True when any of them was given.
  bool Any() const;
};

// Adds --plant, --month, --nominal and the mix options to the strength command.
void AddStrengthImportOptions(CLI::App& command, TStrengthImportArgs& args);

// strength import: reads the lab's CSV at `input` and writes the log to
// `output` (a .kst name) through SaveStrengthFile, or nothing on a refusal.
int RunStrengthImport(const std::string& input, const std::string& output, const TStrengthImportArgs& args,
                      TCliIo& io);

// The printed strength sheet writer (StrengthSheetCommand.cpp; Qt builds only).
TStrengthSheetWriter StrengthSheetWriter();

}  // namespace kestrin::cli
