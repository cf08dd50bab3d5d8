#include "HelperProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace kestrin::calc {

namespace {

using Clock = std::chrono::steady_clock;

class TFd {
 public:
  TFd() = default;
  explicit TFd(int fd) : fd_(fd) {}
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  ~TFd() { Close(); }
  int Get() const { return fd_; }
  void Reset(int fd) {
    Close();
    fd_ = fd;
  }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_ = -1;
};

std::string Errno(const char* what, int err) { return std::string(what) + ": " + std::strerror(err); }

// The input as an unnamed file the helper reads from its start: no pipe,
// so no SIGPIPE and no deadlock whatever the helper does with it.
bool MakeInputFile(const std::string& input, TFd& fd, std::string& error) {
  int raw = memfd_create("kestrin-helper-input", MFD_CLOEXEC);
  if (raw < 0) {
    char name[] = "/tmp/kestrin-helper-XXXXXX";
    raw = mkostemp(name, O_CLOEXEC);
    if (raw < 0) {
      error = Errno("cannot create the input file", errno);
      return false;
    }
    ::unlink(name);
  }
  fd.Reset(raw);
  std::size_t done = 0;
  while (done < input.size()) {
    const ssize_t n = ::write(raw, input.data() + done, input.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      error = Errno("cannot write the input file", errno);
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  if (::lseek(raw, 0, SEEK_SET) != 0) {
    error = Errno("cannot rewind the input file", errno);
    return false;
  }
  return true;
}

bool MakePipe(TFd& readEnd, TFd& writeEnd, std::string& error) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    error = Errno("cannot create a pipe", errno);
    return false;
  }
  readEnd.Reset(fds[0]);
  writeEnd.Reset(fds[1]);
  ::fcntl(fds[0], F_SETFL, ::fcntl(fds[0], F_GETFL) | O_NONBLOCK);
  return true;
}

// Reads what is available now; false at end of stream or on error.
bool Drain(int fd, std::string& into) {
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n > 0) {
      const std::size_t room = kMaxCapture > into.size() ? kMaxCapture - into.size() : 0;
      into.append(buf, std::min(room, static_cast<std::size_t>(n)));
      continue;
    }
    if (n == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

class TLineSplitter {
 public:
  explicit TLineSplitter(const std::function<void(const std::string&)>& onLine) : onLine_(onLine) {}
  // Hands every complete line of `text` from the last position on.
  void Feed(const std::string& text) {
    for (std::size_t nl; (nl = text.find('\n', pos_)) != std::string::npos; pos_ = nl + 1)
      if (onLine_) onLine_(text.substr(pos_, nl - pos_));
  }

 private:
  const std::function<void(const std::string&)>& onLine_;
  std::size_t pos_ = 0;
};

void Record(int status, THelperResult& result) {
  if (WIFEXITED(status)) {
    result.End = THelperResult::TEnd::Exited;
    result.ExitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.End = THelperResult::TEnd::Signalled;
    result.Signal = WTERMSIG(status);
  }
}

// waitpid without blocking, retried on EINTR. True when the child has ended.
bool Reaped(pid_t pid, int& status) {
  for (;;) {
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) return true;
    if (r < 0 && errno == EINTR) continue;
    if (r < 0) {  // someone else reaped it: treat as ended
      status = 0;
      return true;
    }
    return false;
  }
}

}  // namespace

THelperResult RunHelper(const THelperRun& run) {
  THelperResult result;
  std::string error;

  TFd input;
  TFd outRead, outWrite, errRead, errWrite;
  if (!MakeInputFile(run.Input, input, error) || !MakePipe(outRead, outWrite, error) ||
      !MakePipe(errRead, errWrite, error)) {
    result.StartError = error;
    return result;
  }

  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(run.Program.c_str()));
  for (const std::string& a : run.Args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, input.Get(), 0);
  posix_spawn_file_actions_adddup2(&actions, outWrite.Get(), 1);
  posix_spawn_file_actions_adddup2(&actions, errWrite.Get(), 2);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  for (int s : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, s);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setpgroup(&attr, 0);  // its own group, killed as a whole
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  const int rc = ::posix_spawn(&pid, run.Program.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  outWrite.Close();
  errWrite.Close();
  input.Close();
  if (rc != 0) {
    result.StartError = Errno(("cannot start " + run.Program).c_str(), rc);
    return result;
  }

  TLineSplitter lines(run.OnLine);
  const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(0, run.TimeoutMs));
  bool outOpen = true;
  bool errOpen = true;
  int status = 0;
  for (;;) {
    if (Reaped(pid, status)) {
      // Take what is left in the pipes without waiting for their end: a
      // process the helper left behind might still hold them.
      Drain(outRead.Get(), result.Stdout);
      Drain(errRead.Get(), result.Stderr);
      lines.Feed(result.Stdout);
      Record(status, result);
      return result;
    }
    const auto now = Clock::now();
    if (now >= deadline) break;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
    pollfd fds[2] = {{outOpen ? outRead.Get() : -1, POLLIN, 0}, {errOpen ? errRead.Get() : -1, POLLIN, 0}};
    const int n = ::poll(fds, 2, static_cast<int>(std::min<long long>(50, left)));
    if (n > 0) {
      if (outOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR)))
        outOpen = Drain(outRead.Get(), result.Stdout);
      if (errOpen && (fds[1].revents & (POLLIN | POLLHUP | POLLERR)))
        errOpen = Drain(errRead.Get(), result.Stderr);
      lines.Feed(result.Stdout);
    }
    if (run.OnWait) run.OnWait();
  }

  // Past the time limit: end the helper's whole process group.
  ::kill(-pid, SIGTERM);
  const auto grace = Clock::now() + std::chrono::seconds(1);
  bool ended = false;
  while (Clock::now() < grace) {
    if ((ended = Reaped(pid, status))) break;
    ::poll(nullptr, 0, 20);
  }
  if (!ended) {
    ::kill(-pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ::kill(-pid, SIGKILL);  // anything of the group that outlived the helper
  Drain(outRead.Get(), result.Stdout);
  Drain(errRead.Get(), result.Stderr);
  lines.Feed(result.Stdout);
  result.End = THelperResult::TEnd::TimedOut;
  return result;
}

}  // namespace kestrin::calc
