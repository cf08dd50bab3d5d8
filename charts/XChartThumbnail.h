// The X control chart as a file manager's icon of a month file: the screen
// chart's plot, bands, limit lines and values filling the whole picture,
// without the axis texts, which cannot be read at icon sizes.
#pragma once

#include "core/MainData.h"
#include "platform/Canvas.h"

namespace kestrin {

// Pictures smaller than this (either side) get the thumbnail; larger ones
// the screen chart with its labels (the day numbers need about 320 pixels
// across to stand apart).
inline constexpr int kXThumbnailMaxWidth = 320;
inline constexpr int kXThumbnailMaxHeight = 240;

// The chart filling `rect`, with a small margin, no labels, day boundaries
// only (no mid-day lines) and a series line two pixels wide from 200
// pixels up.
void DrawXChartThumbnail(TCanvas& canvas, const TRect& rect, const TMainData& data);

}  // namespace kestrin
