// The strength window (強度試験): one month's strength log of one mix,
// opened from the main window (ファイル → 強度試験, Shift+F8) as its child
// window. The heading (plant, month, mix) at the top, the tests as a table
// in the middle (typed into cell by cell, checked as the file reader
// checks; result, Rm, Rs and judgement computed live), the lots, summary
// and chart below. Its own files (.kst: new, open, save, save in place,
// recent files, a dropped file), undo and redo of every change, paste of
// a block from a spreadsheet, the lab's CSV import, and the printed sheet
// through the report pipeline.
//
// The log changes only through commits: a cell's or a heading field's
// text, a command (paste, delete, insert, remove, import, copy from the
// slump month), each one undo step made by Change(); after each the
// figures are recomputed and everything repaints.
#pragma once

#include <QMainWindow>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "StrengthHistory.h"
#include "core/MainData.h"
#include "core/Settings.h"
#include "core/StrengthEntry.h"
#include "core/StrengthFigures.h"
#include "core/StrengthMixEntry.h"

class QAction;
class QMenu;
class QTableView;

namespace kestrin {

class TRecentFiles;
class TStrengthRecoveryFiles;
class TStrengthRecoveryKeeper;
class TStatusLine;
class TStrengthDelegate;
class TStrengthMixBar;
class TStrengthPanel;
class TStrengthReport;
class TStrengthTableModel;

// Texts of the window's questions.
inline constexpr char kAskNewStrength[] = "保存していませんが，新しい強度試験を作成しますか？";
inline constexpr char kAskOpenStrength[] = "保存していませんが，ロードしますか？";
inline constexpr char kAskCloseStrength[] = "保存していませんが，強度試験を閉じますか？";
inline constexpr char kStrengthRecoveryQuestion[] =
    "保存されていない強度試験の入力が残っています（%1，最終入力 %2）．復元しますか？";
inline constexpr char kStrengthFileFilter[] = "強度試験ファイル (*.kst)";

// The proposed name of a log's file: "強度_<plant>_<YYYYMM>.kst"
// ("強度_<YYYYMM>.kst" without a plant).
QString ProposedStrengthFileName(const TStrengthLog& log);

class TFrmStrength : public QMainWindow {
  Q_OBJECT
 public:
  // `settings` (plant names, company, seal titles), `month` (the main
  // window's slump month, for 「スランプの月から写す」) and `recent` (the
  // [RecentStrength] list the main window keeps in the settings) belong to
  // the main window and outlive this one.
  TFrmStrength(const TSettings* settings, const TMainData* month, TRecentFiles* recent,
               QWidget* parent = nullptr);
  ~TFrmStrength() override;

  // Opens `path` (a given, dropped, recent or handed-over file): asks the
  // unsaved-changes question first when the log has changes.
  void OpenFile(const QString& path);
  // The recovery copy of the log (the main window gives the user's state
  // folder); without one nothing is kept. A copy another running window
  // owns is left to it, and this window keeps none.
  void SetRecoveryFiles(std::unique_ptr<TStrengthRecoveryFiles> files);
  // At the window's first open: a copy left by a window that did not close
  // normally is offered (kStrengthRecoveryQuestion); Yes restores it with
  // its file name as an unsaved log, No deletes it, a damaged one is
  // refused with a message and moved aside.
  void OfferRecovery();
  // The folder the file dialogs show first.
  void SetDialogFolder(const QString& folder) { dialogFolder_ = folder; }

  const TStrengthLog& Log() const { return work_.Log; }
  const TStrengthFigures& Figures() const { return figures_; }
  bool Edited() const;
  QString FileName() const { return fileName_; }

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  friend class TFrmStrengthProbe;

  // Construction (FrmStrength.cpp).
  void CreateMenus();
  void ConnectCommands();

