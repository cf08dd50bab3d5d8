// The main window's commands through their keys, menu items and buttons:
// load, save, clear and quit with their questions, messages, edited flag
// and caption; the function-key pages; the sheet choice; the export.
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>

#include "MainWindowFixture.h"
#include "app/AboutBox.h"
#include "core/DataFile.h"
#include "sheets/report/ReportPreview.h"
#include "widgets/BusyWindow.h"
#include "widgets/ShiftPager.h"
#include "widgets/StatusLine.h"
#include "widgets/TitleBar.h"

using namespace kestrin;

namespace {

class Commands : public MainWindowFixture {
 protected:
  QTemporaryDir tmp;
  QString Path(const QString& name) const { return QDir(tmp.path()).filePath(name); }
  void Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) { Key(key, mods); }
  // A month with two measurements, written to `name`.
  QString WriteMonth(const QString& name) {
    TMainData d;
    d.BasicInfo.Getsudo = PackDate(2005, 2, 1);
    d.AdjustSlumpList();
    d.SlumpList.Items(0).SokuteiList.Items(0).Value = 1850;
    d.SlumpList.Items(27).SokuteiList.Items(1).Value = 1720;
    d.BasicInfo.Biko = Sjis("読み込み");
    d.Calculate();
    EXPECT_TRUE(SaveToFile(QFile::encodeName(Path(name)).toStdString(), d));
    return Path(name);
  }
  std::vector<std::pair<bool, TPrintSheet>> reports;
  void RecordReports() {
    Probe().ReportHandler() = [this](bool preview, TPrintSheet sheet) {
      reports.emplace_back(preview, sheet);
    };
  }
};

}  // namespace

TEST_F(Commands, WithoutAChangeLoadClearAndQuitAskNothing) {
  TFrmMain& f = Window();
  dialogs.FileAnswers = {""};  // the open dialog is cancelled
  Press(Qt::Key_F5);
  EXPECT_TRUE(dialogs.Messages.empty());
  ASSERT_EQ(dialogs.Files.size(), 1u);
  const TFileRequest& r = dialogs.Files[0];
  EXPECT_FALSE(r.Save);
  EXPECT_EQ(r.DefaultSuffix, "slt");
  EXPECT_EQ(r.NameFilters, QStringList{"専用データファイル (*.slt)"});
  EXPECT_EQ(r.Directory, QDir::homePath());  // no last data folder yet
  EXPECT_EQ(r.FileName, "");
  EXPECT_EQ(r.Parent, &f);

  Press(Qt::Key_F5, Qt::ShiftModifier);  // Clear
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(f.windowTitle(), "Kestrin ");
  Press(Qt::Key_F12);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_FALSE(f.isVisible());
}

TEST_F(Commands, QuitAfterAChangeAsksAndNoKeepsTheWindowAndTheData) {
  settingsFile = Path("kestrin.INI").toStdString();
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  SetMonth(2005, 2);
  Enter(Day(3, colAM), "18.5");
  ASSERT_TRUE(Probe().Edited());

  dialogs.Answers = {false};
  Press(Qt::Key_F12);
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  const TMessageRequest& q = dialogs.Messages[0];
  EXPECT_EQ(q.Text, "保存していませんが，終了しますか？");
  EXPECT_EQ(q.Caption, "確認");
  EXPECT_TRUE(q.YesNo);
  EXPECT_EQ(q.Icon, TMessageIcon::Question);
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(Value(3, 0).Value, 1850);
  EXPECT_TRUE(Probe().Edited());
  EXPECT_FALSE(QFile::exists(Path("kestrin.INI")));  // nothing written yet

  // The menu item and the window's close box ask the same question.
  dialogs.Answers = {false, false};
  ui.QuitAction->trigger();
  f.close();
  EXPECT_EQ(dialogs.Messages.size(), 3u);
  EXPECT_TRUE(f.isVisible());

  // Esc outside an editor is a close request too; Yes closes and writes
  // the settings file with the window placement.
  Go(ui.FunctionKeys->Button(0, 5));
  dialogs.Answers = {true};
  Press(Qt::Key_Escape);
  EXPECT_EQ(dialogs.Messages.size(), 4u);
  EXPECT_FALSE(f.isVisible());
  TIniFile ini;
  ASSERT_TRUE(ini.Load(settingsFile));
  EXPECT_EQ(ini.ReadString("Info", "InkanTitle1", ""), Sjis("工場長"));
  EXPECT_EQ(ini.ReadInteger("TFrmMain", "ShowCmd", 0), 1);
  EXPECT_TRUE(ini.Find("TFrmMain", "NormalPos").has_value());
}

