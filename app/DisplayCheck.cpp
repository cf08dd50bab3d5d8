#include "DisplayCheck.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QLibraryInfo>
#include <QStringList>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace kestrin {

namespace {

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

// Platforms that draw without any display server.
bool IsHeadlessPlatform(std::string_view name) {
  for (std::string_view p : {"offscreen", "minimal", "vnc", "linuxfb", "eglfs", "vkkhrdisplay", "minimalegl"})
    if (name == p) return true;
  return false;
}

// An open connection to the X server of $DISPLAY, or null.
xcb_connection_t* ConnectXServer() {
  if (Env("DISPLAY").empty()) return nullptr;
  // The same connection the xcb platform makes (address and authority).
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  if (c && xcb_connection_has_error(c) == 0) return c;
  if (c) xcb_disconnect(c);
  return nullptr;
}

// Qt's Wayland platform is a plugin of its own (Debian: qt6-wayland).
bool WaylandPluginInstalled() {
  const QDir platforms(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms"));
  return !platforms.entryList({QStringLiteral("libqwayland*")}, QDir::Files).isEmpty();
}

bool WaylandReachable() {
  const std::string display = Env("WAYLAND_DISPLAY");
  if (display.empty() || !WaylandPluginInstalled()) return false;
  std::string path = display;
  if (path[0] != '/') {
    const std::string runtime = Env("XDG_RUNTIME_DIR");
    if (runtime.empty()) return false;
    path = runtime + "/" + display;
  }
  sockaddr_un addr{};
  if (path.size() >= sizeof addr.sun_path) return false;
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  ::close(fd);
  return ok;
}

}  // namespace

void TDisplayCheck::Release() {
  if (x_) xcb_disconnect(std::exchange(x_, nullptr));
}

TDisplayCheck CheckGraphicalDisplay() {
  // QT_QPA_PLATFORM may list several platforms ("wayland;xcb"), each with
  // options after a colon.
  const std::string platforms = Env("QT_QPA_PLATFORM");
  std::size_t start = 0;
  while (start < platforms.size()) {
    std::size_t end = platforms.find(';', start);
    if (end == std::string::npos) end = platforms.size();
    std::string_view entry(platforms.data() + start, end - start);
    entry = entry.substr(0, entry.find(':'));
    if (IsHeadlessPlatform(entry)) return TDisplayCheck(true, nullptr);
    start = end + 1;
  }
  if (xcb_connection_t* x = ConnectXServer()) return TDisplayCheck(true, x);
  return TDisplayCheck(WaylandReachable(), nullptr);
}

}  // namespace kestrin
