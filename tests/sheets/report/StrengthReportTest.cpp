// The printed strength sheet through the report pipeline: portrait pages,
// one more once the tests pass the first page's table, previewed and
// printed.
#include <QPrinter>

#include "ReportFixture.h"
#include "sheets/StrengthSheet.h"
#include "sheets/report/StrengthReport.h"
#include "sheets/report/ReportPreview.h"

namespace kestrin::test {
namespace {

class StrengthReportTest : public ReportFixture {};

TEST_F(StrengthReportTest, PrintsPortraitPagesThatFollowTheTestsAndPreviewsThem) {
  TStrengthLog log;
  log.Plant = "東/工場";
  log.Year = 2025;
  log.Month = 6;
  log.Tests.resize(kStrengthFirstPageTests + 1);
  for (TStrengthTest& t : log.Tests) t.Strength28 = TSpecimens{300, 301, 302};
  TStrengthFigures figures = ComputeStrengthFigures(log);
  const TSettings settings;
  TStrengthReport r(&log, &figures, &settings);
  r.Rep.Ui = report->Rep.Ui;
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setResolution(150);
  printer->setOutputFileName(PdfPath(QStringLiteral("strength.pdf")));
  r.Rep.SetPrinter(std::move(printer));

  ASSERT_TRUE(r.Run(false));
  EXPECT_EQ(PdfPageCount(PdfPath(QStringLiteral("strength.pdf"))), 2);
  EXPECT_LT(r.RepDraw.Geometry.PhysicalWidth, r.RepDraw.Geometry.PhysicalHeight);

  log.Tests.resize(kStrengthFirstPageTests);
  figures = ComputeStrengthFigures(log);
  int pages = 0;
  r.Rep.Ui.ExecPreview = [&](TVelReportPreview& preview) {
    preview.show();
    EXPECT_TRUE(WaitUntil([&] { return r.RepDraw.Finished(); }));
    pages = r.RepDraw.LastStoredPage();
    preview.reject();
  };
  ASSERT_TRUE(r.Run(true));
  EXPECT_EQ(pages, 1);
  EXPECT_TRUE(messages.empty());

  EXPECT_EQ(StrengthPdfName(log), QStringLiteral("強度試験_東_工場_202506.pdf"));
  log.Plant.clear();
  EXPECT_EQ(StrengthPdfName(log), QStringLiteral("強度試験_202506.pdf"));
}

}  // namespace
}  // namespace kestrin::test
