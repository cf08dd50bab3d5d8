// The strength log's file (see StrengthFile.h).
#include "StrengthFile.h"

#include <climits>

#include "Numbers.h"
#include "ReadFile.h"
#include "ShownText.h"
#include "StrengthLimits.h"
#include "StrictJson.h"

namespace kestrin {

namespace {

TStrengthReadResult Refused(const TJsonError& error) { return {false, {}, error.field, error.message}; }

// A member within one of the log's ranges (StrengthLimits.h).
bool InRange(TJsonChecker& c, const TJson& obj, const std::string& parent, const char* key,
             const TScaledRange& range, std::optional<int32_t>& out, bool required = false) {
  return c.Decimal(obj, parent, key, range.Decimals, range.Lo, range.Hi, out, required);
}

bool ReadSpecimens(TJsonChecker& c, const TJson& test, const std::string& parent, const char* key,
                   std::optional<TSpecimens>& out) {
  out.reset();
  const auto it = test.find(key);
  if (it == test.end() || it->is_null()) return true;
  const std::string field = TJsonChecker::Join(parent, key);
  if (!c.Array(*it, field)) return false;
  if (it->size() != kSpecimens)
    return c.Fail(field, TJsonChecker::Name(field) + "は供試体 3 本の値です（現在 " +
                             std::to_string(it->size()) + " 個）．");
  TSpecimens s{};
  for (std::size_t i = 0; i < kSpecimens; ++i)
    if (!c.Decimal((*it)[i], TJsonChecker::Index(field, i), kSpecimenRange.Decimals, kSpecimenRange.Lo,
                   kSpecimenRange.Hi, s[i]))
      return false;
  out = s;
  return true;
}

bool ReadMix(TJsonChecker& c, const TJson& root, TStrengthMix& mix) {
  const auto it = root.find("Mix");
  if (it == root.end()) return c.Missing("Mix");
  const TJson& m = *it;
  if (!c.Object(m, "Mix") || !c.OnlyKeys(m, "Mix",
                                         {"NominalStrength", "Slump", "SlumpTolerance", "Air", "AirTolerance",
                                          "Aggregate", "Cement", "Symbol"}))
    return false;
  std::optional<int32_t> nominal, slump, slumpTol, air, airTol;
  int32_t aggregate = 0;
  if (!InRange(c, m, "Mix", "NominalStrength", kNominalStrengthRange, nominal, true) ||
      !InRange(c, m, "Mix", "Slump", kMixSlumpRange, slump, true) ||
      !InRange(c, m, "Mix", "SlumpTolerance", kMixSlumpToleranceRange, slumpTol, true) ||
      !InRange(c, m, "Mix", "Air", kMixAirRange, air, true) ||
      !InRange(c, m, "Mix", "AirTolerance", kMixAirToleranceRange, airTol, true) ||
      !c.Int(m, "Mix", "Aggregate", kAggregateRange.Lo, kAggregateRange.Hi, aggregate, true))
    return false;
  mix.NominalStrength = *nominal;
  mix.Slump = *slump;
  mix.SlumpTolerance = *slumpTol;
  mix.Air = *air;
  mix.AirTolerance = *airTol;
  mix.Aggregate = aggregate;
  mix.Cement.clear();
  mix.Symbol.clear();
  return c.Utf8(m, "Mix", "Cement", kMaxCementChars, mix.Cement) &&
         c.Utf8(m, "Mix", "Symbol", kMaxSymbolChars, mix.Symbol);
}

bool ReadTest(TJsonChecker& c, const TJson& t, const std::string& at, int32_t days, TStrengthTest& test) {
  if (!c.Object(t, at) || !c.OnlyKeys(t, at,
                                      {"Day", "Time", "Truck", "Slump", "Air", "Temperature", "Chloride",
                                       "Strength7", "Strength28", "Remarks"}))
    return false;
  std::optional<int32_t> slump, air;
  if (!c.Int(t, at, "Day", 1, days, test.Day, true) || !c.Utf8(t, at, "Time", 16, test.Time) ||
      !c.Utf8(t, at, "Truck", kMaxTruckChars, test.Truck) ||
      !InRange(c, t, at, "Slump", kTestSlumpRange, slump, true) ||
      !InRange(c, t, at, "Air", kTestAirRange, air, true) ||
      !InRange(c, t, at, "Temperature", kTemperatureRange, test.Temperature) ||
      !InRange(c, t, at, "Chloride", kChlorideRange, test.Chloride) ||
      !ReadSpecimens(c, t, at, "Strength7", test.Strength7) ||
      !ReadSpecimens(c, t, at, "Strength28", test.Strength28) ||
      !c.Utf8(t, at, "Remarks", kMaxRemarksChars, test.Remarks))
    return false;
  if (!test.Time.empty() && !ValidStrengthTime(test.Time)) {
    const std::string field = TJsonChecker::Join(at, "Time");
    return c.Fail(field, TJsonChecker::Name(field) + "は「時:分」（00:00～23:59）で書いてください．");
  }
  test.Slump = *slump;
  test.Air = *air;
  return true;
}

// Reads the bytes of a regular file of at most kMaxStrengthFileBytes.
TStrengthReadResult ReadBytes(const std::string& path, std::string& text) {
  std::string reason;
  if (!ReadRegularFile(path, kMaxStrengthFileBytes, text, reason)) return {false, path, {}, reason};
  return {true, path, {}, {}};
}

// One value on one line: objects and arrays with ", " and ": " between
// their items, texts as UTF-8.
std::string Inline(const TJson& v) {
  std::string s;
  if (v.is_object()) {
    for (auto it = v.begin(); it != v.end(); ++it)
      s += (s.empty() ? "" : ", ") + TJson(it.key()).dump() + ": " + Inline(it.value());
    return "{" + s + "}";
  }
  if (v.is_array()) {
    for (const TJson& item : v) s += (s.empty() ? "" : ", ") + Inline(item);
    return "[" + s + "]";
  }
  return v.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

TJson Scaled(int32_t v, int decimals) { return decimals == 1 ? v / 10.0 : v / 100.0; }
TJson Scaled(const std::optional<int32_t>& v, int decimals) {
  return v ? Scaled(*v, decimals) : TJson(nullptr);
}
TJson Specimens(const std::optional<TSpecimens>& s) {
  if (!s) return nullptr;
  TJson a = TJson::array();
  for (const int32_t v : *s) a.push_back(Scaled(v, 1));
  return a;
}

}  // namespace

// The path is escaped: a name with a line break would forge a line.
std::string TStrengthReadResult::Message() const {
  return Path.empty() ? Reason : ShownName(Path) + ": " + Reason;
}

TStrengthReadResult StrengthLogFromText(std::string_view text, TStrengthLog& out) {
  // A byte-order mark left by an editor.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  TJson root;
  TJsonError error;
  if (!ParseStrictJson(text, root, error)) {
    error.message += "．";
    return Refused(error);
  }
  TJsonChecker c(error);
  if (!root.is_object()) {
    c.Fail("", "強度試験ファイルではありません（JSON のオブジェクトではありません）．");
    return Refused(error);
  }
  const auto format = root.find("Format");
  if (format == root.end() || !format->is_string() ||
      format->get_ref<const std::string&>() != kStrengthFormat) {
    c.Fail("Format", std::string("強度試験ファイルではありません（Format が \"") + kStrengthFormat +
                         "\" ではありません）．");
    return Refused(error);
  }
  int32_t version = 0;
  if (!c.Int(root, "", "Version", 1, INT32_MAX, version, true)) return Refused(error);
  if (version > kStrengthVersion) {
    c.Fail("Version", "このファイルは新しい版の Kestrin で保存されています（Version " +
                          std::to_string(version) + "）．この版では読めません．");
    return Refused(error);
  }
  if (!c.OnlyKeys(root, "", {"Format", "Version", "Plant", "Month", "Mix", "Tests"})) return Refused(error);

  TStrengthLog log;
  log.Mix = {};
  std::string month;
  if (!c.Utf8(root, "", "Plant", kMaxPlantChars, log.Plant)) return Refused(error);
  if (root.find("Month") == root.end()) {
    c.Missing("Month");
    return Refused(error);
  }
  if (!c.Utf8(root, "", "Month", 7, month) || !ParseStrengthMonth(month, log.Year, log.Month)) {
    if (error.message.empty())
      c.Fail("Month", TJsonChecker::Name("Month") + "は「年-月」（例 2025-06，" +
                          std::to_string(kMinStrengthYear) + "～" + std::to_string(kMaxStrengthYear) +
                          " 年）で書いてください．");
    return Refused(error);
  }
  if (!ReadMix(c, root, log.Mix)) return Refused(error);

  const auto tests = root.find("Tests");
  if (tests == root.end()) {
    c.Missing("Tests");
    return Refused(error);
  }
  if (!c.Array(*tests, "Tests")) return Refused(error);
  if (tests->size() > kMaxStrengthTests) {
    c.Fail("Tests", TJsonChecker::Name("Tests") + "の試験が多すぎます（" + std::to_string(kMaxStrengthTests) +
                        " 件まで，現在 " + std::to_string(tests->size()) + " 件）．");
    return Refused(error);
  }
  const int32_t days = DaysInMonth(log.Year, log.Month);
  log.Tests.resize(tests->size());
  for (std::size_t i = 0; i < tests->size(); ++i)
    if (!ReadTest(c, (*tests)[i], TJsonChecker::Index("Tests", i), days, log.Tests[i])) return Refused(error);
  out = std::move(log);
  return {};
}

TStrengthReadResult LoadStrengthFile(const std::string& path, TStrengthLog& log) {
  std::string text;
  if (TStrengthReadResult read = ReadBytes(path, text); !read) return read;
  TStrengthReadResult r = StrengthLogFromText(text, log);
  r.Path = path;
  return r;
}

std::string StrengthLogText(const TStrengthLog& log) {
  const TStrengthMix& m = log.Mix;
  TJson mix = TJson::object();
  mix["NominalStrength"] =
      m.NominalStrength % 10 == 0 ? TJson(m.NominalStrength / 10) : Scaled(m.NominalStrength, 1);
  mix["Slump"] = Scaled(m.Slump, 1);
  mix["SlumpTolerance"] = Scaled(m.SlumpTolerance, 1);
  mix["Air"] = Scaled(m.Air, 1);
  mix["AirTolerance"] = Scaled(m.AirTolerance, 1);
  mix["Aggregate"] = m.Aggregate;
  mix["Cement"] = m.Cement;
  mix["Symbol"] = m.Symbol;

  const std::string month =
      FormatScaled(log.Year, 0) + "-" + (log.Month < 10 ? "0" : "") + std::to_string(log.Month);
  std::string s = "{\n";
  s += "  \"Format\": " + Inline(kStrengthFormat) + ",\n";
  s += "  \"Version\": " + std::to_string(kStrengthVersion) + ",\n";
  s += "  \"Plant\": " + Inline(log.Plant) + ",\n";
  s += "  \"Month\": " + Inline(month) + ",\n";
  s += "  \"Mix\": " + Inline(mix) + ",\n";
  s += "  \"Tests\": [";
  for (std::size_t i = 0; i < log.Tests.size(); ++i) {
    const TStrengthTest& t = log.Tests[i];
    TJson j = TJson::object();
    j["Day"] = t.Day;
    j["Time"] = t.Time.empty() ? TJson(nullptr) : TJson(t.Time);
    j["Truck"] = t.Truck;
    j["Slump"] = Scaled(t.Slump, 1);
    j["Air"] = Scaled(t.Air, 1);
    j["Temperature"] = Scaled(t.Temperature, 1);
    j["Chloride"] = Scaled(t.Chloride, 2);
    j["Strength7"] = Specimens(t.Strength7);
    j["Strength28"] = Specimens(t.Strength28);
    j["Remarks"] = t.Remarks;
    s += (i == 0 ? "\n    " : ",\n    ") + Inline(j);
  }
  s += log.Tests.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return s;
}

TFileResult SaveStrengthFile(const std::string& path, const TStrengthLog& log) {
  const std::string text = StrengthLogText(log);
  // Only what reads back as the same log is written: a value out of range
  // or a text the reader refuses would make a file that cannot be opened.
  TStrengthLog back;
  if (const TStrengthReadResult r = StrengthLogFromText(text, back); !r)
    return TFileResult::Failure(path, r.Reason);
  if (!(back == log)) return TFileResult::Failure(path, "書き戻せない文字または値があります");
  return WriteFileAtomically(path, text);
}

}  // namespace kestrin
