// The third chart tab, 管理状態: the month's process capability (Cp, Cpk)
// and its process signals (runs, trends, values near the limits) as plain
// Japanese sentences, one a row. The main window hands it new contents at
// every recomputation; it draws them in the look of the window's cells and
// scrolls when the rows do not fit.
#pragma once

#include <QStringList>
#include <QWidget>
#include <vector>

#include "core/Capability.h"
#include "core/Signals.h"

class QScrollBar;

namespace kestrin {

// "6月12日 午後": the day and half of a value in month `getsudo`.
QString SignalDateText(int32_t getsudo, const TSignalValue& value);
// "6月12日 午後 〜 6月17日 午前：中心線の上側に9点連続" and the like.
QString SignalText(int32_t getsudo, const TSignal& signal);
// A capability index with two decimals, "－" when undefined.
QString CapabilityText(const std::optional<double>& index);

class TSignalPage : public QWidget {
  Q_OBJECT
 public:
  explicit TSignalPage(QWidget* parent = nullptr);

  void SetContents(const TCapability& capability, const std::vector<TSignal>& found, int32_t getsudo,
                   const TSignalLengths& lengths);

  // What the page shows, row by row: "Cp", its value, "Cpk", its value,
  // the heading and one sentence a signal ("該当なし" when there is none).
  const QString& CpText() const { return cp_; }
  const QString& CpkText() const { return cpk_; }
  const QString& Heading() const { return heading_; }
  const QStringList& Rows() const { return rows_; }

  static constexpr int kRowHeight = 24;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QRect ListRect() const;
  int VisibleRows() const;
  void UpdateScrollBar();

  QString cp_;
  QString cpk_;
  QString heading_;
  QStringList rows_;
  bool hasSignals_ = false;
  QScrollBar* scrollBar_ = nullptr;
};

}  // namespace kestrin
