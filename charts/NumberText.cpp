#include "charts/NumberText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace kestrin {

namespace {

std::string PadLeft(std::string s, int w) {
  if (w > 0 && static_cast<int>(s.size()) < w) s.insert(0, static_cast<std::size_t>(w) - s.size(), ' ');
  return s;
}

std::string ApplyHashRule(std::string s, int w) {
  if (w <= 0 || static_cast<int>(s.size()) <= w) return s;
  s.erase(0, s.size() - static_cast<std::size_t>(w));
  for (char& c : s) {
    if ((c >= '0' && c <= '9') || c == '-') c = '#';
  }
  return s;
}

}  // namespace

std::string FormatFixed(long double x, int w, int d) {
  if (d < 0) d = 0;
  if (d > 30) d = 30;
  if (std::isnan(x)) return PadLeft("NAN", w);
  if (std::isinf(x)) return PadLeft(x < 0 ? "-INF" : "INF", w);

  const bool negative = std::signbit(x);
  const long double a = std::fabs(x);
  // 18 significant digits, then decimal rounding half away from zero.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17Le", a);
  std::string digits;
  int exp10 = 0;
  {
    const char* p = buf;
    for (; *p && *p != 'e'; ++p) {
      if (*p >= '0' && *p <= '9') digits.push_back(*p);
    }
    if (*p == 'e') exp10 = std::atoi(p + 1);
  }
  // digits[0] is the digit of weight 10^exp10. Keep the digits down to the
  // weight 10^-d.
  const int keep = exp10 + 1 + d;
  std::string kept;       // digits of the rounded value, of weight 10^(-d) at the end
  int intDigits = exp10 + 1;  // digits before the decimal point in `kept`
  if (keep <= 0) {
    // Everything is below the last decimal: it rounds to 0 or to one unit.
    const bool up = keep == 0 && digits[0] >= '5';
    kept = up ? "1" : "0";
    intDigits = 1 - d;
  } else {
    kept = digits.substr(0, std::min<std::size_t>(digits.size(), static_cast<std::size_t>(keep)));
    if (static_cast<int>(kept.size()) < keep) kept.append(static_cast<std::size_t>(keep) - kept.size(), '0');
    if (keep < static_cast<int>(digits.size()) && digits[static_cast<std::size_t>(keep)] >= '5') {
      int i = static_cast<int>(kept.size()) - 1;
      while (i >= 0 && kept[static_cast<std::size_t>(i)] == '9') kept[static_cast<std::size_t>(i--)] = '0';
      if (i >= 0) {
        ++kept[static_cast<std::size_t>(i)];
      } else {
        kept.insert(0, "1");
        ++intDigits;
      }
    }
  }
  // Lay out: integer part and d decimals.
  std::string intPart, fracPart;
  if (intDigits <= 0) {
    intPart = "0";
    fracPart = std::string(static_cast<std::size_t>(-intDigits), '0') + kept;
  } else {
    intPart = kept.substr(0, static_cast<std::size_t>(intDigits));
    fracPart = kept.substr(static_cast<std::size_t>(intDigits));
  }
  if (static_cast<int>(fracPart.size()) > d) fracPart.resize(static_cast<std::size_t>(d));
  while (static_cast<int>(fracPart.size()) < d) fracPart.push_back('0');
  std::size_t firstNonZero = intPart.find_first_not_of('0');
  intPart = firstNonZero == std::string::npos ? "0" : intPart.substr(firstNonZero);

  bool zero = intPart == "0" && fracPart.find_first_not_of('0') == std::string::npos;
  std::string s = (negative && !zero) ? "-" : "";
  s += intPart;
  if (d > 0) {
    s += '.';
    s += fracPart;
  }
  return PadLeft(s, w);
}

std::string FixedText(long double x, int w, int d, bool trimmed) {
  std::string s = ApplyHashRule(FormatFixed(x, w, d), w);
  if (trimmed) {
    const std::size_t first = s.find_first_not_of(' ');
    s = first == std::string::npos ? std::string() : s.substr(first);
  }
  return s;
}

std::string IntText(int64_t n, int w) {
  return ApplyHashRule(PadLeft(std::to_string(n), w), w);
}

std::string GroupedIntText(int64_t n) {
  std::string digits = std::to_string(n);
  std::string sign;
  if (!digits.empty() && digits[0] == '-') {
    sign = "-";
    digits.erase(0, 1);
  }
  std::string out;
  const int len = static_cast<int>(digits.size());
  for (int i = 0; i < len; ++i) {
    if (i > 0 && (len - i) % 3 == 0) out.push_back(',');
    out.push_back(digits[static_cast<std::size_t>(i)]);
  }
  return sign + out;
}

}  // namespace kestrin
