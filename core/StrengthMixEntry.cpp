// Entry of the strength log's heading (see StrengthMixEntry.h).
#include "StrengthMixEntry.h"

#include <array>
#include <cmath>
#include <cstdint>

#include "Cp932.h"
#include "Numbers.h"

namespace kestrin {

namespace {

std::optional<TScaledRange> FieldLimit(TStrengthMixField field) {
  switch (field) {
    case TStrengthMixField::NominalStrength: return kNominalStrengthRange;
    case TStrengthMixField::Slump: return kMixSlumpRange;
    case TStrengthMixField::SlumpTolerance: return kMixSlumpToleranceRange;
    case TStrengthMixField::Air: return kMixAirRange;
    case TStrengthMixField::AirTolerance: return kMixAirToleranceRange;
    case TStrengthMixField::Aggregate: return kAggregateRange;
    default: return std::nullopt;
  }
}

int32_t* FieldValue(TStrengthMix& mix, TStrengthMixField field) {
  switch (field) {
    case TStrengthMixField::NominalStrength: return &mix.NominalStrength;
    case TStrengthMixField::Slump: return &mix.Slump;
    case TStrengthMixField::SlumpTolerance: return &mix.SlumpTolerance;
    case TStrengthMixField::Air: return &mix.Air;
    case TStrengthMixField::AirTolerance: return &mix.AirTolerance;
    case TStrengthMixField::Aggregate: return &mix.Aggregate;
    default: return nullptr;
  }
}

// "2025-06", "2025/6", "2025年6月" into year and month.
bool ParseMonthText(std::string_view text, int32_t& year, int32_t& month) {
  std::string digits[2];
  int part = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c >= '0' && c <= '9') {
      if (part > 1) return false;
      digits[part] += c;
    } else if (!digits[part].empty() && part == 0) {
      ++part;
      if (c == '-' || c == '/' || c == '.') continue;
      if (text.substr(i, 3) == "年") {
        i += 2;
        continue;
      }
      return false;
    } else if (part == 1 && !digits[1].empty() && text.substr(i) == "月") {
      break;
    } else if (c != ' ') {
      return false;
    }
  }
  if (digits[0].size() != 4 || digits[1].empty() || digits[1].size() > 2) return false;
  year = std::stoi(digits[0]);
  month = std::stoi(digits[1]);
  return month >= 1 && month <= 12;
}

// Why the tests do not fit `year`/`month` (a day beyond its length).
std::string DaysRefusal(const TStrengthLog& log, int32_t year, int32_t month) {
  const int32_t days = DaysInMonth(year, month);
  for (std::size_t i = 0; i < log.Tests.size(); ++i)
    if (log.Tests[i].Day > days)
      return std::to_string(i + 1) + "番目の試験の日（" + std::to_string(log.Tests[i].Day) +
             "日）がこの月にありません．";
  return {};
}

}  // namespace

const char* StrengthMixFieldName(TStrengthMixField field) {
  static constexpr std::array<const char*, kStrengthMixFields> kNames = {
      "工場",   "月度",         "呼び強度", "スランプ", "スランプ許容差",
      "空気量", "空気量許容差", "粗骨材",   "セメント", "記号"};
  return kNames[static_cast<std::size_t>(field)];
}

std::string StrengthMixText(const TStrengthLog& log, TStrengthMixField field) {
  switch (field) {
    case TStrengthMixField::Plant: return log.Plant;
    case TStrengthMixField::Month:
      return FormatScaled(log.Year, 0) + "-" + (log.Month < 10 ? "0" : "") + std::to_string(log.Month);
    case TStrengthMixField::Cement: return log.Mix.Cement;
    case TStrengthMixField::Symbol: return log.Mix.Symbol;
    default: break;
  }
  TStrengthMix mix = log.Mix;
  return FormatScaled(*FieldValue(mix, field), FieldLimit(field)->Decimals);
}

