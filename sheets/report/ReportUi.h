// The dialogs and windows a report run shows to the user: message boxes,
// the print dialog, the busy window of a print run and the preview window.
// Each can be replaced (tests answer them without a person);
// DefaultReportUi() gives the real ones.
//
// The preview window is made and shown here, so that the pipeline that runs
// it does not include it.
#pragma once

#include <QString>

#include <functional>
#include <memory>

class QPrinter;
class QWidget;

namespace kestrin {

class TReportPages;
class TVelReportPreview;

// What the busy window of a print run must offer: it shows while it exists
// and tells between two pages whether its cancel button was pressed.
class TBusyIndicator {
 public:
  virtual ~TBusyIndicator() = default;
  virtual bool Cancelled() const = 0;
};

// The dialogs and windows a run shows to the user. Each can be replaced
// (tests answer them without a person); DefaultReportUi() gives the real
// ones.
struct TReportUi {
  // A message box with an OK button.
  std::function<void(QWidget* parent, const QString& text)> ShowMessage;
  // The print dialog with a page range: fromPage and toPage come in as the
  // allowed range and go out as the chosen one (toPage = kNoPageLimit for
  // all pages). The printer takes the other choices (printer, paper,
  // orientation, output file). False when cancelled.
  std::function<bool(QWidget* parent, QPrinter& printer, int& fromPage, int& toPage)> PrintDialog;
  // The busy window of a print run with the given text and a cancel button.
  std::function<std::unique_ptr<TBusyIndicator>(QWidget* parent, const QString& text)> BusyWindow;
  // Makes the preview window of a run over its pages. A shared pointer, so
  // that the run can hold the window without seeing its type.
  std::function<std::shared_ptr<TVelReportPreview>(TReportPages& pages, QWidget* parent)> MakePreview;
  // Shows the preview window modally and returns when it has closed.
  std::function<void(TVelReportPreview& preview)> ExecPreview;
};
TReportUi DefaultReportUi();

}  // namespace kestrin
