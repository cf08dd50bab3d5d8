#include "sheets/report/VelReport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <cmath>

#include "core/Numbers.h"
#include "platform/QtCanvas.h"
#include "platform/SafeSave.h"
#include "sheets/report/ReportPreview.h"
#include "widgets/BusyWindow.h"

namespace kestrin {

// ------------------------------------------------------------------ UI hooks

namespace {

class TBusyWindowIndicator : public TBusyIndicator {
 public:
  TBusyWindowIndicator(QWidget* parent, const QString& text)
      : m_window(new TBusyWindow(parent, text)) {
    m_window->setAttribute(Qt::WA_DeleteOnClose, false);
    m_window->show();
    m_window->raise();
  }
  ~TBusyWindowIndicator() override { delete m_window; }
  bool Cancelled() const override { return m_window->Cancelled(); }

 private:
  TBusyWindow* m_window;
};

QString AppCaption() {
  const QString name = QApplication::applicationDisplayName();
  return name.isEmpty() ? QStringLiteral("Kestrin") : name;
}

}  // namespace

TReportUi DefaultReportUi() {
  TReportUi ui;
  ui.ShowMessage = [](QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, AppCaption(), text, QMessageBox::Ok, parent);
    box.exec();
  };
  ui.PrintDialog = [](QWidget* parent, QPrinter& printer, int& fromPage, int& toPage) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setMinMax(fromPage, toPage);
    printer.setPrintRange(QPrinter::AllPages);
    if (dialog.exec() != QDialog::Accepted) return false;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
      fromPage = printer.fromPage();
      toPage = std::max(printer.fromPage(), printer.toPage());
    }
    return true;
  };
  ui.BusyWindow = [](QWidget* parent, const QString& text) -> std::unique_ptr<TBusyIndicator> {
    return std::make_unique<TBusyWindowIndicator>(parent, text);
  };
  ui.ExecPreview = [](TVelReportPreview& preview) {
    preview.PlaceMaximized();
    preview.exec();
  };
  return ui;
}

// --------------------------------------------------------------- TThreadDraw

TThreadDraw::TThreadDraw(TVelRepDraw* draw) : m_draw(draw) {}

void TThreadDraw::run() {
  TVelRepDraw* draw = m_draw;
  while (!m_terminated) {
    QMetaObject::invokeMethod(draw, [draw] { draw->DrawPage(); }, Qt::BlockingQueuedConnection);
  }
  QMetaObject::invokeMethod(draw, [draw] { draw->SetFinished(); }, Qt::BlockingQueuedConnection);
}

// ---------------------------------------------------------------- TPageStore

TPageStore::TPageStore() = default;
TPageStore::~TPageStore() { Clear(); }

void TPageStore::Open(const QString& title) {
  Clear();
  QString name = title;
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  m_title = name;
  // A private folder per run: no other user or run can see or replace the
  // page files, and removing the folder removes every page.
  m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kestrin-XXXXXX"));
  if (m_dir->isValid()) {
    m_folder = m_dir->path();
    if (!m_folder.endsWith(QLatin1Char('/'))) m_folder += QLatin1Char('/');
  } else {
    m_dir.reset();
    m_folder.clear();
  }
}

void TPageStore::Clear() {
  m_memory.clear();
  m_dir.reset();  // removes the folder with its page files
  m_folder.clear();
}

QString TPageStore::FileName(int pageNo) const {
  if (m_folder.isEmpty()) return QString();
  return m_folder + m_title + QString::number(pageNo) + QStringLiteral(".EMF");
}

bool TPageStore::Store(int pageNo, const TPageImage& page) {
  if (!m_folder.isEmpty() && page.SaveToFile(FileName(pageNo))) return true;
  m_memory[pageNo] = std::make_shared<const TPageImage>(page);
  return true;
}

bool TPageStore::Load(int pageNo, TPageImage& page) const {
  auto it = m_memory.find(pageNo);
  if (it != m_memory.end()) {
    page = *it->second;
    return true;
  }
  if (m_folder.isEmpty()) return false;
  return page.LoadFromFile(FileName(pageNo));
}

bool TPageStore::Has(int pageNo) const {
  if (m_memory.count(pageNo)) return true;
  return !m_folder.isEmpty() && QFile::exists(FileName(pageNo));
}

// --------------------------------------------------------------- TVelRepDraw

TVelRepDraw::TVelRepDraw(QObject* parent) : QObject(parent) {
  PrintFont.Log = TFont::DefaultLogFont();
}

TVelRepDraw::~TVelRepDraw() {
  if (m_running) EndReport();
}

