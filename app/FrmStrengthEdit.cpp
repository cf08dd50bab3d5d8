// The strength window's table editing: moving on with Enter, inserting,
// clearing and removing tests, copy and paste of blocks, the copy of the
// heading from the slump month and the lab's CSV import.
#include <QApplication>
#include <QClipboard>
#include <QItemSelectionModel>
#include <QTableView>

#include "FrmStrength.h"
#include "StrengthTableModel.h"
#include "core/Numbers.h"
#include "core/StrengthMixEntry.h"
#include "core/StrengthPaste.h"

namespace kestrin {

void TFrmStrength::SetCurrent(int test, int column) {
  const int rows = static_cast<int>(work_.Log.Tests.size());
  if (rows == 0) return;
  test = std::clamp(test, 0, rows - 1);
  column = std::clamp(column, 0, kStrengthColumns - 1);
  const QModelIndex index = model_->index(test, column);
  table_->setCurrentIndex(index);
  table_->scrollTo(index);
}

void TFrmStrength::Advance() {
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid()) return;
  int test = current.row(), column = current.column() + 1;
  if (column >= kStrengthEditColumns) {
    // The last typed column: the next test's first cell (the last test
    // stays where it is).
    if (test + 1 >= static_cast<int>(work_.Log.Tests.size())) return;
    ++test;
    column = 0;
  }
  SetCurrent(test, column);
}

void TFrmStrength::InsertTest() {
  if (!CommitEditor()) return;
  if (work_.Log.Tests.size() >= kMaxStrengthTests) {
    ShowStatus(QStringLiteral("試験は %1 件までです．").arg(kMaxStrengthTests));
    return;
  }
  const QModelIndex current = table_->currentIndex();
  const std::size_t at =
      current.isValid() ? static_cast<std::size_t>(current.row()) + 1 : work_.Log.Tests.size();
  // The new test takes the day of the one it follows.
  const int32_t day = at > 0 ? work_.Log.Tests[at - 1].Day : 1;
  const int column = current.isValid() ? current.column() : 0;
  if (Change(QStringLiteral("試験の挿入"), {static_cast<int>(at), 0},
             [&] { return InsertStrengthTest(work_, at, day); }))
    SetCurrent(static_cast<int>(at), column);
}

void TFrmStrength::ClearCells() {
  if (!CommitEditor()) return;
  const QModelIndexList cells = table_->selectionModel()->selectedIndexes();
  if (cells.isEmpty()) return;
  bool kept = false;
  const QModelIndex current = table_->currentIndex();
  Change(QStringLiteral("削除"), {current.row(), current.column()}, [&] {
    for (const QModelIndex& i : cells) {
      const auto column = static_cast<TStrengthColumn>(i.column());
      if (i.column() >= kStrengthEditColumns) continue;
      if (!ClearStrengthCell(work_, static_cast<std::size_t>(i.row()), column)) kept = true;
    }
    return true;
  });
  SetCurrent(current.row(), current.column());
  // Day, slump and air are never empty in a test.
  ShowStatus(kept ? QStringLiteral("日・スランプ・空気量は消せません（値を入力してください）．") : QString());
}

void TFrmStrength::RemoveTest() {
  if (!CommitEditor()) return;
  const QModelIndex current = table_->currentIndex();
  if (!current.isValid()) return;
  const int test = current.row();
  if (!ConfirmYesNo(QStringLiteral("%1番目の試験（%2日）を削除しますか？")
                        .arg(test + 1)
                        .arg(work_.Log.Tests[static_cast<std::size_t>(test)].Day)))
    return;
  Change(QStringLiteral("試験の削除"), {test, current.column()}, [&] {
    RemoveStrengthTest(work_, static_cast<std::size_t>(test));
    return true;
  });
  SetCurrent(test, current.column());
}

