// Everyday editing in the main window: undo and redo of every committed
// change, ranges of measurements with copy, paste and Delete, and numbers
// outside their range refused instead of replaced.
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QUndoStack>

#include "MainWindowFixture.h"
#include "app/RecordHistory.h"
#include "core/DataFile.h"
#include "widgets/StatusLine.h"

using namespace kestrin;

namespace {

class Editing : public MainWindowFixture {
 protected:
  void SetUp() override {
    MainWindowFixture::SetUp();
    Window();
    SetMonth(2005, 2);  // 28 days
    Probe().UndoStack().clear();
  }
  QUndoStack& Stack() { return Probe().UndoStack(); }
  void Undo() { Key(Qt::Key_Z, Qt::ControlModifier); }
  void Paste(const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    Key(Qt::Key_V, Qt::ControlModifier);
  }
  QString Status() { return Ui().StatusLine->Text(); }
  QLineEdit* LineEditor() { return qobject_cast<QLineEdit*>(Editor()); }
};

}  // namespace

TEST_F(Editing, EveryCommitIsOneStepThatUndoAndRedoShowInItsCell) {
  TFrmMainUi& ui = Ui();
  EXPECT_FALSE(ui.UndoAction->isEnabled());
  EXPECT_FALSE(ui.RedoAction->isEnabled());
  Enter(Day(1, colAM), "18.5");
  Enter(Day(27, colPM), "20.5");  // fails 18.0 ± 2.0
  Enter(ui.CellBiko, "備考");
  ASSERT_EQ(Stack().count(), 3);
  EXPECT_TRUE(ui.UndoAction->isEnabled());
  EXPECT_EQ(ui.CellAveX->DisplayText(), "19.50");
  ui.DayTable->SetTopRow(0);

  Undo();  // the remarks
  EXPECT_EQ(Info().Biko, "");
  EXPECT_EQ(Active(), ui.CellBiko);
  Undo();  // day 27: active again, scrolled into view, statistics back
  EXPECT_EQ(Value(27, 1).Value, 0);
  EXPECT_EQ(Active(), Day(27, colPM));
  EXPECT_GE(ui.DayTable->TopRow(), 27 - ui.DayTable->VisibleRows());
  EXPECT_LE(ui.DayTable->TopRow(), 26);
  EXPECT_EQ(ui.CellAveX->DisplayText(), " 0.00");
  EXPECT_TRUE(ui.RedoAction->isEnabled());
  Key(Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Value(27, 1).Value, 2050);
  EXPECT_FALSE(Value(27, 1).Judge);
  EXPECT_EQ(ui.CellAveX->DisplayText(), "19.50");
  Undo();
  Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Value(27, 1).Value, 2050);
  EXPECT_EQ(Day(27, colPM)->DisplayText(), "20.5");

  // Typing not yet committed takes back its own characters first.
  Go(Day(2, colAM));
  TypeText(Editor(), "17");
  Undo();
  EXPECT_EQ(Stack().index(), 2);
  EXPECT_EQ(Value(27, 1).Value, 2050);
}

TEST_F(Editing, TheEditedFlagFollowsTheHistoryAndLoadStartsANewOne) {
  QTemporaryDir tmp;
  const QString file = QDir(tmp.path()).filePath("a.slt");
  Enter(Day(1, colAM), "18.5");
  dialogs.FileAnswers = {file};
  Key(Qt::Key_F6);
  EXPECT_FALSE(Probe().Edited());
  Enter(Day(2, colAM), "17.0");
  EXPECT_TRUE(Probe().Edited());
  Undo();  // back at the saved month
  EXPECT_FALSE(Probe().Edited());
  Undo();  // before the save: unsaved again
  EXPECT_TRUE(Probe().Edited());
  EXPECT_EQ(Value(1, 0).Value, 0);
  dialogs.Answers = {true};
  dialogs.FileAnswers = {file};
  Key(Qt::Key_F5);
  EXPECT_EQ(Value(1, 0).Value, 1850);
  EXPECT_FALSE(Stack().canUndo());
  EXPECT_FALSE(Stack().canRedo());
  EXPECT_FALSE(Ui().UndoAction->isEnabled());
}

