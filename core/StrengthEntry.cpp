// Entry into a strength log cell by cell (see StrengthEntry.h).
#include "StrengthEntry.h"

#include <algorithm>

#include "Numbers.h"

namespace kestrin {

namespace {

constexpr int Index(TStrengthColumn c) { return static_cast<int>(c); }

// A time of day as typed with an input method: full-width digits, colon
// and blank as ASCII; the rest as typed.
std::string Narrow(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
    if (i + 2 < text.size() && b(0) == 0xEF && b(1) == 0xBC && b(2) >= 0x90 && b(2) <= 0x99) {
      out += static_cast<char>('0' + (b(2) - 0x90));
    } else if (i + 2 < text.size() && b(0) == 0xEF && b(1) == 0xBC && b(2) == 0x9A) {
      out += ':';
    } else if (i + 2 < text.size() && b(0) == 0xE3 && b(1) == 0x80 && b(2) == 0x80) {
      out += ' ';
    } else {
      out += text[i];
      ++i;
      continue;
    }
    i += 3;
  }
  return out;
}

std::string Trimmed(std::string s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = s.find_last_not_of(" \t");
  return s.substr(first, last - first + 1);
}

bool HasControl(std::string_view text) {
  return std::any_of(text.begin(), text.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F;
  });
}

bool IsSpecimen(TStrengthColumn c) { return c >= TStrengthColumn::S7_1 && c <= TStrengthColumn::S28_3; }
bool IsAge28(TStrengthColumn c) { return c >= TStrengthColumn::S28_1; }
std::size_t SpecimenIndex(TStrengthColumn c) {
  return static_cast<std::size_t>((Index(c) - Index(TStrengthColumn::S7_1)) % static_cast<int>(kSpecimens));
}

// The specimens of one age of a test as the cells show them: the log's
// three, or the draft.
TSpecimenDraft Specimens(const TStrengthWork& work, std::size_t test, bool age28) {
  const std::optional<TSpecimens>& s =
      age28 ? work.Log.Tests[test].Strength28 : work.Log.Tests[test].Strength7;
  if (!s) return age28 ? work.Drafts[test].S28 : work.Drafts[test].S7;
  TSpecimenDraft d;
  for (std::size_t i = 0; i < kSpecimens; ++i) d[i] = (*s)[i];
  return d;
}

// Three specimens go into the log, fewer into the draft.
void StoreSpecimens(TStrengthWork& work, std::size_t test, bool age28, const TSpecimenDraft& d) {
  std::optional<TSpecimens>& s = age28 ? work.Log.Tests[test].Strength28 : work.Log.Tests[test].Strength7;
  TSpecimenDraft& draft = age28 ? work.Drafts[test].S28 : work.Drafts[test].S7;
  if (std::all_of(d.begin(), d.end(), [](const auto& v) { return v.has_value(); })) {
    s = TSpecimens{*d[0], *d[1], *d[2]};
    draft = {};
  } else {
    s.reset();
    draft = d;
  }
}

std::string SetText(std::string& field, std::string_view text, std::size_t maxChars) {
  if (HasControl(text)) return "改行やタブは入力できません．";
  if (Utf8Chars(text) > maxChars) return "この欄には" + std::to_string(maxChars) + "文字まで入力できます．";
  field = std::string(text);
  return {};
}

// "H:MM" or "HH:MM" as "HH:MM"; empty when it is not a time of day.
std::string NormalTime(const std::string& t) {
  const std::string s = t.size() == 4 ? "0" + t : t;
  return ValidStrengthTime(s) ? s : std::string();
}

}  // namespace

const char* StrengthColumnTitle(TStrengthColumn column) {
  static constexpr std::array<const char*, kStrengthColumns> kTitles = {
      "日",   "時刻",  "車番",  "スランプ", "空気量", "温度", "塩化物", "7日1", "7日2",
      "7日3", "28日1", "28日2", "28日3",    "備考",   "結果", "Rm",     "Rs",   "判定"};
  return kTitles[static_cast<std::size_t>(column)];
}

