// The report of the two printed sheets as the main window runs it: one
// TVelReport and one TVelRepDraw set up with the window's values, the sheet
// choice PrintSheet and the page handler RepDrawPrint that sends each page
// to the right sheet drawer.
//
// The main window's commands: set the paper (A4 portrait, PreparePaper),
// then Run(printSheet) previews or prints the chosen sheets.
#pragma once

#include <functional>

#include "platform/Canvas.h"
#include "sheets/PrintSheet.h"
#include "sheets/report/VelReport.h"

class QAbstractButton;
class QWidget;

namespace kestrin {

struct TMainData;
struct TSettings;

// Draws one sheet on a canvas inside a page rectangle.
using TSheetDrawer = std::function<void(TCanvas& canvas, const TRect& pageRect)>;

struct TSheetDrawers {
  TSheetDrawer Table;   // control table and histogram sheet
  TSheetDrawer XChart;  // X control chart sheet
};

// The drawers of the program's two sheets for a month record and settings
// (both read at drawing time, so they must outlive the report's runs).
TSheetDrawers MakeSheetDrawers(const TMainData& data, const TSettings& settings);

// The page handler: with Table or XChart that sheet as the only page; with
// All the table sheet on page 1 and the X chart sheet on page 2, which is
// the last.
void RepDrawPrint(TVelRepDraw& draw, TPrintSheet printSheet, const TSheetDrawers& drawers);

// The values the main window gives its report components.
void SetupMainReport(TVelReport& report);
void SetupMainRepDraw(TVelRepDraw& draw);

class TSheetReport {
 public:
  explicit TSheetReport(QWidget* window = nullptr);
  TSheetReport(const TSheetReport&) = delete;
  TSheetReport& operator=(const TSheetReport&) = delete;

  TVelReport Rep;
  TVelRepDraw RepDraw;
  TSheetDrawers Drawers;
  TPrintSheet PrintSheet = TPrintSheet::All;
  bool PreviewMode = true;

  // What the preview and print commands do before the sheet choice: the
  // report's paper becomes A4 portrait again, whatever the last print
  // dialog chose.
  void PreparePaper();
  // Sets PrintSheet and previews (PreviewMode) or prints; `printButton` is
  // disabled while a print runs. The paper is set to A4 portrait first.
  bool Run(TPrintSheet printSheet, QAbstractButton* printButton = nullptr);
};

}  // namespace kestrin
