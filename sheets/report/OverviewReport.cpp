#include "sheets/report/OverviewReport.h"

#include <QWidget>

#include "sheets/OverviewSheet.h"
#include "sheets/report/SheetReport.h"

namespace kestrin {

void OverviewRepDrawPrint(TVelRepDraw& draw, const TOverview& overview, const TSettings& settings) {
  const std::vector<TOverviewPage> pages = OverviewPages(overview);
  const std::size_t index = draw.PageNo > 0 ? static_cast<std::size_t>(draw.PageNo - 1) : 0;
  draw.LastPage = index + 1 >= pages.size();
  if (!draw.Canvas || index >= pages.size()) return;
  DrawOverviewSheet(*draw.Canvas, draw.PageRect, overview, pages[index], settings);
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