  // ---- commits
  // Runs `change` as one undo step, then recomputes and repaints. A change
  // returning false is refused and put back. True when the log changed.
  bool Change(const QString& text, const TStrengthPlace& place, const std::function<bool()>& change);
  // A cell's typed text: checked, committed; the refusal otherwise.
  QString CommitCell(int test, TStrengthColumn column, const QString& text);
  // The refusal of a typed text, without committing it.
  QString CheckCell(int test, TStrengthColumn column, const QString& text) const;
  void CommitMixField(TStrengthMixField field, const QString& text);
  // Commits the text of an open cell editor before a command; false when
  // the text was refused (the command does not run).
  bool CommitEditor();
  // Recomputes the figures and repaints the table, the heading, the panel
  // and the caption (after every commit, undo, redo and load).
  void Refresh();
  // After undo and redo.
  void ShowPlace(const TStrengthPlace& place);
  void UpdateCaption();
  // The recovery copy after a change, an undo, a save or a load: written
  // while the log differs from the saved one, removed otherwise.
  void KeepRecovery();
  void ShowStatus(const QString& text);
  bool ConfirmYesNo(const QString& text);
  void ShowError(const QString& text);

  // ---- files (FrmStrengthFiles.cpp)
  void NewClick();
  void OpenClick();
  void SaveClick();         // the save dialog
  void SaveInPlaceClick();  // the file last loaded or saved; else as SaveClick
  bool SaveTo(const QString& path);
  void LoadFile(const QString& path);
  // A new log or a loaded one becomes the window's: clean history.
  void Reset(TStrengthLog log, const QString& fileName);
  void RebuildRecentMenu();
  void OpenRecentFile(const QString& path);
  QString DialogFolder() const;
  void RunReport(bool preview);

  // ---- editing (FrmStrengthEdit.cpp)
  void Advance();        // Enter: along the row, then the next test
  void InsertTest();     // Insert: a test after the current one
  void ClearCells();     // Delete: the selected cells, one step
  void RemoveTest();     // Ctrl+Delete, after asking
  void CopyCells();      // Ctrl+C: the selection tab-separated
  void PasteCells();     // Ctrl+V: a block from the active cell
  void CopyFromMonth();  // 「スランプの月から写す」
  void ImportCsv();      // 「CSV取込…」
  // Pastes `text` (the clipboard's) at the active cell.
  void PasteText(const QString& text);
  void SetCurrent(int test, int column);

  const TSettings* settings_;
  const TMainData* month_;
  TRecentFiles* recent_;
  TStrengthWork work_;
  TStrengthFigures figures_;
  std::unique_ptr<TStrengthHistory> history_;
  QString fileName_;     // shown in the title; empty for a new log
  QString inPlaceFile_;  // what 上書き保存 writes
  QString dialogFolder_;
  // After work_ and fileName_, which it reads.
  std::unique_ptr<TStrengthRecoveryKeeper> recovery_;
  // How preview and print run (tests record the call); by default the
  // report of the strength sheet.
  std::function<void(bool preview)> reportHandler_;
  std::unique_ptr<TStrengthReport> report_;
  // The CSV import for a month of `days` days (tests put in their own
  // tests).
  std::function<std::optional<std::vector<TStrengthTest>>(QWidget*, QString&, int32_t days)> csvImport_;

  TStrengthMixBar* mixBar_ = nullptr;
  QTableView* table_ = nullptr;
  TStrengthTableModel* model_ = nullptr;
  TStrengthDelegate* delegate_ = nullptr;
  TStrengthPanel* panel_ = nullptr;
  TStatusLine* status_ = nullptr;
  QMenu* recentMenu_ = nullptr;
  QAction* newAction_ = nullptr;
  QAction* openAction_ = nullptr;
  QAction* saveAction_ = nullptr;
  QAction* saveInPlaceAction_ = nullptr;
  QAction* importAction_ = nullptr;
  QAction* previewAction_ = nullptr;
  QAction* printAction_ = nullptr;
  QAction* closeAction_ = nullptr;
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* copyAction_ = nullptr;
  QAction* pasteAction_ = nullptr;
  QAction* deleteAction_ = nullptr;
  QAction* insertAction_ = nullptr;
  QAction* removeAction_ = nullptr;
  QAction* copyMonthAction_ = nullptr;
};

// The strength window of `owner` (the main window), or null before it was
// first opened.
TFrmStrength* StrengthWindow(const QWidget& owner);

}  // namespace kestrin
