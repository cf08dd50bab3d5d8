// stats, resave and import: the data-file commands.
#include <fstream>
#include <iterator>
#include <ostream>

#include "Commands.h"
#include "RecordJson.h"
#include "core/DataFile.h"

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

namespace {


// A JSON month is a few kilobytes; refuse to read anything absurdly large.
constexpr std::streamsize kMaxJsonBytes = 16 * 1024 * 1024;


int Stats(const std::vector<std::string>& args, TCliIo& io) {
  TMainData data;
  if (const TFileResult loaded = LoadMonth(args[0], data); !loaded) {
    PrintFailure(io.err, kLoadFailed, loaded);
    return kExitFailure;
  }
  io.out << MainDataToJson(data).dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
  return kExitOk;
}

int Resave(const std::vector<std::string>& args, TCliIo& io) {
  TMainData data;
  if (const TFileResult loaded = LoadMonth(args[0], data); !loaded) {
    PrintFailure(io.err, kLoadFailed, loaded);
    return kExitFailure;
  }
  if (const TFileResult saved = SaveToFile(args[1], data); !saved) {
    PrintFailure(io.err, kSaveFailed, saved);
    return kExitFailure;
  }
  return kExitOk;
}

int Import(const std::vector<std::string>& args, TCliIo& io) {
  std::ifstream in(args[0], std::ios::binary);
  if (!in) {
    io.err << "JSON ファイルを開けません：" << args[0] << "\n";
    return kExitFailure;
  }
  std::string text;
  text.reserve(4096);
  char buffer[65536];
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    text.append(buffer, static_cast<std::size_t>(in.gcount()));
    if (static_cast<std::streamsize>(text.size()) > kMaxJsonBytes) {
      io.err << "JSON ファイルが大きすぎます：" << args[0] << "\n";
      return kExitFailure;
    }
  }
  if (in.bad()) {
    io.err << "JSON ファイルを読み込めません：" << args[0] << "\n";
    return kExitFailure;
  }

  Json json;
  try {
    json = Json::parse(text);
  } catch (const Json::parse_error& e) {
    io.err << "JSON の形式が正しくありません（" << e.byte << " バイト目付近）：" << args[0] << "\n";
    return kExitFailure;
  }

  TMainData data;
  TJsonError error;
  if (!MainDataFromJson(json, data, error)) {
    io.err << error.message << "\n";
    return kExitFailure;
  }
  if (const TFileResult saved = SaveToFile(args[1], data); !saved) {
    PrintFailure(io.err, kSaveFailed, saved);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

void RegisterFileCommands(TCommandTable& table) {
  table.Add({"stats", "FILE.slt",
             "データファイルを読み込んで再計算し，月度データ全体（判定・度数表・平均値・標準偏差を含む）を "
             "JSON（UTF-8）で標準出力に書きます．",
             1, 1, Stats});
  table.Add({"resave", "IN.slt OUT.slt",
             "データファイルを読み込んで再計算し，現在の形式（バージョン 211）で保存し直します．", 2, 2,
             Resave});
  table.Add({"import", "IN.json OUT.slt",
             "stats と同じ形の JSON から月度データを作り（ヘッダと測定値のみ使用），データファイルに保存します．",
             2, 2, Import});
}

}  // namespace kestrin::cli
