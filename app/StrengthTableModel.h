// The strength window's table of tests as a Qt model: one row per test,
// the columns of TStrengthColumn (those typed into, then result, Rm, Rs
// and judgement, computed and read-only). It reads the window's work and
// figures and changes nothing itself: an edit goes to the window's commit
// handler, which checks it, makes the undo step and calls Refresh.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <functional>

#include "core/StrengthEntry.h"
#include "core/StrengthFigures.h"

namespace kestrin {

// The text of a computed column: result and Rm with one decimal (a test
// whose 28-day specimens are not all in: "養生中"), Rs, judgement "合格" /
// "不合格" (empty while curing).
QString StrengthFigureText(const TStrengthWork& work, const TStrengthFigures& figures, std::size_t test,
                           TStrengthColumn column);
// True when the cell shows a failed value (a result below 85 % of the
// nominal strength and its judgement, slump or air outside the mix's
// tolerance, chloride above the limit).
bool StrengthCellFailed(const TStrengthWork& work, const TStrengthFigures& figures, std::size_t test,
                        TStrengthColumn column);

class TStrengthTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // Checks and commits a typed text; returns the refusal, empty when taken.
  using TCommit = std::function<QString(int test, TStrengthColumn column, const QString& text)>;

  // `work` and `figures` are the window's and outlive the model.
  TStrengthTableModel(const TStrengthWork* work, const TStrengthFigures* figures, TCommit commit,
                      QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

  // The work or the figures changed: every cell again (the rows anew when
  // their count changed).
  void Refresh();

 signals:
  // A typed text was refused (the reason for the status line).
  void Refused(const QString& reason);

 private:
  const TStrengthWork* work_;
  const TStrengthFigures* figures_;
  TCommit commit_;
  int rows_ = 0;
};

}  // namespace kestrin
