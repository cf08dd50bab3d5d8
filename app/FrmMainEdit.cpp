// The main window's editing commands: undo and redo of the month record,
// and copy, paste and Delete on the day table's range of measurements.
#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QUndoStack>

#include "FrmMain.h"
#include "RecordHistory.h"
#include "core/MeasurementText.h"
#include "widgets/CellMgrMain.h"
#include "widgets/CellTable.h"
#include "widgets/EditCells.h"

namespace kestrin {

namespace {

bool IsRedoKey(const QKeyEvent* e) {
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  return e->matches(QKeySequence::Redo) || (e->key() == Qt::Key_Y && mods == Qt::ControlModifier) ||
         (e->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier));
}

}  // namespace

void TFrmMain::ConnectEditing() {
  history_ =
      std::make_unique<TRecordHistory>(*mainData_, [this](const TRecordPlace& p) { ShowRecordPlace(p); });
  QUndoStack& stack = history_->Stack();
  // The edited flag follows the history: back at the state last loaded or
  // saved, nothing is unsaved.
  connect(&stack, &QUndoStack::cleanChanged, this, [this](bool clean) { SetEdited(!clean); });
  // Every change of the month is kept for recovery after a crash.
  connect(&stack, &QUndoStack::indexChanged, this, [this] { KeepRecovery(); });
  connect(&stack, &QUndoStack::canUndoChanged, ui_.UndoAction, &QAction::setEnabled);
  connect(&stack, &QUndoStack::canRedoChanged, ui_.RedoAction, &QAction::setEnabled);
  ui_.UndoAction->setEnabled(false);
  ui_.RedoAction->setEnabled(false);

  // Every commit of a changed cell is one step.
  TCellMgrMain* cells = ui_.CellCoordinator;
  connect(cells, &TCellMgrMain::Committing, this, [this](TCellArea* area, int index) {
    history_->Begin(TRecordPlace{area, index});
  });
  connect(cells, &TCellMgrMain::Committed, this,
          [this](TCellArea*, int, bool) { history_->Finish(QStringLiteral("入力")); });
  cells->KeyHook = [this](TCellArea* area, QKeyEvent* e) { return EditKey(area, e); };

  connect(ui_.UndoAction, &QAction::triggered, this, [this] { UndoClick(); });
  connect(ui_.RedoAction, &QAction::triggered, this, [this] { RedoClick(); });
  connect(ui_.CopyAction, &QAction::triggered, this, [this] { CopyClick(); });
  connect(ui_.PasteAction, &QAction::triggered, this, [this] { PasteClick(); });
  connect(ui_.DeleteAction, &QAction::triggered, this, [this] { DeleteClick(); });
}

