// The strength log's limits and number text (see StrengthLimits.h).
#include "StrengthLimits.h"

#include "StrengthLog.h"

namespace kestrin {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The text with blanks around it removed and the full-width digits, point
// and minus written as ASCII; other bytes stay as they are.
std::string Folded(std::string_view text) {
  static constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  auto blankAt = [&text](std::size_t i) {
    return text[i] == ' ' || text[i] == '\t' || text.substr(i, 3) == kIdeographicSpace;
  };
  while (!text.empty() && blankAt(0)) text.remove_prefix(text[0] == ' ' || text[0] == '\t' ? 1 : 3);
  while (!text.empty()) {
    if (text.back() == ' ' || text.back() == '\t') text.remove_suffix(1);
    else if (text.size() >= 3 && blankAt(text.size() - 3)) text.remove_suffix(3);
    else break;
  }
  std::string s;
  s.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    // U+FF0D (－), U+FF0E (．), U+FF10..U+FF19 (０..９): EF BC 8D / 8E / 90..99.
    if (i + 2 < text.size() && text[i] == '\xEF' && text[i + 1] == '\xBC') {
      const auto b = static_cast<unsigned char>(text[i + 2]);
      if (b == 0x8D || b == 0x8E || (b >= 0x90 && b <= 0x99)) {
        s += b == 0x8D ? '-' : b == 0x8E ? '.' : static_cast<char>('0' + (b - 0x90));
        i += 2;
        continue;
      }
    }
    s += text[i];
  }
  return s;
}

}  // namespace

bool ValidStrengthTime(std::string_view s) {
  if (s.size() != 5 || s[2] != ':') return false;
  for (std::size_t i : {0u, 1u, 3u, 4u})
    if (!IsDigit(s[i])) return false;
  return (s[0] - '0') * 10 + (s[1] - '0') <= 23 && s[3] <= '5';
}

bool ParseStrengthMonth(std::string_view s, int32_t& year, int32_t& month) {
  if (s.size() != 7 || s[4] != '-') return false;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u})
    if (!IsDigit(s[i])) return false;
  const int32_t y = (s[0] - '0') * 1000 + (s[1] - '0') * 100 + (s[2] - '0') * 10 + (s[3] - '0');
  const int32_t m = (s[5] - '0') * 10 + (s[6] - '0');
  if (y < kMinStrengthYear || y > kMaxStrengthYear || m < 1 || m > 12) return false;
  year = y;
  month = m;
  return true;
}

TScaledText ParseScaledText(std::string_view text, const TScaledRange& range, int32_t& out) {
  const std::string s = Folded(text);
  if (s.empty()) return TScaledText::Empty;
  std::size_t i = 0;
  const bool negative = s[0] == '-';
  if (negative) ++i;
  const std::size_t wholeStart = i;
  while (i < s.size() && IsDigit(s[i])) ++i;
  const std::size_t wholeEnd = i;
  std::size_t fractionStart = i, fractionEnd = i;
  if (i < s.size() && s[i] == '.') {
    fractionStart = ++i;
    while (i < s.size() && IsDigit(s[i])) ++i;
    fractionEnd = i;
    if (fractionEnd == fractionStart) return TScaledText::NotANumber;
  }
  if (i != s.size() || wholeEnd == wholeStart) return TScaledText::NotANumber;
  for (std::size_t d = fractionStart + static_cast<std::size_t>(range.Decimals); d < fractionEnd; ++d)
    if (s[d] != '0') return TScaledText::TooManyDecimals;
  // Whole digits beyond any range (after leading zeros) are out of range
  // before they could overflow.
  int64_t value = 0;
  for (std::size_t d = wholeStart; d < wholeEnd; ++d) {
    value = value * 10 + (s[d] - '0');
    if (value > 1000000000) return TScaledText::OutOfRange;
  }
  for (int d = 0; d < range.Decimals; ++d) {
    const std::size_t at = fractionStart + static_cast<std::size_t>(d);
    value = value * 10 + (at < fractionEnd ? s[at] - '0' : 0);
  }
  if (negative) value = -value;
  if (value < range.Lo || value > range.Hi) return TScaledText::OutOfRange;
  out = static_cast<int32_t>(value);
  return TScaledText::Ok;
}

std::string ScaledTextProblem(TScaledText result, const TScaledRange& range) {
  switch (result) {
    case TScaledText::Ok: return {};
    case TScaledText::Empty: return "値がありません";
    case TScaledText::NotANumber: return "数値ではありません";
    case TScaledText::TooManyDecimals:
      return range.Decimals == 0 ? "整数で書いてください"
                                 : "小数は " + std::to_string(range.Decimals) + " 桁までです";
    case TScaledText::OutOfRange:
      return "値が範囲外です（" + FormatScaled(range.Lo, range.Decimals) + "～" +
             FormatScaled(range.Hi, range.Decimals) + "）";
  }
  return {};
}

}  // namespace kestrin
