// The report pipeline with recording page drawers: which pages are drawn,
// kept and printed for each sheet choice and page range, the page geometry
// a drawer receives, the paper forced before every run, the page files,
// and the failure paths (no data, cancelled dialog, cancelled busy window,
// a second run while one is in progress).
#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QProcess>

#include "ReportFixture.h"

namespace kestrin::test {

int RunCommand(const std::string& command) {
  const int rc = std::system(command.c_str());
  return rc == -1 ? -1 : WEXITSTATUS(rc);
}

bool HaveTool(const char* name) {
  return RunCommand(std::string("command -v ") + name + " >/dev/null 2>&1") == 0;
}

int PdfPageCount(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdfinfo"), {path});
  if (!p.waitForFinished(20000) || p.exitCode() != 0) return -1;
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split('\n')) {
    if (line.startsWith(QStringLiteral("Pages:"))) return line.mid(6).trimmed().toInt();
  }
  return -1;
}

namespace {

using PipelineTest = ReportFixture;

// ---------------------------------------------------------------- sheet choice

TEST_F(PipelineTest, AllSheetsPreviewStoresTableThenXChartAndNothingMore) {
  int first = 0, last = 0;
  previewBody = [&](TVelReportPreview&) {
    first = report->RepDraw.FirstStoredPage();
    last = report->RepDraw.LastStoredPage();
  };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_EQ(Sheets(), (std::vector<int>{1, 2}));
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[0].PageNo, 1);
  EXPECT_EQ(calls[1].PageNo, 2);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(last, 2);
  EXPECT_EQ(previewShown, 1);
  EXPECT_TRUE(messages.empty());
}

TEST_F(PipelineTest, SingleSheetChoicesGiveOnePage) {
  for (TPrintSheet sheet : {TPrintSheet::Table, TPrintSheet::XChart}) {
    calls.clear();
    int last = 0;
    previewBody = [&](TVelReportPreview&) { last = report->RepDraw.LastStoredPage(); };
    EXPECT_TRUE(report->Run(sheet));
    EXPECT_EQ(Sheets(), (std::vector<int>{static_cast<int>(sheet)}));
    EXPECT_EQ(last, 1);
  }
}

