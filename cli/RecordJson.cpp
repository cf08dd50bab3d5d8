#include "RecordJson.h"

#include <cmath>
#include <cstdint>
#include <optional>
#include <new>
#include <set>
#include <vector>

#include "core/Capability.h"
#include "core/Cement.h"
#include "core/Cp932.h"
#include "core/DataFile.h"

namespace kestrin::cli {

// ================================================================ record -> JSON

namespace {

std::string Text(const AnsiString& cp932) { return Cp932ToUtf8Lossy(cp932); }

Json Index(const std::optional<double>& v) { return v ? Json(*v) : Json(nullptr); }

const char* RuleName(TSignalRule r) {
  switch (r) {
    case TSignalRule::Run: return "Run";
    case TSignalRule::Trend: return "Trend";
    case TSignalRule::NearLimit: return "NearLimit";
  }
  return "";
}

const char* SideName(TSignalSide s) {
  switch (s) {
    case TSignalSide::Above: return "Above";
    case TSignalSide::Below: return "Below";
    case TSignalSide::Up: return "Up";
    case TSignalSide::Down: return "Down";
  }
  return "";
}

Json Slot(const TSignalValue& v) { return Json{{"Day", v.Day}, {"Time", v.Half == 0 ? "AM" : "PM"}}; }

}  // namespace

Json MainDataToJson(const TMainData& d, const TSignalLengths& lengths) {
  const TBasicInfo& b = d.BasicInfo;
  Json basic = {
      {"Getsudo", b.Getsudo},
      {"StartDay", b.StartDay},
      {"EndDay", b.EndDay},
      {"Kojo", Text(b.Kojo)},
      {"Tanto", Text(b.Tanto)},
      {"Biko", Text(b.Biko)},
      {"ClassWidth", static_cast<double>(b.ClassWidth)},
      {"KariAveX", b.KariAveX},
      {"Kyoyo", b.Kyoyo},
      {"Kyodo", b.Kyodo},
      {"Kotsuzai", b.Kotsuzai},
      {"Air", b.Air},
      {"AirKyoyo", b.AirKyoyo},
      {"Cement", {{"Name", Text(b.Cement.Name)}, {"Mark", Text(b.Cement.Mark)}}},
  };
  Json slumps = Json::array();
  for (const TSlump& day : d.SlumpList) {
    Json list = Json::array();
    for (const TSokutei& s : day.SokuteiList) list.push_back({{"Value", s.Value}, {"Judge", s.Judge}});
    slumps.push_back({{"Day", day.Day}, {"SokuteiList", std::move(list)}});
  }
  Json rows = Json::array();
  for (const THistogram& h : d.HistogramList)
    rows.push_back({{"Lower", h.Lower}, {"Upper", h.Upper}, {"Center", h.Center}, {"U", h.U}, {"F", h.F}});
  const TCalcedResult& r = d.CalcedResult;
  Json result = {{"SumF", r.SumF},
                 {"SumUF", r.SumUF},
                 {"SumU2F", r.SumU2F},
                 {"AveX", r.AveX},
                 {"Hensa", static_cast<double>(r.Hensa)}};
  const TCapability cap = MonthCapability(d);
  Json signals = Json::array();
  for (const TSignal& s : MonthSignals(d, lengths))
    signals.push_back({{"Rule", RuleName(s.Rule)},
                       {"Side", SideName(s.Side)},
                       {"From", Slot(s.From)},
                       {"To", Slot(s.To)},
                       {"Count", s.Count}});
  return Json{{"BasicInfo", std::move(basic)},
              {"SlumpList", std::move(slumps)},
              {"HistogramList", std::move(rows)},
              {"CalcedResult", std::move(result)},
              {"Capability", {{"Cp", Index(cap.Cp)}, {"Cpk", Index(cap.Cpk)}}},
              {"Signals", std::move(signals)}};
}

// ================================================================ text -> JSON

namespace {

// The byte offset where the nesting first goes deeper than kMaxJsonDepth,
// or npos. Brackets inside strings do not count.
std::size_t TooDeepAt(std::string_view text) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxJsonDepth) return i;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return std::string_view::npos;
}