void TFrmStrength::CopyCells() {
  if (!CommitEditor()) return;
  const QModelIndexList cells = table_->selectionModel()->selectedIndexes();
  if (cells.isEmpty()) return;
  int top = cells[0].row(), bottom = top, left = cells[0].column(), right = left;
  for (const QModelIndex& i : cells) {
    top = std::min(top, i.row());
    bottom = std::max(bottom, i.row());
    left = std::min(left, i.column());
    right = std::max(right, i.column());
  }
  std::vector<std::vector<std::string>> block;
  for (int r = top; r <= bottom; ++r) {
    std::vector<std::string>& row = block.emplace_back();
    for (int c = left; c <= right; ++c)
      row.push_back(model_->data(model_->index(r, c), Qt::DisplayRole).toString().toStdString());
  }
  QApplication::clipboard()->setText(QString::fromStdString(CopyStrengthBlock(block)));
}

void TFrmStrength::PasteCells() {
  if (!CommitEditor()) return;
  PasteText(QApplication::clipboard()->text());
}

void TFrmStrength::PasteText(const QString& text) {
  const QModelIndex current = table_->currentIndex();
  // Without an active cell (an empty log) the block starts a first test.
  const std::size_t test =
      current.isValid() ? static_cast<std::size_t>(current.row()) : work_.Log.Tests.size();
  const auto column = static_cast<TStrengthColumn>(current.isValid() ? current.column() : 0);
  TStrengthPasteResult r;
  Change(QStringLiteral("貼り付け"), {static_cast<int>(test), static_cast<int>(column)}, [&] {
    r = PasteStrengthBlock(work_, test, column, text.toStdString());
    return r.Ok;
  });
  if (!r.Ok) {
    ShowStatus(QString::fromStdString(r.Refusal));
    return;
  }
  SetCurrent(static_cast<int>(test), static_cast<int>(column));
  table_->selectionModel()->select(
      QItemSelection(model_->index(static_cast<int>(test), static_cast<int>(column)),
                     model_->index(static_cast<int>(test + r.Rows) - 1,
                                   static_cast<int>(column) + static_cast<int>(r.Columns) - 1)),
      QItemSelectionModel::ClearAndSelect);
  ShowStatus(QStringLiteral("%1行 × %2列を貼り付けました．").arg(r.Rows).arg(r.Columns));
}

void TFrmStrength::CopyFromMonth() {
  if (!CommitEditor()) return;
  if (!month_) return;
  std::vector<std::string> skipped;
  Change(QStringLiteral("スランプの月から写す"), {}, [&] {
    skipped = CopyMixFromMonth(month_->BasicInfo, work_.Log);
    return true;
  });
  if (skipped.empty()) {
    ShowStatus(QStringLiteral("スランプの月から工場・月度・配合を写しました．"));
    return;
  }
  QStringList names;
  for (const std::string& s : skipped) names << QString::fromStdString(s);
  ShowStatus(QStringLiteral("写せなかった欄があります（%1）：範囲外または空のため元の値のままです．")
                 .arg(names.join(QStringLiteral("・"))));
}

void TFrmStrength::ImportCsv() {
  if (!CommitEditor() || !csvImport_) return;
  QString folder = DialogFolder();
  const std::optional<std::vector<TStrengthTest>> tests =
      csvImport_(this, folder, DaysInMonth(work_.Log.Year, work_.Log.Month));
  if (!tests) return;
  dialogFolder_ = folder;
  const int first = static_cast<int>(work_.Log.Tests.size());
  std::string why;
  Change(QStringLiteral("CSV取込"), {first, 0}, [&] {
    why = AppendStrengthTests(work_, *tests);
    return why.empty();
  });
  if (!why.empty()) {
    ShowError(QStringLiteral("取り込みませんでした．\n") + QString::fromStdString(why));
    return;
  }
  if (!tests->empty()) {
    SetCurrent(first, 0);
    ShowStatus(QStringLiteral("%1 件の試験を取り込みました．").arg(tests->size()));
  }
}

}  // namespace kestrin