TEST_F(Editing, ClearIsOneStepAndTheHistoryKeepsTwoHundredSteps) {
  Enter(Day(1, colAM), "18.5");
  dialogs.Answers = {true};
  Key(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_EQ(Value(1, 0).Value, 0);
  Undo();
  EXPECT_EQ(DateMonth(Info().Getsudo), 2);
  EXPECT_EQ(Value(1, 0).Value, 1850);
  Stack().clear();
  Go(Day(1, colAM));
  for (int i = 0; i <= TRecordHistory::kStepLimit; ++i) Enter(Day(1, colAM), QString::number(10 + i % 2));
  EXPECT_EQ(Stack().count(), TRecordHistory::kStepLimit);
  while (Stack().canUndo()) Stack().undo();
  EXPECT_EQ(Value(1, 0).Value, 1000);  // the first step is the one forgotten
}

TEST_F(Editing, ShiftKeysSelectARangeThatCopiesAsSpreadsheetText) {
  TFrmMainUi& ui = Ui();
  Enter(Day(1, colAM), "18.5");
  Enter(Day(2, colPM), "17.25");  // typed with two decimals: refused by the editor, 17.2 stays
  Enter(Day(3, colAM), "0");
  Go(Day(1, colAM));
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Right, Qt::ShiftModifier);
  EXPECT_EQ(Active(), Day(3, colPM));
  const TCellTable::TRange r = ui.DayTable->Range();
  EXPECT_EQ(r.FirstRow, 0);
  EXPECT_EQ(r.LastRow, 2);
  // The range is drawn in the selection colours; outside it, not.
  const QColor selected = ui.DayTable->palette().color(QPalette::Active, QPalette::Highlight);
  QImage shot = ui.DayTable->grab().toImage();
  const QRect inRange = ui.DayTable->CellRect(ui.DayTable->Index(1, colAM));
  const QRect outside = ui.DayTable->CellRect(ui.DayTable->Index(3, colAM));
  EXPECT_EQ(shot.pixelColor(inRange.center() + QPoint(-20, 0)), selected);
  EXPECT_NE(shot.pixelColor(outside.center() + QPoint(-20, 0)), selected);
  Key(Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "18.5\t\n\t17.2\n\t\n");
  // A plain arrow drops the range.
  Key(Qt::Key_Up);
  EXPECT_EQ(ui.DayTable->Range().Rows(), 1);
  // Shift+click, then Ctrl+A: the whole month.
  QTest::mouseClick(ui.DayTable, Qt::LeftButton, Qt::ShiftModifier,
                    ui.DayTable->CellRect(ui.DayTable->Index(0, colAM)).center());
  EXPECT_EQ(ui.DayTable->Range().Rows(), 2);
  Key(Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(ui.DayTable->Range().Rows(), 28);
  Ui().CopyAction->trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text().count('\n'), 28);
}

TEST_F(Editing, PasteFillsFromTheActiveCellAsOneStep) {
  Go(Day(1, colPM));
  Paste("18.5\r\n\r\n17.2\r\n");
  EXPECT_EQ(Value(1, 1).Value, 1850);
  EXPECT_EQ(Value(2, 0).Value, 0);
  EXPECT_EQ(Value(2, 1).Value, 1720);
  EXPECT_EQ(Value(3, 0).Value, 0);
  EXPECT_EQ(Day(2, colPM)->DisplayText(), "17.2");
  EXPECT_EQ(Stack().count(), 1);
  EXPECT_TRUE(Probe().Edited());
  EXPECT_EQ(Ui().DayTable->Range().LastRow, 1);  // the pasted cells stay selected
  // Two columns with a heading, from the AM of the active day.
  Go(Day(27, colPM));
  Paste("AM,PM\n19,20.5\n21,\n");
  EXPECT_EQ(Value(27, 0).Value, 1900);
  EXPECT_EQ(Value(27, 1).Value, 2050);
  EXPECT_EQ(Value(28, 0).Value, 2100);
  Undo();
  EXPECT_EQ(Value(27, 0).Value, 0);
  EXPECT_EQ(Value(1, 1).Value, 1850);
}

