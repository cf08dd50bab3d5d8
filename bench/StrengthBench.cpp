// The strength log of 200 tests (the most a log holds): kestrin-cli
// strength stats as a whole process (target < 30 ms), the reading and the
// figures in-process, and (Qt builds) kestrin-cli strength sheets to PDF.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "BenchProcess.h"
#include "core/StrengthFigures.h"
#include "core/StrengthFile.h"

namespace {

using namespace kestrin;

// A full log: 200 tests over July, the last five still curing.
TStrengthLog FullLog() {
  TStrengthLog log;
  log.Plant = "東京第一工場";
  log.Year = 2025;
  log.Month = 7;
  for (int i = 0; i < static_cast<int>(kMaxStrengthTests); ++i) {
    TStrengthTest t;
    t.Day = 1 + i * 31 / static_cast<int>(kMaxStrengthTests);
    t.Time = "10:15";
    t.Truck = std::to_string(i % 30 + 1);
    t.Slump = 170 + i % 20;
    t.Air = 40 + i % 10;
    t.Temperature = 250 + i % 30;
    t.Chloride = 3 + i % 4;
    const int32_t base = 280 + (i * 37) % 45;
    t.Strength7 = TSpecimens{base * 7 / 10, base * 7 / 10 + 3, base * 7 / 10 - 2};
    if (i < static_cast<int>(kMaxStrengthTests) - 5) t.Strength28 = TSpecimens{base, base + 6, base - 4};
    log.Tests.push_back(t);
  }
  return log;
}

// The log saved in a temporary folder for the runs of one benchmark.
struct TLogFile {
  std::string Dir;
  std::string Path;
  TLogFile() {
    std::string tmpl = "/tmp/kestrin-bench-XXXXXX";
    if (::mkdtemp(tmpl.data())) Dir = tmpl;
    Path = Dir + "/full.kst";
    if (!SaveStrengthFile(Path, FullLog())) std::abort();
  }
  ~TLogFile() {
    ::unlink(Path.c_str());
    ::unlink((Dir + "/full.pdf").c_str());
    ::rmdir(Dir.c_str());
  }
};

void BM_StrengthStatsProcess(benchmark::State& state) {
  const TLogFile file;
  bench::TimeCliRuns(state, {"strength", "stats", file.Path}, "strength stats");
}
BENCHMARK(BM_StrengthStatsProcess)->Unit(benchmark::kMillisecond);

void BM_StrengthReadAndFigures(benchmark::State& state) {
  const TLogFile file;
  for (auto _ : state) {
    TStrengthLog log;
    if (!LoadStrengthFile(file.Path, log)) std::abort();
    benchmark::DoNotOptimize(ComputeStrengthFigures(log));
  }
}
BENCHMARK(BM_StrengthReadAndFigures)->Unit(benchmark::kMillisecond);

#ifdef KESTRIN_BENCH_STRENGTH_SHEETS
void BM_StrengthSheetPdfProcess(benchmark::State& state) {
  const TLogFile file;
  bench::TimeCliRuns(state, {"strength", "sheets", file.Path, "-o", file.Dir + "/full.pdf"},
                     "strength sheets");
}
BENCHMARK(BM_StrengthSheetPdfProcess)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
