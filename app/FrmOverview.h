// The year overview window (年間推移): month files or folders chosen by the
// user, their months in a table grouped by plant with each plant's pooled
// figures, the trend chart of the chosen plant, and the preview and print
// of the printed overview. Files can be added and removed while it is
// open, and it follows the disk: a listed file that changes is read again,
// one that disappears leaves the list, and a new month file in a chosen
// folder joins it. It watches folders, not files, and reads again only
// the file that changed; where the system cannot watch, the status line
// says so and 再読込 (F5) reads everything again. Esc closes it.
//
// Strength logs (.kst) are read beside the month files: the switch
// スランプ／強度 shows either the month table and the slump trend chart,
// or the strength table (a row per plant and mix with its logs below it)
// and the strength trend chart of the chosen mix.
#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/Overview.h"
#include "core/Settings.h"

class QLabel;
class QTimer;
class QPushButton;
class QStackedWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrin {

class TFolderWatch;
class TOverviewReport;
class TPaintBox;

class TFrmOverview : public QDialog {
  Q_OBJECT
 public:
  // `settings` (company name, seal titles) must outlive the window.
  explicit TFrmOverview(const TSettings* settings, QWidget* parent = nullptr);
  ~TFrmOverview() override;

  // Reads the files (folders give their month files) and shows them with
  // those already listed; a path already listed is not read twice.
  void AddPaths(const QStringList& paths, bool recursive = false);
  // The button "ファイル追加": asks for month files and adds them.
  void AddFilesClick();
  // The folder the file dialogs show first.
  void SetDialogFolder(const QString& folder) { dialogFolder_ = folder; }
  const TOverview& Overview() const { return overview_; }

 private:
  // The tests' and benchmarks' view of the window's parts and steps.
  friend class TFrmOverviewProbe;

  // Removes the files of the selected rows (a plant row: all its months).
  void RemoveSelected();
  void RemoveAll();
  // Reads again what changed on disk (see above): the listed files that
  // are gone or reported changed, and the chosen folders. The watch calls
  // it when it lost track of the folders.
  void RefreshFromDisk();
  // 再読込 (F5): every listed file and folder read again.
  void Reload();
  // The commands of the other buttons.
  void AddFolderClick();
  void PreviewPrintClick(bool preview);
  // The plant the chart shows (index into Overview().Plants; -1 for none).
  int CurrentPlant() const { return currentPlant_; }
  void SetCurrentPlant(int plant);
  // The mix the strength chart shows (index into Overview().StrengthMixes;
  // -1 for none).
  int CurrentMix() const { return currentMix_; }
  void SetCurrentMix(int mix);
  // Shows the strength table and chart (true) or the month table and the
  // slump chart.
  void SetStrengthView(bool strength);
  bool StrengthView() const { return strengthView_; }
  void FillStrengthTable();
  void StrengthSelectionChanged();

  void Rebuild();
  void FillTable();
  // The control rules switched on in the settings (the 管理外れ column).
  TControlRuleSet Rules() const { return settings_ ? settings_->ControlRules : TControlRuleSet{}; }
  void SelectionChanged();
  void RunReport(bool preview);
  // Rebuilds the overview; with `changed` (files read again that kept
  // their rows) only their rows and their plants' rows are redrawn when
  // the table keeps its shape.
  void Rebuild(const std::set<std::string>& changed);
  void UpdateRows(const std::set<std::string>& changed);
  // Follows the folders of the listed files and the chosen folders.
  void Watch();
  // The watch reported `path` (a name in a watched folder).
  void NameChanged(const std::string& path, bool folder);
  // Reads again the files the watch reported, adds new month files of the
  // chosen folders, drops files that are gone.
  void ApplyChanges();
  // Reads one file into the lists (as a month or as a failure).
  void ReadInto(const std::string& path);
  void ShowStatus();

  const TSettings* settings_;
  QString dialogFolder_;
  // How preview and print are run (tests record the call); by default the
  // report of the printed overview.
  std::function<void(bool preview)> reportHandler_;
  std::vector<TOverviewMonth> months_;
  std::vector<TStrengthOverviewMonth> strength_;
  std::vector<TOverviewFailure> failures_;
  // What of the chosen folders could not be read (listed again at every
  // refresh).
  std::vector<TOverviewFailure> folderFailures_;
  // Chosen folders (with their recursive flag), files changed on disk since
  // the last refresh, and files the user removed (a folder's refresh does
  // not bring them back).
  std::vector<std::pair<std::string, bool>> folders_;
  std::set<std::string> changed_;
  std::set<std::string> removed_;
  // The chosen folders and the subfolders read with them: a new month
  // file in one of them joins the list.
  std::set<std::string> listedFolders_;
  std::unique_ptr<TFolderWatch> watch_;
  // The watch lost events or a folder: everything is read again.
  bool lost_ = false;
  // Why the folders are not all watched (empty while they are).
  QString watchProblem_;
  QTimer* refresh_ = nullptr;
  TOverview overview_;
  int currentPlant_ = -1;
  int currentMix_ = -1;
  bool strengthView_ = false;
  QTreeWidget* table_ = nullptr;
  QTreeWidget* strengthTable_ = nullptr;
  QStackedWidget* tables_ = nullptr;
  QPushButton* slumpView_ = nullptr;
  QPushButton* strengthViewButton_ = nullptr;
  TPaintBox* chart_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* preview_ = nullptr;
  QPushButton* print_ = nullptr;
  QPushButton* remove_ = nullptr;
  QPushButton* reload_ = nullptr;
  std::unique_ptr<TOverviewReport> report_;
};

// The overview window of `owner` (the main window), or null before it was
// first opened.
TFrmOverview* OverviewWindow(const QWidget& owner);

}  // namespace kestrin
