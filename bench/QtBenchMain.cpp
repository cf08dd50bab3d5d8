// main() of the benchmarks that draw: a Qt application on the offscreen
// platform (unless another is set) with the program's font substitutions.
#include <benchmark/benchmark.h>

#include <QApplication>

#include "platform/Fonts.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  kestrin::RegisterFontSubstitutions();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
