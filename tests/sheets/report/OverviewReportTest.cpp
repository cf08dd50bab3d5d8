// The printed year overview through the report pipeline: one landscape
// page per plant, previewed and printed.
#include <QPrinter>

#include "ReportFixture.h"
#include "core/Numbers.h"
#include "sheets/OverviewSheet.h"
#include "sheets/report/OverviewReport.h"
#include "sheets/report/ReportPreview.h"
#include "tests/core/StrengthBuilder.h"

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

// A plant's strength pages follow its slump pages, one table and chart
// per mix; a plant of strength logs alone has no slump page; a mix with
// many months goes on over further pages as a plant's month table does.
TEST_F(OverviewReportTest, StrengthPagesFollowEachPlantsSlumpPages) {
  auto log = [](const char* plant, int32_t i, int32_t nominal) {
    return StrengthOverviewRow(
        testutil::StrengthLogWith(plant, 2024 + i / 12, i % 12 + 1, nominal, {300, 280}),
        std::string(plant) + std::to_string(i) + ".kst");
  };
  std::vector<TStrengthOverviewMonth> logs{log("北工場", 3, 300), log("北工場", 3, 240),
                                           log("南工場", 4, 240)};
  for (int32_t i = 0; i < 15; ++i) logs.push_back(log("西工場", i, 240));
  const TOverview overview =
      MakeOverview({Row("北工場", 4, {1800}), Row("東工場", 4, {1800})}, {}, {Sjis("北工場")}, logs);
  const std::vector<TOverviewPage> pages = OverviewPages(overview);
  // Plants: 北 (listed first), then by CP932 name: 西 (90 BC), 東 (93 8C), 南 (93 EC).
  struct TSeen {
    std::size_t Plant;
    bool Strength;
    std::size_t Mix;
    std::size_t Rows;
    bool operator==(const TSeen&) const = default;
  };
  std::vector<TSeen> seen;
  for (const TOverviewPage& p : pages) seen.push_back({p.Plant, p.Strength, p.Strength ? p.Mix : 0, p.Rows});
  EXPECT_EQ(seen, (std::vector<TSeen>{{0, false, 0, 2},
                                      {0, true, 0, 2},
                                      {0, true, 1, 2},
                                      {1, true, 2, 14},
                                      {1, true, 2, 2},
                                      {2, false, 0, 2},
                                      {3, true, 3, 2}}));
  EXPECT_EQ(overview.StrengthMixes[0].Nominal, 240);
  EXPECT_EQ(pages[4].FirstRow, 14u);
  EXPECT_EQ(pages[4].Part, 1);

  // Every page prints (a page of the PDF each).
  const TSettings settings;
  TOverviewReport r(&overview, &settings);
  r.Rep.Ui = report->Rep.Ui;
  auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer->setOutputFormat(QPrinter::PdfFormat);
  printer->setResolution(75);
  printer->setOutputFileName(PdfPath(QStringLiteral("strength.pdf")));
  r.Rep.SetPrinter(std::move(printer));
  ASSERT_TRUE(r.Run(false));
  EXPECT_EQ(PdfPageCount(PdfPath(QStringLiteral("strength.pdf"))), 7);
  // The period of a plant of logs alone is that of its logs.
  EXPECT_EQ(OverviewPeriodText(overview, 1), QStringLiteral("2024年1月～2025年3月"));
  EXPECT_EQ(StrengthPeriodText(overview, 1), QStringLiteral("2024年4月"));
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