std::string SetStrengthMixField(TStrengthLog& log, TStrengthMixField field, std::string_view text) {
  std::string why;
  if (const auto limit = FieldLimit(field)) {
    std::optional<int32_t> v;
    if (!ParseScaledEntry(text, *limit, v, why)) return why;
    if (!v) return "この欄は空にできません．";
    *FieldValue(log.Mix, field) = *v;
    return {};
  }
  const auto setText = [&text](std::string& out, std::size_t maxChars) -> std::string {
    for (const char c : text)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return "改行やタブは入力できません．";
    if (Utf8Chars(text) > maxChars) return "この欄には" + std::to_string(maxChars) + "文字まで入力できます．";
    out = std::string(text);
    return {};
  };
  switch (field) {
    case TStrengthMixField::Plant: return setText(log.Plant, kMaxPlantChars);
    case TStrengthMixField::Cement: return setText(log.Mix.Cement, kMaxCementChars);
    case TStrengthMixField::Symbol: return setText(log.Mix.Symbol, kMaxSymbolChars);
    default: break;
  }
  int32_t year = 0, month = 0;
  if (!ParseMonthText(text, year, month) || year < kMinStrengthYear || year > kMaxStrengthYear)
    return "月度は「年-月」（例 2025-06，" + std::to_string(kMinStrengthYear) + "～" +
           std::to_string(kMaxStrengthYear) + " 年）で入力してください．";
  if (std::string refusal = DaysRefusal(log, year, month); !refusal.empty()) return refusal;
  log.Year = year;
  log.Month = month;
  return {};
}

std::optional<int32_t> ScaledFromDouble(double value, int decimals) {
  if (!std::isfinite(value)) return std::nullopt;
  long double x = static_cast<long double>(value);
  for (int i = 0; i < decimals; ++i) x *= 10.0L;
  // A hair toward the away-from-zero side, so that a binary value just
  // below a typed half still rounds as the decimal it stands for.
  x += x >= 0 ? 1e-7L : -1e-7L;
  x = x >= 0 ? std::floor(x + 0.5L) : std::ceil(x - 0.5L);
  if (x > static_cast<long double>(INT32_MAX) || x < static_cast<long double>(INT32_MIN)) return std::nullopt;
  return static_cast<int32_t>(x);
}

std::vector<std::string> CopyMixFromMonth(const TBasicInfo& month, TStrengthLog& log) {
  std::vector<std::string> skipped;
  const auto skip = [&skipped](TStrengthMixField f) { skipped.emplace_back(StrengthMixFieldName(f)); };
  const auto text = [&](TStrengthMixField f, const AnsiString& cp932) {
    const std::optional<std::string> utf8 = Cp932ToUtf8(cp932);
    if (!utf8 || !SetStrengthMixField(log, f, *utf8).empty()) skip(f);
  };
  const auto scaled = [&](TStrengthMixField f, std::optional<int32_t> v) {
    const TScaledRange limit = *FieldLimit(f);
    if (!v || *v < limit.Lo || *v > limit.Hi) return skip(f);
    *FieldValue(log.Mix, f) = *v;
  };
  text(TStrengthMixField::Plant, month.Kojo);
  const int32_t year = DateYear(month.Getsudo), mon = DateMonth(month.Getsudo);
  if (month.Getsudo == 0 || year < kMinStrengthYear || year > kMaxStrengthYear || mon < 1 || mon > 12 ||
      !DaysRefusal(log, year, mon).empty()) {
    skip(TStrengthMixField::Month);
  } else {
    log.Year = year;
    log.Month = mon;
  }
  scaled(TStrengthMixField::NominalStrength, ScaledFromDouble(month.Kyodo, kNominalStrengthRange.Decimals));
  scaled(TStrengthMixField::Slump, static_cast<int32_t>(RoundDiv(month.KariAveX, 10)));
  scaled(TStrengthMixField::SlumpTolerance, static_cast<int32_t>(RoundDiv(month.Kyoyo, 10)));
  scaled(TStrengthMixField::Air, ScaledFromDouble(month.Air, kMixAirRange.Decimals));
  scaled(TStrengthMixField::AirTolerance, ScaledFromDouble(month.AirKyoyo, kMixAirToleranceRange.Decimals));
  scaled(TStrengthMixField::Aggregate, ScaledFromDouble(month.Kotsuzai, kAggregateRange.Decimals));
  text(TStrengthMixField::Cement, month.Cement.Name);
  text(TStrengthMixField::Symbol, month.Cement.Mark);
  return skipped;
}

}  // namespace kestrin
