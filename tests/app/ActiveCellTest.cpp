// Everyday entry in the main window: the active cell in the selection
// colours, the whole text of a number selected when the cell is entered,
// refused keys explained, and a clicked chart tab's own status message.
#include <QSignalSpy>

#include "MainWindowFixture.h"
#include "widgets/ChartTabs.h"
#include "widgets/StatusLine.h"

using namespace kestrin;

namespace {

class ActiveCell : public MainWindowFixture {
 protected:
  QColor Highlight() { return Ui().DayTable->palette().color(QPalette::Active, QPalette::Highlight); }
  // The colour painted near the left edge of a table cell (text is
  // right-aligned), editor included.
  QColor PaintedBack(TCell* cell) {
    TCellTable* t = Ui().DayTable;
    const QRect r = t->CellRect(t->IndexOf(cell));
    return t->grab(r).toImage().pixelColor(4, r.height() / 2);
  }
  void ClickCell(TCellArea* area, TCell* cell) {
    QTest::mouseClick(area, Qt::LeftButton, {}, area->CellRect(area->IndexOf(cell)).center());
  }
  QLineEdit* LineEditor() { return qobject_cast<QLineEdit*>(Editor()); }
};

}  // namespace

TEST_F(ActiveCell, ShowsTheSelectionColoursEmptyOrNotByKeyOrByMouse) {
  TFrmMainUi& ui = Ui();
  Enter(Day(2, colAM), "18.5");
  const QColor own = PaintedBack(Day(3, colAM));
  ASSERT_NE(own, Highlight());
  // Reached by Enter: an empty cell with its editor open.
  ASSERT_EQ(Active(), Day(2, colPM));
  EXPECT_EQ(PaintedBack(Day(2, colPM)), Highlight());
  // Entered by a click, with a value, and again once the text is cleared.
  ClickCell(ui.DayTable, Day(2, colAM));
  ASSERT_EQ(Active(), Day(2, colAM));
  EXPECT_EQ(PaintedBack(Day(2, colAM)), Highlight());
  Key(Qt::Key_Backspace);
  EXPECT_EQ(LineEditor()->text(), "");
  EXPECT_EQ(PaintedBack(Day(2, colAM)), Highlight());
  // The cell left behind shows its own colour again.
  ClickCell(ui.DayTable, Day(3, colAM));
  EXPECT_EQ(PaintedBack(Day(2, colAM)), own);
  EXPECT_EQ(PaintedBack(Day(3, colAM)), Highlight());
}

TEST_F(ActiveCell, ANumberIsWhollySelectedWhenEnteredAndAClickOnTheActiveYearKeepsIt) {
  TFrmMainUi& ui = Ui();
  Enter(Day(5, colPM), "17.5");
  // The year cell is active from the start: a click on it keeps the whole
  // year selected, so typing a new year replaces it.
  Go(ui.CellYear);
  QLineEdit* year = LineEditor();
  ASSERT_NE(year, nullptr);
  QTest::mouseClick(year, Qt::LeftButton, {}, QPoint(year->width() - 3, year->height() / 2));
  EXPECT_EQ(year->selectedText(), year->text());
  TypeText(year, "2031");
  Key(Qt::Key_Return);
  EXPECT_EQ(DateYear(Info().Getsudo), 2031);

  // A cell entered by a click has all of its text selected; the next
  // click places the caret.
  ClickCell(ui.DayTable, Day(5, colPM));
  QLineEdit* pm = LineEditor();
  ASSERT_NE(pm, nullptr);
  EXPECT_EQ(pm->selectedText(), "17.5");
  QTest::mouseClick(pm, Qt::LeftButton, {}, QPoint(pm->width() - 3, pm->height() / 2));
  EXPECT_FALSE(pm->hasSelectedText());
}

TEST_F(ActiveCell, NumbersSayWhyAKeyIsRefusedAndADigitReplacesTheSelection) {
  TFrmMainUi& ui = Ui();
  QSignalSpy refused(ui.CellCoordinator, &TCellMgrMain::InputRefused);
  auto typed = [&](TCell* cell, const QString& text) {
    Go(cell);
    TypeText(Editor(), text);
    return LineEditor()->text();
  };
  auto lastReason = [&] { return refused.isEmpty() ? QString() : refused.last().at(0).toString(); };

  // The year opens fully selected: a digit replaces it; a fifth digit is
  // refused with the reason in the status line.
  EXPECT_EQ(typed(ui.CellYear, "2030"), "2030");
  EXPECT_TRUE(refused.isEmpty());
  TypeText(Editor(), "1");
  EXPECT_EQ(LineEditor()->text(), "2030");
  EXPECT_EQ(lastReason(), "この欄には4文字まで入力できます．");
  EXPECT_EQ(ui.StatusLine->Text(), lastReason());
  Key(Qt::Key_Escape);

  Go(ui.CellKyoyo);
  const QString tolerance = LineEditor()->text();
  EXPECT_EQ(typed(ui.CellKyoyo, "-"), tolerance);  // the tolerance has a range: no sign
  EXPECT_EQ(lastReason(), "マイナスの値は入力できません．");
  EXPECT_EQ(typed(ui.CellSlump, "1a"), "1");
  EXPECT_EQ(lastReason(), "数字と小数点のほかは入力できません．");
  TypeText(Editor(), "8.25");
  EXPECT_EQ(LineEditor()->text(), "18.2");
  EXPECT_EQ(lastReason(), "小数点以下は1桁まで入力できます．");
  EXPECT_EQ(typed(ui.CellKyodo, "2."), "2");
  EXPECT_EQ(lastReason(), "小数点は入力できません．");
  EXPECT_EQ(typed(ui.CellAir, "4.5."), "4.5");
  EXPECT_EQ(lastReason(), "小数点は１つだけ入力できます．");
  EXPECT_EQ(refused.size(), 6);
  // The message gives way to the cell's own when the next cell is entered.
  Go(ui.CellBiko);
  EXPECT_EQ(ui.StatusLine->Text(), "備考を入力してください．");
}

TEST_F(ActiveCell, AClickedChartTabBecomesActiveWithItsOwnMessage) {
  TFrmMainUi& ui = Ui();
  Go(ui.CellBiko);
  TypeText(Editor(), "晴れ");
  TChartTabs* tabs = ui.ChartTabs;
  ClickCell(tabs, tabs->Tab(0));
  EXPECT_EQ(tabs->CurrentTab(), 0);
  EXPECT_EQ(Active(), tabs->Tab(0));
  EXPECT_EQ(ui.StatusLine->Text(), "ヒストグラムを表示しています．");
  EXPECT_EQ(Info().Biko, Sjis("晴れ"));  // what was typed is committed
  ClickCell(tabs, tabs->Tab(1));
  EXPECT_EQ(tabs->CurrentTab(), 1);
  EXPECT_EQ(ui.StatusLine->Text(), "Ｘ管理図を表示しています．");
}
