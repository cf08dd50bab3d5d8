#include "UnoOffice.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <cppuhelper/bootstrap.hxx>

extern char** environ;

namespace kestrin::calc {

using css::uno::Reference;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// The installed LibreOffice the helper was built against.
constexpr const char* kProgramDir = "/usr/lib/libreoffice/program";

Reference<css::uno::XComponentContext>& LocalContext() {
  static Reference<css::uno::XComponentContext> context;
  return context;
}

Reference<css::uno::XComponentContext> Local() {
  Reference<css::uno::XComponentContext>& context = LocalContext();
  if (!context.is()) {
    // Without this the local service manager cannot find the UNO types and
    // services of the installation, and Desktop::create crashes later.
    const std::string bootstrap =
        std::string("vnd.sun.star.pathname:") + kProgramDir + "/fundamentalrc";
    setenv("URE_BOOTSTRAP", bootstrap.c_str(), 1);
    context = cppu::defaultBootstrap_InitialComponentContext();
  }
  return context;
}

// Starts the office in its own session, detached from this process, with
// its standard streams on /dev/null (so that it never holds the pipes of
// whoever started this process). Returns the process id or -1.
pid_t StartOffice(const std::string& soffice, const std::vector<std::string>& args) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(soffice.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  posix_spawnattr_t attr;
  posix_spawnattr_init(&attr);
  sigset_t none;
  sigemptyset(&none);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGTERM);
  sigaddset(&defaults, SIGINT);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

  pid_t pid = -1;
  const int rc = posix_spawn(&pid, soffice.c_str(), &actions, &attr, argv.data(), environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) {
    errno = rc;
    return -1;
  }
  return pid;
}

Reference<css::uno::XComponentContext> TryResolve(const Reference<css::bridge::XUnoUrlResolver>& resolver,
                                                  const rtl::OUString& url, std::string& lastError) {
  try {
    Reference<css::uno::XInterface> remote = resolver->resolve(url);
    return Reference<css::uno::XComponentContext>(remote, UNO_QUERY);
  } catch (const css::connection::NoConnectException&) {
    lastError = "no office listens on the pipe";
  } catch (const css::uno::Exception& e) {
    lastError = OuToUtf8(e.Message);
  }
  return {};
}

// A name part nobody else can know in advance.
std::string RandomPart() {
  unsigned char bytes[8] = {};
  std::size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  if (got < sizeof bytes) {
    // No random source: time and process id still make the name
    // unpredictable enough to be no fixed target.
    const auto t = std::chrono::steady_clock::now().time_since_epoch().count();
    for (std::size_t i = 0; i < sizeof bytes; ++i) bytes[i] ^= static_cast<unsigned char>((t >> (8 * i)) ^ getpid());
  }
  static const char* const kHex = "0123456789abcdef";
  std::string s;
  for (unsigned char b : bytes) {
    s += kHex[b >> 4];
    s += kHex[b & 15];
  }
  return s;
}

}  // namespace

std::string PipeSocketPath(const std::string& pipeName) {
  // Where LibreOffice's pipes live: /tmp, or /var/tmp when /tmp cannot be
  // written; named after the user and the pipe.
  const char* dir = access("/tmp", W_OK) == 0 ? "/tmp" : "/var/tmp";
  return std::string(dir) + "/OSL_PIPE_" + std::to_string(getuid()) + "_" + pipeName;
}

TPipeOwner PipeOwner(const std::string& pipeName) {
  struct stat st {};
  if (lstat(PipeSocketPath(pipeName).c_str(), &st) != 0) return TPipeOwner::Missing;
  // A link, a file of another kind or another user's socket: not ours. In
  // the sticky temporary folder nobody else can replace our own socket, so
  // what is checked here is what the connection reaches.
  if (!S_ISSOCK(st.st_mode) || st.st_uid != geteuid()) return TPipeOwner::Foreign;
  return TPipeOwner::Own;
}

std::string DefaultPipeName() { return "kestrin_calc_" + std::to_string(getuid()); }

