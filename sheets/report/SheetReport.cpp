#include "sheets/report/SheetReport.h"

#include <QWidget>

#include "core/MainData.h"
#include "core/Settings.h"
#include "sheets/TableSheet.h"
#include "sheets/XChartSheet.h"

namespace kestrin {

TSheetDrawers MakeSheetDrawers(const TMainData& data, const TSettings& settings) {
  TSheetDrawers d;
  d.Table = [&data, &settings](TCanvas& canvas, const TRect& pageRect) {
    DrawTableSheet(canvas, pageRect, data, settings);
  };
  d.XChart = [&data, &settings](TCanvas& canvas, const TRect& pageRect) {
    DrawXChartSheet(canvas, pageRect, data, settings);
  };
  return d;
}

void RepDrawPrint(TVelRepDraw& draw, TPrintSheet printSheet, const TSheetDrawers& drawers) {
  if (!draw.Canvas) return;
  TCanvas& canvas = *draw.Canvas;
  const TSheetDrawer* drawer = nullptr;
  switch (printSheet) {
    case TPrintSheet::Table:
      drawer = &drawers.Table;
      draw.LastPage = true;
      break;
    case TPrintSheet::XChart:
      drawer = &drawers.XChart;
      draw.LastPage = true;
      break;
    case TPrintSheet::All:
      if (draw.PageNo <= 1) {
        drawer = &drawers.Table;
        draw.LastPage = false;
      } else {
        drawer = &drawers.XChart;
        draw.LastPage = true;
      }
      break;
  }
  if (*drawer) (*drawer)(canvas, draw.PageRect);
}

void SetupMainReport(TVelReport& report) {
  report.Title = QStringLiteral("印刷プレビュー");
  report.TitleColor = 6236368;
  report.UsePrintDialog = true;
  report.Margin_Left = 15;
  report.Margin_Right = 10;
  report.Margin_Top = 15;
  report.Margin_Bottom = 15;
  report.Units = TReportUnits::mm;
  report.PaperSize = TPaperSize::psA4;
  report.OrientIsPortrait = true;
  report.RepZoomMode = true;
  report.UseDefaultPaper = true;
}

void SetupMainRepDraw(TVelRepDraw& draw) {
  TReportFont font;
  font.Log = TFont::DefaultLogFont();
  font.Log.FaceName = QString::fromUtf8(kFacePGothicUtf8);
  font.Log.CharSet = SHIFTJIS_CHARSET;
  font.Log.Height = -15;
  font.Log.Weight = 0;
  font.Log.Italic = false;
  font.Log.Underline = false;
  font.Log.StrikeOut = false;
  font.Color = clWindowText;
  font.FixSize = 0;
  draw.PrintFont = font;
}

TSheetReport::TSheetReport(QWidget* window) : Rep(window) {
  SetupMainReport(Rep);
  SetupMainRepDraw(RepDraw);
  Rep.SetRepDraw(&RepDraw);
  RepDraw.OnPrint = [this](TVelRepDraw& draw) { RepDrawPrint(draw, PrintSheet, Drawers); };
}

void TSheetReport::PreparePaper() {
  Rep.PaperSize = TPaperSize::psA4;
  Rep.OrientIsPortrait = true;
}

bool TSheetReport::Run(TPrintSheet printSheet, QAbstractButton* printButton) {
  PreparePaper();
  PrintSheet = printSheet;
  if (PreviewMode) return Rep.Preview(false, nullptr);
  return Rep.Print(printButton);
}

}  // namespace kestrin