// Builds the document from the parser's events and knows the path of the
// value being read, so that an error in a value can name its field.
class TJsonBuilder final : public nlohmann::json_sax<Json> {
 public:
  Json Root;
  // Where the parser stopped, when it did.
  std::string ErrorField;
  std::size_t ErrorPosition = 0;
  int ErrorId = 0;

  bool null() override { return Put(nullptr); }
  bool boolean(bool v) override { return Put(v); }
  bool number_integer(number_integer_t v) override { return Put(v); }
  bool number_unsigned(number_unsigned_t v) override { return Put(v); }
  bool number_float(number_float_t v, const string_t&) override { return Put(v); }
  bool string(string_t& v) override { return Put(std::move(v)); }
  bool binary(binary_t&) override { return false; }  // never in JSON text
  bool start_object(std::size_t) override { return Open(Json::object()); }
  bool key(string_t& k) override {
    open_.back().key = std::move(k);
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(Json::array()); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t position, const std::string&, const nlohmann::detail::exception& e) override {
    ErrorPosition = position;
    ErrorId = e.id;
    ErrorField = Path();
    return false;
  }

 private:
  // An open array or object. Only the innermost one grows, so the pointers
  // to the outer ones stay valid.
  struct TLevel {
    Json* value;
    std::string key;  // objects: the member being read
  };
  std::vector<TLevel> open_;

  Json* Insert(Json v) {
    if (open_.empty()) {
      Root = std::move(v);
      return &Root;
    }
    TLevel& top = open_.back();
    if (top.value->is_array()) {
      top.value->push_back(std::move(v));
      return &top.value->back();
    }
    Json& slot = (*top.value)[top.key];
    slot = std::move(v);
    return &slot;
  }
  bool Put(Json v) {
    Insert(std::move(v));
    return true;
  }
  bool Open(Json v) {
    open_.push_back({Insert(std::move(v)), {}});
    return true;
  }
  bool Close() {
    open_.pop_back();
    return true;
  }
  // "BasicInfo.Getsudo", "SlumpList[2].SokuteiList[0].Value", as
  // MainDataFromJson names fields. An open container is the last item of
  // its parent; in the innermost array the value being read comes next.
  std::string Path() const {
    std::string path;
    for (std::size_t i = 0; i < open_.size(); ++i) {
      const Json& v = *open_[i].value;
      if (v.is_array()) {
        const std::size_t index = i + 1 < open_.size() ? v.size() - 1 : v.size();
        path += "[" + std::to_string(index) + "]";
      } else if (!open_[i].key.empty()) {
        path += (path.empty() ? "" : ".") + open_[i].key;
      }
    }
    return path;
  }
};

}  // namespace

bool ParseRecordJson(std::string_view text, Json& json, TJsonError& error) {
  error = {};
  if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
    error.message = "JSON に NUL バイトがあります（" + std::to_string(nul + 1) + " バイト目）";
    return false;
  }
  if (const std::size_t deep = TooDeepAt(text); deep != std::string_view::npos) {
    error.message = "JSON の入れ子が深すぎます（" + std::to_string(deep + 1) + " バイト目，" +
                    std::to_string(kMaxJsonDepth) + " 段まで）";
    return false;
  }
  TJsonBuilder builder;
  try {
    if (Json::sax_parse(text.begin(), text.end(), &builder, Json::input_format_t::json, true, false)) {
      json = std::move(builder.Root);
      return true;
    }
  } catch (const std::bad_alloc&) {
    error.message = "JSON が大きすぎて読み込めません（メモリ不足）";
    return false;
  }
  const std::string at = std::to_string(builder.ErrorPosition) + " バイト目付近";
  error.field = builder.ErrorField;
  if (builder.ErrorId == 406) {  // a number beyond the range of a double
    error.message = error.field.empty()
                        ? "JSON の数値が大きすぎます（" + at + "）"
                        : "項目 " + error.field + " の数値が大きすぎます（" + at + "）";
  } else {
    error.field.clear();
    error.message = "JSON の形式が正しくありません（" + at + "）";
  }
  return false;
}

