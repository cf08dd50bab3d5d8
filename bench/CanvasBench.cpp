// The drawing foundation: a sheet-like A4 page (a 33-row table with
// weighted lines and fitted texts) recorded at 600 dpi, replayed onto a
// preview image at 96 dpi, drawn directly at 150 dpi, and written to PDF.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPrinter>
#include <QTemporaryDir>

#include "charts/CanvasAssist.h"
#include "charts/NumberText.h"
#include "platform/Fonts.h"
#include "platform/PageImage.h"
#include "platform/QtCanvas.h"

using namespace kestrin;

namespace {

constexpr int kA4W = 4958;  // A4 at 600 dpi
constexpr int kA4H = 7017;

void DrawTablePage(TCanvas& canvas, int w, int h) {
  TCanvasAssist a(&canvas);
  const double factors[6] = {0.0002, 0.0005, 0.0008, 0.0012, 0.0016, 0.002};
  for (int k = 0; k < 6; ++k) a.Weights[k] = static_cast<int>(h * factors[k] + 0.5);
  canvas.Pen.Color = clBlack;
  canvas.Brush.SetStyle(TBrushStyle::Clear);
  const int left = w / 20, right = w - w / 20, top = h / 10, bottom = h - h / 20;
  const double t = (bottom - top) / 33.0;
  a.FrameBox(left, top, right, bottom, 2);
  for (int i = 1; i < 33; ++i) a.HorzLine(left, right, top + static_cast<int>(i * t), i == 2 ? 1 : 0);
  const int cols = 8;
  for (int c = 1; c < cols; ++c) a.VertLine(left + (right - left) * c / cols, top, bottom, 1);
  a.CreateFont(static_cast<int>(t * 0.7), 0, 0, 2);
  for (int i = 2; i < 33; ++i) {
    const int y1 = top + static_cast<int>(i * t), y2 = top + static_cast<int>((i + 1) * t);
    for (int c = 0; c < cols; ++c) {
      const TRect cell{left + (right - left) * c / cols, y1, left + (right - left) * (c + 1) / cols, y2};
      a.PutTextFit(cell, kAlignRight, 0.15,
                   QString::fromStdString(FixedText(15.0L + i * 0.1L + c, 4, 1)));
    }
  }
  a.CreateFont(static_cast<int>(t), 0, 0, 0);
  a.PutText(TRect{left, top - static_cast<int>(2 * t), right, top}, kAlignCenter,
            QString::fromUtf8("スランプ試験（管理表・ヒストグラム）"));
}

TPageImage RecordPage() {
  TPageImage page(kA4W, kA4H, 600, 600);
  TRecordingCanvas rec(&page);
  DrawTablePage(rec, kA4W, kA4H);
  return page;
}

void BM_RecordPage600(benchmark::State& state) {
  for (auto _ : state) {
    TPageImage page = RecordPage();
    benchmark::DoNotOptimize(page.Ops().size());
  }
}
BENCHMARK(BM_RecordPage600)->Unit(benchmark::kMillisecond);

void BM_ReplayPageAt96(benchmark::State& state) {
  const TPageImage page = RecordPage();
  for (auto _ : state) {
    QImage img = page.ToImage(794, 1123);
    benchmark::DoNotOptimize(img.bits());
  }
}
BENCHMARK(BM_ReplayPageAt96)->Unit(benchmark::kMillisecond);

void BM_DrawPageDirectAt150(benchmark::State& state) {
  for (auto _ : state) {
    QImage img(1240, 1754, QImage::Format_RGB32);
    img.fill(Qt::white);
    TQtCanvas c(&img);
    DrawTablePage(c, 1240, 1754);
    c.End();
    benchmark::DoNotOptimize(img.bits());
  }
}
BENCHMARK(BM_DrawPageDirectAt150)->Unit(benchmark::kMillisecond);

void BM_ReplayPageToPdf600(benchmark::State& state) {
  const TPageImage page = RecordPage();
  QTemporaryDir dir;
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setResolution(600);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(dir.filePath(QStringLiteral("page.pdf")));
    printer.setFullPage(true);
    TQtCanvas c(&printer);
    page.Play(c, 1.0, 1.0);
    c.End();
  }
}
BENCHMARK(BM_ReplayPageToPdf600)->Unit(benchmark::kMillisecond);

}  // namespace
