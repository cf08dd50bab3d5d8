// 「CSV取込…」: the preview shows each row as the test it becomes with the
// window's headings, the encoding, separator and ignored columns; the
// whole import takes the tests only through 取り込む and shows a refusal
// with its line and column.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "ScriptedDialogs.h"
#include "app/StrengthCsvDialog.h"
#include "core/StrengthCsv.h"
#include "tests/core/TempDir.h"

using namespace kestrin;

namespace {

const char kLab[] =
    "試験者;日;時刻;スランプ;空気量;温度;塩化物;28日1;28日2;28日3;備考\n"
    "山田;3;9:05;18.5;4.6;-1.5;0.04;30.2;29.8;31.0;初回\n"
    "鈴木;30;;17.0;4.2;;;;;;\n";

QStringList Row(const QTableWidget* t, int row) {
  QStringList cells;
  for (int c = 0; c < t->columnCount(); ++c) cells << t->item(row, c)->text();
  return cells;
}

}  // namespace

TEST(StrengthCsvPreview, ShowsEachRowAsItsTestWithTheSourceAndTheIgnoredColumns) {
  TStrengthCsv csv;
  ASSERT_TRUE(ReadStrengthCsv(kLab, csv));
  TStrengthCsvPreview preview(csv, QStringLiteral("lab.csv"));
  const QTableWidget* t = preview.Table();
  ASSERT_EQ(t->rowCount(), 2);
  QStringList headings;
  for (int c = 0; c < t->columnCount(); ++c) headings << t->horizontalHeaderItem(c)->text();
  EXPECT_EQ(headings.join(QLatin1Char(' ')),
            QStringLiteral("日 時刻 車番 スランプ 空気量 温度 塩化物 7日① 7日② 7日③ 28日① 28日② 28日③ 備考"));
  EXPECT_EQ(Row(t, 0).join(QLatin1Char('|')),
            QStringLiteral("3|09:05||18.5|4.6|-1.5|0.04||||30.2|29.8|31.0|初回"));
  EXPECT_EQ(Row(t, 1).join(QLatin1Char('|')), QStringLiteral("30|||17.0|4.2|||||||||"));
  EXPECT_EQ(t->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(preview.SourceLine()->text(), QStringLiteral("lab.csv（UTF-8，セミコロン区切り）：2 件の試験"));
  EXPECT_EQ(preview.IgnoredNotice()->text(), QStringLiteral("次の列は取り込みません：「試験者」"));
  EXPECT_FALSE(preview.IgnoredNotice()->isHidden());
  EXPECT_TRUE(preview.TakeButton()->isEnabled());

  TStrengthCsv plain;
  ASSERT_TRUE(ReadStrengthCsv("日\tスランプ\t空気量\n", plain));
  TStrengthCsvPreview empty(plain, QStringLiteral("x.txt"));
  EXPECT_TRUE(empty.IgnoredNotice()->isHidden());
  EXPECT_FALSE(empty.TakeButton()->isEnabled());
  EXPECT_EQ(empty.SourceLine()->text(), QStringLiteral("x.txt（UTF-8，タブ区切り）：0 件の試験"));
}

TEST(StrengthCsvImport, TakesTheTestsOnlyThroughTheTakeButtonAndShowsARefusal) {
  testutil::TempDir dir;
  testutil::WriteFile(dir / "lab.csv", kLab);
  testutil::WriteFile(dir / "bad.csv", "日,スランプ,空気量,28日1,28日2,28日3\n1,18,4.5,30,3O.5,31\n");
  TScriptedDialogs dialogs;
  TScopedDialogs installed(&dialogs);
  QString folder = QStringLiteral("/nonexistent");

  // Taken: the tests, and the folder of the file for the next time.
  dialogs.FileAnswers = {QString::fromStdString(dir / "lab.csv")};
  WhenOpen<TStrengthCsvPreview>(
      [](TStrengthCsvPreview* p) { QTest::mouseClick(p->TakeButton(), Qt::LeftButton); });
  auto tests = AskStrengthCsvImport(nullptr, folder, 30);
  ASSERT_TRUE(tests);
  ASSERT_EQ(tests->size(), 2u);
  EXPECT_EQ((*tests)[0].Time, "09:05");
  EXPECT_EQ(folder, QString::fromStdString(dir.Path()));
  ASSERT_EQ(dialogs.Files.size(), 1u);
  EXPECT_EQ(dialogs.Files[0].NameFilters, QStringList{QStringLiteral("CSV ファイル (*.csv *.txt)")});
  EXPECT_EQ(dialogs.Files[0].Directory, QDir::homePath());

  // Cancelled in the preview, or in the file dialog.
  dialogs.FileAnswers = {QString::fromStdString(dir / "lab.csv")};
  WhenOpen<TStrengthCsvPreview>([](TStrengthCsvPreview* p) { p->reject(); });
  EXPECT_FALSE(AskStrengthCsvImport(nullptr, folder, 30));
  EXPECT_EQ(dialogs.Files.back().Directory, QString::fromStdString(dir.Path()));
  dialogs.FileAnswers = {QString()};
  EXPECT_FALSE(AskStrengthCsvImport(nullptr, folder));
  EXPECT_TRUE(dialogs.Messages.empty());

  // Refused: the message names the file, the line and the column; no preview.
  dialogs.FileAnswers = {QString::fromStdString(dir / "bad.csv")};
  EXPECT_FALSE(AskStrengthCsvImport(nullptr, folder));
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("CSV ファイルを取り込めません．\n") +
                                          QString::fromStdString(dir / "bad.csv") +
                                          QStringLiteral("\n2行目 28日2：数値ではありません「3O.5」"));
  // The month's days: 30 refuses day 31 of a file that 31 takes.
  testutil::WriteFile(dir / "day31.csv", "日,スランプ,空気量\n31,18,4.5\n");
  dialogs.FileAnswers = {QString::fromStdString(dir / "day31.csv")};
  EXPECT_FALSE(AskStrengthCsvImport(nullptr, folder, 30));
  EXPECT_TRUE(
      dialogs.Messages.back().Text.endsWith(QStringLiteral("2行目 日：値が範囲外です（1～30）「31」")));
}
