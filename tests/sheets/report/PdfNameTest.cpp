// The PDF a print writes without a printer: its name from the month or the
// overview's period, a free place beside earlier ones, the sheet's title in
// the document, and the report telling which file it wrote.
#include <QFile>
#include <QProcess>

#include "ReportFixture.h"
#include "core/Numbers.h"
#include "core/Overview.h"
#include "sheets/report/PdfName.h"

namespace kestrin::test {
namespace {

TEST(PdfName, MonthAndPlantMakeTheNameAndUnsafeCharactersBecomeUnderscores) {
  EXPECT_EQ(SheetPdfName(QStringLiteral("本社工場"), PackDate(2025, 6, 1)),
            QStringLiteral("スランプ試験_本社工場_202506.pdf"));
  EXPECT_EQ(SheetPdfName(QString(), PackDate(2026, 12, 1)), QStringLiteral("スランプ試験_202612.pdf"));
  EXPECT_EQ(SheetPdfName(QStringLiteral("../北\n工場:1"), PackDate(2025, 1, 1)),
            QStringLiteral("スランプ試験__北_工場_1_202501.pdf"));
  EXPECT_EQ(FileNamePart(QStringLiteral("  ..a/b\\c*?\"<>|  ")), QStringLiteral("a_b_c______"));
}

TEST(PdfName, OverviewNamesItsPeriodFromTheFirstToTheLastMonth) {
  EXPECT_EQ(OverviewPdfName(TOverview{}), QStringLiteral("年間推移.pdf"));
  TOverview o;
  o.Months.resize(3);
  o.Months[0].Getsudo = PackDate(2025, 4, 1);
  o.Months[1].Getsudo = PackDate(2025, 4, 15);  // the same month, another day
  o.Months[2].Getsudo = PackDate(2025, 4, 30);
  EXPECT_EQ(OverviewPdfName(o), QStringLiteral("年間推移_202504.pdf"));
  o.Months[2].Getsudo = PackDate(2024, 12, 1);
  o.Months.push_back(o.Months[0]);
  o.Months.back().Getsudo = PackDate(2025, 5, 1);
  EXPECT_EQ(OverviewPdfName(o), QStringLiteral("年間推移_202412-202505.pdf"));
  // Strength logs count in the period, and name it alone.
  o.StrengthMonths.resize(1);
  o.StrengthMonths[0].Getsudo = PackDate(2025, 6, 1);
  EXPECT_EQ(OverviewPdfName(o), QStringLiteral("年間推移_202412-202506.pdf"));
  o.Months.clear();
  EXPECT_EQ(OverviewPdfName(o), QStringLiteral("年間推移_202506.pdf"));
}

TEST(PdfName, TakenNamesGetTheNextFreeNumberAndADanglingLinkCountsAsTaken) {
  QTemporaryDir dir;
  const QString name = QStringLiteral("スランプ試験_202506.pdf");
  EXPECT_EQ(FreeFilePath(dir.path(), name), dir.filePath(name));
  QFile(dir.filePath(name)).open(QIODevice::WriteOnly);
  EXPECT_EQ(FreeFilePath(dir.path(), name), dir.filePath(QStringLiteral("スランプ試験_202506 (2).pdf")));
  // A link to nowhere would be followed by a save.
  ASSERT_TRUE(QFile::link(dir.filePath(QStringLiteral("nowhere")),
                          dir.filePath(QStringLiteral("スランプ試験_202506 (2).pdf"))));
  EXPECT_EQ(FreeFilePath(dir.path(), name), dir.filePath(QStringLiteral("スランプ試験_202506 (3).pdf")));
}

using PdfPrint = ReportFixture;

QString PdfTitle(const QString& path) {
  QProcess p;
  p.start(QStringLiteral("pdfinfo"), {path});
  if (!p.waitForFinished(20000)) return {};
  for (const QString& line : QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n')))
    if (line.startsWith(QStringLiteral("Title:"))) return line.mid(6).trimmed();
  return {};
}

TEST_F(PdfPrint, APrintWithoutPrinterNeverReplacesAnEarlierPdfAndSaysWhereItWrote) {
  UsePdfPrinter(150, QStringLiteral("Kestrin.pdf"));
  report->Rep.PdfName = QStringLiteral("スランプ試験_本社工場_202506.pdf");
  report->Rep.PdfFolder = dir.path();
  report->Rep.DocumentTitle = QStringLiteral("スランプ試験（Ｘ管理図）");
  report->PreviewMode = false;
  ASSERT_TRUE(report->Run(TPrintSheet::XChart));
  const QString first = dir.filePath(QStringLiteral("スランプ試験_本社工場_202506.pdf"));
  EXPECT_EQ(report->Rep.WrittenPdf(), first);
  EXPECT_EQ(PdfTitle(first), QStringLiteral("スランプ試験（Ｘ管理図）"));
  const QByteArray before = [&] {
    QFile f(first);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
  }();

  ASSERT_TRUE(report->Run(TPrintSheet::All));
  EXPECT_EQ(report->Rep.WrittenPdf(), dir.filePath(QStringLiteral("スランプ試験_本社工場_202506 (2).pdf")));
  EXPECT_EQ(PdfPageCount(report->Rep.WrittenPdf()), 2);
  QFile f(first);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  EXPECT_EQ(f.readAll(), before);
  EXPECT_FALSE(QFile::exists(dir.filePath(QStringLiteral("Kestrin.pdf"))));
}

}  // namespace
}  // namespace kestrin::test