bool TVelRepDraw::LoadPage(int pageNo, TPageImage& page) const {
  if (!IsStored(pageNo)) return false;
  return m_store.Load(pageNo, page);
}

int TVelRepDraw::MmToPixels(long double length, bool horizontal) const {
  return kestrin::MmToPixels(length, horizontal ? Geometry.ResX : Geometry.ResY, Units);
}

void TVelRepDraw::ResetDrawingPosition() {
  CurrentY = Geometry.MarginTop;
  RemainHeight = Geometry.DrawHeight;
}

void TVelRepDraw::ShowStatus(const QString& text) {
  if (StatusBar) StatusBar->setText(text);
}

bool TVelRepDraw::StartReport() {
  m_running = true;
  m_abort = false;
  m_noData = true;
  m_firstStored = 0;
  m_lastStored = 0;
  PageNo = 0;
  PageRect = Geometry.PageRect;
  if (BeforeReport) BeforeReport(*this);
  if (m_abort) {
    // Nothing was started: the run is over (a later run must not find it
    // still in progress).
    m_running = false;
    return false;
  }
  ResetDrawingPosition();
  m_store.Open(Title);
  if (StatusBar) {
    m_savedStatus = StatusBar->text();
    ShowStatus(QStringLiteral("PrintStart"));
  }
  m_finished = false;
  m_thread = std::make_unique<TThreadDraw>(this);
  m_thread->start();
  return true;
}

void TVelRepDraw::BeginPage() {
  if (m_canvas) return;
  ++PageNo;
  ShowStatus(QStringLiteral("準備中... [Page : %1]").arg(PageNo));
  const int w = std::max(1, Geometry.PhysicalWidth);
  const int h = std::max(1, Geometry.PhysicalHeight);
  m_page = std::make_unique<TPageImage>(w, h, std::max(1, Geometry.ResX),
                                        std::max(1, Geometry.ResY));
  m_canvas = std::make_unique<TRecordingCanvas>(m_page.get());
  Canvas = m_canvas.get();
  PageRect = Geometry.PageRect;
  if (OnPageFormat) {
    OnPageFormat(*this);
    ResetDrawingPosition();
  }
}

void TVelRepDraw::PrintPage() {
  // The canvas font: the point size from FixSize, else from the logical
  // height at 120 pixels per 72 points, at the device's vertical resolution.
  const int points = PrintFont.FixSize > 0
                         ? PrintFont.FixSize
                         : std::abs(RoundOff(static_cast<long double>(PrintFont.Log.Height) * 72 / 120));
  TFont font;
  font.Log = PrintFont.Log;
  font.Log.Height = -RoundOff(static_cast<long double>(points) * std::max(1, Geometry.ResY) / 72);
  font.Color = PrintFont.Color;
  Canvas->Font = font;
  if (OnPrint) {
    m_noData = false;
    OnPrint(*this);
  }
}

void TVelRepDraw::EndPage() {
  if (!m_canvas) return;
  m_canvas.reset();
  Canvas = nullptr;
  if (PageNo >= FromPage) {
    m_store.Store(PageNo, *m_page);
    if (m_firstStored == 0) m_firstStored = PageNo;
    m_lastStored = PageNo;
  }
  m_page.reset();
  if (PreviewMode && m_noData) {
    if (ShowMessage) ShowMessage(QString::fromUtf8(kMsgNoData));
    m_abort = true;
  }
  if (PageReady) PageReady(PageNo);
}

void TVelRepDraw::DrawPage() {
  // A call queued just before the run was told to stop does nothing.
  if (!m_running || !m_thread || m_thread->Terminated()) return;
  BeginPage();
  LastPage = ToPage == kNoPageLimit;
  PrintPage();
  if (AfterPrint) AfterPrint(*this);
  EndPage();
  if (m_abort || LastPage || PageNo >= ToPage) {
    StopProduction();
  } else if (BeforeNextPage) {
    BeforeNextPage(*this);
  }
}

void TVelRepDraw::StopProduction() {
  if (m_thread) m_thread->Terminate();
  if (StatusBar) StatusBar->setText(m_savedStatus);
}

void TVelRepDraw::SetFinished() {
  m_finished = true;
  if (ProductionDone) ProductionDone();
}

