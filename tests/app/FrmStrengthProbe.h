// The tests' and benchmarks' way into the strength window: its parts and
// the steps of its commands, which the window keeps private.
#pragma once

#include <QTableView>
#include <QUndoStack>

#include "app/FrmStrength.h"
#include "app/StrengthMixBar.h"
#include "app/StrengthPanel.h"
#include "app/StrengthTableModel.h"
#include "widgets/StatusLine.h"

namespace kestrin {

class TFrmStrengthProbe {
 public:
  explicit TFrmStrengthProbe(TFrmStrength& window) : w_(window) {}

  QTableView* Table() const { return w_.table_; }
  TStrengthTableModel* Model() const { return w_.model_; }
  TStrengthMixBar* MixBar() const { return w_.mixBar_; }
  TStrengthPanel* Panel() const { return w_.panel_; }
  QString Status() const { return w_.status_->Text(); }
  QUndoStack& Stack() const { return w_.history_->Stack(); }
  const TStrengthWork& Work() const { return w_.work_; }
  // The cell's text as shown.
  QString Text(int test, TStrengthColumn column) const {
    return w_.model_->index(test, static_cast<int>(column)).data().toString();
  }

  // Seams: the report run and the CSV import.
  std::function<void(bool)>& ReportHandler() const { return w_.reportHandler_; }
  auto& CsvImport() const { return w_.csvImport_; }

  // Steps.
  void SetCurrent(int test, TStrengthColumn column) const { w_.SetCurrent(test, static_cast<int>(column)); }
  void PasteText(const QString& text) const { w_.PasteText(text); }
  void Refresh() const { w_.Refresh(); }
  void CommitCell(int test, TStrengthColumn column, const QString& text) const {
    w_.CommitCell(test, column, text);
  }
  void CopyFromMonth() const { w_.CopyFromMonth(); }
  void ImportCsv() const { w_.ImportCsv(); }
  bool SaveTo(const QString& path) const { return w_.SaveTo(path); }
  void NewClick() const { w_.NewClick(); }
  void SaveClick() const { w_.SaveClick(); }
  void SaveInPlaceClick() const { w_.SaveInPlaceClick(); }

 private:
  TFrmStrength& w_;
};

}  // namespace kestrin
