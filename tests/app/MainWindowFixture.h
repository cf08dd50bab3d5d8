// A main window shown under the offscreen platform with settings given by
// the test, and helpers that type into its cells through key events.
#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "FrmMainProbe.h"
#include "GtestQt.h"
#include "ScriptedDialogs.h"
#include "TypeText.h"
#include "app/SettingsStore.h"
#include "core/Numbers.h"
#include "widgets/CellArea.h"
#include "widgets/CellMgrMain.h"
#include "widgets/CellTable.h"
#include "widgets/EditCells.h"

namespace kestrin {

class MainWindowFixture : public ::testing::Test {
 protected:
  // Settings the window reads at first show.
  TSettings settings;

  void SetUp() override {
    settings.TantoName = Sjis("山田 太郎");
    settings.KojoNames[0] = Sjis("第一工場");
    settings.KojoNames[2] = Sjis("第三工場");
  }

  // When set, the window reads and writes this settings file (and its
  // placement) instead of taking `settings`.
  std::string settingsFile;

  TFrmMain& Window() {
    if (!w) {
      w = std::make_unique<TFrmMain>();
      if (settingsFile.empty()) TFrmMainProbe(*w).SettingsReader() = [this] { return settings; };
      else w->SetSettingsStore(std::make_unique<TFileSettingsStore>(settingsFile));
      w->show();
      EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    }
    return *w;
  }
  // The window's parts and state (private to the window).
  TFrmMainProbe Probe() { return TFrmMainProbe(Window()); }
  TFrmMainUi& Ui() { return Probe().Ui(); }
  TMainData& Data() { return Probe().MainData(); }
  TBasicInfo& Info() { return Data().BasicInfo; }

  QWidget* Editor() {
    TCellArea* a = Ui().CellCoordinator->ActiveArea();
    return a ? a->Editor() : nullptr;
  }
  QWidget* KeyTarget() {
    QWidget* e = Editor();
    return e ? e : Ui().CellCoordinator->ActiveArea();
  }
  TCell* Active() { return Ui().CellCoordinator->ActiveCell(); }
  void Go(TCell* cell) { ASSERT_TRUE(Ui().CellCoordinator->Activate(cell)) << cell->Name.toStdString(); }
  void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::keyClick(KeyTarget(), static_cast<Qt::Key>(key), mods);
  }
  // Enters a cell, replaces its text (the editor opens with all of it
  // selected) and commits with Enter.
  void Enter(TCell* cell, const QString& text) {
    Go(cell);
    QWidget* e = Editor();
    ASSERT_NE(e, nullptr) << cell->Name.toStdString();
    Key(Qt::Key_Backspace);
    TypeText(e, text);
    Key(Qt::Key_Return);
  }
  void SetMonth(int year, int month) {
    Enter(Ui().CellYear, QString::number(year));
    Enter(Ui().CellMonth, QString::number(month));
  }
  TCell* Day(int day, TDayColumn column) { return Probe().DayCell(day - 1, column); }
  TSokutei& Value(int day, int which) { return Data().SlumpList.Items(day - 1).SokuteiList.Items(which); }
  int Rows() { return Ui().DayTable->RowCount(); }
  // The text colour a cell is painted in while it is not active.
  QColor TextColor(TCell* cell) { return cell->Colors(TCellPaintState{}).Text; }
  QColor BackColor(TCell* cell) { return cell->Colors(TCellPaintState{}).Back; }

  // Message boxes and file dialogs are answered by the test.
  TScriptedDialogs dialogs;
  TScopedDialogs scopedDialogs{&dialogs};
  std::unique_ptr<TFrmMain> w;
};

}  // namespace kestrin
