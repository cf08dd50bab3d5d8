// The year overview of 120 month files (ten years of one plant, full
// months of 62 values): `kestrin-cli overview DIR` as JSON, the whole
// process from start to exit (target under 100 ms); and the overview
// window with the 120 months added and painted (table and trend chart,
// target under 200 ms).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTreeWidget>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchMonth.h"
#include "app/AppFonts.h"
#include "app/FrmOverview.h"
#include "core/DataFile.h"
#include "platform/Fonts.h"
#include "widgets/ChartTabs.h"

extern char** environ;

using namespace kestrin;

namespace {

// 120 month files, 2015-04 to 2025-03, made once per run.
const std::string& MonthFolder() {
  static const std::string folder = [] {
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
  }();
  return folder;
}

void BM_CliOverviewJson120(benchmark::State& state) {
  const std::string& dir = MonthFolder();
  if (dir.empty()) {
    state.SkipWithError("cannot write the month files");
    return;
  }
  std::vector<std::string> args = {std::string(KESTRIN_BIN_DIR) + "/kestrin-cli", "overview", dir};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  // The child's own processor time, apart from the wall time: on a loaded
  // machine the wall time is mostly waiting for a core.
  auto childCpu = [] {
    rusage u{};
    ::getrusage(RUSAGE_CHILDREN, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 +
           (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
  };
  const double cpuBefore = childCpu();
  for (auto _ : state) {
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("cannot start kestrin-cli");
      break;
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("kestrin-cli overview failed");
      break;
    }
  }
  ::posix_spawn_file_actions_destroy(&actions);
  state.counters["child_cpu_ms"] =
      benchmark::Counter((childCpu() - cpuBefore) / static_cast<double>(state.iterations()));
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
  f.show();
  QApplication::processEvents();
  const QString dir = QString::fromStdString(MonthFolder());
  for (auto _ : state) {
    state.PauseTiming();
    f.RemoveAll();
    QApplication::processEvents();
    state.ResumeTiming();
    f.AddPaths({dir});
    f.Table()->viewport()->repaint();
    f.Chart()->repaint();
  }
  if (f.Overview().Months.size() != 120) state.SkipWithError("the window did not list 120 months");
}
BENCHMARK(BM_WindowOpen120)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  QApplication::setFont(BaseFont());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::error_code ec;
  if (!MonthFolder().empty()) std::filesystem::remove_all(MonthFolder(), ec);
  return 0;
}
