// The subcommand table of kestrin-cli. Each command lives in its own source
// file and is added to the table by a Register... function (see Commands.h);
// main() builds the table and hands it the arguments.
#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace kestrin::cli {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,  // load, save or validation failure
  kExitUsage = 2,    // unknown command, wrong arguments
};

// Where a command writes: results to out, messages to err (Japanese, UTF-8).
struct TCliIo {
  std::ostream& out;
  std::ostream& err;
};

struct TCliCommand {
  std::string name;      // "stats"
  std::string argsHelp;  // "FILE.slt"
  std::string summary;   // one line, Japanese
  std::size_t minArgs = 0;
  std::size_t maxArgs = 0;
  // Runs with the arguments after the command name; returns the exit code.
  std::function<int(const std::vector<std::string>& args, TCliIo& io)> run;
};

class TCommandTable {
 public:
  // Adds a command; a later command of the same name replaces the earlier.
  void Add(TCliCommand command);
  const TCliCommand* Find(std::string_view name) const;
  const std::vector<TCliCommand>& Commands() const { return commands_; }

  // The --help text.
  std::string Usage() const;
  // The usage line of one command.
  std::string CommandUsage(const TCliCommand& command) const;

  // Dispatches the arguments (without the program name): --help, the
  // command's own --help, argument-count checks, then the command.
  // Exceptions from a command end in a message and exit code 1.
  int Run(const std::vector<std::string>& args, TCliIo& io) const;

 private:
  std::vector<TCliCommand> commands_;
};

inline constexpr char kProgramName[] = "kestrin-cli";

}  // namespace kestrin::cli
