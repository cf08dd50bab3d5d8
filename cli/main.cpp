// kestrin-cli: headless access to the month data files for scripting and
// batch work.
#include <iostream>
#include <string>
#include <vector>

#include "Commands.h"
#include "core/DataFile.h"

int main(int argc, char** argv) {
  // A save beyond the file-size limit must report a failure, not end us.
  kestrin::IgnoreFileSizeSignal();

  kestrin::cli::TCommandTable table;
  kestrin::cli::RegisterFileCommands(table);
  kestrin::cli::RegisterExportCommands(table);
#ifdef KESTRIN_CLI_WITH_CHARTS
  kestrin::cli::RegisterChartCommands(table);
#endif
#ifdef KESTRIN_CLI_WITH_SHEETS
  kestrin::cli::RegisterSheetCommands(table);
  kestrin::cli::RegisterOverviewCommands(table, kestrin::cli::OverviewSheetWriter());
#else
  kestrin::cli::RegisterOverviewCommands(table);
#endif

  const std::vector<std::string> args(argv + 1, argv + argc);
  kestrin::cli::TCliIo io{std::cout, std::cerr};
  return table.Run(args, io);
}