TEST_F(Commands, SaveProposesTheMonthAndAddsTheExtension) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  SetMonth(2005, 2);
  Enter(Day(1, colAM), "18.5");
  dialogs.FileAnswers = {Path("200502")};  // typed without extension
  Press(Qt::Key_F6);
  EXPECT_TRUE(dialogs.Messages.empty());  // no question before saving
  ASSERT_EQ(dialogs.Files.size(), 1u);
  const TFileRequest& r = dialogs.Files[0];
  EXPECT_TRUE(r.Save);
  EXPECT_TRUE(r.ConfirmOverwrite);
  EXPECT_EQ(r.FileName, "200502");
  EXPECT_EQ(r.DefaultSuffix, "slt");
  EXPECT_EQ(r.NameFilters, QStringList{"専用データファイル (*.slt)"});
  const QString saved = Path("200502.slt");
  EXPECT_TRUE(QFile::exists(saved));
  EXPECT_FALSE(QFile::exists(Path("200502")));
  EXPECT_EQ(Probe().DataFileName(), saved);
  EXPECT_EQ(f.windowTitle(), "Kestrin " + saved);
  EXPECT_FALSE(Probe().Edited());

  // What was saved reads back; the next dialogs start in its folder.
  TMainData back;
  ASSERT_TRUE(LoadFromFile(QFile::encodeName(saved).toStdString(), back));
  EXPECT_EQ(back.SlumpList.Items(0).SokuteiList.Items(0).Value, 1850);
  EXPECT_EQ(back.BasicInfo.Getsudo >> 8, (2005 << 8) | 2);
  EXPECT_EQ(Probe().DialogFolder(), tmp.path());

  // A name with an extension keeps it; the menu item saves too.
  dialogs.FileAnswers = {Path("copy.SLT")};
  ui.SaveAction->trigger();
  EXPECT_TRUE(QFile::exists(Path("copy.SLT")));
  EXPECT_EQ(dialogs.Files.back().Directory, tmp.path());
  // December 1999 is proposed as 199912.
  SetMonth(1999, 12);
  dialogs.FileAnswers = {""};
  Press(Qt::Key_F6);
  EXPECT_EQ(dialogs.Files.back().FileName, "199912");
  EXPECT_EQ(ProposedFileName(0), "");
  EXPECT_EQ(ProposedFileName(PackDate(987, 3, 1)), "098703");
}

TEST_F(Commands, CancelledSaveChangesNothing) {
  TFrmMain& f = Window();
  const QString loaded = WriteMonth("old.slt");
  dialogs.FileAnswers = {loaded};
  Press(Qt::Key_F5);
  Enter(Day(2, colPM), "19.0");
  ASSERT_TRUE(Probe().Edited());
  const QString caption = f.windowTitle();
  dialogs.FileAnswers = {""};
  Press(Qt::Key_F6);
  EXPECT_EQ(dialogs.Files.back().FileName, "200502");
  EXPECT_TRUE(Probe().Edited());
  EXPECT_EQ(f.windowTitle(), caption);
  EXPECT_EQ(Probe().DataFileName(), loaded);
  EXPECT_EQ(Value(2, 1).Value, 1900);
  EXPECT_FALSE(QFile::exists(Path("200502.slt")));
}

