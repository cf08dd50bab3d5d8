// Reaching LibreOffice through UNO: connect to an office that listens on a
// named pipe, or start one that does. Used by the export helper process
// (never by the main program, which must run without LibreOffice).
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <rtl/ustring.hxx>

#include "core/Cp932.h"

namespace kestrin::calc {

struct TOfficeOptions {
  // The pipe the office accepts UNO connections on; empty means
  // DefaultPipeName().
  std::string PipeName;
  // The office start script; empty means the installed LibreOffice.
  std::string SofficePath;
  // Extra arguments for a started office (a private profile, headless
  // mode for tests).
  std::vector<std::string> ExtraArgs;
  // Start an office when none listens on the pipe.
  bool Launch = true;
  // How long to keep trying to connect, in milliseconds.
  int ConnectTimeoutMs = 60000;
};

// Connecting failed: there is no usable office.
class TNoOfficeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "kestrin_calc_<uid>": one pipe per user, shared by every export. When
// another user has taken that name, ConnectOffice uses the name with a
// random part added for its run.
std::string DefaultPipeName();

// The socket file of a LibreOffice pipe of this user.
std::string PipeSocketPath(const std::string& pipeName);

// Whose pipe this is: none yet, this user's (a socket owned by the
// effective user), or anything else (another user's socket, a link, a
// file), which is never connected to.
enum class TPipeOwner { Missing, Own, Foreign };
TPipeOwner PipeOwner(const std::string& pipeName);

// The office start script of the installed LibreOffice.
std::string DefaultSofficePath();

// Sets up the local UNO side (once per process) and returns the office's
// component context. Connects only to a pipe of this user (PipeOwner).
// First tries the pipe once; when nothing listens and
// Launch is set, runs `soffice --norestore --nodefault --accept=...` (a
// running office takes the accept over, otherwise a new one starts) and
// retries every 100 ms until the deadline, giving up early when the started
// process exits with a failure. Throws TNoOfficeError.
css::uno::Reference<css::uno::XComponentContext> ConnectOffice(const TOfficeOptions& options);

// Ends the local side: disposes the local context, which closes the bridge
// to the office without touching the office itself.
void DisconnectOffice();

// Text conversion at the UNO boundary. CP932 bytes that are not valid show
// as U+FFFD.
rtl::OUString Cp932ToOu(const AnsiString& cp932);
std::string OuToUtf8(const rtl::OUString& text);

}  // namespace kestrin::calc
