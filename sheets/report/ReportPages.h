// What the preview window reads of a report run, and nothing more: the
// stored pages, the page and paper size, the run's title and first page,
// and where it asks for printing. The run implements it; it tells the
// window about new pages, the end of production and progress texts through
// the signals only.
#pragma once

#include <QObject>
#include <QSize>
#include <QString>

#include "platform/Color.h"
#include "platform/PageImage.h"

namespace kestrin {

class TReportPages : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

  // The title bar of the window: the run's title and its colour.
  virtual QString RunTitle() const = 0;
  virtual TColor RunTitleColor() const = 0;
  // The page the window opens on (the first page of the page range).
  virtual int FirstPageOfRange() const = 0;

  // The stored pages: a range, 0 and 0 before the first one is stored.
  virtual int FirstStoredPage() const = 0;
  virtual int LastStoredPage() const = 0;
  virtual bool IsStored(int pageNo) const = 0;
  virtual bool LoadPage(int pageNo, TPageImage& page) const = 0;

  // The whole paper in device pixels of the run (empty before the run has
  // its geometry), and in millimetres.
  virtual QSize PageSizePixels() const = 0;
  virtual long double PaperWidthMm() const = 0;
  virtual long double PaperHeightMm() const = 0;

  // The user asks for a print run, which follows when the window has
  // closed.
  virtual void RequestPrint() = 0;

 signals:
  // A page has been drawn (and stored when it is in the page range).
  void PageStored(int pageNo);
  // No more pages come.
  void ProductionFinished();
  // A progress text for the status bar while pages are drawn, and the end
  // of production, when the bar shows its own text again.
  void Progress(const QString& text);
  void ProgressEnded();
};

}  // namespace kestrin
