// The report of the printed strength sheet: its pages (A4 portrait; the
// first with chart and summary, further ones with the rest of the tests),
// previewed or printed through the report pipeline as the month sheets
// are.
#pragma once

#include <QString>

#include "core/Settings.h"
#include "core/StrengthFigures.h"
#include "core/StrengthLog.h"
#include "sheets/report/VelReport.h"

class QAbstractButton;
class QWidget;

namespace kestrin {

// The page handler: page n draws the n-th page of the strength sheet.
void StrengthRepDrawPrint(TVelRepDraw& draw, const TStrengthLog& log, const TStrengthFigures& figures,
                          const TSettings& settings);

// "強度試験_<plant>_<YYYYMM>.pdf"; without a plant "強度試験_<YYYYMM>.pdf".
QString StrengthPdfName(const TStrengthLog& log);

class TStrengthReport {
 public:
  // The log, its figures and the settings are read at drawing time: they
  // must outlive the report's runs.
  TStrengthReport(const TStrengthLog* log, const TStrengthFigures* figures, const TSettings* settings,
                  QWidget* window = nullptr);
  TStrengthReport(const TStrengthReport&) = delete;
  TStrengthReport& operator=(const TStrengthReport&) = delete;

  TVelReport Rep;
  TVelRepDraw RepDraw;

  // Previews or prints every page on A4 portrait; `printButton` is
  // disabled while a print runs.
  bool Run(bool preview, QAbstractButton* printButton = nullptr);

 private:
  const TStrengthLog* log_;
  const TStrengthFigures* figures_;
  const TSettings* settings_;
};

}  // namespace kestrin
