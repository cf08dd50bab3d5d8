// The day table of the main window: measurements typed through key events,
// judgements, month changes, weekday colours, focus order, and the
// recomputation that follows each kind of commit.
#include "MainWindowFixture.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>

#include "app/ControlPage.h"
#include "app/SignalPage.h"
#include "widgets/CellManager.h"
#include "widgets/ChartTabs.h"
#include "widgets/ShiftPager.h"
#include "widgets/StatusLine.h"
#include "widgets/TitleBar.h"

using namespace kestrin;

using DayTable = MainWindowFixture;

TEST_F(DayTable, MeasurementsStoreHundredthsAndShowJudgements) {
  SetMonth(2005, 1);
  Probe().SetEdited(false);
  Enter(Day(1, colAM), "18.5");
  EXPECT_EQ(Value(1, 0).Value, 1850);
  EXPECT_EQ(Day(1, colAM)->DisplayText(), "18.5");
  EXPECT_EQ(Day(1, colJudgeAM)->DisplayText(), "(合)");
  EXPECT_TRUE(Probe().Edited());
  // Enter moved on to the PM cell of the same day.
  EXPECT_EQ(Active(), Day(1, colPM));

  Enter(Day(2, colAM), "17.9");
  EXPECT_EQ(Value(2, 0).Value, 1790);
  // Target 18.0 +- 2.0: both limits pass, 20.1 fails (red, no mark).
  Enter(Day(3, colAM), "20.0");
  Enter(Day(3, colPM), "16.0");
  Enter(Day(4, colAM), "20.1");
  EXPECT_EQ(Day(3, colJudgeAM)->DisplayText(), "(合)");
  EXPECT_EQ(Day(3, colJudgePM)->DisplayText(), "(合)");
  EXPECT_EQ(TextColor(Day(3, colAM)), QColor(Qt::black));
  EXPECT_EQ(TextColor(Day(3, colPM)), QColor(Qt::black));
  EXPECT_EQ(Day(4, colJudgeAM)->DisplayText(), "");
  EXPECT_EQ(TextColor(Day(4, colAM)), QColor(0xFF, 0, 0));

  // Clearing the cell or entering 0 stores a blank: empty cell, no mark.
  Enter(Day(1, colAM), "");
  EXPECT_EQ(Value(1, 0).Value, 0);
  EXPECT_EQ(Day(1, colAM)->DisplayText(), "");
  EXPECT_EQ(Day(1, colJudgeAM)->DisplayText(), "");
  Enter(Day(3, colAM), "0");
  EXPECT_EQ(Value(3, 0).Value, 0);
  EXPECT_EQ(Day(3, colAM)->DisplayText(), "");
  EXPECT_EQ(Day(3, colJudgeAM)->DisplayText(), "");
  // At most 4 characters and 1 decimal can be typed; above 99.9 the
  // entry is refused and nothing is stored.
  Enter(Day(5, colAM), "123.45");
  EXPECT_EQ(Value(5, 0).Value, 0);
  EXPECT_EQ(Active(), Day(5, colAM));
  Key(Qt::Key_Escape);  // drops the refused entry
  EXPECT_EQ(Day(5, colAM)->DisplayText(), "");
}

TEST_F(DayTable, BlankMeasurementsNeverShowAMarkEvenWhenZeroWouldPass) {
  SetMonth(2005, 1);
  // Target 1.0 +- 2.0 puts 0 inside the range; a blank still shows nothing.
  Enter(Ui().CellSlump, "1.0");
  EXPECT_EQ(Day(1, colJudgeAM)->DisplayText(), "");
  EXPECT_EQ(Day(1, colAM)->DisplayText(), "");
}

TEST_F(DayTable, MeanAndSigmaFollowEveryCommit) {
  SetMonth(2005, 1);
  // Fewer than two values: both stay zero.
  EXPECT_EQ(Ui().CellAveX->DisplayText(), " 0.00");
  EXPECT_EQ(Ui().CellHensa->DisplayText(), " 0.000");
  Enter(Day(1, colAM), "18.0");
  Enter(Day(1, colPM), "19.0");
  Enter(Day(2, colAM), "17.0");
  EXPECT_EQ(Ui().CellAveX->DisplayText().trimmed(),
            QString::number(Data().CalcedResult.AveX / 100.0, 'f', 2));
  EXPECT_NE(Data().CalcedResult.AveX, 0);
  EXPECT_EQ(Ui().CellHensa->DisplayText(), FormatHensa(Data().CalcedResult.Hensa));
  EXPECT_GT(Data().CalcedResult.Hensa, 0.0L);
  EXPECT_EQ(FormatAveX(1825), "18.25");
  EXPECT_EQ(FormatAveX(825), " 8.25");
  EXPECT_EQ(FormatHensa(1.234L), " 1.234");
}

