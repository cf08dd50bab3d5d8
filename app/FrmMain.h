// The main window: the month header, the day table with the AM/PM
// measurements and their judgements, mean and standard deviation, and the
// histogram, the X control chart and the process signals (管理状態) on
// three tabs. It owns the month record and the cement type table for the
// whole run.
//
// The record changes only through commits. A value typed into a cell
// reaches the record in one way: the editor's commit (TCellArea::
// CommitEditor) calls the cell's Commit, which hands the parsed value to
// the cell's OnSetValue handler, the record setter made in
// FrmMainLayout.cpp; the setter changes the field and recomputes. The
// getters (OnGetValue, OnGetText) only read. The undo history hooks in
// around that commit (the coordinator's Committing/Committed signals, see
// ConnectEditing); the commands that change the record themselves (paste,
// Delete, データクリア) go through ChangeRecord, and load starts a new
// history.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <memory>

#include "FrmMainUi.h"
#include "RecentFiles.h"
#include "core/Capability.h"
#include "core/Cement.h"
#include "core/ControlChart.h"
#include "core/MainData.h"
#include "core/ReferenceMonths.h"
#include "core/Settings.h"
#include "core/Signals.h"
#include "platform/calc/CalcClient.h"
#include "sheets/PrintSheet.h"

namespace kestrin {

class TCell;
class TCellArea;
struct TCellColors;
class TRecordHistory;
struct TRecordPlace;
class TRecoveryFiles;
class TRecoveryKeeper;
class TBusyWindow;
class TDatePair;
class TFrmSetup;
class TSettingsStore;
class TSingleInstance;
class TSheetReport;

// A fixed failure message with the reason of `result` on a second line.
QString WithReason(const char* message, const TFileResult& result);

// Draws one chart into a paint box: the painter, the rectangle from (0, 0)
// to the box's width and height, and the month record.
using TChartDrawer = std::function<void(QPainter&, const QRect&, const TMainData&)>;

// Texts of the commands.
inline constexpr char kConfirmCaption[] = "確認";
inline constexpr char kAskLoad[] = "保存していませんが，ロードしますか？";
inline constexpr char kAskClear[] = "保存していませんが，データをクリアしますか？";
inline constexpr char kAskQuit[] = "保存していませんが，終了しますか？";
inline constexpr char kSaved[] = "保存しました：";
inline constexpr char kAskNextMonth[] = "保存していませんが，次月のデータを作成しますか？";
inline constexpr char kRecoveryQuestion[] =
    "保存されていない入力が残っています（%1，最終入力 %2）．復元しますか？";
inline constexpr char kRecoveryDamaged[] =
    "復元用のファイルが壊れているため使えません．名前に「.damaged」を付けて残しました．";
inline constexpr char kRecoveryUnavailable[] =
    "入力途中のデータを安全に残せる場所がないため，異常終了したときの復元はできません．";
inline constexpr char kSettingsSaveFailed[] = "設定ファイルの保存に失敗しました．";
inline constexpr char kSettingsUnreadable[] =
    "初期値で起動します．このファイルは終了時にも書き換えません．";
inline constexpr char kSettingsMemoryOnly[] =
    "設定ファイルを安全に保存できる場所がないため，設定はこの実行中だけ有効です（保存されません）．";
inline constexpr char kDataFileFilter[] = "専用データファイル (*.slt)";

// The proposed name of a month's data file: the year as 4 digits and the
// month as 2 ("200502"); empty when the month date is 0.
QString ProposedFileName(int32_t getsudo);

// Column numbers of the day table.
enum TDayColumn { colDay, colWeek, colAM, colPM, colJudgeAM, colJudgePM, kDayColumns };

class TFrmMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TFrmMain(QWidget* parent = nullptr);
  ~TFrmMain() override;