std::optional<TScaledRange> StrengthColumnLimit(TStrengthColumn column) {
  switch (column) {
    case TStrengthColumn::Slump: return kTestSlumpRange;
    case TStrengthColumn::Air: return kTestAirRange;
    case TStrengthColumn::Temperature: return kTemperatureRange;
    case TStrengthColumn::Chloride: return kChlorideRange;
    default: return IsSpecimen(column) ? std::optional(kSpecimenRange) : std::nullopt;
  }
}

bool TStrengthTestDraft::Empty() const {
  const auto none = [](const TSpecimenDraft& d) {
    return std::none_of(d.begin(), d.end(), [](const auto& v) { return v.has_value(); });
  };
  return none(S7) && none(S28);
}

TStrengthWork::TStrengthWork(TStrengthLog log) : Log(std::move(log)), Drafts(Log.Tests.size()) {}

std::size_t Utf8Chars(std::string_view text) {
  return static_cast<std::size_t>(std::count_if(
      text.begin(), text.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

std::string RangeRefusalText(const TScaledRange& limit) {
  return FormatScaled(limit.Lo, limit.Decimals) + "～" + FormatScaled(limit.Hi, limit.Decimals) +
         "の範囲で入力してください．";
}

bool ParseScaledEntry(std::string_view text, const TScaledRange& limit, std::optional<int32_t>& value,
                      std::string& why) {
  value.reset();
  int32_t v = 0;
  switch (ParseScaledText(text, limit, v)) {
    case TScaledText::Ok: value = v; return true;
    case TScaledText::Empty: return true;
    case TScaledText::NotANumber: why = "数値を入力してください．"; return false;
    case TScaledText::TooManyDecimals:
      why = limit.Decimals == 0 ? std::string("整数で入力してください．")
                                : "小数点以下は" + std::to_string(limit.Decimals) + "桁までです．";
      return false;
    case TScaledText::OutOfRange: why = RangeRefusalText(limit); return false;
  }
  return false;
}

std::string StrengthCellText(const TStrengthWork& work, std::size_t test, TStrengthColumn column) {
  const TStrengthTest& t = work.Log.Tests.at(test);
  const auto opt = [](const std::optional<int32_t>& v, int decimals) {
    return v ? FormatScaled(*v, decimals) : std::string();
  };
  switch (column) {
    case TStrengthColumn::Day: return std::to_string(t.Day);
    case TStrengthColumn::Time: return t.Time;
    case TStrengthColumn::Truck: return t.Truck;
    case TStrengthColumn::Slump: return FormatScaled(t.Slump, kTestSlumpRange.Decimals);
    case TStrengthColumn::Air: return FormatScaled(t.Air, kTestAirRange.Decimals);
    case TStrengthColumn::Temperature: return opt(t.Temperature, kTemperatureRange.Decimals);
    case TStrengthColumn::Chloride: return opt(t.Chloride, kChlorideRange.Decimals);
    case TStrengthColumn::Remarks: return t.Remarks;
    default: break;
  }
  if (!IsSpecimen(column)) return {};
  return opt(Specimens(work, test, IsAge28(column))[SpecimenIndex(column)], kSpecimenRange.Decimals);
}

bool StrengthCellRequired(TStrengthColumn column) {
  return column == TStrengthColumn::Day || column == TStrengthColumn::Slump || column == TStrengthColumn::Air;
}

std::string SetStrengthCell(TStrengthWork& work, std::size_t test, TStrengthColumn column,
                            std::string_view text) {
  TStrengthTest& t = work.Log.Tests.at(test);
  std::string why;
  std::optional<int32_t> v;
  if (column == TStrengthColumn::Day) {
    const TScaledRange days{0, 1, DaysInMonth(work.Log.Year, work.Log.Month)};
    if (!ParseScaledEntry(text, days, v, why)) return why;
  } else if (const auto limit = StrengthColumnLimit(column)) {
    if (!ParseScaledEntry(text, *limit, v, why)) return why;
  } else if (column == TStrengthColumn::Time) {
    const std::string s = Trimmed(Narrow(text));
    const std::string time = NormalTime(s);
    if (!s.empty() && time.empty()) return "時刻は「時:分」（00:00～23:59）で入力してください．";
    t.Time = time;
    return {};
  } else if (column == TStrengthColumn::Truck) {
    return SetText(t.Truck, text, kMaxTruckChars);
  } else if (column == TStrengthColumn::Remarks) {
    return SetText(t.Remarks, text, kMaxRemarksChars);
  } else {
    return "この欄は計算で求めるため入力できません．";
  }
  if (!v && StrengthCellRequired(column)) return "この欄は空にできません．";
  switch (column) {
    case TStrengthColumn::Day: t.Day = *v; break;
    case TStrengthColumn::Slump: t.Slump = *v; break;
    case TStrengthColumn::Air: t.Air = *v; break;
    case TStrengthColumn::Temperature: t.Temperature = v; break;
    case TStrengthColumn::Chloride: t.Chloride = v; break;
    default: {
      TSpecimenDraft d = Specimens(work, test, IsAge28(column));
      d[SpecimenIndex(column)] = v;
      StoreSpecimens(work, test, IsAge28(column), d);
      break;
    }
  }
  return {};
}

bool ClearStrengthCell(TStrengthWork& work, std::size_t test, TStrengthColumn column) {
  if (StrengthCellRequired(column) || Index(column) >= kStrengthEditColumns) return false;
  return SetStrengthCell(work, test, column, "").empty();
}

bool InsertStrengthTest(TStrengthWork& work, std::size_t at, int32_t day) {
  if (work.Log.Tests.size() >= kMaxStrengthTests || at > work.Log.Tests.size()) return false;
  TStrengthTest t;
  t.Day = std::clamp(day, 1, DaysInMonth(work.Log.Year, work.Log.Month));
  work.Log.Tests.insert(work.Log.Tests.begin() + static_cast<std::ptrdiff_t>(at), t);
  work.Drafts.insert(work.Drafts.begin() + static_cast<std::ptrdiff_t>(at), TStrengthTestDraft{});
  return true;
}

void RemoveStrengthTest(TStrengthWork& work, std::size_t at) {
  if (at >= work.Log.Tests.size()) return;
  work.Log.Tests.erase(work.Log.Tests.begin() + static_cast<std::ptrdiff_t>(at));
  work.Drafts.erase(work.Drafts.begin() + static_cast<std::ptrdiff_t>(at));
}

std::string AppendStrengthTests(TStrengthWork& work, const std::vector<TStrengthTest>& tests) {
  if (tests.size() > kMaxStrengthTests - work.Log.Tests.size())
    return "試験は " + std::to_string(kMaxStrengthTests) + " 件までです（取り込むと " +
           std::to_string(work.Log.Tests.size() + tests.size()) + " 件）．";
  const int32_t days = DaysInMonth(work.Log.Year, work.Log.Month);
  for (std::size_t i = 0; i < tests.size(); ++i)
    if (tests[i].Day < 1 || tests[i].Day > days)
      return std::to_string(i + 1) + "件目の日（" + std::to_string(tests[i].Day) + "日）が " +
             std::to_string(work.Log.Month) + " 月にありません．";
  work.Log.Tests.insert(work.Log.Tests.end(), tests.begin(), tests.end());
  work.Drafts.resize(work.Log.Tests.size());
  return {};
}

std::string IncompleteEntry(const TStrengthWork& work) {
  for (std::size_t i = 0; i < work.Drafts.size(); ++i) {
    const TStrengthTestDraft& d = work.Drafts[i];
    if (d.Empty()) continue;
    const bool age7 = std::any_of(d.S7.begin(), d.S7.end(), [](const auto& v) { return v.has_value(); });
    return std::to_string(i + 1) + "番目の試験の" + (age7 ? "7日" : "28日") +
           "強度は供試体 3 本とも入力してください（入力途中のため保存できません）．";
  }
  return {};
}

}  // namespace kestrin