TEST_F(DayTable, MonthChangesFitTheRowsAndKeepTheValues) {
  SetMonth(2005, 1);
  ASSERT_EQ(Rows(), 31);
  for (int day : {1, 28, 29, 31}) Enter(Day(day, colAM), QString::number(15 + day % 5) + ".5");
  const int32_t day28 = Value(28, 0).Value;
  Enter(Ui().CellMonth, "2");
  EXPECT_EQ(Info().Getsudo >> 8, (2005 << 8) | 2);
  EXPECT_EQ(Rows(), 28);
  EXPECT_EQ(Data().SlumpList.Count(), 28);
  EXPECT_EQ(Value(1, 0).Value, 1650);
  EXPECT_EQ(Value(28, 0).Value, day28);
  Enter(Ui().CellMonth, "3");
  EXPECT_EQ(Rows(), 31);
  EXPECT_EQ(Value(28, 0).Value, day28);
  for (int day = 29; day <= 31; ++day) {
    EXPECT_EQ(Value(day, 0).Value, 0) << day;
    EXPECT_EQ(Day(day, colAM)->DisplayText(), "") << day;
  }
  // Leap years.
  SetMonth(2004, 2);
  EXPECT_EQ(Rows(), 29);
  SetMonth(2000, 2);
  EXPECT_EQ(Rows(), 29);
  SetMonth(1900, 2);
  EXPECT_EQ(Rows(), 28);
  // The pair stays within 1900-01 ... 2100-12: other entries are refused.
  Enter(Ui().CellYear, "1899");
  EXPECT_EQ(Ui().CellYear->DisplayText(), "1900");
  Enter(Ui().CellYear, "1900");
  Enter(Ui().CellMonth, "0");
  EXPECT_EQ(Ui().CellMonth->DisplayText(), "02");
  Enter(Ui().CellMonth, "12");
  EXPECT_EQ(Ui().CellMonth->DisplayText(), "12");
}

TEST_F(DayTable, WeekdaysAndTheirColours) {
  SetMonth(2005, 2);
  EXPECT_EQ(Day(1, colWeek)->DisplayText(), "火");
  EXPECT_EQ(TextColor(Day(1, colWeek)), QColor(Qt::black));
  EXPECT_EQ(TextColor(Day(1, colDay)), QColor(Qt::black));
  EXPECT_EQ(Day(5, colWeek)->DisplayText(), "土");
  EXPECT_EQ(TextColor(Day(5, colWeek)), QColor(0, 0, 0xFF));
  EXPECT_EQ(TextColor(Day(5, colDay)), QColor(0, 0, 0xFF));
  EXPECT_EQ(Day(6, colWeek)->DisplayText(), "日");
  EXPECT_EQ(TextColor(Day(6, colWeek)), QColor(0xFF, 0, 0));
  EXPECT_EQ(TextColor(Day(6, colDay)), QColor(0xFF, 0, 0));
  EXPECT_EQ(Day(6, colDay)->DisplayText(), "6");
  EXPECT_EQ(BackColor(Day(6, colDay)), QColor(0xE0, 0xFC, 0xEB));
}

