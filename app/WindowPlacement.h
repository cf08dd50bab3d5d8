// The main window's position and state in the settings file, section
// "TFrmMain":
//   Flags          placement flags (always 0: the window system has none)
//   ShowCmd        1 normal, 2 minimized, 3 maximized
//   NormalPos      the normal (restored) rectangle "left,top,right,bottom",
//                  right and bottom exclusive, of the window's client area
//   PixelsPerInch  the screen resolution when written
//   Color          the window colour as 0x00BBGGRR; written, never read
// A placement written at another resolution is not restored.
#pragma once

#include <QRect>
#include <array>
#include <optional>
#include <string>

class QWidget;

namespace kestrin {

class TIniFile;

inline constexpr char kPlacementSection[] = "TFrmMain";

// The show states of the "ShowCmd" key.
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;

struct TWindowPlacement {
  int Flags = 0;
  int ShowCmd = kShowNormal;
  QRect NormalPos;  // client area of the normal window
  int PixelsPerInch = 96;
  int Color = 0;
};

// "left,top,right,bottom" of a rectangle (right = left + width).
std::string FormatNormalPos(const QRect& r);
// Reads "left,top,right,bottom"; each number that does not parse takes the
// matching edge of `current`. Gives left, top, right, bottom in that order.
std::array<int, 4> ParseNormalPos(const std::string& text, const QRect& current);

// What the window looks like now.
TWindowPlacement CurrentPlacement(const QWidget& window);
void WritePlacement(TIniFile& ini, const TWindowPlacement& placement);

// What to do with a stored placement at the current resolution: nothing
// (no value) when it was written at another resolution; otherwise the
// normal rectangle (null when absent or left >= right) and the show state.
struct TPlacementRestore {
  QRect NormalPos;
  int ShowCmd = 0;  // 0: keep the state
};
std::optional<TPlacementRestore> PlacementToRestore(const TIniFile& ini, int pixelsPerInch,
                                                    const QRect& current);

// Restores the window from the file; true when something was applied. A
// rectangle lying off every screen is moved onto the primary screen.
bool RestorePlacement(const TIniFile& ini, QWidget& window);

// The screen resolution the window is shown at.
int ScreenPixelsPerInch(const QWidget& window);

}  // namespace kestrin
