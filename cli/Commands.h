// Registration of the kestrin-cli subcommands. Each group of commands has
// its own source file and Register function; main() calls them in the
// order the help lists them. Commands that need Qt (drawing charts or
// sheets) are registered only in builds with Qt.
#pragma once

#include <ostream>
#include <string>

#include "CommandTable.h"
#include "core/MainData.h"
#include "core/SafeFile.h"

namespace kestrin::cli {

// The messages of a failed load or save, as the window shows them.
inline constexpr char kLoadFailed[] = "ファイルのロードに失敗しました．";
inline constexpr char kSaveFailed[] = "ファイルのセーブに失敗しました．";

// Loads as the main window's load command does: reset the record, read the
// file, recompute. On failure the record is a fresh default month.
TFileResult LoadMonth(const std::string& path, TMainData& data);

// Writes the fixed message and, on a second line, the reason of `result`.
void PrintFailure(std::ostream& err, const char* message, const TFileResult& result);

// stats, resave, import (FileCommands.cpp; no Qt).
void RegisterFileCommands(TCommandTable& table);

// export (ExportCommands.cpp; --calc only where the Calc client is built).
void RegisterExportCommands(TCommandTable& table);

// chart (ChartCommands.cpp; Qt builds only, KESTRIN_CLI_WITH_CHARTS).
void RegisterChartCommands(TCommandTable& table);

// sheets (SheetCommands.cpp; Qt builds only, KESTRIN_CLI_WITH_SHEETS).
void RegisterSheetCommands(TCommandTable& table);

}  // namespace kestrin::cli
