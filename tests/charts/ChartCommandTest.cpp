// kestrin-cli chart end to end: the PNG equals the paint box drawn in
// process, and bad arguments and files end in a message and an exit code.
#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include "charts/HistogramChart.h"
#include "charts/XChart.h"
#include "core/DataFile.h"
#include "platform/QtCanvas.h"

using namespace kestrin;

namespace {

const QString kCli = QStringLiteral(KESTRIN_BIN_DIR "/kestrin-cli");
const QString kSample = QStringLiteral(KESTRIN_SOURCE_DIR "/examples/sample-month.slt");

struct CliRun {
  int code = -1;
  QString err;
};

CliRun Cli(const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(kCli, args);
  p.waitForFinished(60000);
  CliRun r;
  r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.err = QString::fromUtf8(p.readAllStandardError());
  return r;
}

TMainData LoadSample() {
  TMainData d;
  d.ClearLists();
  d.Clear();
  EXPECT_TRUE(LoadFromFile(kSample.toStdString(), d));
  d.Calculate();
  return d;
}

// The paint box: white background, then the chart over its rectangle
// (the X chart with the month's signals at the default lengths ringed).
QImage PaintBox(bool xchart, const TMainData& d, int w, int h) {
  QImage img(w, h, QImage::Format_RGB32);
  QPainter p(&img);
  p.fillRect(img.rect(), Qt::white);
  {
    TQtCanvas canvas(&p);
    if (xchart)
      DrawXChart(canvas, TRect{0, 0, w, h}, d, MonthSignals(d, {}));
    else
      DrawHistogram(canvas, TRect{0, 0, w, h}, d);
  }
  p.end();
  return img;
}

}  // namespace

TEST(ChartCommand, PicturesEqualThePaintBox) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const TMainData d = LoadSample();
  struct Case {
    const char* kind;
    int w, h;
    bool sizeGiven;
  };
  for (const Case& c : {Case{"xchart", 458, 369, false}, Case{"histogram", 458, 369, false},
                        Case{"xchart", 800, 300, true}, Case{"histogram", 1000, 400, true}}) {
    const QString out = dir.filePath(QString::fromUtf8(c.kind) + QString::number(c.w) + ".png");
    QStringList args{QStringLiteral("chart"), QString::fromUtf8(c.kind), kSample,
                     QStringLiteral("-o"), out};
    if (c.sizeGiven) args << QStringLiteral("--size") << QStringLiteral("%1x%2").arg(c.w).arg(c.h);
    const CliRun r = Cli(args);
    ASSERT_EQ(r.code, 0) << r.err.toStdString();
    QImage got(out);
    ASSERT_FALSE(got.isNull());
    EXPECT_EQ(got.size(), QSize(c.w, c.h));
    const QImage want = PaintBox(std::string(c.kind) == "xchart", d, c.w, c.h);
    EXPECT_TRUE(got.convertToFormat(QImage::Format_RGB32) == want) << c.kind << " " << c.w;
  }
}

TEST(ChartCommand, BadArgumentsAndFiles) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString out = dir.filePath(QStringLiteral("a.png"));
  const QString chart = QStringLiteral("chart");

  CliRun r = Cli({chart, QStringLiteral("pie"), kSample, QStringLiteral("-o"), out});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.err.contains(QStringLiteral("xchart か histogram")));

  r = Cli({chart, QStringLiteral("xchart"), kSample, QStringLiteral("--size"), QStringLiteral("400x300"),
           QStringLiteral("--size"), QStringLiteral("400x300")});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.err.contains(QStringLiteral("-o")));

  for (const char* size : {"0x300", "400", "400x", "x300", "400x-3", "99999x10", "4e2x300"}) {
    r = Cli({chart, QStringLiteral("xchart"), kSample, QStringLiteral("-o"), out,
             QStringLiteral("--size"), QString::fromUtf8(size)});
    EXPECT_EQ(r.code, 2) << size;
  }
  EXPECT_FALSE(QFile::exists(out));

  // A file that is not a month: the load message, nothing written.
  const QString junk = dir.filePath(QStringLiteral("junk.slt"));
  {
    QFile f(junk);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("not a month of slump values");
  }
  r = Cli({chart, QStringLiteral("histogram"), junk, QStringLiteral("-o"), out});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains(QStringLiteral("ファイルのロードに失敗しました．")));
  EXPECT_FALSE(QFile::exists(out));

  // An output that cannot be written.
  r = Cli({chart, QStringLiteral("histogram"), kSample, QStringLiteral("-o"),
           dir.filePath(QStringLiteral("no/such/folder/a.png"))});
  EXPECT_EQ(r.code, 1);
  EXPECT_TRUE(r.err.contains(QStringLiteral("画像ファイルを書き込めません")));
}

// Batch runs (cron, ssh, services) often have no XDG_RUNTIME_DIR: the
// drawing commands still succeed, for the charts and the sheets alike, and
// stderr stays free of Qt's English notice about it.
TEST(ChartCommand, QuietWithoutRuntimeDir) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.remove(QStringLiteral("XDG_RUNTIME_DIR"));
  const QString png = dir.filePath(QStringLiteral("x.png"));
  CliRun r = Cli({QStringLiteral("chart"), QStringLiteral("xchart"), kSample, QStringLiteral("-o"), png}, env);
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
  EXPECT_TRUE(QFile::exists(png));

  const QString pdf = dir.filePath(QStringLiteral("s.pdf"));
  r = Cli({QStringLiteral("sheets"), kSample, QStringLiteral("-o"), pdf}, env);
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_TRUE(r.err.isEmpty()) << r.err.toStdString();
  EXPECT_TRUE(QFile::exists(pdf));
}