bool TFrmMain::EditKey(TCellArea* area, QKeyEvent* e) {
  const bool typing = area->EditorHoldsChange();
  if (e->matches(QKeySequence::Undo)) {
    if (typing) return false;
    UndoClick();
    return true;
  }
  if (IsRedoKey(e)) {
    if (typing) return false;
    RedoClick();
    return true;
  }
  if (area != ui_.DayTable) return false;
  if (e->matches(QKeySequence::Paste)) {
    PasteClick();
    return true;
  }
  if (typing) return false;
  if (e->matches(QKeySequence::Copy)) {
    CopyClick();
    return true;
  }
  if (e->key() == Qt::Key_Delete && (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
    DeleteClick();
    return true;
  }
  return false;
}

void TFrmMain::UndoClick() {
  if (running_) return;
  // Typing not yet committed is what the user takes back first.
  if (TCellArea* a = ui_.CellCoordinator->ActiveArea(); a && a->EditorHoldsChange()) {
    a->ReloadEditor();
    return;
  }
  history_->Stack().undo();
}

void TFrmMain::RedoClick() {
  if (running_) return;
  ui_.CellCoordinator->ReloadActive();
  history_->Stack().redo();
}

TRecordPlace TFrmMain::ActivePlace() const {
  TCellArea* area = ui_.CellCoordinator->ActiveArea();
  return TRecordPlace{area, area ? area->ActiveIndex() : -1};
}

void TFrmMain::ShowRecordPlace(const TRecordPlace& place) {
  RecalcAndRepaint();
  TCellArea* area = place.Area;
  if (area && place.Index >= 0 && place.Index < area->CellCount() && area->CellAt(place.Index)->Focusable()) {
    ui_.CellCoordinator->Activate(area, place.Index);
    area->EnsureVisible(place.Index);
  }
  ui_.CellCoordinator->ReloadActive();
  ui_.CellCoordinator->RepaintAll();
}

bool TFrmMain::ChangeRecord(const QString& text, const std::function<void()>& change) {
  const bool kept = history_->Change(text, ActivePlace(), change);
  RecalcAndRepaint();
  ui_.CellCoordinator->ReloadActive();
  if (kept) SetEdited(true);
  return kept;
}

void TFrmMain::ShowStatus(const QString& text) { ui_.CellCoordinator->ShowTransientMessage(text); }

void TFrmMain::CopyClick() {
  if (running_) return;
  if (ui_.CellCoordinator->ActiveArea() != ui_.DayTable) {
    if (auto* e = qobject_cast<QLineEdit*>(
            ui_.CellCoordinator->ActiveArea() ? ui_.CellCoordinator->ActiveArea()->Editor() : nullptr))
      e->copy();
    return;
  }
  const TCellTable::TRange r = ui_.DayTable->Range();
  const int first = std::max<int>(r.FirstColumn, colAM), last = std::min<int>(r.LastColumn, colPM);
  if (r.Rows() <= 0 || first > last) return;
  std::vector<std::vector<int32_t>> rows;
  for (int row = r.FirstRow; row <= r.LastRow; ++row) {
    std::vector<int32_t>& values = rows.emplace_back();
    for (int c = first; c <= last; ++c) {
      const TSokutei* s = Measurement(row, c - colAM);
      values.push_back(s ? s->Value : 0);
    }
  }
  QGuiApplication::clipboard()->setText(QString::fromStdString(FormatMeasurementRows(rows)));
  ShowStatus(QStringLiteral("%1日分の測定値をコピーしました．").arg(r.Rows()));
}

void TFrmMain::PasteClick() {
  if (running_) return;
  TCellArea* area = ui_.CellCoordinator->ActiveArea();
  if (area != ui_.DayTable) {
    // A header cell takes the first line, as if it were typed.
    if (auto* e = qobject_cast<TCellLineEdit*>(area ? area->Editor() : nullptr)) e->PasteFirstLine();
    return;
  }
  const int index = ui_.DayTable->ActiveIndex();
  if (index < 0) return;
  const int row = index / kDayColumns, which = index % kDayColumns - colAM;
  const std::string text = QGuiApplication::clipboard()->text().toStdString();
  const TPastePlan plan =
      PlanMeasurementPaste(ParseMeasurementPaste(text), row, which, ui_.DayTable->RowCount());
  if (!plan.Refusal.empty()) {
    // Nothing changes; the typing in the editor stays too.
    ui_.CellCoordinator->RefuseInput(QString::fromStdString(plan.Refusal));
    return;
  }
  ui_.DayTable->ReloadEditor();
  ChangeRecord(QStringLiteral("貼り付け"), [&] {
    for (const TPasteCell& c : plan.Cells)
      if (TSokutei* s = Measurement(c.Cell / 2, c.Cell % 2)) s->Value = c.Value;
  });
  // The pasted cells stay selected, from the active cell to the last one.
  ui_.DayTable->SetAnchor(DayTableIndex(plan.Cells.back().Cell));
  ShowStatus(QStringLiteral("%1個の値を貼り付けました．").arg(plan.Cells.size()));
}

void TFrmMain::DeleteClick() {
  if (running_) return;
  if (ui_.CellCoordinator->ActiveArea() != ui_.DayTable) return;
  const TCellTable::TRange r = ui_.DayTable->Range();
  if (r.Rows() <= 0) return;
  ui_.DayTable->ReloadEditor();
  ChangeRecord(QStringLiteral("削除"), [&] {
    for (int row = r.FirstRow; row <= r.LastRow; ++row)
      for (int c = std::max<int>(r.FirstColumn, colAM); c <= std::min<int>(r.LastColumn, colPM); ++c)
        if (TSokutei* s = Measurement(row, c - colAM)) s->Value = 0;
  });
}

}  // namespace kestrin
