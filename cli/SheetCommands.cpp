// sheets: the two printed sheets of a month as a PDF document or as PNG
// pictures, laid out on A4 portrait exactly as they are printed.
#include <QGuiApplication>
#include <QString>

#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "Commands.h"
#include "GuiApplication.h"
#include "core/DataFile.h"
#include "core/ReferenceMonths.h"
#include "core/Settings.h"
#include "platform/Fonts.h"
#include "sheets/SheetOutput.h"

namespace kestrin::cli {

namespace {

constexpr int kDefaultDpi = 600;
constexpr int kMinDpi = 50;
constexpr int kMaxPdfDpi = 2400;
// A page picture at 600 dpi is 4961 x 7016 pixels (139 MB in memory).
constexpr int kMaxPngDpi = 600;

enum class TOutputKind { Pdf, Png };

struct TSheetsArgs {
  std::string input;
  std::string output;
  std::string sheet = "all";
  int dpi = kDefaultDpi;
  std::optional<std::string> settings;
};

TPrintSheet SheetOf(const std::string& word) {
  if (word == "table") return TPrintSheet::Table;
  if (word == "xchart") return TPrintSheet::XChart;
  if (word == "xbar-r") return TPrintSheet::XbarR;
  return TPrintSheet::All;
}

std::string Lower(std::string s) {
  for (char& ch : s)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return s;
}

std::optional<TOutputKind> OutputKind(const std::string& path) {
  const std::string ext = Lower(std::filesystem::path(path).extension().string());
  if (ext == ".pdf") return TOutputKind::Pdf;
  if (ext == ".png") return TOutputKind::Png;
  return std::nullopt;
}


// The settings the program itself prints with. A file that cannot be read
// is reported and the defaults print, as the window starts with them.
TSettings PrintSettings(TCliIo& io) {
  TIniLoadResult read;
  TSettings settings = ProgramSettings(&read);
  if (read.Failed()) io.err << read.Message() << "\n初期値で印刷します．\n";
  return settings;
}

// The settings named by --settings: a missing file prints with the defaults
// after a warning; a file that is there but cannot be read is an error.
std::optional<TSettings> NamedSettings(const std::string& path, TCliIo& io) {
  TIniLoadResult read;
  TSettings settings = LoadSettingsFile(path, &read);
  if (read.Status == TIniLoadResult::TStatus::Missing) {
    io.err << "設定ファイルが見つからないため，初期値で印刷します：" << ShownName(path) << "\n";
  } else if (!read) {
    io.err << read.Message() << "\n";
    return std::nullopt;
  }
  return settings;
}

int Sheets(const TSheetsArgs& a, TCliIo& io) {
  const std::optional<TOutputKind> kind = OutputKind(a.output);
  if (!kind)
    throw TUsageError("出力ファイルの拡張子は .pdf または .png にしてください：" + ShownName(a.output));
  if (*kind == TOutputKind::Png && a.dpi > kMaxPngDpi)
    throw TUsageError("PNG の解像度は " + std::to_string(kMaxPngDpi) + " dpi までです：" + std::to_string(a.dpi));
  if (!OutputNameCarried(a.output, io.err)) return kExitFailure;

  TMainData data;
  if (const TFileResult loaded = LoadMonth(a.input, data); !loaded) {
    PrintFailure(io.err, kLoadFailed, loaded);
    return kExitFailure;
  }

  TSettings settings;
  if (a.settings) {
    std::optional<TSettings> named = NamedSettings(*a.settings, io);
    if (!named) return kExitFailure;
    settings = std::move(*named);
  } else {
    settings = PrintSettings(io);
  }

  const std::unique_ptr<QGuiApplication> app = MakeGuiApplication();
  RegisterFontSubstitutions();

  // The X̄–R sheet's limits: from the months before this one in its folder
  // when the settings ask for them (read only for that sheet).
  const TControlChart chart = SheetOf(a.sheet) == TPrintSheet::XbarR
                                  ? FolderControlChart(data, FolderOf(a.input), settings.ControlRules,
                                                       settings.ReferenceMonths)
                                  : TControlChart{};
  const QString output = QString::fromStdString(a.output);
  TSheetOutputError error;
  std::vector<QString> written;
  bool ok;
  if (*kind == TOutputKind::Pdf) {
    ok = WriteSheetsPdf(output, SheetOf(a.sheet), a.dpi, data, settings, &error, &chart);
    if (ok) written.push_back(output);
  } else {
    ok = WriteSheetsPng(output, SheetOf(a.sheet), a.dpi, data, settings, &written, &error, &chart);
  }
  if (!error.Notice.isEmpty()) io.err << error.Notice.toStdString() << "\n";
  if (!ok) {
    io.err << error.Message.toStdString() << "\n";
    return kExitFailure;
  }
  for (const QString& name : written) io.out << name.toStdString() << "\n";
  return kExitOk;
}

}  // namespace

void RegisterSheetCommands(TCommandLine& cli) {
  auto a = std::make_shared<TSheetsArgs>();
  CLI::App& c = cli.Add("sheets",
                        "印刷する帳票（管理表・ヒストグラム，Ｘ管理図，X̄－R管理図）を A4 縦で PDF（１枚１ページ）"
                        "または PNG（OUT-1.png，OUT-2.png …）に書きます．"
                        "会社名・印鑑欄名称・印刷オプションは kestrin の設定ファイル（実行ファイルと同じフォルダ）から，"
                        "--settings があればそのファイルから読みます．",
                        [a](TCliIo& io) { return Sheets(*a, io); });
  AddArgument(c, a->input, "FILE.slt", "データファイル");
  c.add_option("-o,--output", a->output, "出力ファイル（拡張子 .pdf で PDF，.png で PNG）")
      ->type_name("OUT.pdf|png")
      ->required()
      ->check(Accepted([](const std::string& v) { return !v.empty(); }, "出力ファイル名を指定してください"));
  c.add_option("--sheet", a->sheet,
               "all（管理表とＸ管理図，管理表が先；初期値），table（管理表・ヒストグラム），xchart（Ｘ管理図），"
               "xbar-r（X̄－R管理図）")
      ->type_name("S")
      ->check(OneOf({"all", "table", "xchart", "xbar-r"},
                   "--sheet には all，table，xchart，xbar-r のいずれかを指定してください"));
  c.add_option("--dpi", a->dpi,
               "解像度（" + std::to_string(kMinDpi) + "～" + std::to_string(kMaxPdfDpi) + "，PNG は " +
                   std::to_string(kMaxPngDpi) + " まで；初期値 " + std::to_string(kDefaultDpi) + "）")
      ->type_name("N")
      ->check(IntegerIn(kMinDpi, kMaxPdfDpi,
                        "--dpi には " + std::to_string(kMinDpi) + " から " + std::to_string(kMaxPdfDpi) +
                            " までの整数を指定してください"));
  c.add_option_function<std::string>(
       "--settings", [a](const std::string& v) { a->settings = v; },
       "会社名・印鑑欄名称・印刷オプションを読む設定ファイル")
      ->type_name("INI");
}

}  // namespace kestrin::cli
