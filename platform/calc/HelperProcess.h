// Runs a helper program with an input, a time limit and a callback while it
// works. The helper runs in its own process group; on timeout the whole group
// is terminated (SIGTERM, then SIGKILL a second later), so a stuck helper can
// never hold the caller.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kestrin::calc {

struct THelperRun {
  std::string Program;            // path of the executable
  std::vector<std::string> Args;  // arguments after the program name
  std::string Input;              // becomes the helper's standard input
  int TimeoutMs = 120000;
  // Each complete line of the helper's standard output, as it arrives.
  std::function<void(const std::string& line)> OnLine;
  // Called about every 50 ms while the helper runs.
  std::function<void()> OnWait;
};

struct THelperResult {
  enum class TEnd {
    NotStarted,  // the program could not be started (StartError says why)
    Exited,      // it ended by itself with ExitCode
    Signalled,   // it was ended by Signal (a crash, or someone killed it)
    TimedOut,    // it ran past the time limit and was killed
  };
  TEnd End = TEnd::NotStarted;
  int ExitCode = -1;
  int Signal = 0;
  std::string StartError;
  std::string Stdout;  // at most kMaxCapture bytes each
  std::string Stderr;
};

inline constexpr std::size_t kMaxCapture = 1 << 20;

// Never throws for anything the helper does.
THelperResult RunHelper(const THelperRun& run);

}  // namespace kestrin::calc
