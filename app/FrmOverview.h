// The year overview window (年間推移): month files or folders chosen by the
// user, their months in a table grouped by plant with each plant's pooled
// figures, the trend chart of the chosen plant, and the preview and print
// of the printed overview. Files can be added and removed while it is
// open, and it follows the disk: a listed file that changes is read again,
// one that disappears leaves the list, and a new month file in a chosen
// folder joins it. Esc closes it.
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

class QFileSystemWatcher;
class QLabel;
class QTimer;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace kestrin {

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
  // Reads again what changed on disk (see above); the file watcher calls
  // it shortly after a change.
  void RefreshFromDisk();
  // The commands of the other buttons.
  void AddFolderClick();
  void PreviewPrintClick(bool preview);
  // The plant the chart shows (index into Overview().Plants; -1 for none).
  int CurrentPlant() const { return currentPlant_; }
  void SetCurrentPlant(int plant);

  void Rebuild();
  void FillTable();
  void SelectionChanged();
  void RunReport(bool preview);
  void Watch();
  // Reads one file into the lists (as a month or as a failure).
  void ReadInto(const std::string& path);

  const TSettings* settings_;
  QString dialogFolder_;
  // How preview and print are run (tests record the call); by default the
  // report of the printed overview.
  std::function<void(bool preview)> reportHandler_;
  std::vector<TOverviewMonth> months_;
  std::vector<TOverviewFailure> failures_;
  // Chosen folders (with their recursive flag), files changed on disk since
  // the last refresh, and files the user removed (a folder's refresh does
  // not bring them back).
  std::vector<std::pair<std::string, bool>> folders_;
  std::set<std::string> changed_;
  std::set<std::string> removed_;
  QFileSystemWatcher* watcher_ = nullptr;
  QTimer* refresh_ = nullptr;
  TOverview overview_;
  int currentPlant_ = -1;
  QTreeWidget* table_ = nullptr;
  TPaintBox* chart_ = nullptr;
  QLabel* status_ = nullptr;
  QPushButton* preview_ = nullptr;
  QPushButton* print_ = nullptr;
  QPushButton* remove_ = nullptr;
  std::unique_ptr<TOverviewReport> report_;
};

// The overview window of `owner` (the main window), or null before it was
// first opened.
TFrmOverview* OverviewWindow(const QWidget& owner);

}  // namespace kestrin