  // The settings file: read at first show, written (with the window
  // placement) when the window closes. Without a store nothing is read or
  // written and the settings keep their defaults; the program gives the
  // file of its executable.
  void SetSettingsStore(std::unique_ptr<TSettingsStore> store);
  // A second start's requests: come forward, and open a file.
  void ListenTo(TSingleInstance& instance);
  // The recovery copy of the month (the program gives the user's state
  // folder); without one nothing is kept. A copy that another running
  // window owns is left to it, and this window keeps none.
  void SetRecoveryFiles(std::unique_ptr<TRecoveryFiles> files);
  // The folder of the strength window's recovery copy (the same state
  // folder); the window takes its files when it is first opened.
  void SetStrengthRecoveryFolder(const QString& folder) { strengthRecoveryFolder_ = folder; }
  // No safe place for the copy: said once by OfferRecovery.
  void SetRecoveryUnavailable(const QString& reason);
  // At start, before any file is opened: a copy left by a window that did
  // not close normally is offered ("保存されていない入力が残っています…");
  // Yes restores it with its file name as an unsaved month, No deletes it,
  // a damaged one is refused with a message and moved aside.
  void OfferRecovery();
  // Opens `path` as the load command does after its dialog (a .kst file
  // in the strength window): asks the
  // unsaved-changes question first when the month has changes (a file
  // given on the command line or handed over by a second start, a dropped
  // file, a recent file). While another command or a dialog holds the
  // window it waits for them.
  void OpenDataFile(const QString& path);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;
  // One dropped .slt file is opened like a loaded one.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The tests' and benchmarks' view of the window's parts and state.
  friend class TFrmMainProbe;
  // The spreadsheet export's view of the busy window.
  class TExportBusy;

  // The design size of the client area and the window's least size.
  static constexpr int kClientWidth = 823;
  static constexpr int kClientHeight = 580;

  // Construction (FrmMainLayout.cpp; ConnectCommands in FrmMainCommands.cpp).
  void CreateRegions();
  void CreateHeaderCells();
  void CreateDayTable();
  void CreateCharts();
  void CreateFunctionKeys();
  void CreateMenus();
  void ConnectCommands();
  // The undo history, the editing commands and their keys
  // (FrmMainEdit.cpp).
  void ConnectEditing();
  void LayoutClient();

  // ---- state
  // The unsaved-changes flag of the cell coordinator.
  bool Edited() const;
  void SetEdited(bool edited);
  // The folder the open and save dialogs show first: the folder of the last
  // file chosen in this run, else LastDataDir; the home folder when that
  // folder does not exist.
  QString DialogFolder() const;
  // The chart drawers called by the two paint boxes.
  void SetHistogramDrawer(TChartDrawer drawer);
  void SetXChartDrawer(TChartDrawer drawer);
  // The day table's cell of a row (0-based) and column.
  TCell* DayCell(int row, TDayColumn column) const;

  // ---- operations used by the commands and the cell handlers
  // Recomputes the record, its capability and its signals and repaints
  // everything that depends on them.
  void RecalcAndRepaint();
  // The X̄–R chart of the record with the settings' rules and reference
  // months, handed to its tab (part of RecalcAndRepaint).
  void RecalcControlChart();
  // The day table's row count becomes the days of the header month; every
  // cell repaints.
  void UpdateDayRows();
  // Caption "Kestrin " followed by the data file name.
  void UpdateCaption();
  // The year cell becomes the active cell and the table shows its first row
  // (after load and clear).
  void FocusFirstCell();
  // Commits what is typed in the open editor (before a command runs).
  // False when the entry was refused: the command does not run.
  bool CommitActiveCell();
  // Rereads the header's combo lists from the settings (after the setup
  // dialog): the ten plant names, in order, empty ones included.
  void RebuildKojoList();

