// The report: page setup, the page geometry in device pixels of the
// current printer, and the two runs over the pipeline (ReportPipeline.h):
// the preview, whose window reads the pages through TReportPages, and the
// print run (PrintRun.h).
//
// TVelReport holds the page setup (paper, orientation, margins, units) and
// runs a preview (Preview) or a print (Print) of its drawing component.
//
// On a machine without an installed printer the current printer is Qt's
// PDF printer, so preview and printing to a file work there too.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

#include "sheets/PageGeometry.h"
#include "sheets/report/ReportPages.h"
#include "sheets/report/ReportPipeline.h"
#include "sheets/report/ReportUi.h"

class QAbstractButton;
class QPrinter;
class QWidget;

namespace kestrin {

class TVelReportPreview;

class TVelReport : public TReportPages {
  Q_OBJECT
 public:
  // `parent` is the window the dialogs and the preview belong to.
  explicit TVelReport(QWidget* parent = nullptr);
  ~TVelReport() override;

  // The drawing component; cleared when it is destroyed. Its pages and
  // progress are passed on through this report's signals.
  void SetRepDraw(TVelRepDraw* draw);
  TVelRepDraw* RepDraw() const { return m_repDraw; }

  // ---- published (defaults of a new component)
  QString Title = QStringLiteral("印刷プレビュー");
  // The document's title in the print job and in a PDF's metadata (the
  // sheet's title); empty: Title.
  QString DocumentTitle;
  // Without an installed printer a print writes a PDF file: PdfName in
  // PdfFolder (the home folder when empty or gone), or "NAME (2).pdf" ...
  // when that name is taken. An empty PdfName keeps the printer's own name.
  QString PdfName;
  QString PdfFolder;
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
  long double PaperWidthMm() const override;
  long double PaperHeightMm() const override;
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
  // The PDF file the last print wrote; empty when it printed on paper or
  // failed.
  QString WrittenPdf() const { return m_writtenPdf; }
  TVelReportPreview* PreviewWindow() const { return m_preview; }
  QWidget* ParentWidget() const { return m_parent; }

  // ---- the pages, for the preview window
  QString RunTitle() const override { return Title; }
  TColor RunTitleColor() const override { return TitleColor; }
  int FirstPageOfRange() const override;
  int FirstStoredPage() const override;
  int LastStoredPage() const override;
  bool IsStored(int pageNo) const override;
  bool LoadPage(int pageNo, TPageImage& page) const override;
  QSize PageSizePixels() const override;
  void RequestPrint() override { m_printRequested = true; }

 private:
  bool RunPreview();
  bool RunPrint();
  void Message(const QString& text);

  QPointer<QWidget> m_parent;
  QPointer<TVelRepDraw> m_repDraw;
  std::unique_ptr<QPrinter> m_printer;
  bool m_running = false;
  bool m_noPrinter = false;
  bool m_cancelled = false;
  bool m_printRequested = false;
  QString m_writtenPdf;
  TVelReportPreview* m_preview = nullptr;
};

}  // namespace kestrin
