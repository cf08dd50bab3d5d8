// The tests' and benchmarks' way into the year overview window: its parts
// and the steps of its commands, which the window keeps private.
#pragma once

#include <QPushButton>

#include "app/FrmOverview.h"

namespace kestrin {

class TFrmOverviewProbe {
 public:
  explicit TFrmOverviewProbe(TFrmOverview& window) : w_(window) {}

  QTreeWidget* Table() const { return w_.table_; }
  TPaintBox* Chart() const { return w_.chart_; }
  QLabel* StatusText() const { return w_.status_; }
  QPushButton* PreviewButton() const { return w_.preview_; }
  QPushButton* PrintButton() const { return w_.print_; }
  QPushButton* RemoveButton() const { return w_.remove_; }
  QString DialogFolder() const { return w_.dialogFolder_; }
  int CurrentPlant() const { return w_.CurrentPlant(); }

  // Seam: the report run.
  std::function<void(bool)>& ReportHandler() const { return w_.reportHandler_; }

  // Steps.
  void RemoveSelected() const { w_.RemoveSelected(); }
  void RemoveAll() const { w_.RemoveAll(); }
  void RefreshFromDisk() const { w_.RefreshFromDisk(); }
  void SetCurrentPlant(int plant) const { w_.SetCurrentPlant(plant); }

 private:
  TFrmOverview& w_;
};

}  // namespace kestrin
