// The printed year overview through the report pipeline: one landscape
// page per plant, previewed and printed.
#include <QPrinter>

#include "ReportFixture.h"
#include "core/Numbers.h"
#include "sheets/OverviewSheet.h"
#include "sheets/report/OverviewReport.h"
#include "sheets/report/ReportPreview.h"

namespace kestrin::test {
namespace {

TOverviewMonth Row(const char* plantUtf8, int32_t month, std::vector<int32_t> values) {
  TOverviewMonth m;
  m.File = std::string(plantUtf8) + std::to_string(month) + ".slt";
  m.Getsudo = PackDate(2025, month, 1);
  m.Kojo = Sjis(plantUtf8);
  m.KariAveX = 1800;
  m.Kyoyo = 250;
  m.Count = static_cast<int64_t>(values.size());
  m.AveX = 1800;
  m.Hensa = 1.0L;
  m.Values = std::move(values);
  return m;
}

class OverviewReportTest : public ReportFixture {};

TEST_F(OverviewReportTest, PrintsOneLandscapePagePerPlantAndPreviewsThem) {
  const TOverview overview = MakeOverview(
      {Row("北工場", 4, {1800, 1900}), Row("北工場", 5, {1700}), Row("南工場", 4, {2000})}, {});
  const TSettings settings;
  TOverviewReport r(&overview, &settings);
  r.Rep.Ui = report->Rep.Ui;
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setResolution(150);
  printer->setOutputFileName(PdfPath(QStringLiteral("overview.pdf")));
  r.Rep.SetPrinter(std::move(printer));

  ASSERT_TRUE(r.Run(false));
  EXPECT_EQ(PdfPageCount(PdfPath(QStringLiteral("overview.pdf"))), 2);
  EXPECT_GT(r.RepDraw.Geometry.PhysicalWidth, r.RepDraw.Geometry.PhysicalHeight);

  int pages = 0;
  r.Rep.Ui.ExecPreview = [&](TVelReportPreview& preview) {
    preview.show();
    EXPECT_TRUE(WaitUntil([&] { return r.RepDraw.Finished(); }));
    pages = r.RepDraw.LastStoredPage();
    preview.reject();
  };
  ASSERT_TRUE(r.Run(true));
  EXPECT_EQ(pages, 2);
  EXPECT_TRUE(messages.empty());
}

// A plant's rows (its months and the pooled row) fill its first page
// beside the chart at the normal height and go on over further pages;
// the pooled row never stands alone.
TEST_F(OverviewReportTest, APlantWithManyMonthsGoesOnOverFurtherPages) {
  auto pages = [](int months) {
    std::vector<TOverviewMonth> rows;
    for (int i = 0; i < months; ++i) {
      TOverviewMonth m = Row("北工場", 1, {1800});
      m.Getsudo = PackDate(2015 + i / 12, i % 12 + 1, 1);
      m.File = std::to_string(i) + ".slt";
      rows.push_back(m);
    }
    const std::vector<TOverviewPage> all = OverviewPages(MakeOverview(rows, {}));
    std::vector<std::size_t> counts;
    std::size_t next = 0;
    for (const TOverviewPage& p : all) {
      EXPECT_EQ(p.FirstRow, next);
      EXPECT_EQ(p.Parts, static_cast<int>(all.size()));
      next += p.Rows;
      counts.push_back(p.Rows);
    }
    EXPECT_EQ(next, static_cast<std::size_t>(months) + 1);
    return counts;
  };
  EXPECT_EQ(pages(14), (std::vector<std::size_t>{15}));
  EXPECT_EQ(pages(15), (std::vector<std::size_t>{14, 2}));
  EXPECT_EQ(pages(120), (std::vector<std::size_t>{15, 30, 30, 30, 16}));
}

// The files and folders that could not be read follow the plants, 30 to
// a page.
TEST_F(OverviewReportTest, FailedEntriesAreListedOnPagesAfterThePlants) {
  auto failurePages = [](std::size_t failed) {
    std::vector<TOverviewFailure> failures(failed, TOverviewFailure{"x.slt", "理由"});
    const std::vector<TOverviewPage> all = OverviewPages(MakeOverview({Row("北工場", 4, {1800})}, failures));
    EXPECT_FALSE(all.front().Failures);
    std::vector<std::size_t> rows;
    for (std::size_t k = 1; k < all.size(); ++k) {
      EXPECT_TRUE(all[k].Failures);
      EXPECT_EQ(all[k].FirstRow, 30 * (k - 1));
      EXPECT_EQ(all[k].Part, static_cast<int>(k - 1));
      EXPECT_EQ(all[k].Parts, static_cast<int>(all.size() - 1));
      rows.push_back(all[k].Rows);
    }
    return rows;
  };
  EXPECT_EQ(failurePages(0), std::vector<std::size_t>{});
  EXPECT_EQ(failurePages(1), std::vector<std::size_t>{1});
  EXPECT_EQ(failurePages(30), std::vector<std::size_t>{30});
  EXPECT_EQ(failurePages(31), (std::vector<std::size_t>{30, 1}));
}

}  // namespace
}  // namespace kestrin::test