TEST_F(DayTable, FocusRunsThroughTheHeaderThenTheDaysAndLeavesAfterTheLastPM) {
  SetMonth(2005, 2);
  Enter(Ui().CellCement, "自家製");  // a free name: the symbol can be entered
  TFrmMainUi& ui = Ui();
  const std::vector<TCell*> header{ui.CellYear,      ui.CellMonth, ui.CellKojo,     ui.CellTanto,
                                   ui.CellBiko,      ui.CellKyodo, ui.CellSlump,    ui.CellKyoyo,
                                   ui.CellKotsuzai,  ui.CellAir,   ui.CellAirKyoyo, ui.CellCement,
                                   ui.CellCementMark};
  Go(ui.CellYear);
  for (std::size_t i = 1; i < header.size(); ++i) {
    Key(Qt::Key_Tab);
    EXPECT_EQ(Active(), header[i]) << i;
  }
  Key(Qt::Key_Tab);
  EXPECT_EQ(Active(), Day(1, colAM));
  Key(Qt::Key_Return);
  EXPECT_EQ(Active(), Day(1, colPM));
  Key(Qt::Key_Return);
  EXPECT_EQ(Active(), Day(2, colAM));
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Active(), Day(1, colPM));
  // The last PM goes on to the function keys, never back to day 1.
  Go(Day(28, colPM));
  EXPECT_EQ(ui.DayTable->TopRow(), 28 - 13);
  Key(Qt::Key_Return);
  EXPECT_EQ(Active(), ui.FunctionKeys->Button(0, 5));
  EXPECT_NE(Active(), Day(1, colAM));
  // Then the chart tabs (the X chart tab shown), then the header again.
  for (int i = 0; i < 7; ++i) Key(Qt::Key_Tab);  // F6 F7 F8 F9 F11 F12, charts
  EXPECT_EQ(Active()->Name, "CmTabSheetChartX");
  EXPECT_EQ(ui.StatusLine->Text(), "Ｘ管理図を表示しています．");
  Key(Qt::Key_Left);
  EXPECT_EQ(ui.ChartTabs->CurrentTab(), 0);
  EXPECT_EQ(ui.StatusLine->Text(), "ヒストグラムを表示しています．");
  Key(Qt::Key_Tab);
  EXPECT_EQ(Active(), ui.CellYear);
  // Backwards from day 1 AM into the header's last cell.
  Go(Day(1, colAM));
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(Active(), ui.CellCementMark);
  // Day, weekday and judgement cells are never entered.
  EXPECT_FALSE(Day(3, colDay)->Focusable());
  EXPECT_FALSE(Day(3, colWeek)->Focusable());
  EXPECT_FALSE(Day(3, colJudgePM)->Focusable());
}

TEST_F(DayTable, ToleranceRebuildsTheClassRows) {
  SetMonth(2005, 1);
  EXPECT_EQ(Data().HistogramList.Count(), 11);
  int painted = 0;
  Probe().SetHistogramDrawer([&](QPainter&, const QRect&, const TMainData& d) {
    ++painted;
    EXPECT_EQ(&d, &Data());
  });
  Ui().ChartTabs->SetCurrentTab(0);
  Ui().HistogramBox->repaint();
  const int before = painted;
  Enter(Ui().CellKyoyo, "2.5");
  EXPECT_EQ(Info().Kyoyo, 250);
  EXPECT_EQ(Data().HistogramList.Count(), 13);
  Ui().HistogramBox->repaint();
  EXPECT_GT(painted, before);
  // Above 5.0 is refused; 5.0 itself is stored.
  Enter(Ui().CellKyoyo, "9.9");
  EXPECT_EQ(Info().Kyoyo, 250);
  Enter(Ui().CellKyoyo, "5");
  EXPECT_EQ(Info().Kyoyo, 500);
  EXPECT_EQ(Ui().CellKyoyo->DisplayText(), "5.0");
  EXPECT_EQ(Data().HistogramList.Count(), 23);
}

TEST_F(DayTable, StoredOnlyFieldsSetTheEditedFlagWithoutRecomputing) {
  SetMonth(2005, 1);
  Enter(Day(1, colAM), "19.5");
  ASSERT_TRUE(Value(1, 0).Judge);
  // Move the target behind the window's back: a recomputation would now
  // fail the value.
  Info().KariAveX = 1500;
  TFrmMainUi& ui = Ui();
  for (TCell* cell : std::vector<TCell*>{ui.CellKyodo, ui.CellKotsuzai, ui.CellAir, ui.CellAirKyoyo}) {
    Probe().SetEdited(false);
    Enter(cell, "3");
    EXPECT_TRUE(Probe().Edited()) << cell->Name.toStdString();
    EXPECT_TRUE(Value(1, 0).Judge) << cell->Name.toStdString();
  }
  Probe().SetEdited(false);
  Enter(ui.CellBiko, "備考");
  Enter(ui.CellTanto, "佐藤");
  EXPECT_TRUE(Probe().Edited());
  EXPECT_TRUE(Value(1, 0).Judge);
  EXPECT_EQ(Info().Kyodo, 3.0);
  EXPECT_EQ(Info().Air, 3.0);
  // The target slump recomputes.
  Enter(ui.CellSlump, "15.5");
  EXPECT_FALSE(Value(1, 0).Judge);
  // Committing an unchanged value is no change.
  Probe().SetEdited(false);
  Enter(ui.CellSlump, "15.5");
  EXPECT_FALSE(Probe().Edited());
  Go(ui.CellKyodo);
  EXPECT_FALSE(Probe().Edited());
  Key(Qt::Key_Tab);
  EXPECT_FALSE(Probe().Edited());
}

