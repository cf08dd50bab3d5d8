// export: the spreadsheet block of a month, as tab-separated text or into
// LibreOffice Calc.
#include <memory>
#include <ostream>

#include "Commands.h"
#include "core/DataFile.h"
#include "core/SpreadsheetBlock.h"
#ifdef KESTRIN_CLI_WITH_CALC
#include "platform/calc/CalcClient.h"
#endif

namespace kestrin::cli {

namespace {


#ifdef KESTRIN_CLI_WITH_CALC
// The terminal's busy window: the message once, on standard error.
class TConsoleBusy : public calc::TExportBusyWindow {
 public:
  explicit TConsoleBusy(std::ostream& err) : err_(err) {}
  void ShowBusyMessage() override { err_ << calc::kBusyMessage << "\n" << std::flush; }
  void SetProgressText(const std::string&) override {}
  void HideBusyMessage() override {}

 private:
  std::ostream& err_;
};
#endif

int Export(const std::string& path, bool toCalc, TCliIo& io) {
  TMainData data;
  if (const TFileResult loaded = LoadMonth(path, data); !loaded) {
    PrintFailure(io.err, kLoadFailed, loaded);
    return kExitFailure;
  }

  if (!toCalc) {
    io.out << FormatBlockTsv(MakeSpreadsheetBlock(data));
    return kExitOk;
  }
#ifdef KESTRIN_CLI_WITH_CALC
  TConsoleBusy busy(io.err);
  const calc::TCalcExportResult r = calc::ExportToCalc(data, &busy);
  if (r.Status == calc::TCalcExportStatus::Exported) {
    io.out << r.DocumentTitle << "\n";
    return kExitOk;
  }
  io.err << r.MessageUtf8 << "\n";
  if (!r.DetailUtf8.empty()) io.err << "(" << r.DetailUtf8 << ")\n";
  return kExitFailure;
#else
  io.err << "この kestrin-cli は Calc への出力なしでビルドされています．\n";
  return kExitFailure;
#endif
}

}  // namespace

void RegisterExportCommands(TCommandLine& cli) {
  struct TArgs {
    std::string path;
    bool calc = false;
  };
  auto a = std::make_shared<TArgs>();
  CLI::App& c =
      cli.Add("export",
              "データファイルを読み込んで再計算し，表計算ソフトへ出力する値の表（A1 から P 列まで）を"
              "タブ区切りテキスト（UTF-8，シートの 1 行を 1 行）で標準出力に書きます．"
              "テキスト中のタブと改行は空白で示し，「,」「;」や引用符を含むテキストは引用符で囲み，"
              "数式と読まれる文字（= + - @）で始まるテキストには ' を付けます．--calc を付けると LibreOffice "
              "Calc の新しい"
              "文書に出力し，その文書名を書きます．",
              [a](TCliIo& io) { return Export(a->path, a->calc, io); });
  AddArgument(c, a->path, "FILE.slt", "データファイル");
  c.add_flag("--calc", a->calc, "LibreOffice Calc の新しい文書に出力し，その文書名を書きます．")
      ->disable_flag_override();
}

}  // namespace kestrin::cli
