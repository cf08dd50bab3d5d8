// Whether the window can be shown at all: a graphical display must be
// reachable before the application object is made (Qt ends the process
// with an English message and a core dump when it cannot connect).
#pragma once

namespace kestrin {

// True when the platform Qt will use needs no display (QT_QPA_PLATFORM
// names offscreen, minimal, vnc, a frame buffer, ...), or when the X
// server of $DISPLAY accepts a connection, or when the Wayland socket of
// $WAYLAND_DISPLAY does and Qt's Wayland platform plugin is installed.
bool GraphicalDisplayAvailable();

// The Japanese message printed when there is none.
inline constexpr char kNoDisplayMessage[] =
    "Kestrin の画面を開けません：グラフィカルなディスプレイが必要です．\n"
    "デスクトップ（X11 または Wayland）のセッションで起動してください．"
    "画面なしで月度データを扱うときは kestrin-cli を使います（kestrin-cli --help）．\n";

}  // namespace kestrin
