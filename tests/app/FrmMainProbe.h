// The tests' and benchmarks' way into the main window: its parts, its
// state and the steps of its commands, which the window keeps private.
#pragma once

#include "app/FrmMain.h"
#include "app/FrmSetup.h"
#include "app/RecordHistory.h"
#include "app/RecoveryKeeper.h"

namespace kestrin {

class TFrmMainProbe {
 public:
  explicit TFrmMainProbe(TFrmMain& window) : w_(window) {}

  TFrmMainUi& Ui() const { return w_.ui_; }
  TCell* DayCell(int row, TDayColumn column) const { return w_.DayCell(row, column); }

  // State.
  TMainData& MainData() const { return *w_.mainData_; }
  const TCementList& CementList() const { return *w_.cementList_; }
  TSettings& Settings() const { return w_.settings_; }
  QString& DataFileName() const { return w_.dataFileName_; }
  bool Edited() const { return w_.Edited(); }
  void SetEdited(bool edited) const { w_.SetEdited(edited); }
  QString DialogFolder() const { return w_.DialogFolder(); }
  const TCapability& Capability() const { return w_.capability_; }
  const std::vector<TSignal>& Signals() const { return w_.signals_; }
  const TRecentFiles& RecentFiles() const { return w_.recent_; }
  const TRecentFiles& RecentStrength() const { return w_.recentStrength_; }
  TPrintSheet PrintSheet() const { return w_.printSheet_; }
  bool PreviewMode() const { return w_.previewMode_; }
  TFrmSetup* FrmSetup() const { return w_.frmSetup_.data(); }
  TBusyWindow* BusyWindow() const { return w_.busy_; }
  QUndoStack& UndoStack() const { return w_.history_->Stack(); }
  TRecoveryKeeper* Recovery() const { return w_.recovery_.get(); }

  // Seams: settings read at first show, the report run, the export helper,
  // the chart drawers.
  std::function<TSettings()>& SettingsReader() const { return w_.settingsReader_; }
  std::function<void(bool, TPrintSheet)>& ReportHandler() const { return w_.reportHandler_; }
  calc::TCalcExportOptions& ExportOptions() const { return w_.exportOptions_; }
  QString& ExecutablePath() const { return w_.executablePath_; }
  std::function<bool(const QUrl&)>& OpenUrl() const { return w_.openUrl_; }
  const TChartDrawer& XChartDrawer() const { return w_.xChartDrawer_; }
  void SetHistogramDrawer(TChartDrawer drawer) const { w_.SetHistogramDrawer(std::move(drawer)); }
  void SetXChartDrawer(TChartDrawer drawer) const { w_.SetXChartDrawer(std::move(drawer)); }

  // Steps.
  void RecalcAndRepaint() const { w_.RecalcAndRepaint(); }
  void UpdateCaption() const { w_.UpdateCaption(); }
  void FocusFirstCell() const { w_.FocusFirstCell(); }
  void CommitActiveCell() const { w_.CommitActiveCell(); }
  void RebuildKojoList() const { w_.RebuildKojoList(); }
  void WriteSettings() const { w_.WriteSettings(); }
  void BringToFront() const { w_.BringToFront(); }
  void ShowBusyMessage() const { w_.ShowBusyMessage(); }
  void HideBusyMessage() const { w_.HideBusyMessage(); }
  void CellBitBtnQuitClick() const { w_.CellBitBtnQuitClick(); }

 private:
  TFrmMain& w_;
};

}  // namespace kestrin
