// The real sheets through the whole pipeline: the example month printed to
// a PDF by the print run equals what `kestrin-cli sheets` writes for the
// same month (same page count and size, the same pictures when both are
// rasterised by poppler).
#include <QFile>
#include <QImage>
#include <QProcess>

#include "ReportFixture.h"
#include "core/DataFile.h"
#include "core/MainData.h"
#include "core/Settings.h"

namespace kestrin::test {
namespace {

const QString kCli = QStringLiteral(KESTRIN_BIN_DIR "/kestrin-cli");
const std::string kSample = KESTRIN_SOURCE_DIR "/examples/sample-month.slt";

bool RunTool(const QString& program, const QStringList& args, QString* out = nullptr) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(120000)) return false;
  if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
  return p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

QString PageSize(const QString& pdf) {
  QString out;
  if (!RunTool(QStringLiteral("pdfinfo"), {pdf}, &out)) return {};
  for (const QString& line : out.split('\n'))
    if (line.startsWith(QStringLiteral("Page size:"))) return line.simplified();
  return {};
}

// Page `page` of a PDF as a grey picture at `dpi`.
QImage Raster(const QString& pdf, int page, int dpi, const QString& prefix) {
  const QString p = QString::number(page);
  if (!RunTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi),
                                         QStringLiteral("-gray"), QStringLiteral("-f"), p,
                                         QStringLiteral("-l"), p, QStringLiteral("-singlefile"),
                                         pdf, prefix})) {
    return {};
  }
  return QImage(prefix + QStringLiteral(".pgm"));
}

struct TDiff {
  int Differing = 0;  // pixels whose grey differs by more than 96
  int Ink = 0;        // dark pixels of the reference
};

TDiff Compare(const QImage& a, const QImage& b) {
  TDiff d;
  const QImage x = a.convertToFormat(QImage::Format_Grayscale8);
  const QImage y = b.convertToFormat(QImage::Format_Grayscale8);
  for (int row = 0; row < x.height(); ++row) {
    const uchar* p = x.constScanLine(row);
    const uchar* q = y.constScanLine(row);
    for (int col = 0; col < x.width(); ++col) {
      if (std::abs(int(p[col]) - int(q[col])) > 96) ++d.Differing;
      if (q[col] < 128) ++d.Ink;
    }
  }
  return d;
}

class SheetsPdfTest : public ReportFixture {};

TEST_F(SheetsPdfTest, PrintedPdfMatchesTheCommandLineRendering) {
  if (!HaveTool("pdfinfo") || !HaveTool("pdftoppm")) GTEST_SKIP() << "poppler-utils not installed";
  TMainData data;
  data.ClearLists();
  data.Clear();
  ASSERT_TRUE(LoadFromFile(kSample, data));
  data.Calculate();
  // Default settings on both sides: the command reads an empty file.
  const TSettings settings = LoadSettingsFile(dir.filePath(QStringLiteral("none.ini")).toStdString());
  const QString ini = dir.filePath(QStringLiteral("empty.ini"));
  {
    QFile f(ini);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  report->Drawers = MakeSheetDrawers(data, settings);

  for (TPrintSheet choice : {TPrintSheet::All, TPrintSheet::Table, TPrintSheet::XChart}) {
    const int sheet = static_cast<int>(choice);
    SCOPED_TRACE(sheet);
    const QString mine = dir.filePath(QStringLiteral("pipeline%1.pdf").arg(sheet));
    const QString cli = dir.filePath(QStringLiteral("cli%1.pdf").arg(sheet));
    UsePdfPrinter(600, QStringLiteral("pipeline%1.pdf").arg(sheet));
    report->PreviewMode = false;
    ASSERT_TRUE(report->Run(choice));
    const char* names[] = {"all", "table", "xchart"};
    ASSERT_TRUE(RunTool(kCli, {QStringLiteral("sheets"), QString::fromStdString(kSample),
                           QStringLiteral("-o"), cli, QStringLiteral("--dpi"),
                           QStringLiteral("600"), QStringLiteral("--sheet"),
                           QString::fromLatin1(names[sheet]), QStringLiteral("--settings"), ini}));

    const int pages = choice == TPrintSheet::All ? 2 : 1;
    ASSERT_EQ(PdfPageCount(mine), pages);
    ASSERT_EQ(PdfPageCount(cli), pages);
    EXPECT_EQ(PageSize(mine), PageSize(cli));
    for (int page = 1; page <= pages; ++page) {
      SCOPED_TRACE(page);
      const QImage a = Raster(mine, page, 60, dir.filePath(QStringLiteral("a%1-%2").arg(sheet).arg(page)));
      const QImage b = Raster(cli, page, 60, dir.filePath(QStringLiteral("b%1-%2").arg(sheet).arg(page)));
      ASSERT_FALSE(a.isNull());
      ASSERT_EQ(a.size(), b.size());
      const TDiff d = Compare(a, b);
      // A real sheet has plenty of ink; the two renderings differ at most
      // in the odd anti-aliased text pixel.
      EXPECT_GT(d.Ink, 5000);
      EXPECT_LT(d.Differing, d.Ink / 200) << d.Differing << " of " << d.Ink;
    }
  }
}

}  // namespace
}  // namespace kestrin::test
