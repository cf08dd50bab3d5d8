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

  kestrin::cli::TCommandLine cli;
  kestrin::cli::RegisterFileCommands(cli);
  kestrin::cli::RegisterExportCommands(cli);
#ifdef KESTRIN_CLI_WITH_CHARTS
  kestrin::cli::RegisterChartCommands(cli);
#endif
#ifdef KESTRIN_CLI_WITH_SHEETS
  kestrin::cli::RegisterSheetCommands(cli);
  kestrin::cli::RegisterOverviewCommands(cli, kestrin::cli::OverviewSheetWriter());
  kestrin::cli::RegisterStrengthCommands(cli, kestrin::cli::StrengthSheetWriter());
#else
  kestrin::cli::RegisterOverviewCommands(cli);
  kestrin::cli::RegisterStrengthCommands(cli);
#endif

  const std::vector<std::string> args(argv + 1, argv + argc);
  kestrin::cli::TCliIo io{std::cout, std::cerr};
  return cli.Run(args, io);
}
