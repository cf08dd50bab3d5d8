// Runs a program, or kestrin-cli of this build, with stdout and stderr
// captured in files of a test folder; gives the exit code and both texts.
#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "tests/core/TempDir.h"

namespace testutil {

inline const std::string kCli = std::string(KESTRIN_BIN_DIR) + "/kestrin-cli";

struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

// Runs argv (searched in PATH when it has no slash).
inline Result RunProgram(const TempDir& dir, const std::vector<std::string>& argv) {
  const std::string outPath = dir / ".stdout", errPath = dir / ".stderr";
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  Result r;
  int status = 0;
  ::waitpid(pid, &status, 0);
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.out = ReadFile(outPath);
  r.err = ReadFile(errPath);
  ::unlink(outPath.c_str());
  ::unlink(errPath.c_str());
  return r;
}

inline Result Cli(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), kCli);
  return RunProgram(dir, args);
}

}  // namespace testutil
