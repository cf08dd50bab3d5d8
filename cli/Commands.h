// Registration of the kestrin-cli subcommands. Each group of commands has
// its own source file and Register function; main() calls them in the
// order the help lists them. Commands that need Qt (drawing charts or
// sheets) are registered only in builds with Qt.
#pragma once

#include "CommandTable.h"

namespace kestrin::cli {

// stats, resave, import (FileCommands.cpp; no Qt).
void RegisterFileCommands(TCommandTable& table);

// export (ExportCommands.cpp; --calc only where the Calc client is built).
void RegisterExportCommands(TCommandTable& table);

// chart (ChartCommands.cpp; Qt builds only, KESTRIN_CLI_WITH_CHARTS).
void RegisterChartCommands(TCommandTable& table);

// sheets (SheetCommands.cpp; Qt builds only, KESTRIN_CLI_WITH_SHEETS).
void RegisterSheetCommands(TCommandTable& table);

}  // namespace kestrin::cli
