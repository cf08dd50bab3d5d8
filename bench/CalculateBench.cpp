// Recomputation of a full 31-day month with 62 values; runs after every
// keystroke that commits a value, so it must stay far below a frame.
#include <benchmark/benchmark.h>

#include <vector>

#include "BenchMonth.h"
#include "core/Capability.h"
#include "core/CapabilityBounds.h"
#include "core/ControlChart.h"
#include "core/MainData.h"
#include "core/Signals.h"

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

// The process signals and the capability of a full month (31 days, 62
// values; the values climb in steps, so the month has trends, runs and
// near-limit values), as every commit recomputes them after Calculate.
static void BM_SignalsFullMonth(benchmark::State& state) {
  const TMainData d = bench::FullMonth(2026, 12, "");
  std::size_t found = 0;
  for (auto _ : state) {
    const TCapability c = MonthCapability(d);
    const std::vector<TSignal> s = MonthSignals(d, {});
    found = s.size();
    benchmark::DoNotOptimize(c);
    benchmark::DoNotOptimize(s.data());
  }
  state.counters["signals"] = static_cast<double>(found);
}
BENCHMARK(BM_SignalsFullMonth);

// Calculate plus the X̄–R chart of a full month: subgroups, limits, all
// eight rules switched on, and the capability with its intervals (the
// chi-square quantiles), as every commit recomputes them.
static void BM_ControlChartFullMonth(benchmark::State& state) {
  TMainData d = bench::FullMonth(2026, 12, "");
  TControlRuleSet all;
  all.On.fill(true);
  std::size_t found = 0;
  for (auto _ : state) {
    d.Calculate();
    const TControlChart chart = ComputeControlChart(d, all);
    const TCapabilityBounds b = MonthCapabilityBounds(d, chart);
    found = chart.Signals.size();
    benchmark::DoNotOptimize(b);
    benchmark::DoNotOptimize(chart.Signals.data());
  }
  state.counters["signals"] = static_cast<double>(found);
}
BENCHMARK(BM_ControlChartFullMonth);