TEST_F(DayTable, ChartsGetTheirBoxRectangleAndTheXChartShowsFirst) {
  TFrmMainUi& ui = Ui();
  EXPECT_EQ(ui.ChartTabs->CurrentTab(), 1);
  EXPECT_TRUE(ui.XChartBox->isVisible());
  EXPECT_FALSE(ui.HistogramBox->isVisible());
  QRect seen;
  Probe().SetXChartDrawer([&](QPainter&, const QRect& r, const TMainData&) { seen = r; });
  ui.XChartBox->repaint();
  EXPECT_EQ(seen, QRect(0, 0, ui.XChartBox->width(), ui.XChartBox->height()));
  EXPECT_GT(seen.width(), 400);
  EXPECT_GT(seen.height(), 300);
}

TEST_F(DayTable, WindowFrameAndFirstShow) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  EXPECT_EQ(f.windowTitle(), "Kestrin ");
  EXPECT_EQ(f.centralWidget()->size(), QSize(823, 580));
  EXPECT_EQ(ui.Header->height(), 105);
  EXPECT_EQ(ui.DayTable->VisibleRows(), 13);
  EXPECT_EQ(ui.DayScrollBar->pageStep(), 13);
  EXPECT_EQ(ui.FunctionKeys->height(), 42);
  EXPECT_EQ(ui.StatusLine->height(), 23);
  EXPECT_EQ(ui.TitleBar->height(), 36);
  EXPECT_EQ(ui.ChartTabs->size(), QSize(458, 369));
  EXPECT_EQ(Active(), ui.CellYear);
  EXPECT_EQ(ui.StatusLine->Text(), "管理月度を入力してください．");
  EXPECT_FALSE(Probe().Edited());
  EXPECT_EQ(Rows(), DaysInMonth(Info().Getsudo));
  Probe().DataFileName() = "/data/200502.slt";
  Probe().UpdateCaption();
  EXPECT_EQ(f.windowTitle(), "Kestrin /data/200502.slt");
}

TEST_F(DayTable, FocusFirstCellScrollsBackAndShowsTheRecord) {
  SetMonth(2005, 1);
  Go(Day(31, colPM));
  TypeText(Editor(), "17");
  // A command that resets the record (as Clear does) then refocuses.
  Probe().CommitActiveCell();
  EXPECT_EQ(Value(31, 1).Value, 1700);
  Data().ClearLists();
  Data().Clear();
  Probe().RecalcAndRepaint();
  Probe().FocusFirstCell();
  EXPECT_EQ(Active(), Ui().CellYear);
  EXPECT_EQ(Ui().DayTable->TopRow(), 0);
  EXPECT_EQ(static_cast<QLineEdit*>(Editor())->text(), Ui().CellYear->DisplayText());
}

TEST_F(DayTable, EscapeOutsideAnEditAndF12AskTheWindowToClose) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  Go(ui.CellBiko);
  TypeText(Editor(), "途中");
  Key(Qt::Key_Escape);  // drops the typing only
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(Info().Biko, "");
  Key(Qt::Key_Escape);
  EXPECT_FALSE(f.isVisible());
  EXPECT_TRUE(dialogs.Messages.empty());  // nothing was changed
  f.show();
  Go(ui.CellBiko);
  TypeText(Editor(), "閉じる前");
  dialogs.Answers = {true};
  Key(Qt::Key_F12);
  EXPECT_FALSE(f.isVisible());
  EXPECT_EQ(Info().Biko, Sjis("閉じる前"));  // what was typed is kept
  ASSERT_EQ(dialogs.Messages.size(), 1u);     // and counts as a change
  EXPECT_EQ(dialogs.Messages[0].Text, "保存していませんが，終了しますか？");
}

