// Whether the window can be shown at all: a graphical display must be
// reachable before the application object is made (Qt ends the process
// with an English message and a core dump when it cannot connect).
#pragma once

struct xcb_connection_t;

namespace kestrin {

// The result of the check. An X connection made by the check stays open
// while the object lives: an X server whose only client leaves resets and
// turns away the clients that connect meanwhile, so the check must not be
// that last client just before Qt connects. Release it once the
// application object has its own connection.
class TDisplayCheck {
 public:
  TDisplayCheck(bool available, xcb_connection_t* x) : available_(available), x_(x) {}
  TDisplayCheck(const TDisplayCheck&) = delete;
  TDisplayCheck& operator=(const TDisplayCheck&) = delete;
  ~TDisplayCheck() { Release(); }

  explicit operator bool() const { return available_; }
  void Release();

 private:
  bool available_;
  xcb_connection_t* x_;
};

// Available when the platform Qt will use needs no display (QT_QPA_PLATFORM
// names offscreen, minimal, vnc, a frame buffer, ...), or when the X
// server of $DISPLAY accepts a connection, or when the Wayland socket of
// $WAYLAND_DISPLAY does and Qt's Wayland platform plugin is installed.
TDisplayCheck CheckGraphicalDisplay();

// The Japanese message printed when there is none.
inline constexpr char kNoDisplayMessage[] =
    "Kestrin の画面を開けません：グラフィカルなディスプレイが必要です．\n"
    "デスクトップ（X11 または Wayland）のセッションで起動してください．"
    "画面なしで月度データを扱うときは kestrin-cli を使います（kestrin-cli --help）．\n";

}  // namespace kestrin
