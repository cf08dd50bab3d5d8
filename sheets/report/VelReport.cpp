#include "sheets/report/VelReport.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStandardPaths>
#include <QWidget>

#include <cmath>

#include "sheets/report/PdfName.h"
#include "sheets/report/PrintRun.h"

namespace kestrin {

TVelReport::TVelReport(QWidget* parent) : TReportPages(parent), m_parent(parent) {
  PrinterDevice = [](const QPrinter& printer) { return DeviceInfoOf(printer); };
  PrinterFactory = &TVelReport::DefaultPrinter;
}

TVelReport::~TVelReport() = default;

void TVelReport::SetRepDraw(TVelRepDraw* draw) {
  if (m_repDraw) disconnect(m_repDraw, nullptr, this, nullptr);
  m_repDraw = draw;
  if (!draw) return;
  connect(draw, &TVelRepDraw::PageStored, this, &TReportPages::PageStored);
  connect(draw, &TVelRepDraw::ProductionFinished, this, &TReportPages::ProductionFinished);
  connect(draw, &TVelRepDraw::Progress, this, &TReportPages::Progress);
  connect(draw, &TVelRepDraw::ProgressEnded, this, &TReportPages::ProgressEnded);
}

int TVelReport::FirstPageOfRange() const { return m_repDraw ? m_repDraw->FromPage : 1; }
int TVelReport::FirstStoredPage() const { return m_repDraw ? m_repDraw->FirstStoredPage() : 0; }
int TVelReport::LastStoredPage() const { return m_repDraw ? m_repDraw->LastStoredPage() : 0; }
bool TVelReport::IsStored(int pageNo) const { return m_repDraw && m_repDraw->IsStored(pageNo); }

bool TVelReport::LoadPage(int pageNo, TPageImage& page) const {
  return m_repDraw && m_repDraw->LoadPage(pageNo, page);
}

QSize TVelReport::PageSizePixels() const {
  if (!m_repDraw) return QSize();
  return QSize(m_repDraw->Geometry.PhysicalWidth, m_repDraw->Geometry.PhysicalHeight);
}

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
  // The PDF's place is chosen before the print dialog, which shows it.
  if (!preview && printer && printer->outputFormat() == QPrinter::PdfFormat && !PdfName.isEmpty()) {
    QString folder = PdfFolder;
    if (folder.isEmpty() || !QDir(folder).exists()) folder = QDir::homePath();
    const QString path = FreeFilePath(folder, PdfName);
    if (!path.isEmpty()) printer->setOutputFileName(path);
  }
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
  m_printRequested = false;
  if (PrepareDevice(true, false, screenReference)) {
    ran = true;
    RunPreview();
  }
  if (button) button->setEnabled(true);
  m_running = false;
  if (ran && m_printRequested) {
    QCoreApplication::processEvents();
    Print(button);
  }
  return ran;
}

// The preview run: the window is made before production starts, so it sees
// every page from the first; it is shown unless the run ended at once (no
// data).
bool TVelReport::RunPreview() {
  TVelRepDraw* draw = m_repDraw;
  draw->Title = Title;
  draw->PreviewMode = true;
  draw->ShowProgress = true;
  draw->ShowMessage = [this](const QString& text) { Message(text); };
  const std::shared_ptr<TVelReportPreview> preview = Ui.MakePreview ? Ui.MakePreview(*this, m_parent) : nullptr;
  m_preview = preview.get();
  if (draw->StartReport()) {
    if (!draw->Aborted() && preview && Ui.ExecPreview) Ui.ExecPreview(*preview);
    draw->EndReport();
  }
  m_preview = nullptr;
  return m_printRequested;
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

// The print run: pages go to the printer as soon as they are stored.
bool TVelReport::RunPrint() {
  TVelRepDraw* draw = m_repDraw;
  draw->Title = Title;
  draw->PreviewMode = false;
  draw->ShowProgress = false;
  draw->ShowMessage = [this](const QString& text) { Message(text); };
  m_writtenPdf.clear();
  QPrinter& printer = *Printer();
  TPrintRun run(*draw, printer, Ui, m_parent, DocumentTitle.isEmpty() ? Title : DocumentTitle, RepZoomMode,
                [this](const QString& text) { Message(text); });
  const bool printed = run.Run();
  if (printed && printer.outputFormat() == QPrinter::PdfFormat) m_writtenPdf = printer.outputFileName();
  return printed;
}

}  // namespace kestrin
