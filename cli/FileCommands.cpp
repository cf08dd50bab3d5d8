// stats, resave and import: the data-file commands.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <ostream>
#include <vector>

#include "Commands.h"
#include "ControlJson.h"
#include "RecordJson.h"
#include "core/DataFile.h"
#include "core/ReferenceMonths.h"
#include "core/Settings.h"

namespace kestrin::cli {

TFileResult LoadMonth(const std::string& path, TMainData& data) {
  data.ClearLists();
  data.Clear();
  TFileResult ok = LoadFromFile(path, data);
  if (!ok) {
    data.ClearLists();
    data.Clear();
  }
  data.Calculate();
  return ok;
}

void PrintFailure(std::ostream& err, const char* message, const TFileResult& result) {
  err << message << "\n";
  if (const std::string reason = result.Reason(); !reason.empty()) err << reason << "\n";
}

std::string FolderOf(const std::string& path) {
  const std::filesystem::path folder = std::filesystem::path(path).parent_path();
  return folder.empty() ? std::string(".") : folder.string();
}

bool OutputNameCarried(const std::string& path, std::ostream& err) {
  if (IsValidUtf8(path)) return true;
  err << "出力ファイル名に UTF-8 で表せないバイトがあるため書き込めません：" << ShownName(path) << "\n";
  return false;
}

TSettings ProgramSettings(TIniLoadResult* read) {
  const std::string self = CurrentExecutablePath();
  if (self.empty()) return TSettings{};
  const std::filesystem::path kestrin = std::filesystem::path(self).parent_path() / "kestrin";
  return LoadSettingsForExecutable(kestrin.string(), read);
}

namespace {


// A JSON month is a few kilobytes; refuse to read anything absurdly large.
constexpr std::streamsize kMaxJsonBytes = 16 * 1024 * 1024;

struct TStatsArgs {
  std::string in;
  std::vector<std::string> references;
  std::optional<std::string> settings;
};

// The settings of stats: --settings when given (a missing file means the
// defaults, an unreadable one is an error), else the program's own.
std::optional<TSettings> StatsSettings(const TStatsArgs& a, TCliIo& io) {
  if (!a.settings) return ProgramSettings();
  TIniLoadResult read;
  TSettings settings = LoadSettingsFile(*a.settings, &read);
  if (read.Failed()) {
    io.err << read.Message() << "\n";
    return std::nullopt;
  }
  return settings;
}

int Stats(const TStatsArgs& a, TCliIo& io) {
  TMainData data;
  if (const TFileResult loaded = LoadMonth(a.in, data); !loaded) {
    PrintFailure(io.err, kLoadFailed, loaded);
    return kExitFailure;
  }
  // The signals and rules the program itself uses, or those of --settings.
  const std::optional<TSettings> settings = StatsSettings(a, io);
  if (!settings) return kExitFailure;
  // The limits' source: the given reference files, else the months before
  // this one in its folder when the settings ask for them.
  std::vector<TReferenceMonth> reference;
  bool referenceAsked = !a.references.empty();
  for (const std::string& path : a.references) {
    TReferenceMonth month;
    std::string reason;
    if (!ReadReferenceMonth(path, data, month, reason)) {
      io.err << reason << "\n";
      return kExitFailure;
    }
    reference.push_back(std::move(month));
  }
  const TControlChart chart =
      referenceAsked ? ComputeControlChart(data, settings->ControlRules, true, reference)
                     : FolderControlChart(data, FolderOf(a.in), settings->ControlRules, settings->ReferenceMonths);
  Json json = MainDataToJson(data, settings->SignalLengths());
  AddControlChartJson(json, data, chart);
  io.out << json.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
  return kExitOk;
}

int Resave(const std::string& in, const std::string& out, TCliIo& io) {
  TMainData data;
  if (const TFileResult loaded = LoadMonth(in, data); !loaded) {
    PrintFailure(io.err, kLoadFailed, loaded);
    return kExitFailure;
  }
  if (const TFileResult saved = SaveToFile(out, data); !saved) {
    PrintFailure(io.err, kSaveFailed, saved);
    return kExitFailure;
  }
  return kExitOk;
}

int Import(const std::string& jsonPath, const std::string& out, TCliIo& io) {
  std::ifstream in(jsonPath, std::ios::binary);
  if (!in) {
    io.err << "JSON ファイルを開けません：" << ShownName(jsonPath) << "\n";
    return kExitFailure;
  }
  std::string text;
  text.reserve(4096);
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (static_cast<std::streamsize>(text.size()) > kMaxJsonBytes) {
      io.err << "JSON ファイルが大きすぎます：" << ShownName(jsonPath) << "\n";
      return kExitFailure;
    }
  }
  if (in.bad()) {
    io.err << "JSON ファイルを読み込めません：" << ShownName(jsonPath) << "\n";
    return kExitFailure;
  }

  Json json;
  TJsonError error;
  if (!ParseStrictJson(text, json, error)) {
    io.err << error.message << "：" << ShownName(jsonPath) << "\n";
    return kExitFailure;
  }

  TMainData data;
  if (!MainDataFromJson(json, data, error)) {
    io.err << error.message << "\n";
    return kExitFailure;
  }
  if (const TFileResult saved = SaveToFile(out, data); !saved) {
    PrintFailure(io.err, kSaveFailed, saved);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

void RegisterFileCommands(TCommandLine& cli) {
  struct TPaths {
    std::string in, out;
  };
  {
    auto a = std::make_shared<TStatsArgs>();
    CLI::App& c =
        cli.Add("stats",
                "データファイルを読み込んで再計算し，月度データ全体（判定・度数表・平均値・標準偏差・"
                "工程能力指数・管理状態の判定・X̄－R管理図の管理限界と管理外れを含む）を JSON（UTF-8）で"
                "標準出力に書きます．連・傾向の点数，管理図のルールと基準月数は kestrin の設定ファイルから，"
                "--settings があればそのファイルから読みます．",
                [a](TCliIo& io) { return Stats(*a, io); });
    AddArgument(c, a->in, "FILE.slt", "データファイル");
    c.add_option("--reference", a->references,
                 "管理限界を計算する基準月のデータファイル（複数可；同じ工場・スランプ・許容値のもの）．"
                 "指定しなければ設定の基準月数に従い，同じフォルダから探します")
        ->type_name("REF.slt");
    c.add_option_function<std::string>(
         "--settings", [a](const std::string& v) { a->settings = v; },
         "連・傾向の点数，管理図のルールと基準月数を読む設定ファイル（無ければ初期値）")
        ->type_name("INI");
  }
  {
    auto a = std::make_shared<TPaths>();
    CLI::App& c = cli.Add("resave",
                          "データファイルを読み込んで再計算し，現在の形式（バージョン 211）で保存し直します．",
                          [a](TCliIo& io) { return Resave(a->in, a->out, io); });
    AddArgument(c, a->in, "IN.slt", "読み込むデータファイル（以前の形式も可）");
    AddArgument(c, a->out, "OUT.slt", "保存先のデータファイル");
  }
  {
    auto a = std::make_shared<TPaths>();
    CLI::App& c = cli.Add("import",
                          "stats と同じ形の JSON から月度データを作り（ヘッダと測定値のみ使用），データファイルに保存します．",
                          [a](TCliIo& io) { return Import(a->in, a->out, io); });
    AddArgument(c, a->in, "IN.json", "読み込む JSON ファイル（UTF-8）");
    AddArgument(c, a->out, "OUT.slt", "保存先のデータファイル");
  }
}

}  // namespace kestrin::cli
