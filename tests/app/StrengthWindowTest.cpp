// The strength window: opened from the main window, entry with refusals,
// the live judgement at 85 % of the nominal strength, paste of a block,
// undo and redo, the save/load round trip and the unsaved-changes
// questions.
#include <QAction>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include "FrmStrengthProbe.h"
#include "MainWindowFixture.h"
#include "core/StrengthFile.h"
#include "core/StrengthRecovery.h"
#include "widgets/ShiftPager.h"

namespace kestrin {
namespace {

using C = TStrengthColumn;

class StrengthWindowTest : public MainWindowFixture {
 protected:
  TScriptedDialogs dialogs;
  TScopedDialogs scope{&dialogs};
  QTemporaryDir dir;

  TFrmStrength& Strength() {
    if (!StrengthWindow(Window())) Ui().StrengthAction->trigger();
    TFrmStrength* f = StrengthWindow(Window());
    EXPECT_NE(f, nullptr);
    // The window's keys (Insert, Delete, Ctrl+Z) work while it is active.
    if (f && QApplication::activeWindow() != f) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(f));
      QApplication::setActiveWindow(f);
      EXPECT_EQ(QApplication::activeWindow(), f);
    }
    return *f;
  }
  TFrmStrengthProbe P() { return TFrmStrengthProbe(Strength()); }
  // The open cell editor of the table, if any.
  QLineEdit* CellEditor() {
    // A closed editor lingers until its deferred deletion.
    for (QLineEdit* e :
         P().Table()->viewport()->findChildren<QLineEdit*>(QStringLiteral("StrengthCellEditor")))
      if (e->isVisible()) return e;
    return nullptr;
  }
  // Goes to a cell, types `text` and presses Enter.
  void Type(int test, C column, const QString& text) {
    P().SetCurrent(test, column);
    QTest::keyClick(P().Table(), Qt::Key_F2);
    QLineEdit* e = CellEditor();
    ASSERT_NE(e, nullptr);
    e->selectAll();
    QTest::keyClicks(e, text);
    QTest::keyClick(e, Qt::Key_Return);
  }
  void InsertTests(int n) {
    for (int i = 0; i < n; ++i) QTest::keyClick(P().Table(), Qt::Key_Insert);
  }
};

TEST_F(StrengthWindowTest, OpensFromTheMainWindowAndRefusesOutOfRangeEntriesLeavingTheLogAsItWas) {
  // Shift+F8 on the main window opens it.
  ASSERT_NE(Ui().FunctionKeys->FindButton(QStringLiteral("CellBitBtnStrength")), nullptr);
  Window();
  Key(Qt::Key_F8, Qt::ShiftModifier);
  ASSERT_NE(StrengthWindow(Window()), nullptr);
  TFrmStrength& f = Strength();
  ASSERT_TRUE(f.isVisible());
  EXPECT_EQ(f.windowTitle(), QStringLiteral("強度試験 - （新規）[*]"));
  // Opening again brings the same window forward.
  Ui().StrengthAction->trigger();
  EXPECT_EQ(StrengthWindow(Window()), &f);

  InsertTests(1);
  ASSERT_EQ(f.Log().Tests.size(), 1u);
  const TStrengthWork before = P().Work();
  const int steps = P().Stack().count();
  Type(0, C::S28_1, QStringLiteral("200.1"));
  EXPECT_EQ(P().Status(), QStringLiteral("0.1～200.0の範囲で入力してください．"));
  ASSERT_NE(CellEditor(), nullptr);  // still open with what was typed
  EXPECT_EQ(CellEditor()->text(), QStringLiteral("200.1"));
  CellEditor()->selectAll();
  QTest::keyClicks(CellEditor(), QStringLiteral("30.55"));
  QTest::keyClick(CellEditor(), Qt::Key_Return);
  EXPECT_EQ(P().Status(), QStringLiteral("小数点以下は1桁までです．"));
  QTest::keyClick(CellEditor(), Qt::Key_Escape);
  EXPECT_EQ(P().Work(), before);
  EXPECT_EQ(P().Stack().count(), steps);

  // The edge itself is taken, and Enter moves along the row.
  Type(0, C::S28_1, QStringLiteral("200.0"));
  EXPECT_EQ(P().Status(), QString());
  EXPECT_EQ(P().Text(0, C::S28_1), QStringLiteral("200.0"));
  EXPECT_EQ(P().Table()->currentIndex().column(), static_cast<int>(C::S28_2));
  EXPECT_TRUE(f.Edited());
  EXPECT_EQ(f.windowTitle(), QStringLiteral("強度試験 - （新規）[*]"));
  EXPECT_TRUE(f.isWindowModified());
  // From the last typed column to the next test's first cell.
  InsertTests(1);
  P().SetCurrent(0, C::Remarks);
  QTest::keyClick(P().Table(), Qt::Key_Return);
  EXPECT_EQ(P().Table()->currentIndex(), P().Model()->index(1, 0));
}

