// The year overview window: opened from the file menu, filled through the
// file dialog, files added and removed, the chart, preview/print and Esc.
#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cerrno>

#include "FrmOverviewProbe.h"
#include "MainWindowFixture.h"
#include "charts/XChart.h"
#include "core/DataFile.h"
#include "core/StrengthFile.h"
#include "tests/core/MonthBuilder.h"
#include "tests/core/StrengthBuilder.h"
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
  EXPECT_NE(probe.StatusText()->text().indexOf(QStringLiteral("読み込めなかったファイル・フォルダ 1")), -1);

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

// Strength logs beside month files: the switch スランプ／強度 shows the
// strength table (a row per plant and mix) and the strength chart; a
// plant of logs alone is not in the month table; logs alone open in the
// strength view.
TEST_F(OverviewWindowTest, StrengthViewShowsTheMixesAndTheirChart) {
  Month(QStringLiteral("a.slt"), "北工場", 4, {1800, 1900});
  auto saveLog = [this](const char* name, const char* plant, int32_t month, int32_t nominal) {
    const QString path = dir.filePath(QString::fromUtf8(name));
    EXPECT_TRUE(SaveStrengthFile(
        path.toStdString(), testutil::StrengthLogWith(plant, 2025, month, nominal, {300, 200, 250, 330})));
    return path;
  };
  saveLog("n24-04.kst", "北工場", 4, 240);
  saveLog("n24-05.kst", "北工場", 5, 240);
  const QString south = saveLog("s30.kst", "南工場", 5, 300);
  TSettings settings;
  TFrmOverview f(&settings);
  const TFrmOverviewProbe probe(f);
  f.resize(900, 700);
  f.show();
  f.AddPaths({dir.path()});
  ASSERT_EQ(f.Overview().StrengthMonths.size(), 3u);
  EXPECT_FALSE(probe.StrengthView());
  EXPECT_EQ(probe.Table()->topLevelItemCount(), 1);  // 南 has logs alone
  EXPECT_TRUE(probe.StrengthViewButton()->isEnabled());
  EXPECT_NE(probe.StatusText()->text().indexOf(QStringLiteral("強度試験 3 件（2 配合）")), -1)
      << probe.StatusText()->text().toStdString();

  const QImage slump = probe.Chart()->grab().toImage();
  probe.StrengthViewButton()->click();
  EXPECT_TRUE(probe.StrengthView());
  EXPECT_TRUE(probe.StrengthTable()->isVisible());
  EXPECT_FALSE(probe.Table()->isVisible());
  QTreeWidget* t = probe.StrengthTable();
  // 南 (93 EC) before 北 (96 6B), as CP932 sorts them.
  ASSERT_EQ(t->topLevelItemCount(), 2);
  EXPECT_EQ(t->topLevelItem(0)->text(0), QStringLiteral("南工場　30（通算 1 か月）"));
  QTreeWidgetItem* north = t->topLevelItem(1);
  EXPECT_EQ(north->text(0), QStringLiteral("北工場　24（通算 2 か月）"));
  ASSERT_EQ(north->childCount(), 2);
  EXPECT_EQ(north->text(3), QStringLiteral("8"));  // pooled results
  EXPECT_EQ(north->text(8), QStringLiteral("2"));  // 20.0 failed in each month
  EXPECT_EQ(north->child(1)->text(4), QStringLiteral("27.00"));
  EXPECT_EQ(probe.CurrentMix(), 0);
  // The strength chart: the green nominal line, and not the slump chart.
  const QImage strength = probe.Chart()->grab().toImage();
  EXPECT_NE(strength, slump);
  int green = 0;
  for (int y = 0; y < strength.height(); ++y)
    for (int x = 0; x < strength.width(); ++x) green += strength.pixel(x, y) == qRgb(0, 128, 0);
  EXPECT_GT(green, 100);

  // Selecting a log shows its mix; removing a mix removes its logs.
  t->clearSelection();
  north->child(0)->setSelected(true);
  EXPECT_EQ(probe.CurrentMix(), 1);
  t->clearSelection();
  t->topLevelItem(0)->setSelected(true);
  EXPECT_EQ(probe.CurrentMix(), 0);
  probe.RemoveSelected();
  EXPECT_EQ(f.Overview().StrengthMonths.size(), 2u);
  EXPECT_EQ(probe.CurrentMix(), 0);
  EXPECT_EQ(probe.StrengthTable()->topLevelItemCount(), 1);

  // Logs alone: the strength view, the slump view switched off.
  TFrmOverview g(&settings);
  const TFrmOverviewProbe only(g);
  g.AddPaths({south});
  EXPECT_TRUE(only.StrengthView());
  EXPECT_FALSE(only.SlumpViewButton()->isEnabled());
  EXPECT_TRUE(only.PreviewButton()->isEnabled());
  // Month files alone: the strength view switched off.
  g.AddPaths({dir.filePath(QStringLiteral("a.slt"))});
  EXPECT_TRUE(only.SlumpViewButton()->isEnabled());
  only.RemoveAll();
  EXPECT_FALSE(only.StrengthView());
  EXPECT_FALSE(only.StrengthViewButton()->isEnabled());
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

// One watch per folder: a changed file is read again and only its rows
// are redrawn. Where the system refuses a watch the status line says so,
// and 再読込 (F5) brings the list up to date.
TEST_F(OverviewWindowTest, WatchesFoldersRedrawsOnlyTheChangedRowsAndSaysWhenItCannotWatch) {
  Month(QStringLiteral("a.slt"), "北工場", 4, {1800});
  Month(QStringLiteral("b.slt"), "北工場", 5, {1900});
  TSettings settings;
  {
    TFrmOverview f(&settings);
    const TFrmOverviewProbe probe(f);
    f.AddPaths({dir.path()});
    QTreeWidgetItem* plant = probe.Table()->topLevelItem(0);
    QTreeWidgetItem* other = plant->child(1);
    Month(QStringLiteral("a.slt"), "北工場", 4, {1700, 1750});
    ASSERT_TRUE(QTest::qWaitFor([&] { return f.Overview().Plants.at(0).Count == 3; }, 5000));
    EXPECT_EQ(probe.Table()->topLevelItem(0), plant);
    EXPECT_EQ(plant->child(1), other);
    EXPECT_EQ(plant->text(3), QStringLiteral("3"));
    EXPECT_EQ(plant->child(0)->text(3), QStringLiteral("2"));
    EXPECT_EQ(probe.StatusText()->text().indexOf(QStringLiteral("追えません")), -1);
  }

  TFrmOverview f(&settings);
  const TFrmOverviewProbe probe(f);
  probe.FolderWatch().AddWatch = [](int, const char*, uint32_t) {
    errno = ENOSPC;
    return -1;
  };
  f.AddPaths({dir.path()});
  EXPECT_NE(
      probe.StatusText()->text().indexOf(QStringLiteral("ディスク上の変更を追えません（システムの監視数の上限"
                                                        "（fs.inotify.max_user_watches）に達しました：") +
                                         dir.path()),
      -1)
      << probe.StatusText()->text().toStdString();
  Month(QStringLiteral("b.slt"), "北工場", 5, {1900, 2000, 2100});
  QTest::qWait(600);
  EXPECT_EQ(f.Overview().Plants.at(0).Count, 3);
  EXPECT_EQ(probe.ReloadButton()->shortcut(), QKeySequence(Qt::Key_F5));
  probe.ReloadButton()->click();
  EXPECT_EQ(f.Overview().Plants.at(0).Count, 5);
}

}  // namespace
}  // namespace kestrin
