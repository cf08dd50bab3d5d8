// The part of the strength window below the test table: the lots of three
// results with their means and judgements, the month summary (count, mean,
// σ, min, max, required mean, margin — the margin green when ≥ 0, red
// otherwise) and the x–Rs–Rm chart. It shows what it is given and keeps
// only the copy it paints; the window calls Show after every commit.
#pragma once

#include <QColor>
#include <QWidget>

#include "core/StrengthFigures.h"
#include "core/StrengthLog.h"

class QTableWidget;

namespace kestrin {

class TStrengthChartBox;

class TStrengthPanel : public QWidget {
  Q_OBJECT
 public:
  // The summary's rows, in order.
  enum TSummaryRow {
    rowCount,
    rowMean,
    rowSigma,
    rowMin,
    rowMax,
    rowRequiredMean,
    rowMargin,
    rowFailedTests,
    rowFailedLots,
    kSummaryRows
  };
  // The lots' columns.
  enum TLotColumn { colLot, colTests, colMean, colJudgement, kLotColumns };

  // Colours of a figure that passes (a margin ≥ 0) and one that fails.
  static inline const QColor kGoodColor = QColor(0, 128, 0);
  static inline const QColor kBadColor = QColor(220, 0, 0);

  explicit TStrengthPanel(QWidget* parent = nullptr);
  ~TStrengthPanel() override;

  // The log and its figures to show; repaints.
  void Show(const TStrengthLog& log, const TStrengthFigures& figures);

  // What the panel shows (for tests and the window's checks).
  const QTableWidget* LotTable() const { return lots_; }
  const QTableWidget* SummaryTable() const { return summary_; }
  const QWidget* ChartBox() const;

 private:
  QTableWidget* lots_ = nullptr;
  QTableWidget* summary_ = nullptr;
  TStrengthChartBox* chart_ = nullptr;
};

}  // namespace kestrin
