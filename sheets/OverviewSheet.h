// The printed year overview, "スランプ試験（年間推移）": A4 landscape pages,
// for each plant a page with the company name, the plant, the period, the
// three seal boxes, the trend chart of the plant's months and the month
// table with the plant's pooled figures in its last row (continued on
// further pages when the plant has more months than fit). Duplicate months
// are marked in the table and under the chart; what could not be read is
// listed on the last pages.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "core/Overview.h"
#include "core/Settings.h"
#include "platform/Canvas.h"
#include "sheets/PageGeometry.h"

namespace kestrin {

// One printed page. A plant's rows are its months and then its pooled
// row. Its first page holds the trend chart of all its months and as many
// rows as fit at the normal row height; when they do not all fit, the
// table goes on over further pages without the chart, at the same row
// height (rows never shrink to squeeze a long period onto one page).
// After the plants, the files and folders that could not be read are
// listed with the reason on pages of their own, so that a printed
// overview never leaves them out in silence.
struct TOverviewPage {
  std::size_t Plant = 0;     // index into overview.Plants
  std::size_t FirstRow = 0;  // into the plant's rows (or overview.FailedFiles)
  std::size_t Rows = 0;
  int Part = 0;  // 0 for the plant's first page
  int Parts = 1;
  bool Failures = false;  // a page of the list of failed entries
};
std::vector<TOverviewPage> OverviewPages(const TOverview& overview);

// Draws `page` into `pageRect`.
void DrawOverviewSheet(TCanvas& canvas, const TRect& pageRect, const TOverview& overview,
                       const TOverviewPage& page, const TSettings& settings);

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
// the printed table and the overview window. The column 管理外れ counts the
// control-rule signals of `rules` (ControlSignalCount; the plant's row
// adds up its months).
QStringList OverviewColumnCaptions();
QStringList OverviewMonthCells(const TOverviewMonth& month, const TControlRuleSet& rules);
QStringList OverviewPlantCells(const TOverview& overview, const TOverviewPlant& plant,
                               const TControlRuleSet& rules);

// "2025年4月～2026年3月" (one month alone: "2025年4月").
QString OverviewPeriodText(const TOverview& overview, std::size_t plant);

}  // namespace kestrin
