// The command line of kestrin-cli, parsed by CLI11: one subcommand per
// command, each with its typed options. Each command lives in its own
// source file and adds its subcommand by a Register... function (see
// Commands.h); main() builds the command line and hands it the arguments.
//
// The help texts are made from the subcommands' options by the command
// line's own formatter, and every parse error becomes a Japanese message
// with the usage of the command; a usage error exits with 2.
#pragma once

#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>
#include <stdexcept>
#include <string>
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

// Thrown by a command for a usage error found after parsing (a value that
// depends on another option): the message, then the command's usage, exit 2.
class TUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr char kProgramName[] = "kestrin-cli";

class TCommandLine {
 public:
  // Runs the command after a successful parse; returns the exit code. The
  // command's options are bound to variables the function reaches.
  using TRun = std::function<int(TCliIo& io)>;

  TCommandLine();

  // Adds a command with its description (Japanese; the first sentence is
  // the summary in the command list). Returns its subcommand, to which the
  // command adds its arguments and options.
  CLI::App& Add(const std::string& name, const std::string& description, TRun run);

  // Parses the arguments (without the program name) and runs the command:
  // --help, usage errors (exit 2), then the command. Exceptions from a
  // command end in a message and exit code 1.
  int Run(const std::vector<std::string>& args, TCliIo& io);

  // The --help text.
  std::string Usage() const;
  // The --help text of a command.
  std::string CommandHelp(const CLI::App& command) const;
  // "使い方: kestrin-cli NAME ARGS" of a command, one line.
  std::string CommandUsage(const CLI::App& command) const;

 private:
  CLI::App app_;
  std::vector<std::pair<const CLI::App*, TRun>> runs_;

  // The listed commands (not "help"), in the order they were added.
  std::vector<const CLI::App*> Commands() const;
  // "不明なコマンドです：WORD", the nearest command when one is close, and
  // the usage.
  std::string UnknownCommand(const std::string& word) const;
  std::string Help(const CLI::App* app) const;
  std::string FailureText(const CLI::Error& e) const;
  const CLI::App* Selected() const;
};

// Adds a required positional argument shown as typeName ("FILE.slt").
CLI::Option* AddArgument(CLI::App& command, std::string& into, const std::string& typeName,
                         const std::string& description);

// Validators whose failure message is Japanese: message followed by "：" and
// the value given.
// One of the given words.
CLI::Validator OneOf(std::vector<std::string> words, std::string message);
// A whole decimal number from lo to hi.
CLI::Validator IntegerIn(int lo, int hi, std::string message);
// A value ok() accepts.
CLI::Validator Accepted(std::function<bool(const std::string&)> ok, std::string message);

}  // namespace kestrin::cli