std::string DefaultSofficePath() { return std::string(kProgramDir) + "/soffice"; }

rtl::OUString Cp932ToOu(const AnsiString& cp932) {
  const std::string utf8 = Cp932ToUtf8Lossy(cp932);
  return rtl::OUString(utf8.data(), static_cast<sal_Int32>(utf8.size()), RTL_TEXTENCODING_UTF8);
}

std::string OuToUtf8(const rtl::OUString& text) {
  const rtl::OString s = rtl::OUStringToOString(text, RTL_TEXTENCODING_UTF8);
  return std::string(s.getStr(), static_cast<std::size_t>(s.getLength()));
}

Reference<css::uno::XComponentContext> ConnectOffice(const TOfficeOptions& options) {
  std::string pipe = options.PipeName.empty() ? DefaultPipeName() : options.PipeName;
  // Another user holds the pipe's name (planted before us): never talk to
  // it; this run uses a name of its own that only it knows.
  if (PipeOwner(pipe) == TPipeOwner::Foreign) pipe += "_" + RandomPart();
  const std::string soffice = options.SofficePath.empty() ? DefaultSofficePath() : options.SofficePath;
  const std::string accept = "--accept=pipe,name=" + pipe + ";urp;";
  const std::string urlText = "uno:pipe,name=" + pipe + ";urp;StarOffice.ComponentContext";
  const rtl::OUString url = rtl::OUString::createFromAscii(urlText.c_str());

  Reference<css::bridge::XUnoUrlResolver> resolver;
  try {
    resolver = css::bridge::UnoUrlResolver::create(Local());
  } catch (const css::uno::Exception& e) {
    throw TNoOfficeError("cannot set up the local UNO environment: " + OuToUtf8(e.Message));
  }

  // Connects only to a pipe of this user.
  std::string lastError = "no office listens on the pipe";
  auto connect = [&]() -> Reference<css::uno::XComponentContext> {
    switch (PipeOwner(pipe)) {
      case TPipeOwner::Missing: return {};
      case TPipeOwner::Foreign:
        throw TNoOfficeError("the office pipe " + PipeSocketPath(pipe) + " belongs to another user");
      case TPipeOwner::Own: break;
    }
    return TryResolve(resolver, url, lastError);
  };
  if (auto remote = connect(); remote.is()) return remote;
  if (!options.Launch) throw TNoOfficeError("no office on pipe " + pipe + ": " + lastError);

  if (access(soffice.c_str(), X_OK) != 0)
    throw TNoOfficeError("LibreOffice is not installed (" + soffice + " not found)");
  std::vector<std::string> args = {"--norestore", "--nodefault", accept};
  args.insert(args.end(), options.ExtraArgs.begin(), options.ExtraArgs.end());
  pid_t child = StartOffice(soffice, args);
  if (child < 0) throw TNoOfficeError("cannot start " + soffice + ": " + std::strerror(errno));

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(options.ConnectTimeoutMs);
  for (;;) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    if (auto remote = connect(); remote.is()) return remote;
    if (child > 0) {
      int status = 0;
      if (waitpid(child, &status, WNOHANG) == child) {
        child = 0;
        // Exit status 0: the arguments went to an office that was already
        // running, which now listens (or is about to). Anything else: the
        // office could not start.
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
          const std::string how = WIFEXITED(status) ? "exit status " + std::to_string(WEXITSTATUS(status))
                                                    : "signal " + std::to_string(WTERMSIG(status));
          throw TNoOfficeError("the office ended at start-up (" + how + ")");
        }
      }
    }
    if (std::chrono::steady_clock::now() >= deadline)
      throw TNoOfficeError("the office did not accept a connection in time: " + lastError);
  }
}

void DisconnectOffice() {
  Reference<css::uno::XComponentContext>& context = LocalContext();
  if (!context.is()) return;
  Reference<css::lang::XComponent> component(context, UNO_QUERY);
  context.clear();
  if (component.is()) component->dispose();
}

}  // namespace kestrin::calc
