// overview: the year and plant overview of a set of month files as JSON,
// as CSV, or (Qt builds) as the printed overview in PDF or PNG.
#include <sys/stat.h>

#include <charconv>
#include <cstdio>
#include <memory>
#include <optional>
#include <ostream>
#include <type_traits>

#include "Commands.h"
#include "RecordJson.h"
#include "core/CsvField.h"
#include "core/Numbers.h"

namespace kestrin::cli {

namespace {

struct TOverviewArgs {
  std::vector<std::string> inputs;
  bool recursive = false;
  bool csv = false;
  std::string output;
  int dpi = kOverviewDefaultDpi;
  std::optional<std::string> settings;
};


Json Optional(const std::optional<int32_t>& v) { return v ? Json(*v) : Json(nullptr); }
Json Optional(const std::optional<long double>& v) {
  return v ? Json(static_cast<double>(*v)) : Json(nullptr);
}
Json Optional(const std::optional<double>& v) { return v ? Json(*v) : Json(nullptr); }

// Strength figures in N/mm² (the month figures keep their hundredths).
Json Tenths(const std::optional<int32_t>& v) { return v ? Json(*v / 10.0) : Json(nullptr); }
Json Hundredths(const std::optional<int32_t>& v) { return v ? Json(*v / 100.0) : Json(nullptr); }

void AddSummary(Json& row, const TStrengthSummary& s) {
  row["Count"] = s.Count;
  row["Mean"] = Hundredths(s.Mean);
  row["Sigma"] = Hundredths(s.Sigma);
  row["Min"] = Tenths(s.Min);
  row["Max"] = Tenths(s.Max);
  row["RequiredMean"] = Hundredths(s.RequiredMean);
  row["Margin"] = Hundredths(s.Margin);
}

Json StrengthJson(const TOverview& o) {
  Json rows = Json::array();
  for (const TStrengthOverviewMonth& m : o.StrengthMonths) {
    Json row{{"File", m.File},
             {"Getsudo", m.Getsudo},
             {"Kojo", Cp932ToUtf8Lossy(m.Kojo)},
             {"Nominal", m.Nominal / 10.0},
             {"Tests", m.Tests}};
    AddSummary(row, m.Summary);
    row["FailedTests"] = m.FailedTests;
    row["FailedLots"] = m.FailedLots;
    row["Duplicate"] = m.Duplicate;
    rows.push_back(std::move(row));
  }
  return rows;
}

Json StrengthPooledJson(const TOverview& o) {
  Json rows = Json::array();
  for (const TStrengthOverviewMix& mix : o.StrengthMixes) {
    Json row{{"Kojo", Cp932ToUtf8Lossy(mix.Kojo)}, {"Nominal", mix.Nominal / 10.0}, {"Months", mix.Months}};
    AddSummary(row, mix.Summary);
    row["FailedTests"] = mix.FailedTests;
    row["FailedLots"] = mix.FailedLots;
    rows.push_back(std::move(row));
  }
  return rows;
}

Json OverviewJson(const TOverview& o, const TControlRuleSet& rules) {
  Json months = Json::array();
  for (const TOverviewMonth& m : o.Months) {
    months.push_back(Json{{"File", m.File},
                          {"Getsudo", m.Getsudo},
                          {"Kojo", Cp932ToUtf8Lossy(m.Kojo)},
                          {"KariAveX", m.KariAveX},
                          {"Kyoyo", m.Kyoyo},
                          {"Count", m.Count},
                          {"Failed", m.Failed},
                          // A month without values has no mean and no deviation.
                          {"AveX", m.Count > 0 ? Json(m.AveX) : Json(nullptr)},
                          {"Hensa", m.Count > 0 ? Json(static_cast<double>(m.Hensa)) : Json(nullptr)},
                          {"Min", Optional(m.Min)},
                          {"Max", Optional(m.Max)},
                          {"Cp", Optional(m.Capability.Cp)},
                          {"Cpk", Optional(m.Capability.Cpk)},
                          {"Duplicate", m.Duplicate},
                          {"ControlSignals", Optional(ControlSignalCount(m, rules))}});
  }
  Json plants = Json::array();
  for (const TOverviewPlant& p : o.Plants) {
    // A plant of strength logs alone has its rows under "StrengthPooled".
    if (p.MonthIndexes.empty()) continue;
    plants.push_back(Json{{"Kojo", Cp932ToUtf8Lossy(p.Kojo)},
                          {"Months", p.Months},
                          {"Count", p.Count},
                          {"Failed", p.Failed},
                          {"AveX", Optional(p.AveX)},
                          {"Hensa", Optional(p.Hensa)},
                          {"Min", Optional(p.Min)},
                          {"Max", Optional(p.Max)},
                          {"Cp", Optional(p.Capability.Cp)},
                          {"Cpk", Optional(p.Capability.Cpk)}});
  }
  Json failed = Json::array();
  for (const TOverviewFailure& f : o.FailedFiles)
    failed.push_back(Json{{"File", f.File}, {"Reason", f.Reason}});
  Json json{{"Months", months}, {"Plants", plants}, {"FailedFiles", failed}};
  // Strength rows only when strength logs were read: the output of month
  // files alone stays as it always was.
  if (!o.StrengthMonths.empty()) {
    json["Strength"] = StrengthJson(o);
    json["StrengthPooled"] = StrengthPooledJson(o);
  }
  return json;
}

std::string CsvNumber(double v) {
  char buffer[64];
  auto [p, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
  return ec == std::errc() ? std::string(buffer, p) : std::string();
}

template <typename T>
std::string CsvOptional(const std::optional<T>& v) {
  if (!v) return std::string();
  if constexpr (std::is_integral_v<T>)
    return std::to_string(*v);
  else
    return CsvNumber(static_cast<double>(*v));
}

std::string CsvScaled(const std::optional<int32_t>& v, int decimals) {
  return v ? FormatScaled(*v, decimals) : std::string();
}

std::string CsvMonth(int32_t getsudo) {
  char month[16];
  std::snprintf(month, sizeof month, "%d/%02d", DateYear(getsudo), DateMonth(getsudo));
  return month;
}

// The strength block after the month block: a heading line of its own,
// then per plant and mix its logs ("Month") and the pooled row ("Pooled",
// without file and month), figures in N/mm² as printed.
void WriteStrengthCsv(const TOverview& o, std::ostream& out) {
  out << "Kind,File,Getsudo,Kojo,Nominal,Tests,Count,Mean,Sigma,Min,Max,RequiredMean,Margin,FailedTests,"
         "FailedLots,Duplicate\r\n";
  auto figures = [&out](const TStrengthSummary& s) {
    out << s.Count << ',' << CsvScaled(s.Mean, 2) << ',' << CsvScaled(s.Sigma, 2) << ','
        << CsvScaled(s.Min, 1) << ',' << CsvScaled(s.Max, 1) << ',' << CsvScaled(s.RequiredMean, 2) << ','
        << CsvScaled(s.Margin, 2) << ',';
  };
  for (const TStrengthOverviewMix& mix : o.StrengthMixes) {
    int64_t tests = 0;
    for (std::size_t i : mix.MonthIndexes) {
      const TStrengthOverviewMonth& m = o.StrengthMonths[i];
      tests += m.Tests;
      out << "Month," << CsvField(m.File) << ',' << CsvMonth(m.Getsudo) << ','
          << CsvField(Cp932ToUtf8Lossy(m.Kojo)) << ',' << FormatScaled(m.Nominal, 1) << ',' << m.Tests << ',';
      figures(m.Summary);
      out << m.FailedTests << ',' << m.FailedLots << ',' << (m.Duplicate ? 1 : 0) << "\r\n";
    }
    out << "Pooled,,," << CsvField(Cp932ToUtf8Lossy(mix.Kojo)) << ',' << FormatScaled(mix.Nominal, 1) << ','
        << tests << ',';
    figures(mix.Summary);
    out << mix.FailedTests << ',' << mix.FailedLots << ",\r\n";
  }
}

void WriteCsv(const TOverview& o, std::ostream& out, const TControlRuleSet& rules) {
  out << "\xEF\xBB\xBF"
      << "File,Getsudo,Kojo,KariAveX,Kyoyo,Count,Failed,AveX,Hensa,Min,Max,Cp,Cpk,Duplicate,"
         "ControlSignals,Reason\r\n";
  for (const TOverviewMonth& m : o.Months) {
    // The month of record as year/month: the packed number means nothing
    // in a spreadsheet.
    char month[16];
    std::snprintf(month, sizeof month, "%d/%02d", DateYear(m.Getsudo), DateMonth(m.Getsudo));
    out << CsvField(m.File) << ',' << month << ',' << CsvField(Cp932ToUtf8Lossy(m.Kojo)) << ',' << m.KariAveX
        << ',' << m.Kyoyo << ',' << m.Count << ',' << m.Failed << ','
        << (m.Count > 0 ? std::to_string(m.AveX) : std::string()) << ','
        << (m.Count > 0 ? CsvNumber(static_cast<double>(m.Hensa)) : std::string()) << ','
        << CsvOptional(m.Min) << ',' << CsvOptional(m.Max) << ',' << CsvOptional(m.Capability.Cp) << ','
        << CsvOptional(m.Capability.Cpk) << ',' << (m.Duplicate ? 1 : 0) << ','
        << CsvOptional(ControlSignalCount(m, rules)) << ",\r\n";
  }
  // Files and folders that could not be read: the path and the reason,
  // the figures empty.
  for (const TOverviewFailure& f : o.FailedFiles)
    out << CsvField(f.File) << ",,,,,,,,,,,,,,," << CsvField(f.Reason) << "\r\n";
  if (!o.StrengthMonths.empty()) WriteStrengthCsv(o, out);
}

int Overview(const TOverviewArgs& a, TCliIo& io, const TOverviewWriter& writer) {
  if (a.csv && !a.output.empty()) throw TUsageError("--csv と -o は同時に指定できません．");
  if (!a.output.empty()) {
    if (!writer) throw TUsageError("このビルドの kestrin-cli は帳票を出力できません．");
    std::string message;
    if (!writer.Check(a.output, a.dpi, message)) throw TUsageError(message);
    if (!OutputNameCarried(a.output, io.err)) return kExitFailure;
  }

  // Folders become their month files; a folder without any, and every
  // part of one that cannot be read, is a failure of its own, listed like
  // a file that cannot be read.
  std::vector<std::string> files;
  std::vector<TOverviewFailure> folderFailures;
  for (const std::string& input : a.inputs) {
    struct stat st;
    if (::stat(input.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
      files.push_back(input);
      continue;
    }
    std::vector<std::string> listed;
    ListOverviewFiles(input, a.recursive, listed, folderFailures);
    files.insert(files.end(), listed.begin(), listed.end());
  }

  TOverview overview = BuildOverview(files);
  overview.FailedFiles.insert(overview.FailedFiles.begin(), folderFailures.begin(),
                              folderFailures.end());
  for (const TOverviewFailure& f : overview.FailedFiles)
    io.err << ShownName(f.File) << "：" << f.Reason << "\n";
  const int code = overview.FailedFiles.empty() ? kExitOk : kExitFailure;

  if (!a.output.empty()) {
    if (overview.Plants.empty()) {
      io.err << "読み込めた月度データ・強度試験データがないため，帳票は出力しません．\n";
      return kExitFailure;
    }
    std::vector<std::string> written;
    std::string message;
    if (!writer.Write(overview, a.output, a.dpi, a.settings, written, message)) {
      io.err << message << "\n";
      return kExitFailure;
    }
    if (!message.empty()) io.err << message << "\n";
    for (const std::string& name : written) io.out << name << "\n";
    return code;
  }
  // The control rules of the column 管理外れ: those of --settings, else the
  // program's own.
  const TControlRuleSet rules = (a.settings ? LoadSettingsFile(*a.settings) : ProgramSettings()).ControlRules;
  if (a.csv) WriteCsv(overview, io.out, rules);
  else io.out << OverviewJson(overview, rules).dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
  return code;
}

}  // namespace

void RegisterOverviewCommands(TCommandLine& cli, TOverviewWriter writer) {
  auto a = std::make_shared<TOverviewArgs>();
  CLI::App& c = cli.Add(
      "overview",
      "複数の月度データから年間推移（月ごとの行，工場ごとの通算値）を JSON で出力します．"
      "フォルダはその中の .slt ファイルと強度試験の .kst ファイル（--recursive でサブフォルダも）．"
      "強度試験は工場・呼び強度ごとの行（JSON の Strength と StrengthPooled，CSV "
      "は月の行の後の別見出しの表）になります．"
      "--csv は月ごとの行を CSV（UTF-8，BOM 付き）で，-o は印刷する年間推移"
      "（工場ごとに A4 横１ページ，月数が多ければ続きのページ）を PDF または PNG（OUT-1.png …）で書きます．"
      "終了コード: すべて読み込めたとき 0，読み込めないファイルがあったとき 1"
      "（読み込めたものは出力します），使い方の誤り 2．",
      [a, writer](TCliIo& io) { return Overview(*a, io, writer); });
  c.add_option("inputs", a->inputs, "月度データファイル・強度試験ファイルまたはフォルダ")
      ->type_name("FILE.slt|kst...|DIR")
      ->required();
  c.add_flag("--recursive", a->recursive, "フォルダのサブフォルダも読みます");
  c.add_flag("--csv", a->csv, "月ごとの行を CSV（UTF-8，BOM 付き）で書きます");
  c.add_option("-o,--output", a->output, "印刷する年間推移の出力ファイル（拡張子 .pdf で PDF，.png で PNG）")
      ->type_name("OUT.pdf|png")
      ->check(Accepted([](const std::string& v) { return !v.empty(); }, "出力ファイル名を指定してください"));
  c.add_option("--dpi", a->dpi,
               "解像度（" + std::to_string(kOverviewMinDpi) + "～" + std::to_string(kOverviewMaxDpi) +
                   "；初期値 " + std::to_string(kOverviewDefaultDpi) + "）")
      ->type_name("N")
      ->check(IntegerIn(kOverviewMinDpi, kOverviewMaxDpi,
                        "--dpi には " + std::to_string(kOverviewMinDpi) + " から " +
                            std::to_string(kOverviewMaxDpi) + " までの整数を指定してください"));
  c.add_option_function<std::string>(
       "--settings", [a](const std::string& v) { a->settings = v; }, "会社名・印鑑欄名称を読む設定ファイル")
      ->type_name("INI");
}

}  // namespace kestrin::cli
