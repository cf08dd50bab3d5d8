// The X̄–R control chart sheet, "スランプ試験（X̄－R管理図）": title,
// header block and seal boxes as on the two other sheets, the caption
// "X̄－R管理図" with the limits' source, both charts with their limits, the
// limit and capability figures, and the list of control-rule signals.
#pragma once

#include "core/ControlChart.h"
#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/Canvas.h"

namespace kestrin {

// Draws the whole sheet into `pageRect` (device pixels of `canvas`) with
// the chart `chart` of the month (ComputeControlChart).
void DrawXbarRSheet(TCanvas& canvas, const TRect& pageRect, const TMainData& data, const TSettings& settings,
                    const TControlChart& chart);

struct TXbarRSheetLayout {
  TRect Title;
  TRect Header;
  TRect Seal;
  TRect Caption;
  TRect Chart;
  TRect Figures;
  TRect Signals;
};
TXbarRSheetLayout XbarRSheetLayout(const TRect& pageRect);

// The most signal rows the sheet lists; more end in "ほか N 件".
inline constexpr int kXbarRSheetSignalRows = 10;

}  // namespace kestrin
