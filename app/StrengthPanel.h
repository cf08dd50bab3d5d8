// The part of the strength window below the test table: the lots of three
// results with their means and judgements, the month summary (count, mean,
// σ, min, max, required mean, margin — the margin green when ≥ 0, red
// otherwise) and the x–Rs–Rm chart. It shows what it is given and keeps
// only the copy it paints; the window calls Show after every commit.
#pragma once

#include <QWidget>

#include "core/StrengthFigures.h"
#include "core/StrengthLog.h"

namespace kestrin {

class TStrengthPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TStrengthPanel(QWidget* parent = nullptr);
  ~TStrengthPanel() override;

  // The log and its figures to show; repaints.
  void Show(const TStrengthLog& log, const TStrengthFigures& figures);
};

}  // namespace kestrin
