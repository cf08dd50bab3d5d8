// The main window's commit path: from committing a typed measurement to the
// end of the full repaint of the window (design size, offscreen platform).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>

#include "app/ControlPage.h"
#include "core/Numbers.h"
#include "tests/app/FrmMainProbe.h"
#include "widgets/CellArea.h"
#include "widgets/CellMgrMain.h"
#include "widgets/ChartTabs.h"

using namespace kestrin;

namespace {

int chartPaints = 0;

// A shown window with a month of values (2005-01, 62 measurements), the
// X chart tab showing (the heavier of the two charts).
TFrmMain& Window() {
  static TFrmMain* w = [] {
    auto* f = new TFrmMain;
    TFrmMainProbe probe(*f);
    probe.SettingsReader() = [] { return TSettings(); };
    f->show();
    QApplication::processEvents();
    TMainData& d = probe.MainData();
    d.BasicInfo.Getsudo = PackDate(2005, 1, 1);
    d.AdjustSlumpList();
    for (int day = 0; day < d.SlumpList.Count(); ++day)
      for (int i = 0; i < 2; ++i) d.SlumpList.Items(day).SokuteiList.Items(i).Value = 1600 + (day * 37 + i * 53) % 450;
    probe.RecalcAndRepaint();
    // Count the chart paints, to be sure the timed repaint draws the chart.
    probe.SetXChartDrawer(
        [draw = TChartDrawer(probe.XChartDrawer())](QPainter& p, const QRect& r, const TMainData& d) {
          ++chartPaints;
          draw(p, r, d);
        });
    QApplication::processEvents();
    return f;
  }();
  return *w;
}

QLineEdit* OpenMeasurement(TFrmMain& w, int day) {
  TFrmMainProbe probe(w);
  probe.Ui().CellCoordinator->Activate(probe.DayCell(day, colAM));
  return qobject_cast<QLineEdit*>(probe.Ui().CellCoordinator->ActiveArea()->Editor());
}

// Commit in place (as before a command) and repaint everything.
void BM_CommitAndRepaint(benchmark::State& state) {
  TFrmMain& w = Window();
  TFrmMainProbe probe(w);
  QLineEdit* e = OpenMeasurement(w, 14);
  int n = 0;
  chartPaints = 0;
  for (auto _ : state) {
    state.PauseTiming();
    e->setText(++n % 2 ? QStringLiteral("18.5") : QStringLiteral("19.0"));
    state.ResumeTiming();
    probe.Ui().CellCoordinator->CommitActive();
    w.repaint();
  }
  state.counters["chart_paints"] = benchmark::Counter(chartPaints, benchmark::Counter::kAvgIterations);
  // The signals ringed on the chart (and listed on their tab) meanwhile.
  state.counters["signals"] = static_cast<double>(probe.Signals().size());
}
BENCHMARK(BM_CommitAndRepaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The typing path: Enter commits, moves to the next cell and the window
// repaints.
void BM_EnterAndRepaint(benchmark::State& state) {
  TFrmMain& w = Window();
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    QApplication::processEvents();  // closed editors are deleted here
    QLineEdit* e = OpenMeasurement(w, n % 28);
    e->setText(++n % 2 ? QStringLiteral("17.5") : QStringLiteral("18.0"));
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    state.ResumeTiming();
    QApplication::sendEvent(e, &enter);
    w.repaint();
  }
}
BENCHMARK(BM_EnterAndRepaint)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// The same commit with the X̄－R管理図 tab showing: the limits, the rules
// and both charts are recomputed and repainted.
void BM_CommitAndRepaintXbarRTab(benchmark::State& state) {
  TFrmMain& w = Window();
  TFrmMainProbe probe(w);
  probe.Ui().ChartTabs->SetCurrentTab(3);
  QApplication::processEvents();
  QLineEdit* e = OpenMeasurement(w, 14);
  int n = 0;
  for (auto _ : state) {
    state.PauseTiming();
    e->setText(++n % 2 ? QStringLiteral("18.5") : QStringLiteral("21.0"));
    state.ResumeTiming();
    probe.Ui().CellCoordinator->CommitActive();
    w.repaint();
  }
  state.counters["control_signals"] = static_cast<double>(probe.Ui().ControlPage->Chart().Signals.size());
  probe.Ui().ChartTabs->SetCurrentTab(1);
}
BENCHMARK(BM_CommitAndRepaintXbarRTab)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
