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

}  // namespace

bool MainDataFromJson(const Json& json, TMainData& out, TJsonError& error) {
  TJsonChecker v(error);
  if (!json.is_object()) return v.Fail("", "JSON の最上位はオブジェクトでなければなりません．");
  // The computed parts (class table, results, capability, signals) are
  // accepted so that stats output feeds back in, and recomputed.
  if (!v.OnlyKeys(json, "", {"BasicInfo", "SlumpList", "HistogramList", "CalcedResult", "Capability", "Signals"}))
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
      const std::string field = TJsonChecker::Index(S, i);
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
        const std::string M = TJsonChecker::Index(L, k);
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
