#include "CommandLine.h"

#include <algorithm>
#include <charconv>
#include <exception>
#include <new>
#include <ostream>

#include "core/ShownText.h"
#include "core/Version.h"

namespace kestrin::cli {

namespace {

// The first of an option's names as the help shows them: "-o" of
// "-o,--output", the type name of a positional.
std::string ShortName(const CLI::Option& o) {
  if (!o.nonpositional()) return o.get_type_name();
  const std::string all = o.get_name(false, true);
  return all.substr(0, all.find(','));
}

// Every name of an option, "-o, --output".
std::string AllNames(const CLI::Option& o) {
  if (!o.nonpositional()) return o.get_type_name();
  std::string all = o.get_name(false, true);
  for (std::size_t at = all.find(','); at != std::string::npos; at = all.find(',', at + 2))
    all.replace(at, 1, ", ");
  return all;
}

bool IsFlag(const CLI::Option& o) { return o.get_items_expected_max() == 0; }

// "-o OUT.png", "--calc".
std::string WithValue(const CLI::Option& o, const std::string& name) {
  return IsFlag(o) ? name : name + " " + o.get_type_name();
}

// The options of a command other than --help, positionals first in the
// order they were added, then the required options, then the others.
std::vector<const CLI::Option*> Ordered(const CLI::App& c) {
  std::vector<const CLI::Option*> list;
  const auto options = c.get_options();
  for (const CLI::Option* o : options)
    if (!o->nonpositional()) list.push_back(o);
  for (const CLI::Option* o : options)
    if (o->nonpositional() && o->get_required() && o != c.get_help_ptr()) list.push_back(o);
  for (const CLI::Option* o : options)
    if (o->nonpositional() && !o->get_required() && o != c.get_help_ptr()) list.push_back(o);
  return list;
}

// The arguments of a command's usage: "FILE.slt -o OUT.png [--size WxH]".
// Compact (the command list) shows several optional options as one
// "[オプション]".
std::string CommandArgs(const CLI::App& c, bool compact) {
  std::string args;
  std::vector<std::string> optional;
  for (const CLI::Option* o : Ordered(c)) {
    if (o->nonpositional() && !o->get_required()) {
      optional.push_back("[" + WithValue(*o, ShortName(*o)) + "]");
      continue;
    }
    if (!args.empty()) args += ' ';
    args += o->nonpositional() ? WithValue(*o, ShortName(*o)) : o->get_type_name();
  }
  if (compact && optional.size() > 1) optional = {"[オプション]"};
  for (const std::string& o : optional) args += (args.empty() ? "" : " ") + o;
  return args;
}

// The first sentence of a description (up to and with "．").
std::string Summary(const std::string& description) {
  static const std::string stop = "．";
  const std::size_t at = description.find(stop);
  return at == std::string::npos ? description : description.substr(0, at + stop.size());
}

std::string Padded(std::string s, std::size_t width) {
  if (s.size() < width) s.resize(width, ' ');
  return s;
}

std::string Lines(const std::vector<std::pair<std::string, std::string>>& rows) {
  std::size_t width = 0;
  for (const auto& [left, right] : rows) width = std::max(width, left.size());
  std::string text;
  for (const auto& [left, right] : rows) text += "  " + Padded(left, width) + "  " + right + "\n";
  return text;
}

// The option of a command that CLI11's message names ("--output: ...", or
// "calc was given ..." without the dashes); the longest name that occurs
// wins.
const CLI::Option* OptionInMessage(const CLI::App& c, const std::string& what) {
  const CLI::Option* found = nullptr;
  std::size_t length = 0;
  for (const CLI::Option* o : c.get_options()) {
    const std::string name = o->get_name();
    const std::string bare = name.substr(std::min(name.find_first_not_of('-'), name.size()));
    if (!bare.empty() && bare.size() > length && what.find(bare) != std::string::npos) {
      found = o;
      length = bare.size();
    }
  }
  return found;
}

// Edits (insert, delete, replace one character) from a to b.
std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

// A mistyped command is suggested at most this many edits away.
constexpr std::size_t kMaxSuggestionEdits = 2;

}  // namespace

TCommandLine::TCommandLine() : app_("", kProgramName) {
  // Settings the subcommands take over when they are added.
  app_.set_help_flag("-h,--help", "この説明を表示します．");
  // A repeated option keeps its last value.
  app_.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app_.formatter_fn([this](const CLI::App* a, const std::string&, CLI::AppFormatMode) { return Help(a); });
  app_.failure_message([this](const CLI::App*, const CLI::Error& e) { return FailureText(e); });
  app_.require_subcommand(1);

  // "kestrin-cli help" is --help, as it always was; not listed.
  CLI::App* help = app_.add_subcommand("help");
  help->group("");
  help->allow_extras();
  runs_.emplace_back(help, [this](TCliIo& io) {
    io.out << Usage();
    return kExitOk;
  });
}

CLI::App& TCommandLine::Add(const std::string& name, const std::string& description, TRun run) {
  CLI::App* command = app_.add_subcommand(name, description);
  runs_.emplace_back(command, std::move(run));
  return *command;
}

const CLI::App* TCommandLine::Selected() const {
  const std::vector<CLI::App*> selected = app_.get_subcommands();
  return selected.empty() ? nullptr : selected.front();
}

std::vector<const CLI::App*> TCommandLine::Commands() const {
  std::vector<const CLI::App*> list;
  for (const CLI::App* c : app_.get_subcommands([](const CLI::App* a) { return !a->get_group().empty(); }))
    list.push_back(c);
  return list;
}

std::string TCommandLine::UnknownCommand(const std::string& word) const {
  std::string text = "不明なコマンドです：" + ShownName(word);
  const CLI::App* nearest = nullptr;
  std::size_t best = kMaxSuggestionEdits + 1;
  for (const CLI::App* c : Commands()) {
    const std::size_t d = EditDistance(word, c->get_name());
    if (d < best) {
      best = d;
      nearest = c;
    }
  }
  if (nearest != nullptr) text += "（" + nearest->get_name() + " のことですか？）";
  return text + "\n\n" + Usage();
}

std::string TCommandLine::Usage() const {
  std::string text = std::string("使い方: ") + kProgramName + " <コマンド> [引数...]\n\n" +
                     "生コンクリートのスランプ試験の月度データ（.slt）を扱うコマンドラインツールです．\n\n" +
                     "コマンド:\n";
  for (const CLI::App* c : Commands())
    text += "  " + c->get_name() + " " + CommandArgs(*c, true) + "\n      " + Summary(c->get_description()) + "\n";
  text += std::string("\n") + kProgramName + " <コマンド> --help でコマンドごとの説明を，" + kProgramName +
          " --version でバージョンを表示します．\n" +
          "終了コード: 0 成功，1 読み込み・保存・入力内容の失敗，2 使い方の誤り\n";
  return text;
}

std::string TCommandLine::CommandUsage(const CLI::App& c) const {
  std::string line = std::string("使い方: ") + kProgramName + " " + c.get_name();
  if (const std::string args = CommandArgs(c, false); !args.empty()) line += " " + args;
  return line + "\n";
}

std::string TCommandLine::CommandHelp(const CLI::App& c) const {
  std::string text = CommandUsage(c) + "\n" + c.get_description() + "\n";
  std::vector<std::pair<std::string, std::string>> arguments, options;
  for (const CLI::Option* o : Ordered(c)) {
    if (o->nonpositional())
      options.emplace_back(WithValue(*o, AllNames(*o)), o->get_description());
    else
      arguments.emplace_back(o->get_type_name(), o->get_description());
  }
  if (const CLI::Option* help = c.get_help_ptr()) options.emplace_back(AllNames(*help), help->get_description());
  // Both lists in one column.
  std::size_t width = 0;
  for (const auto* rows : {&arguments, &options})
    for (const auto& row : *rows) width = std::max(width, row.first.size());
  for (auto* rows : {&arguments, &options})
    for (auto& row : *rows) row.first = Padded(row.first, width);
  if (!arguments.empty()) text += "\n引数:\n" + Lines(arguments);
  text += "\nオプション:\n" + Lines(options);
  return text;
}

std::string TCommandLine::Help(const CLI::App* a) const {
  if (a == nullptr || a->get_parent() == nullptr || a->get_group().empty()) return Usage();
  return CommandHelp(*a);
}

std::string TCommandLine::FailureText(const CLI::Error& e) const {
  const CLI::App* c = Selected();
  if (c == nullptr) {
    const std::vector<std::string> rest = app_.remaining();
    if (rest.empty()) return "コマンドが指定されていません．\n\n" + Usage();
    return UnknownCommand(rest.front());
  }

  std::string message = "引数が正しくありません．";
  if (dynamic_cast<const CLI::ValidationError*>(&e) != nullptr) {
    // "NAME: message" of a validator below; the message is whole.
    const std::string what = e.what();
    const std::size_t at = what.find(": ");
    message = at == std::string::npos ? what : what.substr(at + 2);
  } else if (dynamic_cast<const CLI::ArgumentMismatch*>(&e) != nullptr ||
             dynamic_cast<const CLI::ConversionError*>(&e) != nullptr) {
    // A value missing after an option, or given to a flag.
    if (const CLI::Option* o = OptionInMessage(*c, e.what()))
      message = AllNames(*o) + (IsFlag(*o) ? " は値を取りません．" : " の値がありません．");
  } else if (dynamic_cast<const CLI::RequiredError*>(&e) != nullptr) {
    for (const CLI::Option* o : Ordered(*c)) {
      if (!o->get_required() || o->count() > 0) continue;
      message = o->nonpositional() ? WithValue(*o, ShortName(*o)) + " を指定してください．"
                                   : "引数の数が正しくありません．" + o->get_type_name() + " を指定してください．";
      break;
    }
  } else if (dynamic_cast<const CLI::ExtrasError*>(&e) != nullptr) {
    const std::vector<std::string> rest = c->remaining();
    const std::string extra = rest.empty() ? std::string() : rest.front();
    std::vector<const CLI::Option*> positionals;
    for (const CLI::Option* o : c->get_options())
      if (!o->nonpositional()) positionals.push_back(o);
    if (extra.size() > 1 && extra[0] == '-') message = "不明なオプションです：" + ShownName(extra);
    else if (positionals.size() == 1)
      message = "引数の数が正しくありません．" + positionals[0]->get_type_name() +
                " は一つだけ指定してください：" + ShownName(extra);
    else message = "引数の数が正しくありません．余分な引数です：" + ShownName(extra);
  }
  return message + "\n" + CommandUsage(*c) + kProgramName + " " + c->get_name() +
         " --help で説明を表示します．\n";
}

int TCommandLine::Run(const std::vector<std::string>& args, TCliIo& io) {
  if (args.size() == 1 && args.front() == "--version") {
    io.out << kProgramName << " " << kVersionText << "\n";
    return kExitOk;
  }
  // The first word that is not an option names the command. The parser
  // would look past an unknown word for a command further on ("foo stats
  // FILE" would run stats); say instead that the word is no command.
  const auto word =
      std::find_if(args.begin(), args.end(), [](const std::string& a) { return a.empty() || a[0] != '-'; });
  if (word != args.end()) {
    const std::vector<const CLI::App*> commands = Commands();
    if (*word != "help" && std::none_of(commands.begin(), commands.end(),
                                        [&](const CLI::App* c) { return c->get_name() == *word; })) {
      io.err << UnknownCommand(*word);
      return kExitUsage;
    }
  }
  try {
    // CLI11 takes the arguments last to first.
    app_.parse(std::vector<std::string>(args.rbegin(), args.rend()));
  } catch (const CLI::ParseError& e) {
    return app_.exit(e, io.out, io.err) == 0 ? kExitOk : kExitUsage;
  }
  const CLI::App* command = Selected();
  const auto it = std::find_if(runs_.begin(), runs_.end(), [&](const auto& r) { return r.first == command; });
  if (it == runs_.end()) {
    io.err << "内部エラーが発生しました．\n";
    return kExitFailure;
  }
  try {
    const int code = it->second(io);
    io.out.flush();
    if (!io.out) {
      io.err << "結果を出力できませんでした．\n";
      return kExitFailure;
    }
    return code;
  } catch (const TUsageError& e) {
    io.err << e.what() << "\n" << CommandUsage(*command);
    return kExitUsage;
  } catch (const std::bad_alloc&) {
    io.err << "メモリが不足しています．\n";
  } catch (const std::exception&) {
    io.err << "内部エラーが発生しました．\n";
  }
  return kExitFailure;
}

CLI::Option* AddArgument(CLI::App& command, std::string& into, const std::string& typeName,
                         const std::string& description) {
  // CLI11 needs a plain name; the user sees the type name.
  std::string name = "arg" + std::to_string(command.get_options().size());
  return command.add_option(name, into, description)->type_name(typeName)->required();
}

CLI::Validator Accepted(std::function<bool(const std::string&)> ok, std::string message) {
  return CLI::Validator(
      [ok = std::move(ok), message = std::move(message)](std::string& value) {
        return ok(value) ? std::string() : message + "：" + ShownName(value);
      },
      "");
}

CLI::Validator OneOf(std::vector<std::string> words, std::string message) {
  return Accepted(
      [words = std::move(words)](const std::string& v) {
        return std::find(words.begin(), words.end(), v) != words.end();
      },
      std::move(message));
}

CLI::Validator IntegerIn(int lo, int hi, std::string message) {
  return Accepted(
      [lo, hi](const std::string& v) {
        int n = 0;
        const char* b = v.data();
        const char* e = b + v.size();
        const auto [p, ec] = std::from_chars(b, e, n);
        return b != e && ec == std::errc() && p == e && n >= lo && n <= hi;
      },
      std::move(message));
}

}  // namespace kestrin::cli
