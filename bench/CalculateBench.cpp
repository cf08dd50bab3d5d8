// Recomputation of a full 31-day month with 62 values; runs after every
// keystroke that commits a value, so it must stay far below a frame.
#include <benchmark/benchmark.h>

#include "core/MainData.h"

using namespace kestrin;

static void BM_CalculateFullMonth(benchmark::State& state) {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2026, 12, 1);
  d.MakeSlumpList();
  d.MakeHistogramList();
  int i = 0;
  for (auto& day : d.SlumpList)
    for (auto& s : day.SokuteiList) s.Value = 1550 + (i++ * 37) % 500;
  for (auto _ : state) {
    d.Calculate();
    benchmark::DoNotOptimize(d.CalcedResult);
  }
}
BENCHMARK(BM_CalculateFullMonth);
