// The strength window's commit path with a full log (200 tests): from a
// cell's commit (a 28-day specimen) through the figures, the table, the
// panel below it and the whole window's repaint.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "app/RecentFiles.h"
#include "core/MainData.h"
#include "tests/app/FrmStrengthProbe.h"

using namespace kestrin;

namespace {

TFrmStrength& Window() {
  static TSettings settings;
  static TMainData month;
  static TRecentFiles recent(kSectionRecentStrength);
  static TFrmStrength* w = [] {
    auto* f = new TFrmStrength(&settings, &month, &recent);
    f->resize(1060, 760);
    f->show();
    QApplication::processEvents();
    TFrmStrengthProbe probe(*f);
    QString block;
    for (std::size_t i = 0; i < kMaxStrengthTests; ++i) {
      const int base = 250 + static_cast<int>((i * 37) % 90);
      block += QStringLiteral("%1\t\t\t18.0\t4.5\t20.0\t0.03\t\t\t\t%2.%3\t%4.%5\t%6.%7\n")
                   .arg(i * 30 / kMaxStrengthTests + 1)
                   .arg(base / 10)
                   .arg(base % 10)
                   .arg((base + 4) / 10)
                   .arg((base + 4) % 10)
                   .arg((base + 7) / 10)
                   .arg((base + 7) % 10);
    }
    probe.PasteText(block);
    QApplication::processEvents();
    return f;
  }();
  return *w;
}

void BM_StrengthCommitAndRepaint(benchmark::State& state) {
  TFrmStrength& w = Window();
  TFrmStrengthProbe probe(w);
  int n = 0;
  for (auto _ : state) {
    probe.CommitCell(100, TStrengthColumn::S28_2, ++n % 2 ? QStringLiteral("21.5") : QStringLiteral("31.0"));
    w.repaint();
  }
  state.counters["tests"] = static_cast<double>(w.Log().Tests.size());
  state.counters["failed"] = static_cast<double>(w.Figures().FailedTests);
}
BENCHMARK(BM_StrengthCommitAndRepaint)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(2.0)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

// The two halves: the commit with the figures and the models brought up
// to date, and the repaint alone.
void BM_StrengthCommitOnly(benchmark::State& state) {
  TFrmStrength& w = Window();
  TFrmStrengthProbe probe(w);
  int n = 0;
  for (auto _ : state)
    probe.CommitCell(100, TStrengthColumn::S28_2, ++n % 2 ? QStringLiteral("21.5") : QStringLiteral("31.0"));
}
BENCHMARK(BM_StrengthCommitOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_StrengthRepaintOnly(benchmark::State& state) {
  TFrmStrength& w = Window();
  for (auto _ : state) w.repaint();
}
BENCHMARK(BM_StrengthRepaintOnly)->Unit(benchmark::kMillisecond)->MinTime(1.0);

}  // namespace
