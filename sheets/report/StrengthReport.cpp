#include "sheets/report/StrengthReport.h"

#include <QWidget>

#include "sheets/StrengthSheet.h"
#include "sheets/report/PdfName.h"
#include "sheets/report/SheetReport.h"

namespace kestrin {

void StrengthRepDrawPrint(TVelRepDraw& draw, const TStrengthLog& log, const TStrengthFigures& figures,
                          const TSettings& settings) {
  const int pages = StrengthSheetPages(log);
  const int index = draw.PageNo > 0 ? draw.PageNo - 1 : 0;
  draw.LastPage = index + 1 >= pages;
  if (!draw.Canvas || index >= pages) return;
  DrawStrengthSheet(*draw.Canvas, draw.PageRect, log, figures, settings, index);
}

QString StrengthPdfName(const TStrengthLog& log) {
  const QString month =
      QStringLiteral("%1%2").arg(log.Year, 4, 10, QLatin1Char('0')).arg(log.Month, 2, 10, QLatin1Char('0'));
  const QString plant = FileNamePart(QString::fromStdString(log.Plant));
  return plant.isEmpty() ? QStringLiteral("強度試験_%1.pdf").arg(month)
                         : QStringLiteral("強度試験_%1_%2.pdf").arg(plant, month);
}

TStrengthReport::TStrengthReport(const TStrengthLog* log, const TStrengthFigures* figures,
                                 const TSettings* settings, QWidget* window)
    : Rep(window), log_(log), figures_(figures), settings_(settings) {
  SetupMainReport(Rep);
  SetupMainRepDraw(RepDraw);
  Rep.Title = QStringLiteral("印刷プレビュー（圧縮強度試験）");
  Rep.DocumentTitle = QStringLiteral("圧縮強度試験（管理表）");
  Rep.SetRepDraw(&RepDraw);
  RepDraw.OnPrint = [this](TVelRepDraw& draw) {
    if (log_ && figures_ && settings_) StrengthRepDrawPrint(draw, *log_, *figures_, *settings_);
  };
}

bool TStrengthReport::Run(bool preview, QAbstractButton* printButton) {
  Rep.PaperSize = TPaperSize::psA4;
  Rep.OrientIsPortrait = true;
  if (preview) return Rep.Preview(false, nullptr);
  return Rep.Print(printButton);
}

}  // namespace kestrin
