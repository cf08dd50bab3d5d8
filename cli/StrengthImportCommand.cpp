// strength import: a lab's CSV of strength tests (core/StrengthCsv.h) into
// a new strength log (.kst) with the plant, month and mix given on the
// command line. The CSV is read whole and checked before anything is
// written; a refusal names the line and the column and writes nothing.
#include <algorithm>
#include <ostream>

#include "Commands.h"
#include "core/Numbers.h"
#include "core/StrengthCsv.h"
#include "core/StrengthFile.h"
#include "core/StrengthLimits.h"

namespace kestrin::cli {

namespace {

// A value of the mix read with its range and decimals: the validator's
// message names the option and what is wrong.
CLI::Validator ScaledValue(TScaledRange range, std::string what) {
  return CLI::Validator(
      [range, what = std::move(what)](std::string& v) {
        int32_t out = 0;
        const TScaledText r = ParseScaledText(v, range, out);
        return r == TScaledText::Ok ? std::string()
                                    : what + "：" + ScaledTextProblem(r, range) + "：" + ShownName(v);
      },
      "");
}

bool ValidPlant(const std::string& s) {
  if (!IsValidUtf8(s)) return false;
  std::size_t chars = 0;
  for (const char c : s) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }
  return chars <= kMaxPlantChars;
}

void Scaled(const std::optional<std::string>& text, const TScaledRange& range, int32_t& into) {
  if (text) ParseScaledText(*text, range, into);  // checked by its validator
}

}  // namespace

bool TStrengthImportArgs::Any() const {
  return Plant || Month || Nominal || Slump || SlumpTolerance || Air || AirTolerance;
}

void AddStrengthImportOptions(CLI::App& c, TStrengthImportArgs& a) {
  auto text = [&c](const char* name, std::optional<std::string>& into, const char* help) {
    return c.add_option_function<std::string>(
        name, [&into](const std::string& v) { into = v; }, help);
  };
  text("--plant", a.Plant, "import：工場名（必須）")
      ->type_name("NAME")
      ->check(Accepted(ValidPlant, "工場名は制御文字を含まない " + std::to_string(kMaxPlantChars) +
                                       " 文字までで指定してください"));
  text("--month", a.Month, "import：試験の月（必須，例 2025-06）")
      ->type_name("YYYY-MM")
      ->check(Accepted(
          [](const std::string& v) {
            int32_t y = 0, m = 0;
            return ParseStrengthMonth(v, y, m);
          },
          "月は「年-月」（例 2025-06，" + std::to_string(kMinStrengthYear) + "～" +
              std::to_string(kMaxStrengthYear) + " 年）で指定してください"));
  text("--nominal", a.Nominal, "import：呼び強度 N/mm²（必須）")
      ->type_name("N")
      ->check(ScaledValue(kNominalStrengthRange, "呼び強度"));
  text("--slump", a.Slump, "import：目標スランプ cm（既定 18.0）")
      ->type_name("T")
      ->check(ScaledValue(kMixSlumpRange, "目標スランプ"));
  text("--slump-tolerance", a.SlumpTolerance, "import：スランプの許容差 cm（既定 2.5）")
      ->type_name("K")
      ->check(ScaledValue(kMixSlumpToleranceRange, "スランプの許容差"));
  text("--air", a.Air, "import：目標空気量 %（既定 4.5）")
      ->type_name("A")
      ->check(ScaledValue(kMixAirRange, "目標空気量"));
  text("--air-tolerance", a.AirTolerance, "import：空気量の許容差 %（既定 1.5）")
      ->type_name("B")
      ->check(ScaledValue(kMixAirToleranceRange, "空気量の許容差"));
}

int RunStrengthImport(const std::string& input, const std::string& output, const TStrengthImportArgs& a,
                      TCliIo& io) {
  if (output.empty()) throw TUsageError("strength import には -o OUT.kst が必要です．");
  std::string ext = output.size() >= 4 ? output.substr(output.size() - 4) : std::string();
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  // The lab's CSV is never written over by a mistyped -o.
  if (ext != std::string(".") + kStrengthFileExt)
    throw TUsageError("strength import の書き出し先は .kst のファイルです：" + ShownName(output));
  if (!a.Plant) throw TUsageError("strength import には --plant NAME が必要です．");
  if (!a.Month) throw TUsageError("strength import には --month YYYY-MM が必要です．");
  if (!a.Nominal) throw TUsageError("strength import には --nominal N が必要です．");

  TStrengthLog log;
  log.Plant = *a.Plant;
  ParseStrengthMonth(*a.Month, log.Year, log.Month);
  Scaled(a.Nominal, kNominalStrengthRange, log.Mix.NominalStrength);
  Scaled(a.Slump, kMixSlumpRange, log.Mix.Slump);
  Scaled(a.SlumpTolerance, kMixSlumpToleranceRange, log.Mix.SlumpTolerance);
  Scaled(a.Air, kMixAirRange, log.Mix.Air);
  Scaled(a.AirTolerance, kMixAirToleranceRange, log.Mix.AirTolerance);

  TStrengthCsv csv;
  if (const TStrengthCsvResult r = LoadStrengthCsv(input, csv, DaysInMonth(log.Year, log.Month)); !r) {
    io.err << "CSV ファイルを取り込めません：" << ShownName(input) << "\n" << r.Message() << "\n";
    return kExitFailure;
  }
  if (!csv.IgnoredColumns.empty()) {
    io.err << "次の列は取り込みません：";
    for (const std::string& name : csv.IgnoredColumns) io.err << "「" << ShownName(name) << "」";
    io.err << "\n";
  }
  log.Tests = std::move(csv.Tests);
  if (const TFileResult saved = SaveStrengthFile(output, log); !saved) {
    PrintFailure(io.err, kSaveFailed, saved);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace kestrin::cli
