// strength: the strength log (.kst) of one mix and month. "strength stats"
// prints its figures as JSON (no Qt); "strength sheets" writes its printed
// sheet as PDF or PNG through the writer Qt builds hand in; "strength
// import" makes a log from the lab's CSV (StrengthImportCommand.cpp).
#include <memory>
#include <ostream>

#include "Commands.h"
#include "core/DataFile.h"
#include "core/StrengthFigures.h"
#include "core/StrengthFile.h"
#include "core/StrictJson.h"

namespace kestrin::cli {

namespace {

struct TStrengthArgs {
  std::string action;
  std::string input;
  std::string output;
  int dpi = kStrengthDefaultDpi;
  bool dpiGiven = false;
  TStrengthImportArgs import;
};

TJson Tenths(const std::optional<int32_t>& v) { return v ? TJson(*v / 10.0) : TJson(nullptr); }
TJson Hundredths(const std::optional<int32_t>& v) { return v ? TJson(*v / 100.0) : TJson(nullptr); }
TJson Flag(const std::optional<bool>& v) { return v ? TJson(*v) : TJson(nullptr); }

}  // namespace

TJson StrengthFiguresJson(const TStrengthLog& log, const TStrengthFigures& f) {
  TJson tests = TJson::array();
  for (std::size_t i = 0; i < f.Tests.size(); ++i) {
    const TStrengthTestFigures& t = f.Tests[i];
    tests.push_back(TJson{{"Day", log.Tests[i].Day},
                          {"Result28", Tenths(t.Result28)},
                          {"Result7", Tenths(t.Result7)},
                          {"Rm", Tenths(t.Rm)},
                          {"Rs", Tenths(t.Rs)},
                          {"Pass", Flag(t.Pass)},
                          {"SlumpPass", t.SlumpPass},
                          {"AirPass", t.AirPass},
                          {"ChloridePass", Flag(t.ChloridePass)}});
  }
  TJson lots = TJson::array();
  for (const TStrengthLot& l : f.Lots)
    lots.push_back(TJson{{"Tests", l.Tests}, {"Mean", Tenths(l.Mean)}, {"Pass", Flag(l.Pass)}});
  const TStrengthSummary& s = f.Summary;
  TJson summary{{"Count", s.Count},
                {"Mean", Hundredths(s.Mean)},
                {"Sigma", Hundredths(s.Sigma)},
                {"Min", Tenths(s.Min)},
                {"Max", Tenths(s.Max)},
                {"RequiredMean", Hundredths(s.RequiredMean)},
                {"Margin", Hundredths(s.Margin)}};
  TJson chart = nullptr;
  if (const auto& c = f.Chart)
    chart = TJson{{"Center", c->Center / 100.0}, {"UCL", c->UCL / 100.0},     {"LCL", c->LCL / 100.0},
                  {"RsBar", c->RsBar / 100.0},   {"RsUCL", c->RsUCL / 100.0}, {"RmBar", c->RmBar / 100.0},
                  {"RmUCL", c->RmUCL / 100.0}};
  TJson signals = TJson::array();
  for (const TStrengthSignal& sig : f.Signals)
    signals.push_back(TJson{{"Chart", StrengthChartName(sig.Chart)}, {"Test", sig.Test}});
  return TJson{
      {"Tests", tests}, {"Lots", lots}, {"Summary", summary}, {"ControlChart", chart}, {"Signals", signals}};
}

namespace {

int Run(const TStrengthArgs& a, const TStrengthSheetWriter& writer, TCliIo& io) {
  if (a.action == "import") {
    if (a.dpiGiven) throw TUsageError("strength import は --dpi を取りません．");
    return RunStrengthImport(a.input, a.output, a.import, io);
  }
  if (a.import.Any())
    throw TUsageError("--plant，--month，--nominal，--slump，--air などは strength import だけが取ります．");
  const bool sheets = a.action == "sheets";
  if (!sheets && !a.output.empty()) throw TUsageError("strength stats は -o を取りません．");
  if (sheets && a.output.empty())
    throw TUsageError("strength sheets には -o OUT.pdf または -o OUT.png が必要です．");
  if (sheets) {
    if (!writer) {
      io.err << "この kestrin-cli は印刷用シートを書けません（Qt なしの版です）．\n";
      return kExitFailure;
    }
    std::string message;
    if (!writer.Check(a.output, a.dpi, message)) throw TUsageError(message);
  }
  TStrengthLog log;
  if (const TStrengthReadResult read = LoadStrengthFile(a.input, log); !read) {
    io.err << kLoadFailed << "\n" << read.Message() << "\n";
    return kExitFailure;
  }
  const TStrengthFigures figures = ComputeStrengthFigures(log);
  if (!sheets) {
    io.out << StrengthFiguresJson(log, figures).dump(2, ' ', false, TJson::error_handler_t::replace) << "\n";
    return kExitOk;
  }
  std::vector<std::string> written;
  std::string message;
  if (!writer.Write(log, figures, a.output, a.dpi, written, message)) {
    io.err << message << "\n";
    return kExitFailure;
  }
  for (const std::string& name : written) io.out << name << "\n";
  return kExitOk;
}

}  // namespace

void RegisterStrengthCommands(TCommandLine& cli, TStrengthSheetWriter writer) {
  auto a = std::make_shared<TStrengthArgs>();
  CLI::App& c = cli.Add("strength",
                        "強度試験の記録（.kst）を扱います．stats は試験結果・判定・ロット・月の集計・"
                        "x-Rs-Rm 管理図の管理限界を JSON（UTF-8）で標準出力に書き，sheets は印刷用の"
                        "「圧縮強度試験（管理表）」を PDF または PNG に書き，import は試験室の CSV"
                        "（見出し行つき，UTF-8 または CP932，コンマ・セミコロン・タブ区切り）から"
                        "強度試験ファイルを作ります（不正な行が一つでもあれば何も書きません）．",
                        [a, writer](TCliIo& io) { return Run(*a, writer, io); });
  AddArgument(c, a->action, "stats|sheets|import",
              "stats：集計を JSON で出力，sheets：管理表を書き出し，import：CSV から .kst を作成")
      ->check(OneOf({"stats", "sheets", "import"}, "stats，sheets または import を指定してください"));
  AddArgument(c, a->input, "FILE", "強度試験ファイル（.kst；import では試験室の CSV）");
  c.add_option("-o,--output", a->output,
               "sheets の書き出し先（.pdf または .png；PNG はページごとに -1，-2 … を付けます），"
               "import の書き出し先（.kst；あれば置き換えます）")
      ->type_name("OUT");
  c.add_option_function<int>(
       "--dpi",
       [a](int v) {
         a->dpi = v;
         a->dpiGiven = true;
       },
       "sheets の解像度（既定 600）")
      ->type_name("N")
      ->check(IntegerIn(kStrengthMinDpi, kStrengthMaxDpi,
                        "解像度は " + std::to_string(kStrengthMinDpi) + "～" +
                            std::to_string(kStrengthMaxDpi) + " で指定してください"));
  AddStrengthImportOptions(c, a->import);
}

}  // namespace kestrin::cli
