// The printed sheets of a full month (31 days, 62 values): both sheets to
// PDF at 600 dpi through `kestrin-cli sheets`, the whole process from start
// to exit (application start, fonts, drawing, PDF writing). Target: under
// 0.5 s. For comparison the same drawing in-process: recording both sheets
// as page images, and writing the PDF without the process start.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QGuiApplication>

#include <cstdlib>
#include <string>

#include "core/DataFile.h"
#include "platform/Fonts.h"
#include "platform/PageImage.h"
#include "sheets/SheetOutput.h"

#include "BenchMonth.h"
#include "BenchProcess.h"

using namespace kestrin;

namespace {

TMainData FullMonth() { return bench::FullMonth(2025, 7, "高温のため運搬時間とスランプロスに注意"); }

std::string Folder() { return ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp"; }

void BM_CliSheetsPdf600(benchmark::State& state) {
  const std::string base = Folder() + "/kestrin-sheets-bench-" + std::to_string(::getpid());
  const std::string slt = base + ".slt";
  const std::string pdf = base + ".pdf";
  if (!SaveToFile(slt, FullMonth())) {
    state.SkipWithError("cannot write the month file");
    return;
  }
  bench::TimeCliRuns(state, {"sheets", slt, "-o", pdf}, "sheets");
  ::unlink(slt.c_str());
  ::unlink(pdf.c_str());
}
BENCHMARK(BM_CliSheetsPdf600)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_RecordBothSheets600(benchmark::State& state) {
  const TMainData data = FullMonth();
  const TSettings settings;
  const TReportSetup setup = SheetReportSetup();
  const TDeviceInfo device = PictureDevice(setup, 600);
  const TRect pageRect = ComputePageGeometry(device, setup).PageRect;
  for (auto _ : state) {
    for (TPrintSheet sheet : SheetsOf(TPrintSheet::All)) {
      TPageImage page(device.PhysicalWidth, device.PhysicalHeight, 600, 600);
      TRecordingCanvas canvas(&page);
      DrawSheet(canvas, pageRect, sheet, data, settings);
      benchmark::DoNotOptimize(page.Ops().size());
    }
  }
}
BENCHMARK(BM_RecordBothSheets600)->Unit(benchmark::kMillisecond);

void BM_WriteBothSheetsPdf600(benchmark::State& state) {
  const TMainData data = FullMonth();
  const TSettings settings;
  const QString pdf = QString::fromStdString(Folder() + "/kestrin-sheets-bench-" +
                                             std::to_string(::getpid()) + "-inproc.pdf");
  for (auto _ : state) {
    if (!WriteSheetsPdf(pdf, TPrintSheet::All, 600, data, settings)) {
      state.SkipWithError("cannot write the PDF");
      break;
    }
  }
  ::unlink(pdf.toStdString().c_str());
}
BENCHMARK(BM_WriteBothSheetsPdf600)->Unit(benchmark::kMillisecond);

}  // namespace
