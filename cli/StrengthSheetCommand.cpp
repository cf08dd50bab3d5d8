// strength sheets: the printed strength sheet as a PDF document or as PNG
// pictures (OUT-1.png, OUT-2.png ...), A4 portrait as printed, with the
// settings (company, seal boxes) of the program itself.
#include <QGuiApplication>
#include <QString>

#include <filesystem>
#include <memory>

#include "Commands.h"
#include "GuiApplication.h"
#include "core/Settings.h"
#include "platform/Fonts.h"
#include "sheets/PageGeometry.h"
#include "sheets/SheetOutput.h"
#include "sheets/StrengthSheet.h"

namespace kestrin::cli {

namespace {

bool Write(const TStrengthLog& log, const TStrengthFigures& figures, const std::string& output, int dpi,
           std::vector<std::string>& written, std::string& message) {
  const TSettings settings = ProgramSettings();
  const std::unique_ptr<QGuiApplication> app = MakeGuiApplication();
  RegisterFontSubstitutions();

  const TPageDrawer draw = [&](TCanvas& canvas, const TRect& pageRect, int page) {
    DrawStrengthSheet(canvas, pageRect, log, figures, settings, page);
  };
  const int pages = StrengthSheetPages(log);
  const QString path = QString::fromStdString(output);
  TSheetOutputError error;
  std::vector<QString> names;
  bool ok;
  if (LowerExtension(output) == ".pdf") {
    ok = WritePagesPdf(path, SheetReportSetup(), pages, dpi, QString::fromUtf8("圧縮強度試験（管理表）"),
                       draw, &error);
    if (ok) names.push_back(path);
  } else {
    ok = WritePagesPng(path, SheetReportSetup(), pages, dpi, draw, &names, &error);
  }
  if (!ok) {
    message = error.Message.toStdString();
    return false;
  }
  for (const QString& n : names) written.push_back(n.toStdString());
  return true;
}

}  // namespace

TStrengthSheetWriter StrengthSheetWriter() { return TStrengthSheetWriter{CheckPagesOutput, Write}; }

}  // namespace kestrin::cli