// ================================================================ JSON -> record

namespace {

// Limits of the main window's entry fields (cm x100 where noted) and of its
// text cells (CP932 bytes).
constexpr int64_t kMaxSlump = 9990;      // 99.9 cm
constexpr int64_t kMaxKyoyo = 500;       // 5.0 cm
constexpr double kMaxKyodo = 99.9;       // N/mm2
constexpr double kMaxKotsuzai = 9999;    // mm, four characters
constexpr double kMaxAir = 99.9;         // %
constexpr double kMaxAirKyoyo = 5.0;     // %
constexpr int32_t kMinYear = 1900;
constexpr int32_t kMaxYear = 2100;

struct TextLimit {
  const char* key;
  std::size_t maxBytes;
};

// Validation with the first error kept; every check returns false once an
// error is recorded so callers can chain them.
class Validator {
 public:
  explicit Validator(TJsonError& error) : error_(error) {}

  bool Fail(const std::string& field, const std::string& message) {
    error_.field = field;
    error_.message = message;
    return false;
  }

  bool Object(const Json& j, const std::string& field) {
    if (j.is_object()) return true;
    return Fail(field, Name(field) + "の型が正しくありません（オブジェクトが必要です）．");
  }

  bool Array(const Json& j, const std::string& field) {
    if (j.is_array()) return true;
    return Fail(field, Name(field) + "の型が正しくありません（配列が必要です）．");
  }

  bool OnlyKeys(const Json& obj, const std::string& field, std::initializer_list<const char*> keys) {
    for (auto it = obj.begin(); it != obj.end(); ++it) {
      bool known = false;
      for (const char* k : keys) known = known || it.key() == k;
      if (!known) return Fail(Join(field, it.key()), Name(Join(field, it.key())) + "は不明な項目です．");
    }
    return true;
  }

  // An integer member in [lo, hi]; absent members keep `out`.
  bool Int(const Json& obj, const std::string& parent, const char* key, int64_t lo, int64_t hi,
           int32_t& out, bool required = false) {
    const std::string field = Join(parent, key);
    auto it = obj.find(key);
    if (it == obj.end()) return required ? Missing(field) : true;
    if (!it->is_number_integer())
      return Fail(field, Name(field) + "の型が正しくありません（整数が必要です）．");
    // A non-negative number arrives as unsigned; it must meet the lower
    // bound too (a day of 0 is out of range, not day "nothing").
    const bool fits = it->is_number_unsigned()
                          ? it->get<uint64_t>() <= static_cast<uint64_t>(hi) &&
                                (lo <= 0 || it->get<uint64_t>() >= static_cast<uint64_t>(lo))
                          : it->get<int64_t>() >= lo && it->get<int64_t>() <= hi;
    if (!fits)
      return Fail(field, Name(field) + "の値が範囲外です（" + std::to_string(lo) + "～" +
                             std::to_string(hi) + "）．");
    out = static_cast<int32_t>(it->get<int64_t>());
    return true;
  }

  bool Number(const Json& obj, const std::string& parent, const char* key, double lo, double hi,
              double& out) {
    const std::string field = Join(parent, key);
    auto it = obj.find(key);
    if (it == obj.end()) return true;
    if (!it->is_number()) return Fail(field, Name(field) + "の型が正しくありません（数値が必要です）．");
    const double v = it->get<double>();
    if (!std::isfinite(v) || v < lo || v > hi)
      return Fail(field, Name(field) + "の値が範囲外です（" + Plain(lo) + "～" + Plain(hi) + "）．");
    out = v;
    return true;
  }

  bool Bool(const Json& obj, const std::string& parent, const char* key) {
    const std::string field = Join(parent, key);
    auto it = obj.find(key);
    if (it == obj.end() || it->is_boolean()) return true;
    return Fail(field, Name(field) + "の型が正しくありません（true または false が必要です）．");
  }

