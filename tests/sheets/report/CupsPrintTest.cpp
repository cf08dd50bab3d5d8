// Printing through a real print queue: a private CUPS server with a
// cups-pdf queue as the default printer, the example month printed with
// 全て through the print run as the main window runs it (the real print
// dialog, accepted as it comes up; the real busy window), and the PDF the
// queue writes checked: two A4 portrait pages, both titles, and no ink
// outside the page rectangle.
//
// The queue's PPD is cups-pdf's own with the A4 imageable area narrowed to
// a laser printer's border (6.35 mm, 12.7 mm on the right), so that the
// printer's unprintable area takes part: the right margin (10 mm) must be
// raised to 12.7 mm.
//
// Skipped, with the reason, where cupsd cannot be started.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include "PrivateCups.h"
#include "core/DataFile.h"
#include "core/MainData.h"
#include "core/Settings.h"
#include "sheets/report/SheetReport.h"

namespace kestrin::test {
namespace {

const std::string kSample = KESTRIN_SOURCE_DIR "/examples/sample-month.slt";
const QString kPdfPpd = QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd");
const QString kQueue = QStringLiteral("kestrin-pdf");

// The A4 imageable area of the test printer, in points from the bottom-left
// corner: 18 pt unprintable at left, bottom and top, 36 pt at the right.
const char* const kA4Area = "*ImageableArea A4/A4: \"18 18 559 824\"";
constexpr double kBorderRightPt = 36;

bool HaveTool(const char* name) {
  return !QStandardPaths::findExecutable(QString::fromLatin1(name)).isEmpty();
}

QString Tool(const QString& program, const QStringList& args) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished();
    return {};
  }
  return QString::fromUtf8(p.readAllStandardOutput());
}

// The cups-pdf PPD with the test printer's A4 imageable area.
bool WriteTestPpd(const QString& path) {
  QFile in(kPdfPpd);
  if (!in.open(QIODevice::ReadOnly)) return false;
  QByteArrayList lines = in.readAll().split('\n');
  bool replaced = false;
  for (QByteArray& line : lines) {
    if (line.startsWith("*ImageableArea A4/")) {
      line = kA4Area;
      replaced = true;
    }
    // A printer set up for Letter paper: the run must still get A4.
    for (const char* key : {"*DefaultPageSize:", "*DefaultPageRegion:", "*DefaultImageableArea:",
                            "*DefaultPaperDimension:"}) {
      if (line.startsWith(key)) line = QByteArray(key) + " Letter";
    }
  }
  QFile out(path);
  return replaced && out.open(QIODevice::WriteOnly) && out.write(lines.join('\n')) > 0;
}

