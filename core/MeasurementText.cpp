#include "MeasurementText.h"

namespace kestrin {

namespace {

constexpr int32_t kMaxValue = 9990;   // 99.9 cm
constexpr std::size_t kMaxChars = 4;  // as typed: "99.9"
constexpr std::size_t kShownFieldChars = 16;

std::string FormatValue(int32_t hundredths) {
  if (hundredths <= 0) return {};
  const int64_t tenths = (int64_t{hundredths} + 5) / 10;
  return std::to_string(tenths / 10) + '.' + std::to_string(tenths % 10);
}

// Decodes one UTF-8 sequence at `i`; a broken one is taken as one byte.
char32_t NextCodePoint(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i]);
  std::size_t n = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
  if (n == 0 || i + n > s.size()) {
    ++i;
    return 0xFFFD;
  }
  char32_t c = n == 1 ? b : n == 2 ? (b & 0x1F) : n == 3 ? (b & 0x0F) : (b & 0x07);
  for (std::size_t k = 1; k < n; ++k) {
    const auto t = static_cast<unsigned char>(s[i + k]);
    if ((t >> 6) != 0x2) {
      ++i;
      return 0xFFFD;
    }
    c = (c << 6) | (t & 0x3F);
  }
  i += n;
  return c;
}

// The field as the typing rules see it: full-width digits, point and minus
// in their ASCII forms, blanks around it dropped. Other characters stay as
// '?' (refused below).
std::string Normalised(std::string_view field) {
  std::string out;
  for (std::size_t i = 0; i < field.size();) {
    const char32_t c = NextCodePoint(field, i);
    if (c >= U'0' && c <= U'9') out += static_cast<char>(c);
    else if (c >= 0xFF10 && c <= 0xFF19) out += static_cast<char>('0' + (c - 0xFF10));
    else if (c == U'.' || c == 0xFF0E) out += '.';
    else if (c == U'-' || c == 0xFF0D || c == 0x2212) out += '-';
    else if (c == U' ' || c == 0x3000) out += ' ';
    else out += '?';
  }
  const std::size_t first = out.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return out.substr(first, out.find_last_not_of(' ') - first + 1);
}

bool HoldsDigit(std::string_view line) {
  for (std::size_t i = 0; i < line.size();) {
    const char32_t c = NextCodePoint(line, i);
    if ((c >= U'0' && c <= U'9') || (c >= 0xFF10 && c <= 0xFF19)) return true;
  }
  return false;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The field as shown in a refusal: trimmed, at most kShownFieldChars
// characters, broken UTF-8 as U+FFFD.
std::string Shown(std::string_view field) {
  const std::size_t first = field.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  field = field.substr(first, field.find_last_not_of(" \t") - first + 1);
  std::string out;
  std::size_t i = 0;
  for (std::size_t n = 0; n < kShownFieldChars && i < field.size(); ++n)
    AppendUtf8(out, NextCodePoint(field, i));
  if (i < field.size()) out += "…";
  return out;
}

// The value of one field, or the reason it is refused.
bool ReadValue(std::string_view field, int32_t& value, std::string& why) {
  const std::string t = Normalised(field);
  value = 0;
  if (t.empty()) return true;  // blank
  std::size_t points = 0, decimals = 0;
  bool digit = false;
  for (char c : t) {
    if (c == '-') {
      why = "マイナスの値は入力できません．";
      return false;
    }
    if (c == '.') {
      ++points;
    } else if (c >= '0' && c <= '9') {
      digit = true;
      if (points > 0) ++decimals;
    } else {
      why = "数字と小数点のほかは入力できません．";
      return false;
    }
  }
  if (points > 1) {
    why = "小数点は１つだけ入力できます．";
    return false;
  }
  if (decimals > 1) {
    why = "小数点以下は1桁までです．";
    return false;
  }
  if (!digit) return true;  // only a point: blank, as typed
  int64_t whole = 0;
  int32_t tenth = 0;
  bool after = false;
  for (char c : t) {
    if (c == '.') after = true;
    else if (after) tenth = c - '0';
    else whole = std::min<int64_t>(whole * 10 + (c - '0'), 1'000'000);
  }
  const int64_t v = whole * 100 + tenth * 10;
  if (v > kMaxValue) {
    why = "0.0～99.9の範囲で入力してください．";
    return false;
  }
  if (t.size() > kMaxChars) {
    why = "この欄には4文字まで入力できます．";
    return false;
  }
  value = static_cast<int32_t>(v);
  return true;
}

std::string LineRefusal(int32_t line, std::string_view text) {
  return std::to_string(line) + "行目：" + std::string(text);
}

}  // namespace

std::string FormatMeasurementRows(const std::vector<std::vector<int32_t>>& rows) {
  std::string out;
  for (const std::vector<int32_t>& row : rows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) out += '\t';
      out += FormatValue(row[i]);
    }
    out += '\n';
  }
  return out;
}

TPastedText ParseMeasurementPaste(std::string_view text) {
  TPastedText r;
  if (text.size() > kMaxPasteBytes) {
    r.Refusal = "貼り付ける内容が大きすぎます．";
    return r;
  }
  if (text.empty()) return r;
  // The line end after the last line closes it; it opens no empty line.
  if (text.back() == '\n') text.remove_suffix(1);
  int32_t lineNo = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find('\n', start), text.size());
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (lineNo == 1 && line.find_first_not_of(" \t,") != std::string_view::npos && !HoldsDigit(line))
      continue;  // a column heading
    TPastedLine pasted;
    pasted.Line = lineNo;
    std::size_t fieldStart = 0;
    for (;;) {
      const std::size_t sep = line.find_first_of("\t,", fieldStart);
      const std::string_view field =
          line.substr(fieldStart, sep == std::string_view::npos ? sep : sep - fieldStart);
      if (pasted.Values.size() == 2) {
        r.Refusal = LineRefusal(lineNo, "1行に値は2つまでです．");
        return r;
      }
      int32_t value = 0;
      std::string why;
      if (!ReadValue(field, value, why)) {
        r.Refusal = std::to_string(lineNo) + "行目「" + Shown(field) + "」：" + why;
        return r;
      }
      pasted.Values.push_back(value);
      if (sep == std::string_view::npos) break;
      fieldStart = sep + 1;
      r.Columns = 2;
    }
    r.Lines.push_back(std::move(pasted));
  }
  return r;
}

TPastePlan PlanMeasurementPaste(const TPastedText& text, int32_t day, int32_t which, int32_t days) {
  TPastePlan plan;
  if (!text.Refusal.empty()) {
    plan.Refusal = text.Refusal;
    return plan;
  }
  if (text.Lines.empty()) {
    plan.Refusal = "貼り付ける値がありません．";
    return plan;
  }
  const int64_t cellCount = int64_t{days} * 2;
  int64_t cell = text.Columns == 2 ? int64_t{day} * 2 : int64_t{day} * 2 + which;
  for (const TPastedLine& line : text.Lines) {
    const int32_t width = text.Columns;
    if (cell + width > cellCount) {
      plan.Cells.clear();
      plan.Refusal = LineRefusal(line.Line, "月末を超えるため貼り付けできません．");
      return plan;
    }
    for (int32_t k = 0; k < width; ++k) {
      const int32_t v =
          k < static_cast<int32_t>(line.Values.size()) ? line.Values[static_cast<std::size_t>(k)] : 0;
      plan.Cells.push_back(TPasteCell{static_cast<int32_t>(cell + k), v});
    }
    cell += width;
  }
  return plan;
}

}  // namespace kestrin