  // A UTF-8 text member converted to CP932 within maxBytes.
  bool Text(const Json& obj, const std::string& parent, const char* key, std::size_t maxBytes,
            AnsiString& out) {
    const std::string field = Join(parent, key);
    auto it = obj.find(key);
    if (it == obj.end()) return true;
    if (!it->is_string()) return Fail(field, Name(field) + "の型が正しくありません（文字列が必要です）．");
    Cp932Error bad;
    auto cp932 = Utf8ToCp932(it->get_ref<const std::string&>(), &bad);
    if (!cp932) {
      if (bad.character.empty() || bad.character[0] == '\0')
        return Fail(field, Name(field) + "に Shift-JIS（CP932）で表せない文字があります．");
      return Fail(field, Name(field) + "に Shift-JIS（CP932）で表せない文字があります：「" +
                             bad.character + "」．");
    }
    if (cp932->find('\0') != std::string::npos)
      return Fail(field, Name(field) + "に使えない文字（NUL）があります．");
    if (cp932->size() > maxBytes)
      return Fail(field, Name(field) + "が長すぎます（Shift-JIS で " + std::to_string(maxBytes) +
                             " バイトまで，現在 " + std::to_string(cp932->size()) + " バイト）．");
    out = std::move(*cp932);
    return true;
  }

  bool Missing(const std::string& field) { return Fail(field, Name(field) + "がありません．"); }

  static std::string Join(const std::string& parent, const std::string& key) {
    return parent.empty() ? key : parent + "." + key;
  }
  static std::string Index(const std::string& parent, std::size_t i) {
    return parent + "[" + std::to_string(i) + "]";
  }

 private:
  static std::string Name(const std::string& field) { return "項目 " + field + " "; }
  static std::string Plain(double v) {
    std::string s = std::to_string(v);
    while (!s.empty() && s.back() == '0') s.pop_back();
    if (!s.empty() && s.back() == '.') s.pop_back();
    return s;
  }

  TJsonError& error_;
};

}  // namespace

