// The X control chart sheet, "スランプ試験（Ｘ管理図）": title and header
// block as on the table sheet, three seal boxes, the caption "Ｘ管理図" with
// the slump tolerance, the month's X control chart and an empty remarks
// box "《備考欄》" for handwritten notes.
#pragma once

#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/Canvas.h"

namespace kestrin {

// Draws the whole sheet into `pageRect` (device pixels of `canvas`).
void DrawXChartSheet(TCanvas& canvas, const TRect& pageRect, const TMainData& data,
                     const TSettings& settings);

struct TXChartSheetLayout {
  TRect Title;
  TRect Header;
  TRect Seal;
  TRect Caption;
  TRect Chart;
  TRect Remarks;
};
TXChartSheetLayout XChartSheetLayout(const TRect& pageRect);

}  // namespace kestrin
