// The screen charts: one repaint of the X chart and of the histogram of a
// full month at the design size and at a large window size, onto an image as
// the paint box draws; the sheet X chart recorded at 600 dpi; and the
// histogram of a damaged file's largest class table.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "charts/CanvasAssist.h"
#include "charts/HistogramChart.h"
#include "charts/XChart.h"
#include "platform/Fonts.h"
#include "platform/PageImage.h"
#include "platform/QtCanvas.h"

using namespace kestrin;

namespace {

// January with every slot measured, spread over the classes.
TMainData FullMonth() {
  TMainData d;
  d.BasicInfo.Getsudo = PackDate(2024, 1, 1);
  d.BasicInfo.KariAveX = 1800;
  d.BasicInfo.Kyoyo = 250;
  d.MakeSlumpList();
  d.MakeHistogramList();
  for (int i = 0; i < d.SlumpList.Count(); ++i) {
    for (int h = 0; h < 2; ++h) {
      d.SlumpList.Items(i).SokuteiList.Items(h).Value = 1550 + ((i * 37 + h * 53) % 50) * 10;
    }
  }
  d.Calculate();
  return d;
}

template <typename Draw>
void Repaint(benchmark::State& state, Draw draw) {
  const int w = static_cast<int>(state.range(0));
  const int h = static_cast<int>(state.range(1));
  const TMainData d = FullMonth();
  QImage img(w, h, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&img);
    p.fillRect(img.rect(), Qt::white);
    TQtCanvas canvas(&p);
    draw(canvas, TRect{0, 0, w, h}, d);
  }
}

void BM_XChartRepaint(benchmark::State& state) {
  Repaint(state, [](TCanvas& c, const TRect& r, const TMainData& d) { DrawXChart(c, r, d); });
}
BENCHMARK(BM_XChartRepaint)->Args({458, 369})->Args({1600, 1000})->Unit(benchmark::kMillisecond);

void BM_HistogramRepaint(benchmark::State& state) {
  Repaint(state, [](TCanvas& c, const TRect& r, const TMainData& d) { DrawHistogram(c, r, d); });
}
BENCHMARK(BM_HistogramRepaint)->Args({458, 369})->Args({1600, 1000})->Unit(benchmark::kMillisecond);

void BM_XChartDocRecord600(benchmark::State& state) {
  const TMainData d = FullMonth();
  for (auto _ : state) {
    TPageImage page(4958, 7017, 600, 600);
    TRecordingCanvas canvas(&page);
    TCanvasAssist assist(&canvas);
    for (int k = 0; k < 6; ++k) assist.Weights[k] = k + 1;
    DrawXChartDoc(canvas, TRect{400, 1500, 4558, 5000}, assist, d, true);
    benchmark::DoNotOptimize(page.Ops().size());
  }
}
BENCHMARK(BM_XChartDocRecord600)->Unit(benchmark::kMillisecond);

// A class table of the largest accepted size (an old file with a tiny
// class width): the repaint must stay usable.
void BM_HistogramHugeTable(benchmark::State& state) {
  TMainData d = FullMonth();
  d.BasicInfo.ClassWidth = 0.01L;
  d.BasicInfo.Kyoyo = 49'000;
  d.MakeHistogramList();
  d.Calculate();
  QImage img(458, 369, QImage::Format_RGB32);
  for (auto _ : state) {
    QPainter p(&img);
    TQtCanvas canvas(&p);
    DrawHistogram(canvas, TRect{0, 0, 458, 369}, d);
  }
  state.counters["rows"] = d.HistogramList.Count();
}
BENCHMARK(BM_HistogramHugeTable)->Unit(benchmark::kMillisecond);

}  // namespace
