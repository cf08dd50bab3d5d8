// kestrin-chart-demo: draws a sample line chart on the chart framework, a
// sample of the canvas assist (weighted lines, fonts, fitted and marked-up
// texts, number texts) and the same assist sample recorded as a 600 dpi
// page image and replayed at 96 dpi. Writes PNG pictures into the folder
// given as the first argument (default: the current folder).
#include <QApplication>
#include <QDir>
#include <QImage>

#include <cstdio>
#include <vector>

#include "charts/CanvasAssist.h"
#include "charts/ChartFrame.h"
#include "charts/NumberText.h"
#include "platform/Fonts.h"
#include "platform/PageImage.h"
#include "platform/QtCanvas.h"

using namespace kestrin;

namespace {

void DrawSampleChart(TCanvas& canvas, const TRect& rect) {
  // Thirty-one days of two series of slump values in hundredths of a cm.
  constexpr int kDays = 31;
  std::vector<int32_t> data(2 * kDays);
  for (int i = 0; i < kDays; ++i) {
    data[i] = 1800 + ((i * 37) % 120) - 60;
    data[kDays + i] = 1750 + ((i * 53) % 150) - 75;
  }
  data[5] = TProtoChart::kMissing;
  data[kDays + 20] = TProtoChart::kMissing;

  THorChartEnv env(FitAspectRect(rect, 4, 3), &canvas);
  env.SetMargins(48, 12, 12, 30);
  env.SetData(kDays, 1800, 1800, 10, 10);
  env.SetFrameColors(clBlack, Rgb(253, 244, 225));
  env.SetTextColor(clBlack);
  env.SetYLabelStep(50);
  env.SetGridStep(50);
  env.SetHorzGridColor(Rgb(128, 128, 128));
  env.SetVertGridColor(Rgb(200, 200, 200));
  env.SetShowTitle(false);
  env.SetShowLegend(false);

  THorLineChart series(&env);
  series.SetData(2, data);
  series.ScanMax(true);
  series.ScanMin(true);
  series.SetColor(Rgb(0, 0, 255));

  canvas.Font.Log = TFont::DefaultLogFont();
  env.Draw();
  series.Draw();
}

void DrawAssistSample(TCanvas& canvas, int width, int height) {
  TCanvasAssist assist(&canvas);
  // Line weights in proportion to the height, as the sheets set them.
  const double factors[6] = {0.0002, 0.0005, 0.0008, 0.0012, 0.0016, 0.002};
  for (int k = 0; k < 6; ++k) assist.Weights[k] = static_cast<int>(height * factors[k] * 4);

  canvas.Brush.SetColor(clWhite);
  canvas.FillRect(TRect{0, 0, width, height});
  canvas.Pen.Color = clBlack;

  const int m = width / 20;
  const int rowH = height / 12;
  // Weighted horizontal lines, weights 0 to 5.
  for (int k = 0; k < 6; ++k) {
    assist.HorzLine(m, width / 2 - m, m + k * rowH / 3, k);
  }
  // Diagonals of the three slope kinds at weight 3.
  const int y0 = m + 2 * rowH + rowH / 2;
  assist.Line(m, y0 + rowH, width / 2 - m, y0 + rowH / 2, 3);
  assist.Line(m, y0, m + rowH, y0 + rowH, 3);
  assist.Line(m + 2 * rowH, y0, m + 2 * rowH + rowH / 4, y0 + rowH, 3);
  // A framed box and a weighted frame rectangle.
  assist.FrameBox(width / 2 + m, m, width - m, m + 2 * rowH, 2);
  canvas.Brush.SetColor(Rgb(0, 0, 160));
  assist.FrameRectWeight(TRect{width / 2 + 2 * m, m + rowH / 2, width - 2 * m, m + 3 * rowH / 2}, 4);

  canvas.Brush.SetStyle(TBrushStyle::Clear);
  canvas.Font.Color = clBlack;
  const int top = m + 4 * rowH;
  const char* faces[4] = {"明朝 ＭＳ 明朝 Slump 18.5", "Ｐ明朝 ＭＳ Ｐ明朝 Slump 18.5",
                          "ゴシック ＭＳ ゴシック Slump 18.5", "Ｐゴシック ＭＳ Ｐゴシック Slump 18.5"};
  for (int kind = 0; kind < 4; ++kind) {
    const TRect cell{m, top + kind * rowH, width / 2 - m, top + (kind + 1) * rowH};
    assist.CreateFont(rowH * 6 / 10, 0, 0, kind);
    assist.PutText(cell, kAlignLeft, QString::fromUtf8(faces[kind]));
    canvas.Pen.Color = Rgb(180, 180, 180);
    assist.FrameBox(cell.Left, cell.Top, cell.Right, cell.Bottom, 0);
    canvas.Pen.Color = clBlack;
  }

  // Table cells: the raised 2, a lowered character, shrinking and numbers.
  assist.CreateFont(rowH * 7 / 10, 0, 0, 2);
  const int x1 = width / 2 + m;
  const int x2 = width - m;
  const int cw = (x2 - x1) / 3;
  const char* heads[3] = {"u^2･f", "X^L1 + X^L2", "度 数 チ ェ ッ ク"};
  for (int c = 0; c < 3; ++c) {
    const TRect cell{x1 + c * cw, top, x1 + (c + 1) * cw, top + rowH};
    assist.PutTextFit(cell, kAlignCenter, 0.1, QString::fromUtf8(heads[c]));
  }
  const long double values[4] = {17.25L, 18.5L, 100.0L, 5.0L};
  for (int r = 0; r < 4; ++r) {
    const int yy = top + (r + 1) * rowH;
    assist.PutTextFit(TRect{x1, yy, x1 + cw, yy + rowH}, kAlignRight, 0.1,
                      QString::fromStdString(FixedText(values[r], 4, 1)));
    assist.PutTextFit(TRect{x1 + cw, yy, x1 + 2 * cw, yy + rowH}, kAlignRight, 0.1,
                      QString::fromStdString(IntText(r * 450 - 20, 4)));
    assist.PutTextFit(TRect{x1 + 2 * cw, yy, x2, yy + rowH}, kAlignCenter, 0.1,
                      QString::fromUtf8(r % 2 ? "合" : "スランプ試験（管理表・ヒストグラム）"));
  }
  canvas.Pen.Color = clBlack;
  for (int r = 0; r <= 5; ++r) assist.HorzLine(x1, x2, top + r * rowH, r == 1 ? 1 : 0);
  for (int c = 0; c <= 3; ++c) assist.VertLine(x1 + c * cw, top, top + 5 * rowH, c == 3 ? 1 : 0);
}

bool Save(const QImage& image, const QString& path) {
  if (!image.save(path)) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  std::printf("%s\n", qPrintable(path));
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
  if (!dir.exists() && !QDir().mkpath(dir.path())) {
    std::fprintf(stderr, "cannot create %s\n", qPrintable(dir.path()));
    return 1;
  }
  bool ok = true;

  {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(Qt::white);
    TQtCanvas canvas(&image);
    DrawSampleChart(canvas, TRect{0, 0, 640, 480});
    canvas.End();
    ok &= Save(image, dir.filePath(QStringLiteral("chart-frame.png")));
  }
  {
    QImage image(900, 600, QImage::Format_RGB32);
    image.fill(Qt::white);
    TQtCanvas canvas(&image);
    DrawAssistSample(canvas, 900, 600);
    canvas.End();
    ok &= Save(image, dir.filePath(QStringLiteral("assist-text.png")));
  }
  {
    // The same sample recorded on a 600 dpi page and replayed at 96 dpi.
    TPageImage page(4500, 3000, 600, 600);
    TRecordingCanvas recorder(&page);
    DrawAssistSample(recorder, 4500, 3000);
    ok &= Save(page.ToImage(720, 480), dir.filePath(QStringLiteral("assist-page-96dpi.png")));
  }
  return ok ? 0 : 1;
}
