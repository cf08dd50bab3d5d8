// The report pipeline: page setup, the page geometry in device pixels of the
// current printer, pages produced one at a time into page images, the
// preview window that shows them and the print run that sends them to the
// printer.
//
// TVelReport holds the page setup (paper, orientation, margins, units) and
// runs a preview (Preview) or a print (Print). TVelRepDraw is the drawing
// side: its OnPrint handler draws one page on Canvas inside PageRect and
// says through LastPage whether more pages follow.
//
// Pages are produced by a pacing thread (TThreadDraw) that draws nothing
// itself: it asks the user-interface thread, through a blocking queued
// call, to draw the next page, again and again until the last page. All
// drawing, page storage and printing run on the user-interface thread,
// which keeps handling events between two pages, so the preview can show
// page 1 while page 2 is being drawn and the busy window's cancel button
// works during a print run.
//
// On a machine without an installed printer the current printer is Qt's
// PDF printer, so preview and printing to a file work there too.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QThread>

#include <atomic>
#include <climits>
#include <functional>
#include <map>
#include <memory>

#include "platform/Canvas.h"
#include "platform/PageImage.h"
#include "sheets/PageGeometry.h"

class QAbstractButton;
class QLabel;
class QPrinter;
class QTemporaryDir;
class QWidget;

namespace kestrin {

class TVelRepDraw;
class TVelReport;
class TVelReportPreview;

// The font the canvas gets before each page: a logical font and its colour,
// and a fixed size in points that wins over the height when positive.
struct TReportFont {
  TLogFont Log;
  TColor Color = clWindowText;
  int FixSize = 0;
};

// Largest page number: "no page range chosen".
inline constexpr int kNoPageLimit = INT_MAX;

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
  // Shows the preview window modally and returns when it has closed.
  std::function<void(TVelReportPreview& preview)> ExecPreview;
};
TReportUi DefaultReportUi();

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

// Where the pages of a run are kept: a file per page in a private folder of
// the temporary directory, named Title + page number + ".EMF"; in memory
// when no file can be written. Everything is deleted by Clear().
class TPageStore {
 public:
  TPageStore();
  ~TPageStore();
  // A fresh store for a run with the given report title.
  void Open(const QString& title);
  void Clear();
  bool Store(int pageNo, const TPageImage& page);
  bool Load(int pageNo, TPageImage& page) const;
  bool Has(int pageNo) const;
  // The file of a page ("" when the pages are kept in memory).
  QString FileName(int pageNo) const;
  QString Folder() const { return m_folder; }

 private:
  std::unique_ptr<QTemporaryDir> m_dir;
  QString m_folder;  // with a trailing separator; "" = memory only
  QString m_title;
  std::map<int, std::shared_ptr<const TPageImage>> m_memory;
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
  QLabel* StatusBar = nullptr;   // progress texts
  std::function<void(int pageNo)> PageReady;
  std::function<void()> ProductionDone;
  std::function<void(const QString&)> ShowMessage;

  // ---- the run
  // Starts production; false when BeforeReport aborted the run.
  bool StartReport();
  // Produces one page (called by the pacing thread on this object's thread).
  void DrawPage();
  // Stops and waits for the pacing thread, deletes the stored pages.
  void EndReport();

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
  QString m_savedStatus;
  std::unique_ptr<TThreadDraw> m_thread;
  std::unique_ptr<TPageImage> m_page;
  std::unique_ptr<TRecordingCanvas> m_canvas;
  TPageStore m_store;
};

class TVelReport : public QObject {
  Q_OBJECT
 public:
  // `parent` is the window the dialogs and the preview belong to.
  explicit TVelReport(QWidget* parent = nullptr);
  ~TVelReport() override;

  // The drawing component; cleared when it is destroyed.
  void SetRepDraw(TVelRepDraw* draw) { m_repDraw = draw; }
  TVelRepDraw* RepDraw() const { return m_repDraw; }

  // ---- published (defaults of a new component)
  QString Title = QStringLiteral("印刷プレビュー");
  TColor TitleColor = 12615680;
  bool UsePrintDialog = false;
  long double Margin_Left = 0;
  long double Margin_Right = 0;
  long double Margin_Top = 0;
  long double Margin_Bottom = 0;
  TReportUnits Units = TReportUnits::mm;
  TPaperSize PaperSize = TPaperSize::psA3;
  bool OrientIsPortrait = false;
  bool RepZoomMode = true;
  bool UseDefaultPaper = false;
  long double UserWidthMm = 0;   // psUser only
  long double UserHeightMm = 0;

  TReportUi Ui = DefaultReportUi();
  // The device description of the printer (resolution, physical page,
  // unprintable border); replaceable to stand for other printers.
  std::function<TDeviceInfo(const QPrinter&)> PrinterDevice;

  // Runs the preview; true when it ran. When the user asks to print from
  // the preview, a print run follows (Print with the same button).
  bool Preview(bool screenReference = false, QAbstractButton* button = nullptr);
  // Prints (with the print dialog when UsePrintDialog); true when every page
  // went to the printer.
  bool Print(QAbstractButton* button = nullptr);

  // Sets the geometry and the page range of the drawing component; false
  // to abandon the run.
  bool PrepareDevice(bool preview, bool usePrintDialog, bool screenReference);
  // Writes the paper and orientation into the printer; false (with a
  // message) when there is no printer.
  bool ApplyPaper();
  // Reads the orientation (and the tractor-feed source) back from the
  // printer.
  void ReadPrinterPaper();
  long double PaperWidthMm() const;
  long double PaperHeightMm() const;
  TReportSetup Setup() const;

  // The current printer, created on first use by PrinterFactory. Kept for
  // the life of the report, so the print dialog's choices carry over to
  // the next run. Null when there is no printer.
  QPrinter* Printer();
  void SetPrinter(std::unique_ptr<QPrinter> printer);
  // Makes the current printer: the system's default printer, or Qt's PDF
  // printer when none is installed (DefaultPrinter). Null means no printer.
  std::function<std::unique_ptr<QPrinter>()> PrinterFactory;
  static std::unique_ptr<QPrinter> DefaultPrinter();

  bool Running() const { return m_running; }
  bool NoPrinter() const { return m_noPrinter; }
  bool DialogCancelled() const { return m_cancelled; }
  TVelReportPreview* PreviewWindow() const { return m_preview; }
  QWidget* ParentWidget() const { return m_parent; }

 private:
  bool RunPreview(TVelReportPreview& preview);
  bool RunPrint();
  void Message(const QString& text);

  QPointer<QWidget> m_parent;
  QPointer<TVelRepDraw> m_repDraw;
  std::unique_ptr<QPrinter> m_printer;
  bool m_running = false;
  bool m_noPrinter = false;
  bool m_cancelled = false;
  TVelReportPreview* m_preview = nullptr;
};

// Messages of a run.
inline const char* const kMsgNoPrinter = "プリンタを認識することができませんでした．";
inline const char* const kMsgNoData = "データがありませんでした．";
inline const char* const kMsgPrintAborted = "印刷処理を中止します．";
inline const char* const kMsgPrinting = "印刷中...\n\nしばらくお待ちください．";

}  // namespace kestrin
