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

// A page picture at 600 dpi is 4961 x 7016 pixels (139 MB in memory).
constexpr int kMaxPngDpi = 600;

std::string LowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& ch : ext)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return ext;
}

bool Check(const std::string& output, int dpi, std::string& message) {
  const std::string ext = LowerExtension(output);
  if (ext != ".pdf" && ext != ".png") {
    message = "出力ファイルの拡張子は .pdf または .png にしてください：" + output;
    return false;
  }
  if (ext == ".png" && dpi > kMaxPngDpi) {
    message = "PNG の解像度は " + std::to_string(kMaxPngDpi) + " dpi までです：" + std::to_string(dpi);
    return false;
  }
  return true;
}

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

TStrengthSheetWriter StrengthSheetWriter() { return TStrengthSheetWriter{Check, Write}; }

}  // namespace kestrin::cli