TEST_F(StrengthWindowTest, TheJudgementPassesAtEightyFivePercentAndFailsOneTenthBelow) {
  TFrmStrength& f = Strength();
  InsertTests(2);
  // 呼び強度 24.0: a result of 20.4 passes, 20.3 fails.
  for (int i = 0; i < 3; ++i) Type(0, static_cast<C>(static_cast<int>(C::S28_1) + i), QStringLiteral("20.4"));
  EXPECT_EQ(P().Text(0, C::Result), QStringLiteral("20.4"));
  EXPECT_EQ(P().Text(0, C::Judgement), QStringLiteral("合格"));
  EXPECT_FALSE(P().Model()->index(0, static_cast<int>(C::Judgement)).data(Qt::ForegroundRole).isValid());
  P().SetCurrent(1, C::S28_1);
  P().PasteText(QStringLiteral("20.3\t20.3\t20.3"));
  EXPECT_EQ(P().Text(1, C::Result), QStringLiteral("20.3"));
  EXPECT_EQ(P().Text(1, C::Judgement), QStringLiteral("不合格"));
  EXPECT_EQ(
      P().Model()->index(1, static_cast<int>(C::Result)).data(Qt::ForegroundRole).value<QBrush>().color(),
      QColor(0xE0, 0x00, 0x00));
  // The nominal strength typed in the heading judges again at once.
  QLineEdit* nominal = P().MixBar()->Editor(TStrengthMixField::NominalStrength);
  nominal->setText(QStringLiteral("23.8"));
  emit nominal->editingFinished();
  EXPECT_EQ(f.Log().Mix.NominalStrength, 238);
  EXPECT_EQ(P().Text(1, C::Judgement), QStringLiteral("合格"));
  // Without its third specimen a test cures.
  P().SetCurrent(1, C::S28_3);
  QTest::keyClick(P().Table(), Qt::Key_Delete);
  EXPECT_EQ(P().Text(1, C::Result), QStringLiteral("養生中"));
  EXPECT_EQ(P().Text(1, C::Judgement), QString());
  EXPECT_EQ(P().Text(1, C::S28_2), QStringLiteral("20.3"));
}

