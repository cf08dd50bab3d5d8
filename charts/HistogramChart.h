// The on-screen histogram: the frequency table of the month's histogram
// classes and, in its "度 数 チ ェ ッ ク" column, a horizontal bar chart of the
// frequencies, with "L･L" and "U･L" at the lowest and highest occupied
// class.
#pragma once

#include <cstdint>

#include "core/MainData.h"
#include "platform/Canvas.h"

namespace kestrin {

// Colours of the screen histogram.
inline constexpr TColor kHistHeaderColor = Rgb(207, 250, 203);
inline constexpr TColor kHistOutColor = Rgb(250, 190, 184);   // class centre beyond T +- K
inline constexpr TColor kHistInColor = Rgb(253, 244, 225);
inline constexpr TColor kHistTotalColor = Rgb(247, 207, 125);
inline constexpr TColor kHistBarColor = Rgb(69, 98, 233);
inline constexpr TColor kHistMinorScaleColor = Rgb(128, 128, 128);

// The layout of one drawing, in device pixels.
struct THistogramLayout {
  int ScaleMax = 20;  // frequency at the right end of the bar area
  TRect Area;         // the 1.7 : 1 table rectangle
  int X[9] = {};      // column edges X0 .. X8
  int Y[6] = {};      // row edges Y0 .. Y5
  long double RowHeight = 0;  // rh
  long double Unit = 0;       // pixels per frequency unit in the bar area
  int Rows = 0;               // class rows N
};

// The frequency at the right end of the bar area: the largest frequency,
// at least 20; above 20 the next multiple of 5 strictly above it.
int HistogramScaleMax(const TMainData& data);

// The layout DrawHistogram uses for a paint box's client rectangle.
THistogramLayout HistogramLayout(const TRect& rect, const TMainData& data);

// Draws the histogram table in the largest 1.7 : 1 rectangle centred in
// `rect` shrunk by 16 pixels on every side. Nothing is drawn outside it.
void DrawHistogram(TCanvas& canvas, const TRect& rect, const TMainData& data);

}  // namespace kestrin