TEST_F(PipelineTest, PrintingAllSheetsWritesTwoPdfPages) {
  if (!HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils not installed";
  report->PreviewMode = false;
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_EQ(dialogCalls, 1);
  EXPECT_EQ(Sheets(), (std::vector<int>{1, 2}));
  ASSERT_EQ(busyTexts.size(), 1u);
  EXPECT_EQ(busyTexts[0], QString::fromUtf8("印刷中...\n\nしばらくお待ちください．"));
  EXPECT_EQ(PdfPageCount(PdfPath()), 2);
  EXPECT_TRUE(messages.empty());
}

TEST_F(PipelineTest, RangeTwoToTwoDrawsPageOneButPrintsOnlyTheXChartSheet) {
  if (!HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils not installed";
  report->PreviewMode = false;
  dialogAction = [](QPrinter&, int& from, int& to) {
    from = 2;
    to = 2;
    return true;
  };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_EQ(Sheets(), (std::vector<int>{1, 2}));
  EXPECT_EQ(report->RepDraw.FromPage, 2);
  EXPECT_EQ(PdfPageCount(PdfPath()), 1);
}

TEST_F(PipelineTest, RangeEndingAtPageOneStopsAfterTheTableSheet) {
  report->PreviewMode = false;
  dialogAction = [](QPrinter&, int& from, int& to) {
    from = 1;
    to = 1;
    return true;
  };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_EQ(Sheets(), (std::vector<int>{1}));
}

// ---------------------------------------------------------------- geometry

TEST_F(PipelineTest, MarginsAt600DpiAreTruncatedWith1600Over63MmPerInch) {
  EXPECT_TRUE(report->Run(TPrintSheet::Table));
  ASSERT_EQ(calls.size(), 1u);
  const TPageGeometry& g = report->RepDraw.Geometry;
  EXPECT_EQ(g.ResX, 600);
  EXPECT_EQ(g.ResY, 600);
  // 15 / 25.396825... x 600 = 354.375; 10 mm = 236.25.
  EXPECT_EQ(calls[0].PageRect.Left, 354);
  EXPECT_EQ(calls[0].PageRect.Top, 354);
  EXPECT_EQ(g.MarginRight, 236);
  EXPECT_EQ(g.MarginBottom, 354);
  EXPECT_EQ(calls[0].PageRect.Right, g.PhysicalWidth - 236);
  EXPECT_EQ(calls[0].PageRect.Bottom, g.PhysicalHeight - 354);
  // A4 portrait at 600 dpi as the PDF printer has it.
  EXPECT_NEAR(g.PhysicalWidth, 4958, 3);
  EXPECT_NEAR(g.PhysicalHeight, 7017, 3);
  // The canvas draws in the printer's pixels.
  EXPECT_EQ(calls[0].CanvasDpiY, 600);
}

TEST_F(PipelineTest, MarginsAreWidenedToThePrintersUnprintableBorder) {
  report->Rep.PrinterDevice = [](const QPrinter& printer) {
    TDeviceInfo d = DeviceInfoOf(printer);
    d.OffsetLeft = 400;   // wider than the 354 px margin
    d.OffsetTop = 100;    // narrower: the margin stays
    d.OffsetRight = 300;
    d.OffsetBottom = 500;
    return d;
  };
  EXPECT_TRUE(report->Run(TPrintSheet::Table));
  ASSERT_EQ(calls.size(), 1u);
  const TPageGeometry& g = report->RepDraw.Geometry;
  EXPECT_EQ(calls[0].PageRect.Left, 400);
  EXPECT_EQ(calls[0].PageRect.Top, 354);
  EXPECT_EQ(calls[0].PageRect.Right, g.PhysicalWidth - 300);
  EXPECT_EQ(calls[0].PageRect.Bottom, g.PhysicalHeight - 500);
}

TEST_F(PipelineTest, PaperIsA4PortraitAgainBeforeEveryRun) {
  // The first print: the dialog turns the printer to A3 landscape.
  report->PreviewMode = false;
  dialogAction = [](QPrinter& printer, int&, int&) {
    printer.setPageSize(QPageSize(QPageSize::A3));
    printer.setPageOrientation(QPageLayout::Landscape);
    return true;
  };
  EXPECT_TRUE(report->Run(TPrintSheet::Table));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_FALSE(report->Rep.OrientIsPortrait);
  EXPECT_GT(calls[0].PageRect.Width(), calls[0].PageRect.Height());
  EXPECT_NEAR(report->RepDraw.Geometry.PhysicalWidth, 420 / 25.4 * 600, 4);

  // The next preview: A4 portrait again.
  calls.clear();
  report->PreviewMode = true;
  EXPECT_TRUE(report->Run(TPrintSheet::Table));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_TRUE(report->Rep.OrientIsPortrait);
  EXPECT_LT(calls[0].PageRect.Width(), calls[0].PageRect.Height());
  EXPECT_NEAR(report->RepDraw.Geometry.PhysicalWidth, 4958, 3);
  const QPageLayout layout = report->Rep.Printer()->pageLayout();
  EXPECT_EQ(layout.orientation(), QPageLayout::Portrait);
  EXPECT_EQ(layout.pageSize().id(), QPageSize::A4);

  // And the next print starts from A4 portrait too, before its dialog.
  calls.clear();
  report->PreviewMode = false;
  QPageLayout seen;
  dialogAction = [&](QPrinter& printer, int&, int&) {
    seen = printer.pageLayout();
    return true;
  };
  EXPECT_TRUE(report->Run(TPrintSheet::Table));
  EXPECT_EQ(seen.orientation(), QPageLayout::Portrait);
  EXPECT_EQ(seen.pageSize().id(), QPageSize::A4);
}

TEST_F(PipelineTest, OtherPapersReachThePrinterAndTheGeometry) {
  // The report component on its own (the sheet commands always force A4).
  struct Case {
    TPaperSize Paper;
    bool Portrait;
    double WidthMm, HeightMm;
  } cases[] = {{TPaperSize::psB5, true, 182, 257},
               {TPaperSize::psLetter, false, 279.4, 215.9},
               {TPaperSize::psA3, true, 297, 420},
               {TPaperSize::psUser, true, 100.25, 150}};
  for (const Case& c : cases) {
    report->Rep.PaperSize = c.Paper;
    report->Rep.OrientIsPortrait = c.Portrait;
    report->Rep.UserWidthMm = 100.25;
    report->Rep.UserHeightMm = 150;
    ASSERT_TRUE(report->Rep.Preview());
    const TPageGeometry& g = report->RepDraw.Geometry;
    // The user width goes to the printer in whole tenths of a mm.
    const double w = c.Paper == TPaperSize::psUser ? 100.2 : c.WidthMm;
    EXPECT_NEAR(g.PhysicalWidth, w / 25.4 * 600, 12) << int(c.Paper);
    EXPECT_NEAR(g.PhysicalHeight, c.HeightMm / 25.4 * 600, 12) << int(c.Paper);
    EXPECT_EQ(report->Rep.OrientIsPortrait, c.Portrait);
  }
}

TEST_F(PipelineTest, ScreenReferencePreviewDrawsInScreenPixels) {
  ASSERT_TRUE(report->Rep.Preview(true));
  ASSERT_EQ(calls.size(), 2u);
  const TPageGeometry& g = report->RepDraw.Geometry;
  EXPECT_LT(g.ResY, 200);
  EXPECT_EQ(calls[0].CanvasDpiY, g.ResY);
  EXPECT_EQ(calls[0].PageRect.Left, MmToPixels(15, g.ResX));
}

TEST_F(PipelineTest, PrintFontIsNinePointAtTheDevicesResolution) {
  TLogFont seen;
  report->Drawers.Table = [&](TCanvas& c, const TRect&) { seen = c.Font.Log; };
  EXPECT_TRUE(report->Run(TPrintSheet::Table));
  EXPECT_EQ(seen.FaceName, QString::fromUtf8("ＭＳ Ｐゴシック"));
  EXPECT_EQ(seen.CharSet, SHIFTJIS_CHARSET);
  // -15 x 72 / 120 = 9 pt; at 600 dpi 75 px.
  EXPECT_EQ(seen.Height, -75);
}

// ---------------------------------------------------------------- page files

TEST_F(PipelineTest, PageFilesLiveOnlyDuringTheRun) {
  QString folder;
  bool bothExist = false;
  previewBody = [&](TVelReportPreview&) {
    const TPageStore& store = report->RepDraw.Store();
    folder = store.Folder();
    bothExist = QFileInfo::exists(store.FileName(1)) && QFileInfo::exists(store.FileName(2));
    EXPECT_TRUE(store.FileName(2).endsWith(QString::fromUtf8("/印刷プレビュー2.EMF")));
  };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  ASSERT_FALSE(folder.isEmpty());
  EXPECT_TRUE(folder.startsWith(QDir::tempPath()));
  EXPECT_TRUE(bothExist);
  EXPECT_FALSE(QFileInfo::exists(folder));
}

TEST_F(PipelineTest, PagesBelowTheRangeAreNotStored) {
  report->PreviewMode = false;
  QString folder;
  bool page1 = true, page2 = false;
  dialogAction = [](QPrinter&, int& from, int& to) {
    from = 2;
    to = 2;
    return true;
  };
  report->Drawers.XChart = [&](TCanvas& c, const TRect& r) {
    Record(2, c, r);
    const TPageStore& store = report->RepDraw.Store();
    folder = store.Folder();
    page1 = store.Has(1);
  };
  busyCancelled = [&] {
    if (report->RepDraw.LastStoredPage() == 2) page2 = report->RepDraw.Store().Has(2);
    return false;
  };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_FALSE(page1);
  EXPECT_TRUE(page2);
  EXPECT_EQ(report->RepDraw.FirstStoredPage(), 2);
}

// ---------------------------------------------------------------- failures

TEST_F(PipelineTest, CancelledPrintDialogDrawsNothing) {
  report->PreviewMode = false;
  dialogAction = [](QPrinter&, int&, int&) { return false; };
  EXPECT_FALSE(report->Run(TPrintSheet::All));
  EXPECT_TRUE(report->Rep.DialogCancelled());
  EXPECT_TRUE(calls.empty());
  EXPECT_TRUE(busyTexts.empty());
  EXPECT_FALSE(QFileInfo::exists(PdfPath()));
  EXPECT_TRUE(messages.empty());
}

TEST_F(PipelineTest, CancelInTheBusyWindowSendsNoFurtherPage) {
  report->PreviewMode = false;
  busyCancelled = [] { return true; };
  EXPECT_FALSE(report->Run(TPrintSheet::All));
  EXPECT_FALSE(QFileInfo::exists(PdfPath()) && QFileInfo(PdfPath()).size() > 0);
  EXPECT_FALSE(report->RepDraw.Running());
  // The next run works normally.
  busyCancelled = nullptr;
  calls.clear();
  EXPECT_TRUE(report->Run(TPrintSheet::Table));
  EXPECT_EQ(Sheets(), (std::vector<int>{1}));
}

TEST_F(PipelineTest, AnOutputFileThatCannotBeWrittenStopsThePrintWithAMessage) {
  report->PreviewMode = false;
  const QString out = dir.filePath(QStringLiteral("no/such/folder/out.pdf"));
  report->Rep.Printer()->setOutputFileName(out);
  EXPECT_FALSE(report->Run(TPrintSheet::All));
  ASSERT_EQ(messages.size(), 1u);
  // The fixed message, and on a second line the file and the cause.
  const QStringList lines = messages[0].split(QLatin1Char('\n'));
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QString::fromUtf8("印刷処理を中止します．"));
  EXPECT_TRUE(lines[1].startsWith(out + QStringLiteral(": "))) << lines[1].toStdString();
  EXPECT_FALSE(report->RepDraw.Running());
}

TEST_F(PipelineTest, PreviewWithoutAPageHandlerSaysThereWasNoDataAndShowsNothing) {
  report->RepDraw.OnPrint = nullptr;
  EXPECT_TRUE(report->Rep.Preview());
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QString::fromUtf8("データがありませんでした．"));
  EXPECT_FALSE(report->RepDraw.Running());
}

