// The fourth chart tab, X̄－R管理図: the X̄ and R charts of the month with
// the limits computed from the process (charts/XbarRChart.h), a line with
// the limits' source and the within-day capability, and the control-rule
// signals as sentences, one a row. The main window hands it new contents
// at every recomputation.
#pragma once

#include <QStringList>
#include <QWidget>

#include "core/CapabilityBounds.h"
#include "core/ControlChart.h"
#include "core/MainData.h"

class QScrollBar;

namespace kestrin {

class TControlPage : public QWidget {
  Q_OBJECT
 public:
  explicit TControlPage(QWidget* parent = nullptr);

  // `month` is the window's record (not owned; it outlives the page).
  void SetContents(const TMainData* month, TControlChart chart, const TCapabilityBounds& bounds,
                   const TControlRuleSet& rules);

  // What the page shows besides the charts.
  const QString& InfoText() const { return info_; }
  const QStringList& Rows() const { return rows_; }
  const TControlChart& Chart() const { return chart_; }

  static constexpr int kRowHeight = 20;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  QRect ChartRect() const;
  QRect InfoRect() const;
  QRect ListRect() const;
  int VisibleRows() const;
  void UpdateScrollBar();

  const TMainData* month_ = nullptr;
  TControlChart chart_;
  QString info_;
  QString heading_;
  QStringList rows_;
  bool hasSignals_ = false;
  QScrollBar* scrollBar_ = nullptr;
};

}  // namespace kestrin
