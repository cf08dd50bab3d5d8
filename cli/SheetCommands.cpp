// sheets: the two printed sheets of a month as a PDF document or as PNG
// pictures, laid out on A4 portrait exactly as they are printed.
#include <QGuiApplication>
#include <QString>

#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>

#include "Commands.h"
#include "GuiApplication.h"
#include "core/DataFile.h"
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
  TPrintSheet sheet = TPrintSheet::All;
  int dpi = kDefaultDpi;
  std::optional<std::string> settings;
};

std::string Lower(std::string s) {
  for (char& ch : s)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return s;
}

// Parses FILE -o OUT [--sheet all|table|xchart] [--dpi N] [--settings INI];
// options also as --name=value. An empty result means a usage error,
// already reported.
std::optional<TSheetsArgs> ParseArgs(const std::vector<std::string>& args, TCliIo& io) {
  TSheetsArgs a;
  bool haveInput = false, haveOutput = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::optional<std::string> value;
    if (name.rfind("--", 0) == 0) {
      const std::size_t eq = name.find('=');
      if (eq != std::string::npos) {
        value = name.substr(eq + 1);
        name = name.substr(0, eq);
      }
    }
    const bool isOption = name == "-o" || name == "--output" || name == "--sheet" ||
                          name == "--dpi" || name == "--settings";
    if (!isOption) {
      if (name.size() > 1 && name[0] == '-') {
        io.err << "不明なオプションです：" << args[i] << "\n";
        return std::nullopt;
      }
      if (haveInput) {
        io.err << "データファイルは一つだけ指定してください：" << args[i] << "\n";
        return std::nullopt;
      }
      a.input = args[i];
      haveInput = true;
      continue;
    }
    if (!value) {
      if (i + 1 >= args.size()) {
        io.err << name << " の値がありません．\n";
        return std::nullopt;
      }
      value = args[++i];
    }
    if (name == "-o" || name == "--output") {
      a.output = *value;
      haveOutput = true;
    } else if (name == "--sheet") {
      if (*value == "all") a.sheet = TPrintSheet::All;
      else if (*value == "table") a.sheet = TPrintSheet::Table;
      else if (*value == "xchart") a.sheet = TPrintSheet::XChart;
      else {
        io.err << "--sheet には all，table，xchart のいずれかを指定してください：" << *value << "\n";
        return std::nullopt;
      }
    } else if (name == "--dpi") {
      int dpi = 0;
      const char* b = value->data();
      const char* e = b + value->size();
      auto [p, ec] = std::from_chars(b, e, dpi);
      if (b == e || ec != std::errc() || p != e || dpi < kMinDpi || dpi > kMaxPdfDpi) {
        io.err << "--dpi には " << kMinDpi << " から " << kMaxPdfDpi
               << " までの整数を指定してください：" << *value << "\n";
        return std::nullopt;
      }
      a.dpi = dpi;
    } else {
      a.settings = *value;
    }
  }
  if (!haveInput || !haveOutput || a.output.empty()) {
    io.err << "データファイルと出力ファイル（-o）を指定してください．\n";
    return std::nullopt;
  }
  return a;
}

std::optional<TOutputKind> OutputKind(const std::string& path) {
  const std::string ext = Lower(std::filesystem::path(path).extension().string());
  if (ext == ".pdf") return TOutputKind::Pdf;
  if (ext == ".png") return TOutputKind::Png;
  return std::nullopt;
}


// The settings the program itself prints with: those of `kestrin` in the
// folder of this executable.
TSettings ProgramSettings() {
  const std::string self = CurrentExecutablePath();
  if (self.empty()) return TSettings{};
  const std::filesystem::path kestrin = std::filesystem::path(self).parent_path() / "kestrin";
  return LoadSettingsForExecutable(kestrin.string());
}

int Sheets(const std::vector<std::string>& args, TCliIo& io, const TCommandTable* table) {
  const std::optional<TSheetsArgs> a = ParseArgs(args, io);
  auto usage = [&] {
    if (const TCliCommand* c = table ? table->Find("sheets") : nullptr)
      io.err << table->CommandUsage(*c);
    return kExitUsage;
  };
  if (!a) return usage();
  const std::optional<TOutputKind> kind = OutputKind(a->output);
  if (!kind) {
    io.err << "出力ファイルの拡張子は .pdf または .png にしてください：" << a->output << "\n";
    return usage();
  }
  if (*kind == TOutputKind::Png && a->dpi > kMaxPngDpi) {
    io.err << "PNG の解像度は " << kMaxPngDpi << " dpi までです：" << a->dpi << "\n";
    return usage();
  }

  TMainData data;
  if (const TFileResult loaded = LoadMonth(a->input, data); !loaded) {
    PrintFailure(io.err, kLoadFailed, loaded);
    return kExitFailure;
  }

  TSettings settings;
  if (a->settings) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(*a->settings, ec))
      io.err << "設定ファイルが見つからないため，初期値で印刷します：" << *a->settings << "\n";
    settings = LoadSettingsFile(*a->settings);
  } else {
    settings = ProgramSettings();
  }

  const std::unique_ptr<QGuiApplication> app = MakeGuiApplication();
  RegisterFontSubstitutions();

  const QString output = QString::fromStdString(a->output);
  TSheetOutputError error;
  std::vector<QString> written;
  bool ok;
  if (*kind == TOutputKind::Pdf) {
    ok = WriteSheetsPdf(output, a->sheet, a->dpi, data, settings, &error);
    if (ok) written.push_back(output);
  } else {
    ok = WriteSheetsPng(output, a->sheet, a->dpi, data, settings, &written, &error);
  }
  if (!ok) {
    io.err << error.Message.toStdString() << "\n";
    return kExitFailure;
  }
  for (const QString& name : written) io.out << name.toStdString() << "\n";
  return kExitOk;
}

}  // namespace

void RegisterSheetCommands(TCommandTable& table) {
  const TCommandTable* self = &table;
  table.Add({"sheets", "FILE.slt -o OUT.pdf|png [options]",
             "印刷する２枚の帳票（管理表・ヒストグラム，Ｘ管理図）を A4 縦で PDF（１枚１ページ）"
             "または PNG（OUT-1.png，OUT-2.png …）に書きます．オプション: --sheet S（S は all（両方，管理表が先；初期値），"
             "table（管理表・ヒストグラム），xchart（Ｘ管理図）），--dpi N（初期値 600，PNG は 600 まで），"
             "--settings INI．"
             "会社名・印鑑欄名称・印刷オプションは kestrin の設定ファイル（実行ファイルと同じフォルダ）から，"
             "--settings があればそのファイルから読みます．",
             3, 9, [self](const std::vector<std::string>& args, TCliIo& io) {
               return Sheets(args, io, self);
             }});
}

}  // namespace kestrin::cli