TEST_F(DayTable, SignalTabFollowsEveryCommit) {
  TFrmMainUi& ui = Ui();
  ASSERT_EQ(ui.ChartTabs->TabCount(), 4);
  EXPECT_EQ(ui.ChartTabs->Tab(2)->Caption, "管理状態");
  SetMonth(2026, 6);
  EXPECT_EQ(ui.SignalPage->CpText(), "－");
  EXPECT_EQ(ui.SignalPage->Rows(), QStringList{"該当なし"});
  // Eight values above the target from June 12 PM, June 14 PM blank; the
  // ninth is typed.
  const struct { int day, half; } ringed[] = {{12, 1}, {13, 0}, {13, 1}, {14, 0},
                                             {15, 0}, {15, 1}, {16, 0}, {16, 1}};
  int i = 0;
  for (const auto& s : ringed) Value(s.day, s.half).Value = i++ % 2 ? 1900 : 1850;
  Probe().RecalcAndRepaint();
  EXPECT_EQ(ui.SignalPage->Rows(), QStringList{"該当なし"});
  Enter(Day(17, colAM), "18.5");
  EXPECT_EQ(ui.SignalPage->Rows(), QStringList{"6月12日 午後 〜 6月17日 午前：中心線の上側に9点連続"});
  EXPECT_EQ(ui.SignalPage->Heading(), "管理状態の判定（連9点・傾向6点・限界接近 3点中2点）");
  const TCapability c = MonthCapability(Probe().MainData());
  ASSERT_TRUE(c.Cp && c.Cpk);
  EXPECT_EQ(ui.SignalPage->CpText(), FormatFixed(*c.Cp, 2));
  EXPECT_EQ(ui.SignalPage->CpkText(), FormatFixed(*c.Cpk, 2));
  ui.ChartTabs->SetCurrentTab(2);
  EXPECT_TRUE(ui.SignalPage->isVisible());
}

TEST_F(DayTable, ControlTabFollowsEveryCommit) {
  TFrmMainUi& ui = Ui();
  EXPECT_EQ(ui.ChartTabs->Tab(3)->Caption, "X̄－R管理図");
  SetMonth(2026, 6);
  // Four complete days and one with an AM value only: no limits yet.
  for (int day = 1; day <= 4; ++day) {
    Value(day, 0).Value = 1800;
    Value(day, 1).Value = 1900;
  }
  Value(5, 0).Value = 1800;
  Probe().RecalcAndRepaint();
  EXPECT_EQ(ui.ControlPage->InfoText(), "管理限界：－（完全な群が4群，5群以上で計算）");
  EXPECT_EQ(ui.ControlPage->Rows(), QStringList{"－"});
  Enter(Day(5, colPM), "19.0");
  EXPECT_TRUE(ui.ControlPage->InfoText().startsWith("基準：当月（5群）　Cp(群内) "))
      << ui.ControlPage->InfoText().toStdString();
  EXPECT_EQ(ui.ControlPage->Rows(), QStringList{"該当なし"});
  for (int day = 6; day <= 9; ++day) {
    Value(day, 0).Value = 1800;
    Value(day, 1).Value = 1900;
  }
  Value(10, 0).Value = 2400;
  Probe().RecalcAndRepaint();
  Enter(Day(10, colPM), "25.0");
  EXPECT_EQ(ui.ControlPage->Rows(), (QStringList{"6月1日 〜 6月9日：X̄が中心線の下側に9点連続（ルール2）",
                                                 "6月10日：X̄が上方管理限界の外（ルール1）"}));
  ui.ChartTabs->SetCurrentTab(3);
  EXPECT_TRUE(ui.ControlPage->isVisible());
  // The sheet choice of F8/F9: the X̄－R sheet after the two sheets, 全て last.
  const QList<QAction*> choices = ui.SheetMenu->actions();
  ASSERT_EQ(choices.size(), 5);
  EXPECT_EQ(choices[2], ui.XbarRSheetChoice);
  EXPECT_EQ(ui.XbarRSheetChoice->text(), "X̄－R管理図");
  EXPECT_EQ(ui.XbarRSheetChoice->data().toInt(), static_cast<int>(TPrintSheet::XbarR));
  EXPECT_EQ(choices[4], ui.AllSheetsChoice);
}
