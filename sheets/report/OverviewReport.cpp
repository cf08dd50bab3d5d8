#include "sheets/report/OverviewReport.h"

#include <QWidget>

#include "sheets/OverviewSheet.h"
#include "sheets/report/SheetReport.h"

namespace kestrin {

void OverviewRepDrawPrint(TVelRepDraw& draw, const TOverview& overview, const TSettings& settings) {
  const std::size_t plants = overview.Plants.size();
  const std::size_t plant = draw.PageNo > 0 ? static_cast<std::size_t>(draw.PageNo - 1) : 0;
  draw.LastPage = plant + 1 >= plants;
  if (!draw.Canvas || plant >= plants) return;
  DrawOverviewSheet(*draw.Canvas, draw.PageRect, overview, plant, settings);
}

TOverviewReport::TOverviewReport(const TOverview* overview, const TSettings* settings,
                                 QWidget* window)
    : Rep(window), overview_(overview), settings_(settings) {
  SetupMainReport(Rep);
  SetupMainRepDraw(RepDraw);
  Rep.Title = QStringLiteral("印刷プレビュー（年間推移）");
  Rep.SetRepDraw(&RepDraw);
  RepDraw.OnPrint = [this](TVelRepDraw& draw) {
    if (overview_ && settings_) OverviewRepDrawPrint(draw, *overview_, *settings_);
  };
}

bool TOverviewReport::Run(bool preview, QAbstractButton* printButton) {
  Rep.PaperSize = TPaperSize::psA4;
  Rep.OrientIsPortrait = false;
  if (preview) return Rep.Preview(false, nullptr);
  return Rep.Print(printButton);
}

}  // namespace kestrin