void TVelRepDraw::EndReport() {
  if (m_thread) {
    m_thread->Terminate();
    // The thread may be blocked in a call into this thread: deliver those
    // calls while waiting (a page call returns at once, the last one marks
    // production finished).
    while (!m_thread->wait(QDeadlineTimer(5))) {
      QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_thread.reset();
    m_canvas.reset();
    Canvas = nullptr;
    m_page.reset();
    m_store.Clear();
    PageReady = nullptr;
    ProductionDone = nullptr;
  }
  if (AfterReport) AfterReport(*this);
  StatusBar = nullptr;
  m_running = false;
}

// ----------------------------------------------------------------- TVelReport

TVelReport::TVelReport(QWidget* parent) : QObject(parent), m_parent(parent) {
  PrinterDevice = [](const QPrinter& printer) { return DeviceInfoOf(printer); };
  PrinterFactory = &TVelReport::DefaultPrinter;
}

TVelReport::~TVelReport() = default;

std::unique_ptr<QPrinter> TVelReport::DefaultPrinter() {
  std::unique_ptr<QPrinter> printer;
  const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
  if (printers.isEmpty()) {
    // No installed printer: the PDF printer is the current printer.
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    printer->setOutputFileName(QDir(folder).filePath(QStringLiteral("Kestrin.pdf")));
  } else {
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) info = printers.first();
    printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
  }
  return printer;
}

QPrinter* TVelReport::Printer() {
  if (!m_printer && PrinterFactory) {
    m_printer = PrinterFactory();
    // Painter coordinates from the paper's top-left corner, as the page
    // geometry counts them.
    if (m_printer) m_printer->setFullPage(true);
  }
  return m_printer.get();
}

void TVelReport::SetPrinter(std::unique_ptr<QPrinter> printer) {
  m_printer = std::move(printer);
  if (m_printer) m_printer->setFullPage(true);
}

TReportSetup TVelReport::Setup() const {
  TReportSetup s;
  s.MarginLeft = Margin_Left;
  s.MarginRight = Margin_Right;
  s.MarginTop = Margin_Top;
  s.MarginBottom = Margin_Bottom;
  s.Units = Units;
  s.PaperSize = PaperSize;
  s.OrientIsPortrait = OrientIsPortrait;
  s.RepZoomMode = RepZoomMode;
  s.UserWidthMm = UserWidthMm;
  s.UserHeightMm = UserHeightMm;
  return s;
}

long double TVelReport::PaperWidthMm() const { return kestrin::PaperWidthMm(Setup()); }
long double TVelReport::PaperHeightMm() const { return kestrin::PaperHeightMm(Setup()); }

void TVelReport::Message(const QString& text) {
  if (Ui.ShowMessage) Ui.ShowMessage(m_parent, text);
}

bool TVelReport::ApplyPaper() {
  QPrinter* printer = Printer();
  if (!printer || !printer->isValid()) {
    Message(QString::fromUtf8(kMsgNoPrinter));
    return false;
  }
  QPageSize size;
  switch (PaperSize) {
    case TPaperSize::psA3: size = QPageSize(QPageSize::A3); break;
    case TPaperSize::psA4: size = QPageSize(QPageSize::A4); break;
    // B5 and B4 are the JIS sizes (182 x 257 and 257 x 364 mm).
    case TPaperSize::psB5: size = QPageSize(QPageSize::JisB5); break;
    case TPaperSize::psB4: size = QPageSize(QPageSize::JisB4); break;
    case TPaperSize::psLetter: size = QPageSize(QPageSize::Letter); break;
    case TPaperSize::ps15x11: size = QPageSize(QPageSize::Imperial15x11); break;
    case TPaperSize::psUser: {
      // Tenths of a millimetre, truncated, as the printer takes them.
      const double w = std::trunc(static_cast<double>(UserWidthMm) * 10) / 10;
      const double h = std::trunc(static_cast<double>(UserHeightMm) * 10) / 10;
      size = QPageSize(QSizeF(w, h), QPageSize::Millimeter);
      break;
    }
  }
  printer->setPageSize(size);
  printer->setPageOrientation(OrientIsPortrait ? QPageLayout::Portrait : QPageLayout::Landscape);
  printer->setPaperSource(QPrinter::Auto);
  ReadPrinterPaper();
  return true;
}

void TVelReport::ReadPrinterPaper() {
  QPrinter* printer = Printer();
  if (!printer) return;
  if (m_repDraw) m_repDraw->TractorFeed = printer->paperSource() == QPrinter::Tractor;
  OrientIsPortrait = printer->pageLayout().orientation() == QPageLayout::Portrait;
}