TEST_F(StrengthWindowTest, APastedBlockLandsRowsByColumnsAsOneStepAndABadCellRefusesAll) {
  TFrmStrength& f = Strength();
  InsertTests(1);
  P().SetCurrent(0, C::S28_1);
  P().PasteText(QStringLiteral("30.1\t30.2\t30.3\tA\r\n31.1\t31.2\t31.3\tB\r\n"));
  ASSERT_EQ(f.Log().Tests.size(), 2u);
  EXPECT_EQ(f.Log().Tests[1].Strength28, (TSpecimens{311, 312, 313}));
  EXPECT_EQ(f.Log().Tests[0].Remarks, "A");
  EXPECT_EQ(P().Stack().count(), 2);  // the insert and the paste
  EXPECT_EQ(P().Status(), QStringLiteral("2行 × 4列を貼り付けました．"));

  const TStrengthWork before = P().Work();
  P().PasteText(QStringLiteral("1\t2\t3\n4\t2000.1\t6\n"));
  EXPECT_EQ(P().Status(), QStringLiteral("2行目 28日2：0.1～200.0の範囲で入力してください．"));
  EXPECT_EQ(P().Work(), before);
  EXPECT_EQ(P().Stack().count(), 2);

  // Undo takes the whole block back, redo brings it again.
  P().Stack().undo();
  EXPECT_EQ(f.Log().Tests.size(), 1u);
  EXPECT_FALSE(f.Log().Tests[0].Strength28);
  P().Stack().redo();
  EXPECT_EQ(P().Work(), before);

  // Copy gives the selection back as tab-separated text.
  P().Table()->selectionModel()->select(QItemSelection(P().Model()->index(0, static_cast<int>(C::S28_1)),
                                                       P().Model()->index(1, static_cast<int>(C::S28_2))),
                                        QItemSelectionModel::ClearAndSelect);
  QTest::keyClick(P().Table(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("30.1\t30.2\n31.1\t31.2\n"));
  // Delete clears the selection as one step.
  QTest::keyClick(P().Table(), Qt::Key_Delete);
  EXPECT_FALSE(f.Log().Tests[1].Strength28);
  EXPECT_EQ(P().Text(1, C::S28_3), QStringLiteral("31.3"));
  QTest::keyClick(P().Table(), Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(P().Work(), before);
  QTest::keyClick(P().Table(), Qt::Key_Y, Qt::ControlModifier);
  EXPECT_FALSE(f.Log().Tests[0].Strength28);
}

TEST_F(StrengthWindowTest, ALoadedLogIsSavedByteForByteAndItsNameIsInTheTitleAndRecentFiles) {
  const QString sample = QStringLiteral(KESTRIN_SOURCE_DIR "/examples/sample-strength.kst");
  // Handed to the main window as a .kst, it opens in the strength window.
  Window().OpenDataFile(sample);
  TFrmStrength& f = Strength();
  ASSERT_EQ(f.Log().Tests.size(), 18u);
  EXPECT_EQ(f.windowTitle(), QStringLiteral("強度試験 - sample-strength.kst[*]"));
  EXPECT_EQ(P().MixBar()->Editor(TStrengthMixField::Plant)->text(), QStringLiteral("東京第一工場"));
  const QString copy = dir.filePath(QStringLiteral("copy.kst"));
  dialogs.FileAnswers = {copy};
  P().SaveClick();
  ASSERT_EQ(dialogs.Files.size(), 1u);
  EXPECT_EQ(dialogs.Files[0].FileName, QStringLiteral("強度_東京第一工場_202506.kst"));
  QFile a(sample), b(copy);
  ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
  EXPECT_EQ(a.readAll(), b.readAll());
  EXPECT_EQ(f.FileName(), copy);
  EXPECT_EQ(Probe().RecentStrength().Paths().value(0), copy);
  EXPECT_TRUE(Probe().RecentFiles().Paths().isEmpty());
  // F8 previews, F9 prints.
  std::vector<bool> runs;
  P().ReportHandler() = [&runs](bool preview) { runs.push_back(preview); };
  QTest::keyClick(P().Table(), Qt::Key_F8);
  QTest::keyClick(P().Table(), Qt::Key_F9);
  EXPECT_EQ(runs, (std::vector<bool>{true, false}));

  // A log with specimens typed one of three is not written.
  P().CommitCell(0, C::S7_1, QString());
  dialogs.Reset();
  EXPECT_FALSE(P().SaveTo(copy));
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_NE(dialogs.Messages[0].Text.indexOf(QStringLiteral("1番目の試験の7日強度は供試体 3 本とも")), -1);
  QFile again(copy);
  ASSERT_TRUE(again.open(QIODevice::ReadOnly));
  a.seek(0);
  EXPECT_EQ(again.readAll(), a.readAll());
}

TEST_F(StrengthWindowTest, TheHeadingIsCopiedFromTheSlumpMonthAndTheLabsTestsAreAppendedEachAsOneStep) {
  TFrmStrength& f = Strength();
  Info().Getsudo = PackDate(2025, 2, 1);
  Info().Kojo = Sjis("第三工場");
  Info().Kyodo = 30.0;
  Info().KariAveX = 1205;
  Info().Kotsuzai = 0.0;  // not a size: the log keeps its own
  P().MixBar()->CopyButton()->click();
  EXPECT_EQ(f.Log().Plant, "第三工場");
  EXPECT_EQ(f.Log().Month, 2);
  EXPECT_EQ(f.Log().Mix.NominalStrength, 300);
  EXPECT_EQ(f.Log().Mix.Slump, 121);
  EXPECT_EQ(f.Log().Mix.Aggregate, 20);
  EXPECT_EQ(P().Status(), QStringLiteral("写せなかった欄があります（粗骨材）：範囲外または空のため元の値のままです．"));
  EXPECT_EQ(P().MixBar()->Editor(TStrengthMixField::Month)->text(), QStringLiteral("2025-02"));
  EXPECT_EQ(P().Stack().count(), 1);

  // The import's tests land after the last one as one step; more than
  // the log holds are refused whole.
  std::vector<TStrengthTest> lab(2);
  lab[1].Day = 28;
  P().CsvImport() = [&lab](QWidget*, QString&, int32_t days) {
    EXPECT_EQ(days, 28);  // February 2025
    return std::optional(lab);
  };
  P().MixBar()->ImportButton()->click();
  ASSERT_EQ(f.Log().Tests.size(), 2u);
  EXPECT_EQ(f.Log().Tests[1].Day, 28);
  EXPECT_EQ(P().Stack().count(), 2);
  lab.resize(kMaxStrengthTests - 1);
  P().ImportCsv();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text,
            QStringLiteral("取り込みませんでした．\n試験は 200 件までです（取り込むと 201 件）．"));
  EXPECT_EQ(f.Log().Tests.size(), 2u);
  EXPECT_EQ(P().Stack().count(), 2);
}

TEST_F(StrengthWindowTest, ACopyLeftByACrashIsOfferedAtTheFirstOpenAndKeptUntilTheLogIsSaved) {
  QTemporaryDir state;
  TStrengthLog left;
  left.Plant = "北工場";
  left.Tests.resize(3);
  const QString name = dir.filePath(QStringLiteral("北.kst"));
  ASSERT_TRUE(TStrengthRecoveryFiles(state.path().toStdString()).Write(left, name.toStdString()));
  Window().SetStrengthRecoveryFolder(state.path());
  dialogs.Answers = {true};
  TFrmStrength& f = Strength();
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_TRUE(dialogs.Messages[0].Text.startsWith(
      QStringLiteral("保存されていない強度試験の入力が残っています（2025年1月 北工場，")));
  EXPECT_EQ(f.Log(), left);
  EXPECT_EQ(f.FileName(), name);
  EXPECT_TRUE(f.Edited());
  const TStrengthRecoveryFiles files(state.path().toStdString());
  EXPECT_TRUE(files.Exists());
  // Saved: nothing left to recover; a change after it is kept again.
  EXPECT_TRUE(P().SaveTo(name));
  EXPECT_FALSE(files.Exists());
  P().CommitCell(0, C::Truck, QStringLiteral("7"));
  EXPECT_TRUE(files.Exists());
  dialogs.Answers = {true};
  EXPECT_TRUE(f.close());
  EXPECT_FALSE(files.Exists());
}

TEST_F(StrengthWindowTest, UnsavedChangesAreAskedAboutOnCloseNewOpenAndTestRemoval) {
  TFrmStrength& f = Strength();
  InsertTests(2);
  P().SetCurrent(1, C::Day);
  // Ctrl+Delete asks first; No keeps the test.
  dialogs.Answers = {false, true};
  QTest::keyClick(P().Table(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(f.Log().Tests.size(), 2u);
  QTest::keyClick(P().Table(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(f.Log().Tests.size(), 1u);
  EXPECT_EQ(dialogs.Texts().value(1), QStringLiteral("2番目の試験（1日）を削除しますか？"));

  dialogs.Reset();
  dialogs.Answers = {false};
  EXPECT_FALSE(f.close());
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kAskCloseStrength)});
  dialogs.Answers = {false};
  P().NewClick();
  EXPECT_EQ(f.Log().Tests.size(), 1u);
  dialogs.Answers = {true};
  P().NewClick();
  EXPECT_TRUE(f.Log().Tests.empty());
  EXPECT_FALSE(f.Edited());
  EXPECT_TRUE(f.close());  // nothing to ask

  // The main window's close asks about the strength window's log too.
  Ui().StrengthAction->trigger();
  InsertTests(1);
  dialogs.Reset();
  dialogs.Answers = {false};
  EXPECT_FALSE(Window().close());
  EXPECT_EQ(dialogs.Texts(), QStringList{QString::fromUtf8(kAskCloseStrength)});
  EXPECT_TRUE(Window().isVisible());
}

}  // namespace
}  // namespace kestrin
