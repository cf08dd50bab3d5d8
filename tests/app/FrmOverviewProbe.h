// The tests' and benchmarks' way into the year overview window: its parts
// and the steps of its commands, which the window keeps private.
#pragma once

#include <QPushButton>
#include <QTimer>

#include "app/FrmOverview.h"
#include "platform/FolderWatch.h"

namespace kestrin {

class TFrmOverviewProbe {
 public:
  explicit TFrmOverviewProbe(TFrmOverview& window) : w_(window) {}

  QTreeWidget* Table() const { return w_.table_; }
  QTreeWidget* StrengthTable() const { return w_.strengthTable_; }
  QPushButton* SlumpViewButton() const { return w_.slumpView_; }
  QPushButton* StrengthViewButton() const { return w_.strengthViewButton_; }
  bool StrengthView() const { return w_.StrengthView(); }
  int CurrentMix() const { return w_.CurrentMix(); }
  TPaintBox* Chart() const { return w_.chart_; }
  QLabel* StatusText() const { return w_.status_; }
  QPushButton* PreviewButton() const { return w_.preview_; }
  QPushButton* PrintButton() const { return w_.print_; }
  QPushButton* RemoveButton() const { return w_.remove_; }
  QPushButton* ReloadButton() const { return w_.reload_; }
  QString DialogFolder() const { return w_.dialogFolder_; }
  int CurrentPlant() const { return w_.CurrentPlant(); }

  // Seam: the report run.
  std::function<void(bool)>& ReportHandler() const { return w_.reportHandler_; }
  // Seam: the folder watch (tests make it fail as a system at its limit).
  TFolderWatch& FolderWatch() const { return *w_.watch_; }

  // Steps.
  void RemoveSelected() const { w_.RemoveSelected(); }
  void RemoveAll() const { w_.RemoveAll(); }
  void RefreshFromDisk() const { w_.RefreshFromDisk(); }
  // What the watch's report of a changed file leads to, without the wait
  // that collects a burst of reports.
  void FileChanged(const std::string& path) const {
    w_.NameChanged(path, false);
    w_.refresh_->stop();
    w_.ApplyChanges();
  }
  void SetCurrentPlant(int plant) const { w_.SetCurrentPlant(plant); }

 private:
  TFrmOverview& w_;
};

}  // namespace kestrin
