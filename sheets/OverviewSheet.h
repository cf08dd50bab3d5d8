// The printed year overview, "スランプ試験（年間推移）": A4 landscape pages,
// for each plant a page with the company name, the plant, the period, the
// three seal boxes, the trend chart of the plant's months and the month
// table with the plant's pooled figures in its last row (continued on
// further pages when the plant has more months than fit). Duplicate months
// are marked in the table and under the chart; what could not be read is
// listed on the last pages.
//
// A plant with strength logs has, after its slump pages (none for a plant
// of strength logs alone), a page per mix, "強度試験（年間推移）": the
// same header with the nominal strength, the strength trend chart of the
// mix's months and its table with the pooled row last (continued as the
// month table is).
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
  // A page of a mix's strength rows (FirstRow and Rows then count the
  // mix's rows: its months, then its pooled row).
  bool Strength = false;
  std::size_t Mix = 0;  // index into overview.StrengthMixes
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

// The strength table's captions and the texts of one log's row and of a
// mix's pooled row, shared by the printed table and the window.
QStringList OverviewStrengthCaptions();
QStringList OverviewStrengthMonthCells(const TStrengthOverviewMonth& month);
QStringList OverviewStrengthMixCells(const TOverview& overview, const TStrengthOverviewMix& mix);

// "2025年4月～2026年3月" (one month alone: "2025年4月"): the plant's month
// files, or its strength logs when it has no month file.
QString OverviewPeriodText(const TOverview& overview, std::size_t plant);
// The same of the logs of one mix.
QString StrengthPeriodText(const TOverview& overview, std::size_t mix);

}  // namespace kestrin