  // ---- commands (function keys, menu items, buttons)
  void CellBitBtnLoadClick();   // F5, "ロード(&L)"
  void CellBitBtnSaveClick();   // F6, "セーブ(&S)"
  // Ctrl+S, "上書き保存(&W)": the file last loaded or saved, without a
  // dialog; with none (or gone) as F6.
  void SaveInPlaceClick();
  // Shift+F6, "次月(&N)": the next month with the header kept.
  void NextMonthClick();
  void CellBitBtnClearClick();  // Shift+F5, "クリア(&A)"
  void CellBitBtnQuitClick();   // F12, "終了(&X)", Esc: a close request
  void CellBitBtnSetupClick();  // F11
  void MenuOptionAboutClick();  // "バージョン情報(&A)", the title bar
  // F1, "マニュアル(&M)": the user's manual in the desktop's browser.
  void OpenManual();
  void CellBtnEXCELClick();     // F7, "EXCEL出力(&E)"
  // Shift+F7, "年間推移(&Y)...": the overview window (made once, kept while
  // this window lives), which then asks for files.
  void OpenOverview();
  // Shift+F8, "強度試験(&T)...": the strength window (made once, kept while
  // this window lives) brought forward with the log it has; with `path`
  // it opens that file.
  void OpenStrength(const QString& path = {});
  // F8 (preview) and F9 (print): the sheet-choice popup at the pressed
  // button's top-left corner, then RunReport with the chosen sheets.
  void CellBitBtnPreviewPrintClick(bool preview);
  // Runs the preview or the print of the chosen sheets.
  void RunReport(bool preview, TPrintSheet printSheet);

  // ---- editing (FrmMainEdit.cpp)
  // Ctrl+Z, Ctrl+Y/Ctrl+Shift+Z, and in the day table Ctrl+C, Ctrl+V and
  // Delete, before the cells move the focus. Typing not yet committed
  // keeps the editor's own undo, copy and delete.
  bool EditKey(TCellArea* area, QKeyEvent* event);
  void UndoClick();    // "元に戻す(&U)"
  void RedoClick();    // "やり直し(&R)"
  void CopyClick();    // "コピー(&C)": the day table's range as text
  void PasteClick();   // "貼り付け(&P)": from the active cell
  void DeleteClick();  // "削除(&D)": blanks the day table's range
  // Runs a change of the record as one undo step, then recomputes and
  // repaints. True when the record changed.
  bool ChangeRecord(const QString& text, const std::function<void()>& change);
  // The active cell as the place of a change.
  TRecordPlace ActivePlace() const;
  // After undo and redo: recompute, repaint, and the changed cell active
  // and in view.
  void ShowRecordPlace(const TRecordPlace& place);
  // The day table's cell of entry-order index `cell` (day x 2 + AM/PM).
  int DayTableIndex(int cell) const { return (cell / 2) * kDayColumns + colAM + cell % 2; }
  // A message in the status line for a few seconds.
  void ShowStatus(const QString& text);

  // Caption "確認", question icon and beep, Yes and No with No the default;
  // true only for Yes.
  bool ConfirmYesNo(const QString& text);
  // A plain message box with an OK button.
  void ShowError(const QString& text);
  // The busy window of the spreadsheet export.
  void ShowBusyMessage();
  void HideBusyMessage();

  // Writes the month to `path`; on success the month is saved there (the
  // edited flag, the recent files, the status line).
  void SaveTo(const QString& path);
  // The recovery copy after a change of the history, a save or a load.
  void KeepRecovery();
  // Load steps from the reset on: the record from `path`, or a fresh month
  // and the load-failure message.
  void LoadDataFile(const QString& path);
  // The recent-files submenu from the list.
  void RebuildRecentMenu();
  // Chosen in the recent-files submenu: a file that is gone is taken off
  // the list with the load-failure message and the month stays.
  void OpenRecentFile(const QString& path);

  // Resets the month record to its defaults (current month, the default
  // person).
  void ResetRecord();
  // An empty person becomes the settings' default person (a new, cleared
  // or loaded month, a default set in the setup dialog).
  void FillDefaultPerson();
  // After load and clear: recompute, caption, first row, year cell.
  void ShowNewRecord();
  // Raises, restores and activates the window (a second start of the
  // program hands over to it).
  void BringToFront();