TEST_F(Commands, FailedSaveShowsTheMessageAndKeepsTheEditedFlag) {
  TFrmMainUi& ui = Ui();
  Enter(ui.CellBiko, "保存失敗");
  dialogs.FileAnswers = {Path("missing-folder/200502.slt")};
  Press(Qt::Key_F6);
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  // The fixed message, and the file with the cause on a second line.
  EXPECT_EQ(dialogs.Messages[0].Text,
            "ファイルのセーブに失敗しました．\n" + Path("missing-folder/200502.slt") +
                ": 保存先のフォルダを開けません（ファイルまたはフォルダがありません）");
  EXPECT_FALSE(dialogs.Messages[0].YesNo);
  EXPECT_TRUE(Probe().Edited());
  EXPECT_EQ(Info().Biko, Sjis("保存失敗"));
  // The next dialog does not start in the folder the save failed in.
  EXPECT_NE(Probe().DialogFolder(), Path("missing-folder"));
  dialogs.FileAnswers = {"/proc/200502.slt"};
  Press(Qt::Key_F6);
  EXPECT_NE(Probe().DialogFolder(), "/proc");
}

TEST_F(Commands, LoadReadsTheFileAndResetsFocusAndScroll) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  const QString file = WriteMonth("200502.slt");
  Go(Day(Rows(), colPM));
  ASSERT_GT(ui.DayTable->TopRow(), 0);
  dialogs.FileAnswers = {file};
  ui.LoadAction->trigger();
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_EQ(Probe().DataFileName(), file);
  EXPECT_EQ(f.windowTitle(), "Kestrin " + file);
  EXPECT_EQ(Rows(), 28);
  EXPECT_EQ(Value(1, 0).Value, 1850);
  EXPECT_EQ(Day(28, colPM)->DisplayText(), "17.2");
  EXPECT_EQ(Info().Biko, Sjis("読み込み"));
  EXPECT_EQ(Active(), ui.CellYear);
  EXPECT_EQ(ui.DayTable->TopRow(), 0);
  EXPECT_FALSE(Probe().Edited());
  // The person left empty in the file becomes the default person.
  EXPECT_EQ(Info().Tanto, Sjis("山田 太郎"));
  EXPECT_EQ(ui.CellTanto->DisplayText(), "山田 太郎");
  // Loading again proposes the current file in its folder.
  dialogs.FileAnswers = {""};
  Press(Qt::Key_F5);
  EXPECT_EQ(dialogs.Files.back().FileName, "200502.slt");
  EXPECT_EQ(dialogs.Files.back().Directory, tmp.path());
}

TEST_F(Commands, LoadAfterAChangeAsksFirst) {
  TFrmMainUi& ui = Ui();
  const QString file = WriteMonth("200502.slt");
  Enter(ui.CellBiko, "未保存");
  dialogs.Answers = {false};
  Press(Qt::Key_F5);
  EXPECT_EQ(dialogs.Texts(), QStringList{"保存していませんが，ロードしますか？"});
  EXPECT_TRUE(dialogs.Files.empty());
  EXPECT_EQ(Info().Biko, Sjis("未保存"));

  // Yes, then a cancelled dialog: the month and the flag stay.
  dialogs.Answers = {true};
  dialogs.FileAnswers = {""};
  Press(Qt::Key_F5);
  EXPECT_EQ(Info().Biko, Sjis("未保存"));
  EXPECT_TRUE(Probe().Edited());

  dialogs.Answers = {true};
  dialogs.FileAnswers = {file};
  Press(Qt::Key_F5);
  EXPECT_EQ(Info().Biko, Sjis("読み込み"));
  EXPECT_FALSE(Probe().Edited());
}

