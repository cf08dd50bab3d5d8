// The report pipeline with the real sheets of the example month on the
// current printer (the PDF printer when none is installed):
// - from starting an all-sheets preview to the first page shown in the
//   preview window (page drawn, stored, loaded and painted),
// - from starting it to both pages stored,
// - a whole print run of both sheets into a PDF file.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <QTemporaryDir>

#include "core/DataFile.h"
#include "core/MainData.h"
#include "core/Settings.h"
#include "platform/Fonts.h"
#include "sheets/report/ReportPreview.h"
#include "sheets/report/SheetReport.h"

using namespace kestrin;

namespace {

struct TMonth {
  TMainData Data;
  TSettings Settings;
  TMonth() {
    Data.ClearLists();
    Data.Clear();
    LoadFromFile(KESTRIN_SOURCE_DIR "/examples/sample-month.slt", Data);
    Data.Calculate();
  }
};

const TMonth& Month() {
  static const TMonth month;
  return month;
}

// Times of one preview run, in seconds from its start.
struct TPreviewTimes {
  double FirstShown = 0;
  double BothStored = 0;
};

TPreviewTimes PreviewOnce(TSheetReport& report) {
  TPreviewTimes t;
  QElapsedTimer clock;
  report.Rep.Ui.ExecPreview = [&](TVelReportPreview& p) {
    p.PlaceMaximized();
    p.show();
    while (p.CurrentImage() == nullptr) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    p.repaint();  // renders the page at its displayed size and paints it
    t.FirstShown = clock.nsecsElapsed() * 1e-9;
    while (!report.RepDraw.Finished()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    t.BothStored = clock.nsecsElapsed() * 1e-9;
    p.reject();
  };
  clock.start();
  report.Run(TPrintSheet::All);
  return t;
}

std::unique_ptr<TSheetReport> MakeReport() {
  auto report = std::make_unique<TSheetReport>();
  report->Drawers = MakeSheetDrawers(Month().Data, Month().Settings);
  return report;
}

void BM_PreviewFirstPageShown(benchmark::State& state) {
  auto report = MakeReport();
  for (auto _ : state) state.SetIterationTime(PreviewOnce(*report).FirstShown);
  state.counters["dpi"] = report->RepDraw.Geometry.ResY;
}
BENCHMARK(BM_PreviewFirstPageShown)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PreviewBothPagesStored(benchmark::State& state) {
  auto report = MakeReport();
  for (auto _ : state) state.SetIterationTime(PreviewOnce(*report).BothStored);
}
BENCHMARK(BM_PreviewBothPagesStored)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_PrintBothSheetsToPdf(benchmark::State& state) {
  auto report = MakeReport();
  QTemporaryDir dir;
  report->Rep.Ui.PrintDialog = [](QWidget*, QPrinter&, int&, int&) { return true; };
  report->Rep.Ui.BusyWindow = [](QWidget*, const QString&) { return nullptr; };
  report->PreviewMode = false;
  for (auto _ : state) {
    report->Rep.Printer()->setOutputFileName(dir.filePath(QStringLiteral("bench.pdf")));
    if (!report->Run(TPrintSheet::All)) state.SkipWithError("print run failed");
  }
}
BENCHMARK(BM_PrintBothSheetsToPdf)->Unit(benchmark::kMillisecond);

}  // namespace
