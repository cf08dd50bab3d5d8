// chart: the screen charts of a month as PNG pictures, drawn exactly as the
// main window's chart paint box of the same size shows them (white paint
// box background, then the chart over the box's client rectangle), the X
// chart with its signals ringed (run and trend lengths from the program's
// settings).
#include <QBuffer>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>

#include <charconv>
#include <memory>
#include <string>
#include <ostream>

#include "Commands.h"
#include "GuiApplication.h"
#include "charts/HistogramChart.h"
#include "charts/XChart.h"
#include "charts/XChartThumbnail.h"
#include "core/DataFile.h"
#include "platform/Fonts.h"
#include "platform/QtCanvas.h"
#include "platform/SafeSave.h"

namespace kestrin::cli {

namespace {


// The design size of the main window's chart area.
constexpr int kDefaultWidth = 458;
constexpr int kDefaultHeight = 369;
// Larger pictures are refused (64 MB of pixels at the limit).
constexpr int kMaxSide = 4096;

enum class TChartKind { XChart, Histogram };

// "WxH" with both sides 1..kMaxSide.
bool ParseSize(const std::string& s, int& w, int& h) {
  const std::size_t x = s.find_first_of("xX");
  if (x == std::string::npos) return false;
  auto parse = [](const char* b, const char* e, int& v) {
    if (b == e) return false;
    auto [p, ec] = std::from_chars(b, e, v);
    return ec == std::errc() && p == e && v >= 1 && v <= kMaxSide;
  };
  return parse(s.data(), s.data() + x, w) && parse(s.data() + x + 1, s.data() + s.size(), h);
}

// Draws the chart as the paint box does: its background, then the chart
// with the rectangle (0, 0, width, height) on a canvas over its painter.
QImage RenderChart(TChartKind kind, const TMainData& data, int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.fillRect(QRect(0, 0, width, height), Qt::white);
  {
    TQtCanvas canvas(&painter);
    const TRect rect{0, 0, width, height};
    if (kind == TChartKind::XChart && (width < kXThumbnailMaxWidth || height < kXThumbnailMaxHeight)) {
      // Icon sizes (a file manager's thumbnail): the chart without texts.
      DrawXChartThumbnail(canvas, rect, data);
    } else if (kind == TChartKind::XChart) {
      DrawXChart(canvas, rect, data, MonthSignals(data, ProgramSettings().SignalLengths()));
    } else {
      DrawHistogram(canvas, rect, data);
    }
  }
  painter.end();
  return image;
}

struct TChartArgs {
  std::string kind;
  std::string path;
  std::string out;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
};

int Chart(const TChartArgs& a, TCliIo& io) {
  const TChartKind kind = a.kind == "xchart" ? TChartKind::XChart : TChartKind::Histogram;
  const std::string& path = a.path;
  const std::string& out = a.out;
  const int width = a.width;
  const int height = a.height;
  if (!OutputNameCarried(out, io.err)) return kExitFailure;
  TMainData data;
  if (const TFileResult loaded = LoadMonth(path, data); !loaded) {
    PrintFailure(io.err, kLoadFailed, loaded);
    return kExitFailure;
  }

  const std::unique_ptr<QGuiApplication> app = MakeGuiApplication();
  RegisterFontSubstitutions();
  const QImage image = RenderChart(kind, data, width, height);
  // Encoded in memory and written by the safe writer: a failed write
  // leaves no broken picture and an existing file untouched, and only a
  // regular file or a new name is ever written.
  QByteArray png;
  QBuffer buffer(&png);
  bool ok = buffer.open(QIODevice::WriteOnly);
  if (ok) {
    QImageWriter writer(&buffer, "png");
    ok = writer.write(image);
  }
  const TFileResult saved =
      ok ? SaveBytes(QString::fromUtf8(out.c_str()), png) : TFileResult::Failure(out, "画像を作れません");
  if (!saved) {
    io.err << "画像ファイルを書き込めません：" << ShownName(out) << "\n" << saved.Reason() << "\n";
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

void RegisterChartCommands(TCommandLine& cli) {
  auto a = std::make_shared<TChartArgs>();
  CLI::App& c = cli.Add("chart",
                        "データファイルを読み込んで再計算し，画面のＸ管理図（xchart）またはヒストグラム（histogram）を "
                        "PNG 画像に描きます．大きさはグラフ表示欄の幅x高さ（既定 458x369）です．"
                        "320x240 より小さいＸ管理図は軸の文字を省いたアイコン用の絵になります．",
                        [a](TCliIo& io) { return Chart(*a, io); });
  AddArgument(c, a->kind, "xchart|histogram", "グラフの種類：xchart（Ｘ管理図）か histogram（ヒストグラム）")
      ->check(OneOf({"xchart", "histogram"}, "グラフの種類は xchart か histogram で指定してください"));
  AddArgument(c, a->path, "FILE.slt", "データファイル");
  c.add_option("-o,--output", a->out, "書き出す PNG 画像")
      ->type_name("OUT.png")
      ->required()
      ->check(Accepted([](const std::string& v) { return !v.empty(); }, "出力ファイル名を指定してください"));
  const std::string sizeMessage =
      "大きさは 幅x高さ（各 1～" + std::to_string(kMaxSide) + " ピクセル）で指定してください";
  c.add_option_function<std::string>(
       "--size", [a](const std::string& v) { ParseSize(v, a->width, a->height); },
       "画像の幅x高さ（ピクセル，各 1～" + std::to_string(kMaxSide) + "；既定 458x369）")
      ->type_name("WxH")
      ->check(Accepted(
          [](const std::string& v) {
            int w = 0, h = 0;
            return ParseSize(v, w, h);
          },
          sizeMessage));
}

}  // namespace kestrin::cli