TEST_F(Commands, FailedLoadShowsTheMessageAndAFreshMonthUnderTheChosenName) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  SetMonth(2005, 1);
  Enter(Day(5, colAM), "18.0");
  QFile bad(Path("broken.slt"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("SLUMPTES0211SLT this is not a month");
  bad.close();
  dialogs.Answers = {true};
  dialogs.FileAnswers = {bad.fileName()};
  Press(Qt::Key_F5);
  ASSERT_EQ(dialogs.Messages.size(), 2u);
  EXPECT_EQ(dialogs.Messages[1].Text,
            "ファイルのロードに失敗しました．\n" + bad.fileName() + ": 工場名を読み込めません");
  EXPECT_FALSE(dialogs.Messages[1].YesNo);
  EXPECT_EQ(f.windowTitle(), "Kestrin " + bad.fileName());
  // A fresh month: the current month, no measurements.
  EXPECT_EQ(Info().Getsudo >> 8, TodayPacked() >> 8);
  EXPECT_EQ(Rows(), DaysInMonth(TodayPacked()));
  for (int d = 1; d <= Rows(); ++d) EXPECT_EQ(Value(d, 0).Value, 0) << d;
  EXPECT_EQ(Info().Biko, "");
  EXPECT_TRUE(Probe().Edited());  // unchanged by a failed load
  EXPECT_EQ(Active(), ui.CellYear);
}

TEST_F(Commands, ClearEmptiesTheCaptionButAChangeStillCountsAsUnsaved) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  dialogs.FileAnswers = {WriteMonth("200502.slt")};
  Press(Qt::Key_F5);
  Enter(Day(20, colAM), "19.5");
  ASSERT_GT(ui.DayTable->TopRow(), 0);

  dialogs.Answers = {false};
  Press(Qt::Key_F5, Qt::ShiftModifier);
  EXPECT_EQ(dialogs.Texts(), QStringList{"保存していませんが，データをクリアしますか？"});
  EXPECT_EQ(Value(20, 0).Value, 1950);
  EXPECT_NE(Probe().DataFileName(), "");

  dialogs.Answers = {true};
  ui.ClearAction->trigger();
  EXPECT_EQ(f.windowTitle(), "Kestrin ");
  EXPECT_EQ(Probe().DataFileName(), "");
  EXPECT_EQ(Info().Getsudo >> 8, TodayPacked() >> 8);
  EXPECT_EQ(ui.DayTable->TopRow(), 0);
  EXPECT_EQ(Active(), ui.CellYear);
  EXPECT_TRUE(Probe().Edited());
  dialogs.Answers = {false};
  Press(Qt::Key_F12);
  EXPECT_EQ(dialogs.Messages.back().Text, "保存していませんが，終了しますか？");
  EXPECT_TRUE(f.isVisible());
}

TEST_F(Commands, ShiftTurnsTheKeyRowAndOnlyItsCommandsAct) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  TShiftPager* k = ui.FunctionKeys;
  QTest::keyPress(KeyTarget(), Qt::Key_Shift, Qt::ShiftModifier);
  EXPECT_EQ(k->Page(), 1);
  EXPECT_EQ(k->GuideColor(k->Page()), QColor(0xFF, 0x80, 0x00));
  EXPECT_EQ(k->Button(1, 5)->Caption, "データクリア");
  EXPECT_EQ(k->Button(1, 5)->StatusMessage, "入力欄を初期化します．");
  QTest::keyRelease(KeyTarget(), Qt::Key_Shift);
  EXPECT_EQ(k->Page(), 0);
  EXPECT_EQ(k->GuideColor(k->Page()), QColor(0x00, 0x80, 0x00));

  RecordReports();
  Enter(ui.CellBiko, "変更");
  const std::string before = MainDataBytes(Data());
  // The empty slots and the other shifted keys do nothing.
  for (int key : {Qt::Key_F3, Qt::Key_F4, Qt::Key_F10}) Press(key);
  // Shift+F6 makes the next month, Shift+F7 opens the year overview (see
  // OverviewWindowTest), Shift+F8 the strength window (StrengthWindowTest).
  for (int key = Qt::Key_F3; key <= Qt::Key_F12; ++key)
    if (key < Qt::Key_F5 || key > Qt::Key_F8) Press(key, Qt::ShiftModifier);
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_TRUE(dialogs.Files.empty());
  EXPECT_TRUE(reports.empty());
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(MainDataBytes(Data()), before);
  for (int key : {3, 4, 10}) {
    EXPECT_FALSE(k->Button(0, key)->Enabled) << key;
    EXPECT_TRUE(k->Button(0, key)->Caption.isEmpty()) << key;
  }
}

