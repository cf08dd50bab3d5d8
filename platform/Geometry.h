// Integer points, sizes and rectangles in device pixels, with the old
// canvas's conventions: a rectangle (Left, Top, Right, Bottom) covers the
// pixels Left..Right-1 and Top..Bottom-1.
#pragma once

namespace kestrin {

struct TPoint {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TSize {
  int cx = 0;
  int cy = 0;
  friend bool operator==(const TSize&, const TSize&) = default;
};

struct TRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;

  constexpr int Width() const { return Right - Left; }
  constexpr int Height() const { return Bottom - Top; }
  constexpr bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  friend bool operator==(const TRect&, const TRect&) = default;
};

constexpr TRect Rect(int left, int top, int right, int bottom) {
  return TRect{left, top, right, bottom};
}

constexpr TPoint Point(int x, int y) { return TPoint{x, y}; }

}  // namespace kestrin