  // Creation and first show.
  void InitialiseState();
  void FirstShow();
  void ReadSettings();
  // Writes the settings and the window placement (when the window closes).
  void WriteSettings();
  // Writes the settings without the placement (when the setup dialog
  // closes).
  void SaveSettingsFile();
  void WritePlacementOnly();
  void SyncCementMode();

  // Handlers of the measurement cells.
  TSokutei* Measurement(int row, int which);
  const TSokutei* Measurement(int row, int which) const;
  void DayTextColor(const TCell& cell, TCellColors& colors) const;

  TFrmMainUi ui_;
  // The month record and the cement type table, one of each for the life
  // of the window.
  std::unique_ptr<TMainData> mainData_;
  std::unique_ptr<TCementList> cementList_;
  // Every committed change of mainData_, for undo and redo.
  std::unique_ptr<TRecordHistory> history_;
  TSettings settings_;
  QString dataFileName_;
  // The file 上書き保存 writes: the one last loaded, saved or recovered;
  // empty after a clear, a failed load or 次月, so that Ctrl+S never
  // writes a fresh month over a file that could not be read.
  QString inPlaceFile_;
  // After mainData_ and dataFileName_, which it reads.
  std::unique_ptr<TRecoveryKeeper> recovery_;
  QString recoveryUnavailable_;
  std::shared_ptr<TDatePair> datePair_;
  TChartDrawer histogramDrawer_;
  TChartDrawer xChartDrawer_;
  // The month's capability and process signals as of the last
  // RecalcAndRepaint (the X chart rings the signals' values).
  TCapability capability_;
  std::vector<TSignal> signals_;
  // The X̄–R chart as of the last RecalcAndRepaint, and the reference
  // months its limits may come from (the data file's folder).
  TControlChart controlChart_;
  TReferenceFinder referenceFinder_;
  QWidget* client_ = nullptr;
  QWidget* tableBox_ = nullptr;
  QWidget* scrollFrame_ = nullptr;
  bool shown_ = false;
  std::unique_ptr<TSettingsStore> store_;
  // Values read at first show instead of those of the store (tests,
  // benchmarks); the window placement still comes from the store.
  std::function<TSettings()> settingsReader_;
  QString dialogFolder_;  // folder of the last file chosen in this run
  // The running program's file: the about box shows its name and looks for
  // history.htm beside it.
  QString executablePath_;
  // Opens a page in the desktop's browser (tests record the call).
  std::function<bool(const QUrl&)> openUrl_;
  // How a preview or print is run once the sheets are chosen (tests record
  // the call); by default the report of the printed sheets (TSheetReport).
  std::function<void(bool preview, TPrintSheet printSheet)> reportHandler_;
  // The last preview/print choice.
  TPrintSheet printSheet_ = TPrintSheet::All;
  bool previewMode_ = false;
  // The spreadsheet export's options (tests point it at a stand-in helper).
  calc::TCalcExportOptions exportOptions_;
  // Owned by this window as its Qt parent; null once it has been deleted.
  // Made on the first F11 and kept while the window lives.
  QPointer<TFrmSetup> frmSetup_;
  std::unique_ptr<TSheetReport> report_;  // made on the first preview or print
  TBusyWindow* busy_ = nullptr;
  // True while a long command (export, report) runs: other commands and
  // close requests wait.
  bool running_ = false;
  bool placementSaved_ = false;
  // The settings file was there but could not be read: the run goes on
  // with the defaults and leaves that file as it is.
  bool settingsUnreadable_ = false;
  // The files of 最近使ったファイル, newest first.
  TRecentFiles recent_;
  // The strength window's recent files ([RecentStrength]).
  TRecentFiles recentStrength_{kSectionRecentStrength};
  QString strengthRecoveryFolder_;
  QString pendingOpen_;  // a file to open once the window is free
};

// Texts of the result cells: mean X (hundredths) with two decimals padded
// to five characters, sigma with three decimals padded to six.
QString FormatAveX(int32_t aveXHundredths);
QString FormatHensa(long double hensa);

}  // namespace kestrin
