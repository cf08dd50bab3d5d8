#include "CommandTable.h"

#include <algorithm>
#include <exception>
#include <new>
#include <ostream>

namespace kestrin::cli {

namespace {

bool IsHelp(std::string_view a) { return a == "--help" || a == "-h" || a == "help"; }

}  // namespace

void TCommandTable::Add(TCliCommand command) {
  auto same = [&](const TCliCommand& c) { return c.name == command.name; };
  auto it = std::find_if(commands_.begin(), commands_.end(), same);
  if (it != commands_.end())
    *it = std::move(command);
  else
    commands_.push_back(std::move(command));
}

const TCliCommand* TCommandTable::Find(std::string_view name) const {
  for (const auto& c : commands_)
    if (c.name == name) return &c;
  return nullptr;
}

std::string TCommandTable::CommandUsage(const TCliCommand& c) const {
  std::string line = std::string("使い方: ") + kProgramName + " " + c.name;
  if (!c.argsHelp.empty()) line += " " + c.argsHelp;
  return line + "\n  " + c.summary + "\n";
}

std::string TCommandTable::Usage() const {
  std::string text = std::string("使い方: ") + kProgramName + " <コマンド> [引数...]\n\n" +
                     "生コンクリートのスランプ試験の月度データ（.slt）を扱うコマンドラインツールです．\n\n" +
                     "コマンド:\n";
  std::size_t width = 0;
  for (const auto& c : commands_) width = std::max(width, c.name.size() + 1 + c.argsHelp.size());
  for (const auto& c : commands_) {
    std::string head = c.name + (c.argsHelp.empty() ? "" : " " + c.argsHelp);
    head.resize(width, ' ');
    text += "  " + head + "  " + c.summary + "\n";
  }
  text += std::string("\n") + kProgramName + " <コマンド> --help でコマンドごとの説明を表示します．\n" +
          "終了コード: 0 成功，1 読み込み・保存・入力内容の失敗，2 使い方の誤り\n";
  return text;
}

int TCommandTable::Run(const std::vector<std::string>& args, TCliIo& io) const {
  if (args.empty()) {
    io.err << "コマンドが指定されていません．\n\n" << Usage();
    return kExitUsage;
  }
  if (IsHelp(args[0])) {
    io.out << Usage();
    return kExitOk;
  }
  const TCliCommand* command = Find(args[0]);
  if (!command) {
    io.err << "不明なコマンドです：" << args[0] << "\n\n" << Usage();
    return kExitUsage;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (rest.size() == 1 && (rest[0] == "--help" || rest[0] == "-h")) {
    io.out << CommandUsage(*command);
    return kExitOk;
  }
  if (rest.size() < command->minArgs || rest.size() > command->maxArgs) {
    io.err << "引数の数が正しくありません．\n" << CommandUsage(*command);
    return kExitUsage;
  }
  try {
    const int code = command->run(rest, io);
    io.out.flush();
    if (!io.out) {
      io.err << "結果を出力できませんでした．\n";
      return kExitFailure;
    }
    return code;
  } catch (const std::bad_alloc&) {
    io.err << "メモリが不足しています．\n";
  } catch (const std::exception&) {
    io.err << "内部エラーが発生しました．\n";
  }
  return kExitFailure;
}

}  // namespace kestrin::cli