TEST_F(Commands, KeysHaveTheirCaptionsHintsAndStatusMessages) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  struct Slot {
    int key;
    const char* name;
    const char* caption;
    const char* hint;
    const char* status;
  };
  const Slot keySlots[] = {
      {5, "CellBitBtnLoad", "ロード", "データファイルの読み込み", "データを読み込みます．"},
      {6, "CellBitBtnSave", "セーブ", "データファイルの保存", "データを保存します．"},
      {7, "CellBtnEXCEL", "EXCEL出力", "", "EXCELにデータを出力します．"},
      {8, "CellBitBtnPreview", "プレビュｰ", "縦置き２ページ印刷のプレビューを見ます．", "選択した書類をプレビューします．"},
      {9, "CellBitBtnPrint", "印 刷", "縦置き２枚で印刷します．（デフォルトＡ4）", "選択した書類を印刷します．"},
      {11, "CellBitBtnSetup", "設 定", "設定画面表示", "設定画面が開きます．"},
      {12, "CellBitBtnQuit", "終 了", "終了します．", "終了します．"},
  };
  for (const Slot& s : keySlots) {
    TButtonCell* b = ui.FunctionKeys->Button(0, s.key);
    EXPECT_EQ(b->Name, s.name);
    EXPECT_EQ(b->Caption, s.caption);
    EXPECT_EQ(b->Hint, s.hint);
    EXPECT_FALSE(b->Icon.isNull()) << s.name;
    Go(b);
    EXPECT_EQ(ui.StatusLine->Text(), s.status);
  }
  // Menus: captions in order, and the load item's hint in the status line.
  QStringList menus;
  for (QAction* a : f.menuBar()->actions()) menus << a->text();
  EXPECT_EQ(menus, (QStringList{"ファイル(&F)", "編集(&E)", "オプション(&O)", "ヘルプ(&H)"}));
  QStringList file;
  for (QAction* a : ui.FileMenu->actions()) file << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(file, (QStringList{"ロード(&L)", "セーブ(&S)", "上書き保存(&W)", "次月(&N)",
                               "最近使ったファイル(&R)", "-", "EXCEL出力(&E)", "年間推移(&Y)...",
                               "強度試験(&T)...", "-",
                               "印刷プレビュー(&V)", "印刷(&P)", "-", "終了(&X)"}));
  EXPECT_EQ(ui.ClearAction->text(), "クリア(&A)");
  EXPECT_EQ(ui.AboutAction->text(), "バージョン情報(&A)");
  ui.LoadAction->showStatusText(&f);
  EXPECT_EQ(ui.StatusLine->Text(), "データを読み込みます．");
}

