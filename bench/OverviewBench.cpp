// The year overview of 120 month files (ten years of one plant, full
// months of 62 values): `kestrin-cli overview DIR` as JSON, the whole
// process from start to exit (target under 100 ms); the same with 120
// strength logs beside them (the plant's mix, 40 tests a month; target
// under 150 ms); and the overview
// window with the 120 months added and painted (table and trend chart,
// target under 200 ms). And a change on disk in a window of 10 000 months
// (100 plants in a folder each, 100 months each): one file saved again,
// from its report by the folder watch to the end of the repaint (target
// under 50 ms of the window's thread).
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
#include "core/StrengthFile.h"
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

// A strength log of the benchmark plant: 40 tests, the last two curing.
TStrengthLog BenchLog(int year, int month) {
  TStrengthLog log;
  log.Plant = "年間推移ベンチマーク";
  log.Year = year;
  log.Month = month;
  for (int i = 0; i < 40; ++i) {
    TStrengthTest t;
    t.Day = 1 + i * 28 / 40;
    t.Time = "10:15";
    t.Truck = std::to_string(i % 30 + 1);
    t.Slump = 170 + i % 20;
    t.Air = 40 + i % 10;
    t.Temperature = 250 + i % 30;
    t.Chloride = 3 + i % 4;
    const int32_t base = 280 + (i * 37 + month) % 45;
    t.Strength7 = TSpecimens{base * 7 / 10, base * 7 / 10 + 3, base * 7 / 10 - 2};
    if (i < 38) t.Strength28 = TSpecimens{base, base + 6, base - 4};
    log.Tests.push_back(t);
  }
  return log;
}

// The 120 month files and 120 strength logs of the same months, made once
// per run; empty when they could not be written.
const std::string& MixedFolder() {
  static const TBenchFolder folder{[] {
    const std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string dir = base + "/kestrin-overview-bench-mixed-" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0700);
    for (int i = 0; i < 120; ++i) {
      const int year = 2015 + (i + 3) / 12;
      const int month = (i + 3) % 12 + 1;
      const std::string name = dir + "/" + std::to_string(year * 100 + month);
      if (!SaveToFile(name + ".slt", bench::FullMonth(year, month, "年間推移ベンチマーク")))
        return std::string();
      if (!SaveStrengthFile(name + ".kst", BenchLog(year, month))) return std::string();
    }
    return dir;
  }()};
  return folder.Path;
}

void BM_CliOverviewJsonMixed240(benchmark::State& state) {
  const std::string& dir = MixedFolder();
  if (dir.empty()) {
    state.SkipWithError("cannot write the month files and strength logs");
    return;
  }
  bench::TimeCliRuns(state, {"overview", dir}, "overview");
}
BENCHMARK(BM_CliOverviewJsonMixed240)->Unit(benchmark::kMillisecond)->UseRealTime();

// In-process, for comparison: reading the 120 files and pooling.
void BM_BuildOverview120(benchmark::State& state) {
  std::vector<std::string> files;
  std::vector<TOverviewFailure> failures;
  ListMonthFiles(MonthFolder(), false, files, failures);
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

constexpr int kPlants = 100;
constexpr int kMonthsPerPlant = 100;

std::string MonthPath(const std::string& dir, int plant, int month) {
  return dir + "/" + std::to_string(plant) + "/" + std::to_string(month) + ".slt";
}

TMainData PlantMonth(int plant, int month, int variant) {
  TMainData d = bench::FullMonth(2000 + month / 12, month % 12 + 1, "年間推移ベンチマーク");
  d.BasicInfo.Kojo = Sjis("工場" + std::to_string(plant));
  d.SlumpList.Items(0).SokuteiList.Items(0).Value = 1700 + variant * 10;
  d.Calculate();
  return d;
}

// 10 000 month files in a folder per plant, made once per run.
const std::string& LargeFolder() {
  static const TBenchFolder folder{[] {
    const std::string base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    const std::string dir = base + "/kestrin-overview-bench-10000-" + std::to_string(::getpid());
    ::mkdir(dir.c_str(), 0700);
    for (int p = 0; p < kPlants; ++p) {
      ::mkdir((dir + "/" + std::to_string(p)).c_str(), 0700);
      for (int m = 0; m < kMonthsPerPlant; ++m)
        if (!SaveToFile(MonthPath(dir, p, m), PlantMonth(p, m, 0))) return std::string();
    }
    return dir;
  }()};
  return folder.Path;
}

void BM_WindowChange10000(benchmark::State& state) {
  const std::string& dir = LargeFolder();
  if (dir.empty()) {
    state.SkipWithError("cannot write the month files");
    return;
  }
  TSettings settings;
  TFrmOverview f(&settings);
  const TFrmOverviewProbe probe(f);
  f.show();
  f.AddPaths({QString::fromStdString(dir)}, true);
  QApplication::processEvents();
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const int plant = round % kPlants;
    const int month = (round / kPlants) % kMonthsPerPlant;
    ++round;
    const std::string path = MonthPath(dir, plant, month);
    SaveToFile(path, PlantMonth(plant, month, round));
    state.ResumeTiming();
    probe.FileChanged(path);
    probe.Table()->viewport()->repaint();
    probe.Chart()->repaint();
  }
  if (f.Overview().Months.size() != static_cast<std::size_t>(kPlants * kMonthsPerPlant))
    state.SkipWithError("the window did not list 10 000 months");
}
BENCHMARK(BM_WindowChange10000)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
