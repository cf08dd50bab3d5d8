// overview -o: the printed year overview as PDF (a page per plant, more
// for a plant with many months) or as PNG pictures (OUT-1.png, OUT-2.png
// ...), A4 landscape as printed.
#include <QGuiApplication>
#include <QString>

#include <filesystem>
#include <memory>

#include "Commands.h"
#include "GuiApplication.h"
#include "core/Settings.h"
#include "platform/Fonts.h"
#include "sheets/OverviewSheet.h"
#include "sheets/SheetOutput.h"

namespace kestrin::cli {

// A page picture at 600 dpi is 4961 x 7016 pixels (139 MB in memory).
constexpr int kMaxPngDpi = 600;

std::string LowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  for (char& ch : ext)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return ext;
}

bool CheckPagesOutput(const std::string& output, int dpi, std::string& message) {
  const std::string ext = LowerExtension(output);
  if (ext != ".pdf" && ext != ".png") {
    message = "出力ファイルの拡張子は .pdf または .png にしてください：" + ShownName(output);
    return false;
  }
  if (ext == ".png" && dpi > kMaxPngDpi) {
    message = "PNG の解像度は " + std::to_string(kMaxPngDpi) + " dpi までです：" +
              std::to_string(dpi);
    return false;
  }
  return true;
}

namespace {

// The settings the program prints with: those of `kestrin` beside this
// executable, or the named file. A named file that is missing prints with
// the defaults after a notice; one that is there but cannot be read (a
// folder, a pipe, no permission, a name too long) is an error, as for
// sheets --settings.
std::optional<TSettings> OverviewSettings(const std::optional<std::string>& named, std::string& notice) {
  if (named) {
    TIniLoadResult read;
    TSettings settings = LoadSettingsFile(*named, &read);
    if (read.Status == TIniLoadResult::TStatus::Missing) {
      notice = "設定ファイルが見つからないため，初期値で印刷します：" + ShownName(*named);
    } else if (!read) {
      notice = read.Message();
      return std::nullopt;
    }
    return settings;
  }
  const std::string self = CurrentExecutablePath();
  if (self.empty()) return TSettings{};
  return LoadSettingsForExecutable(
      (std::filesystem::path(self).parent_path() / "kestrin").string());
}

bool Write(const TOverview& overview, const std::string& output, int dpi,
           const std::optional<std::string>& settingsFile, std::vector<std::string>& written,
           std::string& message) {
  std::string notice;
  const std::optional<TSettings> named = OverviewSettings(settingsFile, notice);
  if (!named) {
    message = notice;
    return false;
  }
  const TSettings& settings = *named;
  const std::unique_ptr<QGuiApplication> app = MakeGuiApplication();
  RegisterFontSubstitutions();

  const std::vector<TOverviewPage> sheetPages = OverviewPages(overview);
  const TPageDrawer draw = [&](TCanvas& canvas, const TRect& pageRect, int page) {
    DrawOverviewSheet(canvas, pageRect, overview, sheetPages[static_cast<std::size_t>(page)], settings);
  };
  const int pages = static_cast<int>(sheetPages.size());
  const QString path = QString::fromStdString(output);
  TSheetOutputError error;
  std::vector<QString> names;
  bool ok;
  if (LowerExtension(output) == ".pdf") {
    ok = WritePagesPdf(path, OverviewReportSetup(), pages, dpi,
                       QString::fromUtf8("スランプ試験（年間推移）"), draw, &error);
    if (ok) names.push_back(path);
  } else {
    ok = WritePagesPng(path, OverviewReportSetup(), pages, dpi, draw, &names, &error);
  }
  if (!error.Notice.isEmpty()) notice += (notice.empty() ? "" : "\n") + error.Notice.toStdString();
  if (!ok) {
    message = (notice.empty() ? "" : notice + "\n") + error.Message.toStdString();
    return false;
  }
  for (const QString& n : names) written.push_back(n.toStdString());
  message = notice;
  return true;
}

}  // namespace

TOverviewWriter OverviewSheetWriter() { return TOverviewWriter{CheckPagesOutput, Write}; }

}  // namespace kestrin::cli
