// The overview window's strength view: the table of the strength logs (a
// row per plant and mix with its pooled figures, its logs below it), the
// switch between the slump and the strength view, and the mix the
// strength chart shows.
#include <QPushButton>
#include <QStackedWidget>
#include <QTreeWidget>

#include "app/FrmOverview.h"
#include "app/FrmOverviewRows.h"
#include "sheets/OverviewSheet.h"
#include "widgets/ChartTabs.h"

namespace kestrin {

using namespace overview_rows;

void TFrmOverview::SetStrengthView(bool strength) {
  strengthView_ = strength;
  slumpView_->setChecked(!strength);
  strengthViewButton_->setChecked(strength);
  tables_->setCurrentWidget(strength ? strengthTable_ : table_);
  chart_->update();
}

void TFrmOverview::SetCurrentMix(int mix) {
  if (mix < -1 || mix >= static_cast<int>(overview_.StrengthMixes.size())) mix = -1;
  currentMix_ = mix;
  chart_->update();
}

void TFrmOverview::FillStrengthTable() {
  const QSignalBlocker block(strengthTable_);
  strengthTable_->clear();
  const int columns = strengthTable_->columnCount();
  auto align = [columns](QTreeWidgetItem* item) {
    for (int c = 1; c + 2 < columns; ++c) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
  };
  for (std::size_t k = 0; k < overview_.StrengthMixes.size(); ++k) {
    const TStrengthOverviewMix& mix = overview_.StrengthMixes[k];
    QStringList cells = OverviewStrengthMixCells(overview_, mix);
    cells[0] = QString::fromUtf8(PlantLabelUtf8(mix.Kojo)) + QStringLiteral("　") +
               QString::fromUtf8(NominalText(mix.Nominal)) +
               QStringLiteral("（通算 %1 か月）").arg(mix.Months);
    auto* top = new QTreeWidgetItem(strengthTable_, cells);
    top->setData(0, kKindRole, rowMix);
    top->setData(0, kIndexRole, static_cast<qlonglong>(k));
    QFont bold = top->font(0);
    bold.setBold(true);
    for (int c = 0; c < columns; ++c) top->setFont(c, bold);
    align(top);
    for (std::size_t i : mix.MonthIndexes) {
      const TStrengthOverviewMonth& m = overview_.StrengthMonths[i];
      QStringList row = OverviewStrengthMonthCells(m);
      row << QString::fromLocal8Bit(m.File.c_str());
      auto* item = new QTreeWidgetItem(top, row);
      item->setData(0, kKindRole, rowStrengthMonth);
      item->setData(0, kIndexRole, static_cast<qlonglong>(i));
      if (m.Duplicate)
        for (int c = 0; c < columns; ++c) item->setForeground(c, QColor(0xD0, 0x28, 0x5F));
      align(item);
    }
    top->setExpanded(true);
    if (static_cast<int>(k) == currentMix_) top->setSelected(true);
  }
  for (int c = 0; c + 1 < columns; ++c) strengthTable_->resizeColumnToContents(c);
}

void TFrmOverview::StrengthSelectionChanged() {
  const QList<QTreeWidgetItem*> items = strengthTable_->selectedItems();
  if (items.isEmpty()) return;
  QTreeWidgetItem* item = items.first();
  if (item->parent() != nullptr && item->data(0, kKindRole).toInt() == rowStrengthMonth)
    item = item->parent();
  if (item->data(0, kKindRole).toInt() == rowMix) SetCurrentMix(item->data(0, kIndexRole).toInt());
}

}  // namespace kestrin