// Bounding box of the dark pixels of a grey picture.
QRect InkBox(const QImage& image) {
  const QImage g = image.convertToFormat(QImage::Format_Grayscale8);
  int left = g.width(), top = g.height(), right = -1, bottom = -1;
  for (int y = 0; y < g.height(); ++y) {
    const uchar* row = g.constScanLine(y);
    for (int x = 0; x < g.width(); ++x) {
      if (row[x] < 160) {
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
    }
  }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

TEST(CupsPrintTest, AllSheetsThroughTheDefaultQueueGiveTwoA4PagesInsideThePrintableArea) {
  for (const char* tool : {"pdfinfo", "pdftotext", "pdftoppm"})
    if (!HaveTool(tool)) GTEST_SKIP() << "poppler-utils not installed";
  TPrivateCups cups;
  QString why;
  if (!HaveTool("lpadmin") || !HaveTool("lpstat"))
    GTEST_SKIP() << "the CUPS client tools are not installed (cups-client)";
  if (!cups.Start(&why)) GTEST_SKIP() << "no private CUPS server: " << why.toStdString();
  const QString ppd = cups.Folder() + QStringLiteral("/test-printer.ppd");
  ASSERT_TRUE(WriteTestPpd(ppd));
  ASSERT_TRUE(cups.AddPdfQueue(kQueue, ppd, &why)) << why.toStdString();

  // Qt's print support talks to this server only, and no user option file
  // chooses another default printer.
  qputenv("CUPS_SERVER", QFile::encodeName(cups.Socket()));
  QDir(cups.Folder()).mkpath(QStringLiteral("home"));
  qputenv("HOME", QFile::encodeName(cups.Folder() + QStringLiteral("/home")));
  qunsetenv("PRINTER");
  qunsetenv("LPDEST");
  ASSERT_TRUE(QPrinterInfo::availablePrinterNames().contains(kQueue))
      << "Qt's print support does not see the CUPS queue (built without CUPS?)";
  ASSERT_EQ(QPrinterInfo::defaultPrinterName(), kQueue);

  TMainData data;
  data.ClearLists();
  data.Clear();
  ASSERT_TRUE(LoadFromFile(kSample, data));
  data.Calculate();
  const TSettings settings;

  TSheetReport report;
  report.Drawers = MakeSheetDrawers(data, settings);
  report.PreviewMode = false;
  const TReportUi real = DefaultReportUi();
  std::vector<QString> messages;
  int busyShown = 0;
  bool openProperties = false;
  QString dialogPrinter, propertiesPaper;
  report.Rep.Ui.ShowMessage = [&](QWidget*, const QString& text) { messages.push_back(text); };
  report.Rep.Ui.PrintDialog = [&](QWidget* parent, QPrinter& printer, int& from, int& to) {
    // The real dialog, accepted as it comes up, after a look at the
    // printer's properties (accepted as shown) when asked to; cancelled
    // if it never settles, which fails the run.
    QTimer poll;
    int ticks = 0;
    bool propertiesSeen = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      auto* d = qobject_cast<QPrintDialog*>(modal);
      if (d && openProperties && !propertiesSeen) {
        propertiesSeen = true;
        // Clicked from the event loop: the properties run their own.
        if (auto* b = d->findChild<QAbstractButton*>(QStringLiteral("properties")))
          QMetaObject::invokeMethod(b, &QAbstractButton::click, Qt::QueuedConnection);
      } else if (d) {
        dialogPrinter = d->printer()->printerName();
        d->accept();
      } else if (modal && modal->inherits("QPrintPropertiesDialog")) {
        if (auto* sizes = modal->findChild<QComboBox*>(QStringLiteral("pageSizeCombo")))
          propertiesPaper = sizes->currentData().value<QPageSize>().key();
        static_cast<QDialog*>(modal)->accept();
      } else if (++ticks > 600 && modal) {
        modal->close();
      }
    });
    poll.start(50);
    return real.PrintDialog(parent, printer, from, to);
  };
  report.Rep.Ui.BusyWindow = [&](QWidget* parent, const QString& text) {
    ++busyShown;
    return real.BusyWindow(parent, text);
  };

  // Twice: the dialog accepted at once, then after a look at the printer's
  // properties; both must print on A4 whatever paper the printer defaults to.
  QStringList pdfs;
  for (bool properties : {false, true}) {
    SCOPED_TRACE(properties ? "printer properties looked at" : "dialog accepted at once");
    openProperties = properties;
    ASSERT_TRUE(report.Run(TPrintSheet::All));
    EXPECT_TRUE(messages.empty()) << messages.front().toStdString();
    EXPECT_EQ(dialogPrinter, kQueue);
    if (properties) {
      EXPECT_EQ(propertiesPaper, QStringLiteral("A4"));
    }
    ASSERT_NE(report.Rep.Printer(), nullptr);
    EXPECT_EQ(report.Rep.Printer()->outputFormat(), QPrinter::NativeFormat);
    // The right margin was raised to the printer's unprintable border.
    const TPageGeometry& g = report.RepDraw.Geometry;
    EXPECT_NEAR(g.OffsetRight, kBorderRightPt / 72 * g.ResX, 2);
    EXPECT_EQ(g.MarginRight, g.OffsetRight);

    ASSERT_TRUE(cups.WaitForJobs(kQueue, pdfs.size() + 1, 240000))
        << "the job did not end" << cups.LogTail().toStdString();
    QStringList now = QDir(cups.OutputFolder()).entryList({QStringLiteral("*.pdf")}, QDir::Files);
    for (const QString& old : pdfs) now.removeAll(old);
    ASSERT_EQ(now.size(), 1) << now.join(QLatin1Char(' ')).toStdString() << cups.LogTail().toStdString();
    pdfs << now.front();
  }
  EXPECT_EQ(busyShown, 2);

  for (const QString& name : pdfs) {
    SCOPED_TRACE(name.toStdString());
    const QString pdf = QDir(cups.OutputFolder()).filePath(name);
    // KESTRIN_KEEP_PRINTED=FILE keeps the queue's last PDF for a look.
    if (const QString keep = qEnvironmentVariable("KESTRIN_KEEP_PRINTED"); !keep.isEmpty()) {
      QFile::remove(keep);
      QFile::copy(pdf, keep);
    }
    const QString info = Tool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                                        QStringLiteral("-l"), QStringLiteral("9"), pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("\nPages: +2\n")))) << info.toStdString();
    for (int page : {1, 2}) {
      EXPECT_TRUE(info.contains(QRegularExpression(
          QStringLiteral("Page +%1 size: +595(\\.\\d+)? x 842(\\.\\d+)? pts \\(A4\\)").arg(page))))
          << info.toStdString();
      EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page +%1 rot: +0\n").arg(page))))
          << info.toStdString();
    }
    const QString text = Tool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    const QString table = QStringLiteral("スランプ試験（管理表・ヒストグラム）");
    const QString xchart = QStringLiteral("スランプ試験（Ｘ管理図）");
    EXPECT_TRUE(text.contains(table) && text.contains(xchart)) << text.left(400).toStdString();
    EXPECT_LT(text.indexOf(table), text.indexOf(xchart));

    // Every block inside the page rectangle: no ink in the margins (which
    // hold the printer's unprintable border). At 100 dpi, with a pixel for
    // the rasteriser.
    constexpr int kDpi = 100;
    const double mmPx = kDpi / 25.4;
    const QRect inside(QPoint(int(15 * mmPx) - 1, int(15 * mmPx) - 1),
                       QPoint(int((210 - 12.7) * mmPx) + 1, int((297 - 15) * mmPx) + 1));
    for (int page : {1, 2}) {
      SCOPED_TRACE(page);
      const QString prefix = cups.Folder() + QStringLiteral("/page%1").arg(page);
      Tool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-gray"),
                                        QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                                        QString::number(page), QStringLiteral("-singlefile"), pdf, prefix});
      const QImage image(prefix + QStringLiteral(".pgm"));
      ASSERT_FALSE(image.isNull());
      const QRect ink = InkBox(image);
      ASSERT_FALSE(ink.isNull());
      EXPECT_TRUE(inside.contains(ink)) << "ink " << ink.left() << "," << ink.top() << " - " << ink.right()
                                        << "," << ink.bottom() << " outside " << inside.left() << ","
                                        << inside.top() << " - " << inside.right() << "," << inside.bottom();
      // The sheet fills its rectangle's width (it was laid out for the
      // raised margin, not cut off by it).
      EXPECT_GT(ink.right(), inside.right() - 4 * mmPx);
      EXPECT_LT(ink.left(), inside.left() + 4 * mmPx);
    }
  }
}

}  // namespace
}  // namespace kestrin::test