TEST_F(PipelineTest, PrintWithoutAPageHandlerSaysThereWasNoData) {
  report->RepDraw.OnPrint = nullptr;
  report->PreviewMode = false;
  report->Run(TPrintSheet::All);
  ASSERT_FALSE(messages.empty());
  EXPECT_EQ(messages[0], QString::fromUtf8("データがありませんでした．"));
}

TEST_F(PipelineTest, BeforeReportAbortEndsTheRunCleanly) {
  report->RepDraw.BeforeReport = [](TVelRepDraw& d) { d.Abort(); };
  report->PreviewMode = false;
  EXPECT_FALSE(report->Run(TPrintSheet::All));
  EXPECT_FALSE(report->RepDraw.Running());
  report->RepDraw.BeforeReport = nullptr;
  EXPECT_TRUE(report->Run(TPrintSheet::Table));
}

TEST_F(PipelineTest, NoPrinterStopsThePreviewWithAMessageAndThePrintSilently) {
  report->Rep.SetPrinter(nullptr);
  report->Rep.PrinterFactory = [] { return std::unique_ptr<QPrinter>(); };
  EXPECT_FALSE(report->Run(TPrintSheet::All));
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0], QString::fromUtf8("プリンタを認識することができませんでした．"));
  messages.clear();
  report->PreviewMode = false;
  EXPECT_FALSE(report->Run(TPrintSheet::All));
  EXPECT_TRUE(messages.empty());
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(previewShown, 0);
}