bool TVelReport::PrepareDevice(bool preview, bool usePrintDialog, bool screenReference) {
  m_noPrinter = false;
  m_cancelled = false;
  TVelRepDraw* draw = m_repDraw;
  if (!draw) return false;
  draw->FromPage = 1;
  draw->ToPage = kNoPageLimit;
  draw->Units = Units;

  QPrinter* printer = Printer();
  if (!printer || !printer->isValid()) {
    m_noPrinter = true;
    if (!preview) return false;
  }
  if (UseDefaultPaper && !ApplyPaper()) return false;

  bool useScreen = (preview && screenReference) || m_noPrinter;
  if (!preview && usePrintDialog) {
    int from = draw->FromPage, to = draw->ToPage;
    if (!Ui.PrintDialog || !Ui.PrintDialog(m_parent, *printer, from, to)) {
      m_cancelled = true;
      return false;
    }
    draw->FromPage = std::max(1, from);
    draw->ToPage = std::max(draw->FromPage, to);
    useScreen = false;
  }
  if (!m_noPrinter) ReadPrinterPaper();

  TDeviceInfo device;
  if (useScreen) {
    int dpi = 96;
    if (m_parent) {
      dpi = m_parent->logicalDpiY();
    } else if (QScreen* screen = QGuiApplication::primaryScreen()) {
      dpi = static_cast<int>(std::lround(screen->logicalDotsPerInchY()));
    }
    device = PictureDevice(Setup(), std::max(1, dpi));
  } else {
    device = PrinterDevice ? PrinterDevice(*printer) : DeviceInfoOf(*printer);
  }
  if (m_noPrinter) device.OffsetLeft = device.OffsetTop = device.OffsetRight = device.OffsetBottom = 0;
  draw->Geometry = ComputePageGeometry(device, Setup());
  draw->PageRect = draw->Geometry.PageRect;
  return true;
}

bool TVelReport::Preview(bool screenReference, QAbstractButton* button) {
  if (m_running || !m_repDraw || m_repDraw->Running()) return false;
  m_running = true;
  if (button) button->setEnabled(false);
  bool ran = false;
  bool printRequested = false;
  {
    TVelReportPreview preview(this, m_parent);
    m_preview = &preview;
    if (PrepareDevice(true, false, screenReference)) {
      ran = true;
      printRequested = RunPreview(preview);
    }
    m_preview = nullptr;
  }
  if (button) button->setEnabled(true);
  m_running = false;
  if (ran && printRequested) {
    QCoreApplication::processEvents();
    Print(button);
  }
  return ran;
}

bool TVelReport::RunPreview(TVelReportPreview& preview) {
  TVelRepDraw* draw = m_repDraw;
  draw->Title = Title;
  draw->PreviewMode = true;
  draw->ShowMessage = [this](const QString& text) { Message(text); };
  draw->StatusBar = preview.StatusBar;
  draw->PageReady = [&preview](int pageNo) { preview.PageReady(pageNo); };
  draw->ProductionDone = [&preview] { preview.ProductionDone(); };
  preview.SetTitle(Title, TitleColor);
  preview.SetCurrentPage(draw->FromPage);
  preview.UpdateNavigation();
  if (draw->StartReport()) {
    if (!draw->Aborted() && Ui.ExecPreview) Ui.ExecPreview(preview);
    draw->EndReport();
  }
  return preview.PrintRequested();
}

bool TVelReport::Print(QAbstractButton* button) {
  if (m_running || !m_repDraw || m_repDraw->Running()) return false;
  m_running = true;
  if (button) button->setEnabled(false);
  bool ok = false;
  if (PrepareDevice(false, UsePrintDialog, true)) ok = RunPrint();
  if (button) button->setEnabled(true);
  m_running = false;
  return ok && !m_cancelled;
}

// The print run: pages go to the printer as soon as they are stored, with
// the busy window up and its cancel button asked between pages.
bool TVelReport::RunPrint() {
  TVelRepDraw* draw = m_repDraw;
  QPrinter* printer = Printer();
  draw->Title = Title;
  draw->PreviewMode = false;
  draw->ShowMessage = [this](const QString& text) { Message(text); };
  if (!draw->StartReport()) return false;

  std::unique_ptr<TBusyIndicator> busy;
  if (Ui.BusyWindow) busy = Ui.BusyWindow(m_parent, QString::fromUtf8(kMsgPrinting));

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
          printer->setDocName(Title);
          const TFileResult target = pdfOutput.Start();
          if (!target || !painter.begin(printer)) {
            failed = true;
            Message(WithReasonLine(QString::fromUtf8(kMsgPrintAborted), target));
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
          if (RepZoomMode) {
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
          Message(QString::fromUtf8(kMsgNoData));
        } else if (jobAborted) {
          Message(QString::fromUtf8(kMsgPrintAborted));
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
          Message(WithReasonLine(QString::fromUtf8(kMsgPrintAborted), saved));
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