TEST_F(Commands, PreviewAndPrintOpenTheSheetChoiceAtTheButton) {
  TFrmMainUi& ui = Ui();
  RecordReports();
  QPoint popupAt;
  QStringList items;
  WhenOpen<QMenu>([&](QMenu* m) {
    popupAt = m->pos();
    for (QAction* a : m->actions()) items << (a->isSeparator() ? "-" : a->text());
    m->setActiveAction(ui.XChartSheetChoice);
    QTest::keyClick(m, Qt::Key_Return);
  });
  Press(Qt::Key_F8);
  TShiftPager* k = ui.FunctionKeys;
  const QRect button = k->CellRect(k->IndexOf(k->Button(0, 8)));
  EXPECT_EQ(popupAt, k->mapToGlobal(button.topLeft()));
  EXPECT_EQ(items, (QStringList{"管理表・ヒストグラム", "Ｘ管理図", "X̄－R管理図", "-", "全て"}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], std::make_pair(true, TPrintSheet::XChart));
  EXPECT_TRUE(Probe().PreviewMode());
  EXPECT_EQ(Probe().PrintSheet(), TPrintSheet::XChart);

  WhenOpen<QMenu>([&](QMenu* m) {
    m->setActiveAction(ui.AllSheetsChoice);
    QTest::keyClick(m, Qt::Key_Return);
  });
  Press(Qt::Key_F9);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1], std::make_pair(false, TPrintSheet::All));

  // Closing the popup without a choice runs nothing.
  WhenOpen<QMenu>([](QMenu* m) { QTest::keyClick(m, Qt::Key_Escape); });
  Press(Qt::Key_F9);
  EXPECT_EQ(reports.size(), 2u);

  // The submenus of the file menu choose directly.
  ui.PreviewMenu->actions().at(0)->trigger();
  ui.PrintMenu->actions().at(1)->trigger();
  ui.PrintMenu->actions().at(4)->trigger();
  ui.PreviewMenu->actions().at(2)->trigger();
  ASSERT_EQ(reports.size(), 6u);
  EXPECT_EQ(reports[2], std::make_pair(true, TPrintSheet::Table));
  EXPECT_EQ(reports[3], std::make_pair(false, TPrintSheet::XChart));
  EXPECT_EQ(reports[4], std::make_pair(false, TPrintSheet::All));
  EXPECT_EQ(reports[5], std::make_pair(true, TPrintSheet::XbarR));
}

TEST_F(Commands, ExportWithoutASpreadsheetShowsTheMessage) {
  TFrmMainUi& ui = Ui();
  Probe().ExportOptions().HelperPath = Path("no-such-helper").toStdString();
  Press(Qt::Key_F7);
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text, "操作可能なバージョンの Excel がインストールされていません．");
  EXPECT_FALSE(dialogs.Messages[0].YesNo);
  EXPECT_EQ(Probe().BusyWindow(), nullptr);  // closed again
  ui.ExportAction->trigger();
  EXPECT_EQ(dialogs.Messages.size(), 2u);
  EXPECT_FALSE(Probe().Edited());

  // The busy window: the export's text, two progress lines, the tooltip
  // colour and a cancel button.
  Probe().ShowBusyMessage();
  TBusyWindow* b = Probe().BusyWindow();
  ASSERT_NE(b, nullptr);
  EXPECT_TRUE(b->isVisible());
  QStringList texts;
  for (QLabel* l : b->findChildren<QLabel*>()) texts << l->text();
  EXPECT_TRUE(texts.contains("エクセルにデータを出力中です．しばらくお待ちください．"));
  EXPECT_EQ(texts.size(), 3);
  EXPECT_EQ(b->palette().color(QPalette::Window), b->palette().color(QPalette::ToolTipBase));
  Probe().HideBusyMessage();
  EXPECT_EQ(Probe().BusyWindow(), nullptr);
}

TEST_F(Commands, TitleBarClickAndMenuOpenTheAboutBox) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  int opened = 0;
  auto closeIt = [&](TAboutBox* box) {
    ++opened;
    EXPECT_EQ(box->Version->text(), "Version 2.11a");
    box->OKButton->click();
  };
  WhenOpen<TAboutBox>(closeIt);
  QTest::mouseClick(ui.TitleBar, Qt::LeftButton, {}, QPoint(100, 10));
  EXPECT_EQ(opened, 1);
  WhenOpen<TAboutBox>(closeIt);
  ui.AboutAction->trigger();
  EXPECT_EQ(opened, 2);
  EXPECT_TRUE(f.isVisible());
}

