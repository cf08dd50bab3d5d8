// The report pipeline: pages produced one at a time into page images.
//
// TVelRepDraw is the drawing side of a report: its OnPrint handler draws
// one page on Canvas inside PageRect and says through LastPage whether more
// pages follow. The pages are stored (TPageStore) and announced through
// signals; the preview window and the print run read them from the store.
//
// Pages are produced by a pacing thread (TThreadDraw) that draws nothing
// itself: it asks the user-interface thread, through a blocking queued
// call, to draw the next page, again and again until the last page. All
// drawing, page storage and printing run on the user-interface thread,
// which keeps handling events between two pages, so the preview can show
// page 1 while page 2 is being drawn and the busy window's cancel button
// works during a print run.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>

#include <atomic>
#include <climits>
#include <functional>
#include <memory>

#include "platform/Canvas.h"
#include "platform/PageImage.h"
#include "sheets/PageGeometry.h"
#include "sheets/report/PageStore.h"

namespace kestrin {

class TVelRepDraw;

// Largest page number: "no page range chosen".
inline constexpr int kNoPageLimit = INT_MAX;

// The font the canvas gets before each page: a logical font and its colour,
// and a fixed size in points that wins over the height when positive.
struct TReportFont {
  TLogFont Log;
  TColor Color = clWindowText;
  int FixSize = 0;
};

// The pacing thread of a run.
class TThreadDraw : public QThread {
  Q_OBJECT
 public:
  explicit TThreadDraw(TVelRepDraw* draw);
  // Asks the loop to end after the page in hand.
  void Terminate() { m_terminated = true; }
  bool Terminated() const { return m_terminated; }

 protected:
  void run() override;

 private:
  TVelRepDraw* m_draw;
  std::atomic<bool> m_terminated{false};
};

class TVelRepDraw : public QObject {
  Q_OBJECT
 public:
  explicit TVelRepDraw(QObject* parent = nullptr);
  ~TVelRepDraw() override;

  using TEvent = std::function<void(TVelRepDraw&)>;

  // ---- published
  TReportFont PrintFont;
  TEvent BeforeReport;
  TEvent AfterReport;
  TEvent OnPageFormat;
  TEvent OnPrint;       // draws one page and sets LastPage
  TEvent AfterPrint;
  TEvent BeforeNextPage;

  // ---- run state, for the OnPrint handler
  TPageGeometry Geometry;  // the device geometry of the run
  TReportUnits Units = TReportUnits::mm;
  TRect PageRect;          // drawing area in pixels of the physical page
  TCanvas* Canvas = nullptr;
  int PageNo = 0;          // 1-based page being drawn; 0 before the first
  bool LastPage = false;
  bool TractorFeed = false;
  int CurrentY = 0;        // drawing position (top margin at a page start)
  int RemainHeight = 0;

  // Page range: pages below FromPage are drawn but not kept; production
  // ends at ToPage.
  int FromPage = 1;
  int ToPage = kNoPageLimit;

  int FirstStoredPage() const { return m_firstStored; }
  int LastStoredPage() const { return m_lastStored; }
  bool IsStored(int pageNo) const {
    return m_firstStored > 0 && pageNo >= m_firstStored && pageNo <= m_lastStored;
  }
  bool LoadPage(int pageNo, TPageImage& page) const;
  const TPageStore& Store() const { return m_store; }

  bool Running() const { return m_running; }
  bool Finished() const { return m_finished; }
  bool Aborted() const { return m_abort; }
  bool NoData() const { return m_noData; }
  // Stops production after the current page.
  void Abort() { m_abort = true; }

  // A length in the report's units as device pixels, horizontally or
  // vertically.
  int MmToPixels(long double length, bool horizontal) const;

  // ---- attachments of a run
  QString Title;                 // names the page files
  bool PreviewMode = false;      // no-data handling differs
  bool ShowProgress = false;     // Progress texts while pages are drawn
  std::function<void(const QString&)> ShowMessage;

  // ---- the run
  // Starts production; false when BeforeReport aborted the run.
  bool StartReport();
  // Produces one page (called by the pacing thread on this object's thread).
  void DrawPage();
  // Stops and waits for the pacing thread, deletes the stored pages.
  void EndReport();

 signals:
  // A page has been drawn (and stored when it is in the page range).
  void PageStored(int pageNo);
  // The pacing thread has ended: no more pages come.
  void ProductionFinished();
  // A progress text while pages are drawn (ShowProgress runs only), and
  // the end of production, when the text goes.
  void Progress(const QString& text);
  void ProgressEnded();

 private:
  void ResetDrawingPosition();
  void BeginPage();
  void PrintPage();
  void EndPage();
  void StopProduction();
  void SetFinished();
  void ShowStatus(const QString& text);

  friend class TThreadDraw;

  bool m_running = false;
  bool m_finished = false;
  bool m_abort = false;
  bool m_noData = false;
  int m_firstStored = 0;
  int m_lastStored = 0;
  std::unique_ptr<TThreadDraw> m_thread;
  std::unique_ptr<TPageImage> m_page;
  std::unique_ptr<TRecordingCanvas> m_canvas;
  TPageStore m_store;
};

// Messages of a run.
inline const char* const kMsgNoPrinter = "プリンタを認識することができませんでした．";
inline const char* const kMsgNoData = "データがありませんでした．";
inline const char* const kMsgPrintAborted = "印刷処理を中止します．";
inline const char* const kMsgPrinting = "印刷中...\n\nしばらくお待ちください．";

}  // namespace kestrin
