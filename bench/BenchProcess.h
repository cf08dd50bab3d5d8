// Whole-process benchmarks of kestrin-cli: each iteration starts the tool
// (its standard output to /dev/null) and waits for it to end. The tool's
// own processor time per run is reported as `child_cpu_ms`: on a loaded
// machine the wall time is mostly waiting for a core.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

namespace kestrin::bench {

inline std::string CliPath() { return std::string(KESTRIN_BIN_DIR) + "/kestrin-cli"; }

// Runs `kestrin-cli args...` once per iteration; a run that cannot start or
// does not exit 0 ends the benchmark with an error naming `command`.
inline void TimeCliRuns(benchmark::State& state, std::vector<std::string> args, const std::string& command) {
  args.insert(args.begin(), CliPath());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  auto childCpu = [] {
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
  };
  const double cpuBefore = childCpu();
  for (auto _ : state) {
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start kestrin-cli");
      break;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError(("kestrin-cli " + command + " failed").c_str());
      break;
    }
  }
  ::posix_spawn_file_actions_destroy(&actions);
  if (state.iterations() > 0)
    state.counters["child_cpu_ms"] =
        benchmark::Counter((childCpu() - cpuBefore) / static_cast<double>(state.iterations()));
}

}  // namespace kestrin::bench