TEST_F(Editing, ABadValueOrTheMonthsEndRefusesTheWholePaste) {
  Go(Day(1, colAM));
  Paste("18.0\n17.5\n18.55\n");
  EXPECT_EQ(Status(), "3行目「18.55」：小数点以下は1桁までです．");
  EXPECT_EQ(Value(1, 0).Value, 0);
  Go(Day(28, colAM));
  Paste("18\n18\n18\n");
  EXPECT_EQ(Status(), "3行目：月末を超えるため貼り付けできません．");
  EXPECT_EQ(Value(28, 0).Value, 0);
  EXPECT_EQ(Stack().count(), 0);
  EXPECT_FALSE(Probe().Edited());
  // A header cell takes the first line as typed.
  Go(Ui().CellBiko);
  Paste("一行目\n二行目\n");
  EXPECT_EQ(LineEditor()->text(), "一行目");
}

TEST_F(Editing, DeleteBlanksTheRangeAsOneStep) {
  Go(Day(1, colAM));
  Paste("18\t19\n20\t21\n22\t23\n");
  Go(Day(2, colPM));
  Key(Qt::Key_Down, Qt::ShiftModifier);
  Key(Qt::Key_Delete);
  EXPECT_EQ(Value(1, 1).Value, 1900);
  EXPECT_EQ(Value(2, 0).Value, 2000);
  EXPECT_EQ(Value(2, 1).Value, 0);
  EXPECT_EQ(Value(3, 1).Value, 0);
  EXPECT_EQ(Value(3, 0).Value, 2200);
  EXPECT_EQ(Stack().count(), 2);
  Undo();
  EXPECT_EQ(Value(3, 1).Value, 2300);
  // Delete while typing deletes characters only.
  Go(Day(5, colAM));
  TypeText(Editor(), "12");
  QTest::keyClick(Editor(), Qt::Key_Home);
  Key(Qt::Key_Delete);
  EXPECT_EQ(LineEditor()->text(), "2");
}

TEST_F(Editing, NumbersOutsideTheirRangeAreRefusedNotReplaced) {
  TFrmMainUi& ui = Ui();
  Enter(Day(1, colAM), "185");
  EXPECT_EQ(Active(), Day(1, colAM));
  EXPECT_EQ(Value(1, 0).Value, 0);
  EXPECT_EQ(Status(), "0.0～99.9の範囲で入力してください．");
  EXPECT_EQ(LineEditor()->selectedText(), "185");
  // A command waits for a value it can store.
  Key(Qt::Key_F6);
  EXPECT_TRUE(dialogs.Files.empty());
  Enter(Day(1, colAM), "99.9");
  EXPECT_EQ(Value(1, 0).Value, 9990);
  Enter(ui.CellKyoyo, "5.1");
  EXPECT_EQ(Status(), "0.0～5.0の範囲で入力してください．");
  Enter(ui.CellKyoyo, "5");
  EXPECT_EQ(Info().Kyoyo, 500);
  Enter(ui.CellYear, "2101");
  EXPECT_EQ(Status(), "1900～2100の範囲で入力してください．");
  Enter(ui.CellYear, "2100");
  EXPECT_EQ(DateYear(Info().Getsudo), 2100);
  Enter(ui.CellMonth, "13");
  EXPECT_EQ(Status(), "1～12の範囲で入力してください．");
  EXPECT_EQ(Active(), ui.CellMonth);
}
