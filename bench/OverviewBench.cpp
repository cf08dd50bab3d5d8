// The year overview of 120 month files (ten years of one plant, full
// months of 62 values): `kestrin-cli overview DIR` as JSON, the whole
// process from start to exit (target under 100 ms); and the overview
// window with the 120 months added and painted (table and trend chart,
// target under 200 ms).
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchMonth.h"
#include "BenchProcess.h"
#include "core/DataFile.h"
#include "tests/app/FrmOverviewProbe.h"
#include "widgets/ChartTabs.h"

using namespace kestrin;

namespace {

// A folder removed with its files when the program ends.
struct TBenchFolder {
  std::string Path;
  ~TBenchFolder() {
    std::error_code ec;
    if (!Path.empty()) std::filesystem::remove_all(Path, ec);
  }
};

// 120 month files, 2015-04 to 2025-03, made once per run; empty when they
// could not be written.
const std::string& MonthFolder() {
  static const TBenchFolder folder{[] {
    const std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string dir = base + "/kestrin-overview-bench-" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0700);
    for (int i = 0; i < 120; ++i) {
      const int year = 2015 + (i + 3) / 12;
      const int month = (i + 3) % 12 + 1;
      TMainData d = bench::FullMonth(year, month, "年間推移ベンチマーク");
      const std::string name = dir + "/" + std::to_string(year * 100 + month) + ".slt";
      if (!SaveToFile(name, d)) return std::string();
    }
    return dir;
  }()};
  return folder.Path;
}

void BM_CliOverviewJson120(benchmark::State& state) {
  const std::string& dir = MonthFolder();
  if (dir.empty()) {
    state.SkipWithError("cannot write the month files");
    return;
  }
  bench::TimeCliRuns(state, {"overview", dir}, "overview");
}
BENCHMARK(BM_CliOverviewJson120)->Unit(benchmark::kMillisecond)->UseRealTime();

// In-process, for comparison: reading the 120 files and pooling.
void BM_BuildOverview120(benchmark::State& state) {
  std::vector<std::string> files;
  std::string error;
  ListMonthFiles(MonthFolder(), false, files, error);
  for (auto _ : state) {
    TOverview o = BuildOverview(files);
    benchmark::DoNotOptimize(o);
  }
}
BENCHMARK(BM_BuildOverview120)->Unit(benchmark::kMillisecond);

// The shown window: from adding the folder to the end of the repaint of
// the table and the chart.
void BM_WindowOpen120(benchmark::State& state) {
  TSettings settings;
  TFrmOverview f(&settings);
  const TFrmOverviewProbe probe(f);
  f.show();
  QApplication::processEvents();
  const QString dir = QString::fromStdString(MonthFolder());
  for (auto _ : state) {
    state.PauseTiming();
    probe.RemoveAll();
    QApplication::processEvents();
    state.ResumeTiming();
    f.AddPaths({dir});
    probe.Table()->viewport()->repaint();
    probe.Chart()->repaint();
  }
  if (f.Overview().Months.size() != 120) state.SkipWithError("the window did not list 120 months");
}
BENCHMARK(BM_WindowOpen120)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
