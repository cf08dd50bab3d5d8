// The year overview window: opened from the file menu, filled through the
// file dialog, files added and removed, the chart, preview/print and Esc.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "FrmOverviewProbe.h"
#include "MainWindowFixture.h"
#include "charts/XChart.h"
#include "core/DataFile.h"
#include "tests/core/MonthBuilder.h"
#include "widgets/ChartTabs.h"
#include "widgets/ShiftPager.h"

namespace kestrin {
namespace {

class OverviewWindowTest : public MainWindowFixture {
 protected:
  QTemporaryDir dir;

  QString Month(const QString& name, const char* plantUtf8, int32_t month,
                std::vector<int32_t> values) {
    const TMainData d = testutil::MonthWithValues(values, PackDate(2025, month, 1), plantUtf8);
    const QString path = dir.filePath(name);
    EXPECT_TRUE(SaveToFile(path.toStdString(), d));
    return path;
  }
};

TEST_F(OverviewWindowTest, OpensFromTheMenuListsPlantsAndFollowsAddsAndRemovals) {
  const QString a = Month(QStringLiteral("a.slt"), "北工場", 4, {1800, 1900});
  Month(QStringLiteral("b.slt"), "北工場", 5, {1700});
  Month(QStringLiteral("c.slt"), "南工場", 4, {2000, 1950});
  TScriptedDialogs dialogs;
  TScopedDialogs scope(&dialogs);
  dialogs.FileAnswers = {a};

  TFrmMain& w = Window();
  ASSERT_NE(Ui().FunctionKeys->FindButton(QStringLiteral("CellBitBtnOverview")), nullptr);
  QAction* item = Ui().OverviewAction;
  ASSERT_NE(item, nullptr);
  item->trigger();
  TFrmOverview* f = OverviewWindow(w);
  ASSERT_NE(f, nullptr);
  ASSERT_TRUE(f->isVisible());
  ASSERT_EQ(dialogs.Files.size(), 1u);
  EXPECT_EQ(f->Overview().Months.size(), 1u);
  const TFrmOverviewProbe probe(*f);

  // A folder brings the rest; the file already listed is not read again.
  f->AddPaths({dir.path(), dir.filePath(QStringLiteral("missing.slt"))});
  ASSERT_EQ(f->Overview().Months.size(), 3u);
  QTreeWidget* t = probe.Table();
  ASSERT_EQ(t->topLevelItemCount(), 3);  // two plants and the failed files
  EXPECT_TRUE(t->topLevelItem(0)->text(0).startsWith(QStringLiteral("南工場")));
  EXPECT_EQ(t->topLevelItem(1)->childCount(), 2);
  EXPECT_EQ(t->topLevelItem(1)->text(3), QStringLiteral("3"));  // pooled count
  EXPECT_EQ(t->topLevelItem(2)->childCount(), 1);
  EXPECT_NE(probe.StatusText()->text().indexOf(QStringLiteral("読み込めなかったファイル 1")), -1);

  // Selecting a month of the second plant shows that plant's chart.
  t->clearSelection();
  t->topLevelItem(1)->child(1)->setSelected(true);
  EXPECT_EQ(probe.CurrentPlant(), 1);
  const QImage chart = probe.Chart()->grab().toImage();
  int blue = 0;
  for (int y = 0; y < chart.height(); ++y)
    for (int x = 0; x < chart.width(); ++x) blue += chart.pixel(x, y) == qRgb(0, 0, 255);
  EXPECT_GT(blue, 20);

  // Removing that month updates the pooled row and keeps the plant shown.
  probe.RemoveSelected();
  EXPECT_EQ(f->Overview().Months.size(), 2u);
  EXPECT_EQ(probe.Table()->topLevelItem(1)->text(3), QStringLiteral("2"));
  EXPECT_EQ(probe.CurrentPlant(), 1);

  std::vector<bool> runs;
  probe.ReportHandler() = [&](bool preview) { runs.push_back(preview); };
  probe.PreviewButton()->click();
  probe.PrintButton()->click();
  EXPECT_EQ(runs, (std::vector<bool>{true, false}));

  QTest::keyClick(f, Qt::Key_Escape);
  EXPECT_FALSE(f->isVisible());
  // Opened again (Shift+F7) it keeps its months and asks for no file.
  Ui().FunctionKeys->Button(1, 7)->Click();
  EXPECT_TRUE(f->isVisible());
  EXPECT_EQ(dialogs.Files.size(), 1u);
  EXPECT_EQ(f->Overview().Months.size(), 2u);
}

TEST_F(OverviewWindowTest, FollowsTheDiskNewFilesInTheFolderChangedAndDeletedFiles) {
  const QString a = Month(QStringLiteral("a.slt"), "北工場", 4, {1800});
  TSettings settings;
  TFrmOverview f(&settings);
  const TFrmOverviewProbe probe(f);
  f.AddPaths({dir.path()});
  ASSERT_EQ(f.Overview().Months.size(), 1u);

  const QString b = Month(QStringLiteral("b.slt"), "北工場", 5, {1900, 2000});
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.Overview().Months.size() == 2; }, 5000));

  // A save over a listed file (a new file renamed over it) is read again.
  Month(QStringLiteral("a.slt"), "北工場", 4, {1700, 1750, 1800});
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.Overview().Plants.at(0).Count == 5; }, 5000));

  // A month the user removed does not come back with the folder's changes.
  probe.Table()->clearSelection();
  probe.Table()->topLevelItem(0)->child(1)->setSelected(true);
  probe.RemoveSelected();
  ASSERT_EQ(f.Overview().Months.size(), 1u);
  ASSERT_TRUE(QFile::remove(a));
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.Overview().Months.empty(); }, 5000));
  Month(QStringLiteral("c.slt"), "北工場", 6, {1800});
  ASSERT_TRUE(QTest::qWaitFor([&] { return f.Overview().Months.size() == 1; }, 5000));
  EXPECT_EQ(f.Overview().Months[0].File, dir.filePath(QStringLiteral("c.slt")).toStdString());
  (void)b;
}

}  // namespace
}  // namespace kestrin
