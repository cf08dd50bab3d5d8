// The strength log of 200 tests (the most a log holds): kestrin-cli
// strength stats as a whole process (target < 30 ms), the reading and the
// figures in-process, the lab's CSV of 200 rows through kestrin-cli
// strength import as a whole process (target < 50 ms) and read in-process,
// and (Qt builds) kestrin-cli strength sheets to PDF.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "BenchProcess.h"
#include "core/StrengthCsv.h"
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

// The full log's tests as a lab's CSV (UTF-8, comma-separated, every column).
std::string FullCsv() {
  auto opt = [](const std::optional<int32_t>& v, int decimals) {
    return v ? FormatScaled(*v, decimals) : std::string();
  };
  std::string csv = "日,時刻,車番,スランプ,空気量,温度,塩化物,7日1,7日2,7日3,28日1,28日2,28日3,備考\r\n";
  for (const TStrengthTest& t : FullLog().Tests) {
    csv += std::to_string(t.Day) + "," + t.Time + "," + t.Truck + "," + FormatScaled(t.Slump, 1) + "," +
           FormatScaled(t.Air, 1) + "," + opt(t.Temperature, 1) + "," + opt(t.Chloride, 2);
    for (const std::optional<TSpecimens>* age : {&t.Strength7, &t.Strength28})
      for (std::size_t k = 0; k < kSpecimens; ++k) csv += "," + (*age ? FormatScaled((**age)[k], 1) : "");
    csv += ",\"試験室 A\"\r\n";
  }
  return csv;
}

void BM_StrengthCsvImportProcess(benchmark::State& state) {
  const TLogFile file;
  const std::string csv = file.Dir + "/lab.csv", out = file.Dir + "/lab.kst";
  { std::ofstream(csv, std::ios::binary) << FullCsv(); }
  bench::TimeCliRuns(state,
                     {"strength", "import", csv, "-o", out, "--plant", "東京第一工場", "--month", "2025-07",
                      "--nominal", "24"},
                     "strength import");
  TStrengthLog log;
  if (!LoadStrengthFile(out, log) || log.Tests.size() != kMaxStrengthTests) std::abort();
  ::unlink(csv.c_str());
  ::unlink(out.c_str());
}
BENCHMARK(BM_StrengthCsvImportProcess)->Unit(benchmark::kMillisecond);

void BM_StrengthCsvRead(benchmark::State& state) {
  const std::string bytes = FullCsv();
  for (auto _ : state) {
    TStrengthCsv csv;
    if (!ReadStrengthCsv(bytes, csv)) std::abort();
    benchmark::DoNotOptimize(csv);
  }
}
BENCHMARK(BM_StrengthCsvRead)->Unit(benchmark::kMicrosecond);

#ifdef KESTRIN_BENCH_STRENGTH_SHEETS
void BM_StrengthSheetPdfProcess(benchmark::State& state) {
  const TLogFile file;
  bench::TimeCliRuns(state, {"strength", "sheets", file.Path, "-o", file.Dir + "/full.pdf"},
                     "strength sheets");
}
BENCHMARK(BM_StrengthSheetPdfProcess)->Unit(benchmark::kMillisecond);
#endif

}  // namespace
