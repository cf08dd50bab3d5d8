// The printed year overview, "スランプ試験（年間推移）": one A4 landscape
// page per plant with the company name, the plant, the period, the three
// seal boxes, the trend chart of the plant's months and the month table
// with the plant's pooled figures in its last row. Duplicate months are
// marked in the table and under the chart.
#pragma once

#include <QString>
#include <QStringList>

#include "core/Overview.h"
#include "core/Settings.h"
#include "platform/Canvas.h"
#include "sheets/PageGeometry.h"

namespace kestrin {

// Draws the page of plant `plant` (index into overview.Plants) into
// `pageRect`.
void DrawOverviewSheet(TCanvas& canvas, const TRect& pageRect, const TOverview& overview,
                       std::size_t plant, const TSettings& settings);

struct TOverviewSheetLayout {
  TRect Title;
  TRect Header;  // company, plant, period (left part)
  TRect Seal;
  TRect Chart;
  TRect Table;
};
TOverviewSheetLayout OverviewSheetLayout(const TRect& pageRect);

// The page setup of the printed overview: A4 landscape with the sheets'
// margins.
TReportSetup OverviewReportSetup();

// The month table's column captions and the texts of one month row and of
// a plant's pooled row ("－" for a figure that is not defined), shared by
// the printed table and the overview window.
QStringList OverviewColumnCaptions();
QStringList OverviewMonthCells(const TOverviewMonth& month);
QStringList OverviewPlantCells(const TOverviewPlant& plant);

// "2025年4月～2026年3月" (one month alone: "2025年4月").
QString OverviewPeriodText(const TOverview& overview, std::size_t plant);

}  // namespace kestrin
