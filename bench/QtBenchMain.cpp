// main() of the benchmarks that draw: a Qt application on the offscreen
// platform (unless another is set) with the program's font substitutions.
// Built with KESTRIN_BENCH_WINDOWS for the benchmarks of the program's
// windows, which also need the window font the program sets.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "platform/Fonts.h"

#ifdef KESTRIN_BENCH_WINDOWS
#include "app/AppFonts.h"
#endif

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  kestrin::RegisterFontSubstitutions();
#ifdef KESTRIN_BENCH_WINDOWS
  QApplication::setFont(kestrin::BaseFont());
#endif
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
