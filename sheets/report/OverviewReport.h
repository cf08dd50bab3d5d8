// The report of the printed year overview: a page per plant (more for a
// plant with many months), A4 landscape, previewed or printed through the report pipeline as the
// month sheets are.
#pragma once

#include "core/Overview.h"
#include "core/Settings.h"
#include "sheets/report/VelReport.h"

class QAbstractButton;
class QWidget;

namespace kestrin {

// The page handler: page n draws the n-th page of OverviewPages.
void OverviewRepDrawPrint(TVelRepDraw& draw, const TOverview& overview, const TSettings& settings);

class TOverviewReport {
 public:
  // The overview and the settings are read at drawing time: they must
  // outlive the report's runs.
  TOverviewReport(const TOverview* overview, const TSettings* settings, QWidget* window = nullptr);
  TOverviewReport(const TOverviewReport&) = delete;
  TOverviewReport& operator=(const TOverviewReport&) = delete;

  TVelReport Rep;
  TVelRepDraw RepDraw;

  // Previews or prints every plant's pages on A4 landscape (whatever the
  // last print dialog chose); `printButton` is disabled while a print runs.
  bool Run(bool preview, QAbstractButton* printButton = nullptr);

 private:
  const TOverview* overview_;
  const TSettings* settings_;
};

}  // namespace kestrin