TEST_F(PipelineTest, ASecondRunWhileOneIsInProgressReturnsAtOnce) {
  bool secondPreview = true, secondPrint = true;
  previewBody = [&](TVelReportPreview&) {
    secondPreview = report->Rep.Preview();
    secondPrint = report->Rep.Print();
  };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_FALSE(secondPreview);
  EXPECT_FALSE(secondPrint);
  EXPECT_EQ(dialogCalls, 0);
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(PipelineTest, ClosingThePreviewBeforeProductionEndsStopsTheRun) {
  waitForProduction = false;
  previewBody = [&](TVelReportPreview& p) { p.reject(); };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_LE(calls.size(), 2u);
  EXPECT_FALSE(report->RepDraw.Running());
  // Whatever was stored is gone, and a new run works.
  calls.clear();
  waitForProduction = true;
  previewBody = nullptr;
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_EQ(Sheets(), (std::vector<int>{1, 2}));
}

// ---------------------------------------------------------------- preview -> print

TEST_F(PipelineTest, PrintFromThePreviewStartsAFreshRunAgainstThePrinter) {
  if (!HaveTool("pdfinfo")) GTEST_SKIP() << "poppler-utils not installed";
  previewBody = [&](TVelReportPreview& p) { p.RequestPrint(); };
  EXPECT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_EQ(dialogCalls, 1);
  // Both pages drawn twice: once for the preview, once for the printer.
  EXPECT_EQ(Sheets(), (std::vector<int>{1, 2, 1, 2}));
  EXPECT_EQ(PdfPageCount(PdfPath()), 2);
}

}  // namespace
}  // namespace kestrin::test