TEST_F(Commands, PreviewShowsTheChosenSheetsOfTheMonth) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  SetMonth(2005, 2);
  Enter(Day(1, colAM), "18.5");
  bool secondPage = false;
  QString title;
  WhenOpen<QMenu>([&](QMenu* m) {
    WhenOpen<TVelReportPreview>([&](TVelReportPreview* p) {
      // Both sheets: the table sheet, then the X chart sheet.
      secondPage = QTest::qWaitFor([&] { return p->CellLastPage->isEnabled(); }, 10000);
      title = p->windowTitle();
      p->reject();
    });
    m->setActiveAction(ui.AllSheetsChoice);
    QTest::keyClick(m, Qt::Key_Return);
  });
  Press(Qt::Key_F8);
  EXPECT_TRUE(secondPage);
  EXPECT_TRUE(f.isVisible());
  EXPECT_EQ(Probe().PrintSheet(), TPrintSheet::All);
  EXPECT_TRUE(Probe().PreviewMode());
}

TEST_F(Commands, ControlKeysLoadSavePrintAndQuitAsTheMenusShow) {
  TFrmMain& f = Window();
  TFrmMainUi& ui = Ui();
  f.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&f));
  EXPECT_EQ(ui.LoadAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
  EXPECT_EQ(ui.SaveInPlaceAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));
  EXPECT_EQ(ui.SaveAction->shortcut(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
  EXPECT_EQ(ui.PrintMenu->menuAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_EQ(ui.QuitAction->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

  // Typed into an editor, the keys still reach the commands.
  RecordReports();
  Go(Day(3, colAM));
  TypeText(Editor(), "18.5");
  dialogs.FileAnswers = {"", ""};
  dialogs.Answers = {true};  // the load asks first: the value was committed
  Press(Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(dialogs.Texts(), QStringList{"保存していませんが，ロードしますか？"});
  ASSERT_EQ(dialogs.Files.size(), 1u);
  EXPECT_FALSE(dialogs.Files[0].Save);
  EXPECT_EQ(Value(3, 0).Value, 1850);
  Press(Qt::Key_S, Qt::ControlModifier);
  ASSERT_EQ(dialogs.Files.size(), 2u);
  EXPECT_TRUE(dialogs.Files[1].Save);

  // Quit goes through the same question.
  dialogs.Answers = {false};
  Press(Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(dialogs.Texts().last(), "保存していませんが，終了しますか？");
  EXPECT_TRUE(f.isVisible());

  WhenOpen<QMenu>([&](QMenu* m) {
    EXPECT_EQ(m, ui.SheetMenu);  // the sheet choice of F9
    m->setActiveAction(ui.TableSheetChoice);
    QTest::keyClick(m, Qt::Key_Return);
  });
  Press(Qt::Key_P, Qt::ControlModifier);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0], std::make_pair(false, TPrintSheet::Table));
}

TEST_F(Commands, F1OpensTheManualBesideTheProgramAndSaysWhenThereIsNone) {
  Window();
  std::vector<QUrl> opened;
  Probe().OpenUrl() = [&](const QUrl& url) {
    opened.push_back(url);
    return true;
  };
  Probe().ExecutablePath() = QStringLiteral(KESTRIN_BIN_DIR "/kestrin");
  ASSERT_EQ(Ui().ManualAction->shortcut(), QKeySequence(Qt::Key_F1));
  Ui().ManualAction->trigger();
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], QUrl::fromLocalFile(QStringLiteral(KESTRIN_BIN_DIR "/manual/index.htm")));
  EXPECT_TRUE(dialogs.Messages.empty());
  EXPECT_TRUE(Ui().HelpMenu->actions().contains(Ui().AboutAction));

  // Installed, the manual lies in the documentation folder.
  QDir(tmp.path()).mkpath(QStringLiteral("share/doc/kestrin/manual"));
  QDir(tmp.path()).mkpath(QStringLiteral("bin"));
  QFile page(Path(QStringLiteral("share/doc/kestrin/manual/index.htm")));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly));
  page.close();
  Probe().ExecutablePath() = Path(QStringLiteral("bin/kestrin"));
  Ui().ManualAction->trigger();
  ASSERT_EQ(opened.size(), 2u);
  EXPECT_EQ(QFileInfo(opened[1].toLocalFile()).canonicalFilePath(), QFileInfo(page).canonicalFilePath());

  ASSERT_TRUE(page.remove());
  Ui().ManualAction->trigger();
  EXPECT_EQ(opened.size(), 2u);
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0].Text, QStringLiteral("操作マニュアルが見つかりません．"));
}

