// Loading and saving a full month (31 days, 62 values, all texts): what the
// load and save commands cost apart from their dialogs. Target: a load plus
// a crash-safe save together well under 50 µs. The files go to /dev/shm
// (memory) when it exists, so the figure is the program's own work and not
// the disk's flush time.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "core/DataFile.h"

#include "BenchMonth.h"

using namespace kestrin;

namespace {

TMainData FullMonth() { return bench::FullMonth(2026, 12, "梅雨時期のため骨材の表面水に注意"); }

std::string BenchFolder() {
  if (::access("/dev/shm", W_OK) == 0) return "/dev/shm";
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

void Reset(TMainData& d) {
  d.ClearLists();
  d.Clear();
}

}  // namespace

// The load command's work plus a save: reset, read, recompute, write safely.
static void BM_LoadAndSaveFullMonth(benchmark::State& state) {
  const std::string path = BenchFolder() + "/kestrin-bench-" + std::to_string(::getpid()) + ".slt";
  if (!SaveToFile(path, FullMonth())) {
    state.SkipWithError("cannot write the bench file");
    return;
  }
  TMainData d;
  for (auto _ : state) {
    Reset(d);
    if (!LoadFromFile(path, d)) state.SkipWithError("load failed");
    d.Calculate();
    if (!SaveToFile(path, d)) state.SkipWithError("save failed");
  }
  ::unlink(path.c_str());
}
BENCHMARK(BM_LoadAndSaveFullMonth);

static void BM_LoadFullMonth(benchmark::State& state) {
  const std::string path = BenchFolder() + "/kestrin-bench-load-" + std::to_string(::getpid()) + ".slt";
  SaveToFile(path, FullMonth());
  TMainData d;
  for (auto _ : state) {
    Reset(d);
    benchmark::DoNotOptimize(LoadFromFile(path, d));
  }
  ::unlink(path.c_str());
}
BENCHMARK(BM_LoadFullMonth);

static void BM_SaveFullMonth(benchmark::State& state) {
  const std::string path = BenchFolder() + "/kestrin-bench-save-" + std::to_string(::getpid()) + ".slt";
  const TMainData d = FullMonth();
  for (auto _ : state) benchmark::DoNotOptimize(SaveToFile(path, d));
  ::unlink(path.c_str());
}
BENCHMARK(BM_SaveFullMonth);

// The byte work alone, without the file system.
static void BM_EncodeAndDecodeInMemory(benchmark::State& state) {
  const TMainData src = FullMonth();
  TMainData d;
  for (auto _ : state) {
    TMemoryStream s(MainDataBytes(src));
    Reset(d);
    benchmark::DoNotOptimize(LoadFromStream(s, d));
  }
}
BENCHMARK(BM_EncodeAndDecodeInMemory);
