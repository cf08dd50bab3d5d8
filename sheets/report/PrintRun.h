// The print run of a report: the pages of the pipeline go to the printer
// as soon as they are stored, with the busy window up and its cancel
// button asked between pages.
#pragma once

#include <QPointer>
#include <QString>

#include <functional>

#include "sheets/report/ReportUi.h"

class QPrinter;
class QWidget;

namespace kestrin {

class TVelRepDraw;

class TPrintRun {
 public:
  // draw: the pipeline, set up for the run (geometry, page range, title);
  // message shows a message box. zoomToPaper stretches each page onto the
  // whole paper, else it is played at its own scale.
  TPrintRun(TVelRepDraw& draw, QPrinter& printer, const TReportUi& ui, QWidget* parent, QString title,
            bool zoomToPaper, std::function<void(const QString&)> message);

  // Runs the pipeline and prints its pages; true when every page went to
  // the printer (not cancelled, not aborted, no failure).
  bool Run();

 private:
  TVelRepDraw& m_draw;
  QPrinter& m_printer;
  const TReportUi& m_ui;
  QPointer<QWidget> m_parent;
  QString m_title;
  bool m_zoomToPaper;
  std::function<void(const QString&)> m_message;
};

}  // namespace kestrin
