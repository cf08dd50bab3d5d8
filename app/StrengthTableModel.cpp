#include "StrengthTableModel.h"

#include <QBrush>
#include <QColor>

namespace kestrin {

namespace {

bool Editable(int column) { return column < kStrengthEditColumns; }

bool Numeric(TStrengthColumn c) {
  return c != TStrengthColumn::Time && c != TStrengthColumn::Truck && c != TStrengthColumn::Remarks &&
         c != TStrengthColumn::Judgement;
}

QString Tenths(const std::optional<int32_t>& v) {
  return v ? QString::fromStdString(FormatScaled(*v, 1)) : QString();
}

// Failed values: the colour of the main window's out-of-tolerance figures.
const QColor kFailedColor(0xE0, 0x00, 0x00);
// The computed columns, read-only.
const QColor kComputedBackground(0xEE, 0xEE, 0xEE);

}  // namespace

QString StrengthFigureText(const TStrengthWork& work, const TStrengthFigures& figures, std::size_t test,
                           TStrengthColumn column) {
  if (test >= figures.Tests.size()) return {};
  const TStrengthTestFigures& f = figures.Tests[test];
  switch (column) {
    case TStrengthColumn::Result: return f.Result28 ? Tenths(f.Result28) : QStringLiteral("養生中");
    case TStrengthColumn::Rm: return Tenths(f.Rm);
    case TStrengthColumn::Rs: return Tenths(f.Rs);
    case TStrengthColumn::Judgement:
      if (!f.Pass) return {};
      return *f.Pass ? QStringLiteral("合格") : QStringLiteral("不合格");
    default: return QString::fromStdString(StrengthCellText(work, test, column));
  }
}

bool StrengthCellFailed(const TStrengthWork&, const TStrengthFigures& figures, std::size_t test,
                        TStrengthColumn column) {
  if (test >= figures.Tests.size()) return false;
  const TStrengthTestFigures& f = figures.Tests[test];
  switch (column) {
    case TStrengthColumn::Result:
    case TStrengthColumn::Judgement: return f.Pass == false;
    case TStrengthColumn::Slump: return !f.SlumpPass;
    case TStrengthColumn::Air: return !f.AirPass;
    case TStrengthColumn::Chloride: return f.ChloridePass == false;
    default: return false;
  }
}

TStrengthTableModel::TStrengthTableModel(const TStrengthWork* work, const TStrengthFigures* figures,
                                         TCommit commit, QObject* parent)
    : QAbstractTableModel(parent),
      work_(work),
      figures_(figures),
      commit_(std::move(commit)),
      rows_(static_cast<int>(work->Log.Tests.size())) {}

int TStrengthTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int TStrengthTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kStrengthColumns;
}

QVariant TStrengthTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_) return {};
  const auto test = static_cast<std::size_t>(index.row());
  const auto column = static_cast<TStrengthColumn>(index.column());
  switch (role) {
    case Qt::DisplayRole: return StrengthFigureText(*work_, *figures_, test, column);
    case Qt::EditRole: return QString::fromStdString(StrengthCellText(*work_, test, column));
    case Qt::ForegroundRole:
      if (StrengthCellFailed(*work_, *figures_, test, column)) return QBrush(kFailedColor);
      return {};
    case Qt::BackgroundRole:
      if (!Editable(index.column())) return QBrush(kComputedBackground);
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignVCenter | (Numeric(column) ? Qt::AlignRight : Qt::AlignLeft));
    default: return {};
  }
}

QVariant TStrengthTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical) return section + 1;
  if (section < 0 || section >= kStrengthColumns) return {};
  return QString::fromUtf8(StrengthColumnTitle(static_cast<TStrengthColumn>(section)));
}

Qt::ItemFlags TStrengthTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (Editable(index.column())) f |= Qt::ItemIsEditable;
  return f;
}

bool TStrengthTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !Editable(index.column()) || !commit_) return false;
  const QString refusal =
      commit_(index.row(), static_cast<TStrengthColumn>(index.column()), value.toString());
  if (refusal.isEmpty()) return true;
  emit Refused(refusal);
  return false;
}

void TStrengthTableModel::Refresh() {
  const int rows = static_cast<int>(work_->Log.Tests.size());
  if (rows != rows_) {
    beginResetModel();
    rows_ = rows;
    endResetModel();
    return;
  }
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, kStrengthColumns - 1));
}

}  // namespace kestrin
