#include "sheets/report/PrintRun.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPrinter>
#include <QTimer>

#include <algorithm>

#include "platform/QtCanvas.h"
#include "platform/SafeSave.h"
#include "sheets/report/ReportPipeline.h"

namespace kestrin {

TPrintRun::TPrintRun(TVelRepDraw& draw, QPrinter& printer, const TReportUi& ui, QWidget* parent,
                     QString title, bool zoomToPaper, std::function<void(const QString&)> message)
    : m_draw(draw),
      m_printer(printer),
      m_ui(ui),
      m_parent(parent),
      m_title(std::move(title)),
      m_zoomToPaper(zoomToPaper),
      m_message(std::move(message)) {}

bool TPrintRun::Run() {
  TVelRepDraw* draw = &m_draw;
  QPrinter* printer = &m_printer;
  if (!draw->StartReport()) return false;

  std::unique_ptr<TBusyIndicator> busy;
  if (m_ui.BusyWindow) busy = m_ui.BusyWindow(m_parent, QString::fromUtf8(kMsgPrinting));

  // Wakes the loop below regularly even when no event arrives.
  QTimer tick;
  tick.start(20);

  // A PDF printer's document is written by the safe writer at the end.
  TSafePdfOutput pdfOutput(printer);
  QPainter painter;
  bool begun = false;
  bool jobAborted = false;
  bool userCancelled = false;
  bool failed = false;
  int printed = 0;
  const TPageGeometry& g = draw->Geometry;
  // Pages below the range's first page are drawn but never stored: the
  // loop starts at the first page that can be stored.
  int i = std::max(1, draw->FromPage);
  for (;;) {
    if (userCancelled || jobAborted || failed) break;
    if (draw->Finished() && draw->LastStoredPage() < i) break;
    if (busy && busy->Cancelled()) {
      userCancelled = true;
      break;
    }
    if (draw->LastStoredPage() >= i) {
      TPageImage page;
      if (draw->LoadPage(i, page)) {  // a missing page is skipped
        if (!begun) {
          printer->setDocName(m_title);
          const TFileResult target = pdfOutput.Start();
          if (!target || !painter.begin(printer)) {
            failed = true;
            m_message(WithReasonLine(QString::fromUtf8(kMsgPrintAborted), target));
            break;
          }
          begun = true;
        } else {
          printer->newPage();
        }
        {
          // The painter's origin is the paper's corner (full page), so the
          // page image needs no shift by the unprintable offsets.
          TQtCanvas canvas(&painter);
          if (m_zoomToPaper) {
            page.Play(canvas, TRect{0, 0, g.PhysicalWidth, g.PhysicalHeight});
          } else {
            page.Play(canvas, 1.0, 1.0, 0, 0);
          }
        }
        ++printed;
        if (draw->Aborted()) {
          printer->abort();
          jobAborted = true;
        }
        if (draw->NoData()) {
          m_message(QString::fromUtf8(kMsgNoData));
        } else if (jobAborted) {
          m_message(QString::fromUtf8(kMsgPrintAborted));
        }
      }
      ++i;
      QCoreApplication::processEvents();
      continue;
    }
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  if (begun) {
    if (!jobAborted) {
      if (!painter.end()) failed = true;
      if (!failed) {
        if (const TFileResult saved = pdfOutput.Commit(); !saved) {
          failed = true;
          m_message(WithReasonLine(QString::fromUtf8(kMsgPrintAborted), saved));
        }
      }
    } else {
      painter.end();
    }
  }
  tick.stop();
  busy.reset();
  draw->EndReport();
  return begun && printed > 0 && !jobAborted && !userCancelled && !failed;
}

}  // namespace kestrin
