// The strength window's lots, summary and chart (see StrengthPanel.h).
#include "StrengthPanel.h"

namespace kestrin {

TStrengthPanel::TStrengthPanel(QWidget* parent) : QWidget(parent) {}

TStrengthPanel::~TStrengthPanel() = default;

void TStrengthPanel::Show(const TStrengthLog& log, const TStrengthFigures& figures) {
  (void)log;
  (void)figures;
  update();
}

}  // namespace kestrin