TEST_F(Commands, SaveInPlaceWritesTheLoadedFileWithoutADialog) {
  const QString file = WriteMonth("本社工場_200502.slt");
  dialogs.FileAnswers = {file};
  Press(Qt::Key_F5);
  Enter(Day(3, colAM), "19.5");
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dialogs.Files.size(), 1u);  // the load's only
  TMainData d;
  ASSERT_TRUE(LoadFromFile(QFile::encodeName(file).toStdString(), d));
  EXPECT_EQ(d.SlumpList.Items(2).SokuteiList.Items(0).Value, 1950);
  EXPECT_FALSE(Probe().Edited());
  EXPECT_EQ(Ui().StatusLine->Text(), "保存しました：" + file);
  // The file is gone: as F6, with its dialog and proposed name.
  QFile::remove(file);
  Enter(Day(4, colAM), "18");
  dialogs.FileAnswers = {Path("other.slt")};
  Ui().SaveInPlaceAction->trigger();
  ASSERT_EQ(dialogs.Files.size(), 2u);
  EXPECT_EQ(dialogs.Files[1].FileName, "200502");
  EXPECT_EQ(Ui().StatusLine->Text(), "保存しました：" + Path("other.slt"));
  // A file that could not be loaded is never written over without asking.
  QFile bad(Path("bad.slt"));
  ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
  bad.write("not a month");
  bad.close();
  dialogs.FileAnswers = {Path("bad.slt"), ""};
  Press(Qt::Key_F5);
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(dialogs.Files.size(), 4u);
  ASSERT_TRUE(bad.open(QIODevice::ReadOnly));
  EXPECT_EQ(bad.readAll(), "not a month");
}

TEST_F(Commands, NextMonthKeepsTheHeaderAndStartsEmpty) {
  TFrmMainUi& ui = Ui();
  SetMonth(2025, 12);
  Enter(ui.CellBiko, "備考");
  Enter(ui.CellKyodo, "24");
  Enter(ui.CellSlump, "12");
  Enter(ui.CellAir, "4.5");
  Enter(Day(1, colAM), "12.5");
  Probe().DataFileName() = Path("202512.slt");
  dialogs.Answers = {false};
  Press(Qt::Key_F6, Qt::ShiftModifier);
  EXPECT_EQ(dialogs.Texts(), QStringList{"保存していませんが，次月のデータを作成しますか？"});
  EXPECT_EQ(DateMonth(Info().Getsudo), 12);
  dialogs.Answers = {true};
  Press(Qt::Key_F6, Qt::ShiftModifier);
  EXPECT_EQ(DateYear(Info().Getsudo), 2026);
  EXPECT_EQ(DateMonth(Info().Getsudo), 1);
  EXPECT_EQ(Info().Kyodo, 24.0);
  EXPECT_EQ(Info().KariAveX, 1200);
  EXPECT_EQ(Info().Air, 4.5);
  EXPECT_EQ(Info().Tanto, Sjis("山田 太郎"));
  EXPECT_EQ(Info().Biko, "");
  EXPECT_EQ(Rows(), 31);
  EXPECT_EQ(Value(1, 0).Value, 0);
  EXPECT_EQ(Probe().DataFileName(), "");
  EXPECT_FALSE(Probe().Edited());
  EXPECT_FALSE(Probe().UndoStack().canUndo());
  // Nothing unsaved: no question.
  ui.NextMonthAction->trigger();
  EXPECT_EQ(dialogs.Messages.size(), 2u);
  EXPECT_EQ(DateMonth(Info().Getsudo), 2);
  EXPECT_EQ(Rows(), 28);
}