bool MainDataFromJson(const Json& json, TMainData& out, TJsonError& error) {
  Validator v(error);
  if (!json.is_object()) return v.Fail("", "JSON の最上位はオブジェクトでなければなりません．");
  // The computed parts (class table, results, capability, signals, the
  // X̄–R chart and its signals) are accepted so that stats output feeds
  // back in, and recomputed.
  if (!v.OnlyKeys(json, "",
                  {"BasicInfo", "SlumpList", "HistogramList", "CalcedResult", "Capability", "Signals",
                   "ControlChart", "ControlSignals"}))
    return false;

  auto basicIt = json.find("BasicInfo");
  if (basicIt == json.end()) return v.Missing("BasicInfo");
  const Json& bj = *basicIt;
  const std::string B = "BasicInfo";
  if (!v.Object(bj, B)) return false;
  if (!v.OnlyKeys(bj, B, {"Getsudo", "StartDay", "EndDay", "Kojo", "Tanto", "Biko", "ClassWidth",
                          "KariAveX", "Kyoyo", "Kyodo", "Kotsuzai", "Air", "AirKyoyo", "Cement"}))
    return false;

  TMainData d;
  d.ClearLists();
  d.Clear();
  TBasicInfo& b = d.BasicInfo;

  if (!v.Int(bj, B, "Getsudo", 0, INT32_MAX, b.Getsudo, true)) return false;
  {
    const int32_t y = DateYear(b.Getsudo), m = DateMonth(b.Getsudo), day = DateDay(b.Getsudo);
    if (y < kMinYear || y > kMaxYear || m < 1 || m > 12 || day > 31)
      return v.Fail(B + ".Getsudo",
                    "項目 BasicInfo.Getsudo の値が正しくありません（年×65536＋月×256＋日，"
                    "1900年1月～2100年12月）．");
  }
  int32_t ignored = 0;
  if (!(v.Int(bj, B, "StartDay", INT32_MIN, INT32_MAX, ignored) &&
        v.Int(bj, B, "EndDay", INT32_MIN, INT32_MAX, ignored)))
    return false;

  if (!(v.Text(bj, B, "Kojo", 20, b.Kojo) && v.Text(bj, B, "Tanto", 16, b.Tanto) &&
        v.Text(bj, B, "Biko", 40, b.Biko)))
    return false;

  if (!(v.Int(bj, B, "KariAveX", 0, kMaxSlump, b.KariAveX) &&
        v.Int(bj, B, "Kyoyo", 0, kMaxKyoyo, b.Kyoyo)))
    return false;
  double width = static_cast<double>(b.ClassWidth);
  if (!v.Number(bj, B, "ClassWidth", 0.0, 100.0, width)) return false;
  b.ClassWidth = width;
  if (!ClassTableReadable(b))
    return v.Fail(B + ".ClassWidth",
                  "項目 BasicInfo.ClassWidth の値が正しくありません（区間の幅が小さすぎます）．");

  if (!(v.Number(bj, B, "Kyodo", 0, kMaxKyodo, b.Kyodo) &&
        v.Number(bj, B, "Kotsuzai", 0, kMaxKotsuzai, b.Kotsuzai) &&
        v.Number(bj, B, "Air", 0, kMaxAir, b.Air) &&
        v.Number(bj, B, "AirKyoyo", 0, kMaxAirKyoyo, b.AirKyoyo)))
    return false;

  if (auto it = bj.find("Cement"); it != bj.end()) {
    const std::string C = B + ".Cement";
    AnsiString name, mark;
    if (!(v.Object(*it, C) && v.OnlyKeys(*it, C, {"Name", "Mark"}) &&
          v.Text(*it, C, "Name", 18, name) && v.Text(*it, C, "Mark", 3, mark)))
      return false;
    // The same rules as the cement cells: a standard name brings its mark.
    TCementList cements;
    MakeCementList(cements);
    SetCementName(b.Cement, cements, name);
    SetCementMark(b.Cement, cements, mark);
  }

  d.MakeSlumpList();
  d.MakeHistogramList();

  if (auto it = json.find("SlumpList"); it != json.end()) {
    const std::string S = "SlumpList";
    if (!v.Array(*it, S)) return false;
    const int32_t days = d.SlumpList.Count();
    std::set<int32_t> seen;
    for (std::size_t i = 0; i < it->size(); ++i) {
      const std::string field = Validator::Index(S, i);
      const Json& dj = (*it)[i];
      if (!(v.Object(dj, field) && v.OnlyKeys(dj, field, {"Day", "SokuteiList"}))) return false;
      int32_t day = 0;
      if (!v.Int(dj, field, "Day", 1, days, day, true)) return false;
      if (!seen.insert(day).second)
        return v.Fail(field + ".Day", "項目 " + field + ".Day の日（" + std::to_string(day) +
                                          "日）が重複しています．");
      const std::string L = field + ".SokuteiList";
      auto lit = dj.find("SokuteiList");
      if (lit == dj.end()) return v.Missing(L);
      if (!v.Array(*lit, L)) return false;
      if (lit->size() != 2)
        return v.Fail(L, "項目 " + L + " は午前・午後の2件でなければなりません．");
      TSlump& slump = d.SlumpList.Items(day - 1);
      for (std::size_t k = 0; k < 2; ++k) {
        const std::string M = Validator::Index(L, k);
        const Json& mj = (*lit)[k];
        if (!(v.Object(mj, M) && v.OnlyKeys(mj, M, {"Value", "Judge"}) && v.Bool(mj, M, "Judge") &&
              v.Int(mj, M, "Value", 0, kMaxSlump, slump.SokuteiList.Items(static_cast<int32_t>(k)).Value,
                    true)))
          return false;
      }
    }
  }

  d.Calculate();
  out = std::move(d);
  return true;
}

}  // namespace kestrin::cli
