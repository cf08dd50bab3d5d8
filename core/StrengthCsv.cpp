// The lab's CSV as strength tests (see StrengthCsv.h).
#include "StrengthCsv.h"

#include <array>
#include <optional>

#include "Cp932.h"
#include "ReadFile.h"
#include "ShownText.h"
#include "StrengthLimits.h"

namespace kestrin {

namespace {

// The fields a column can fill.
enum TCsvField : int {
  kDay,
  kTime,
  kTruck,
  kSlump,
  kAir,
  kTemperature,
  kChloride,
  kS7First,
  kS28First = kS7First + static_cast<int>(kSpecimens),
  kRemarks = kS28First + static_cast<int>(kSpecimens),
  kFieldCount
};

// Each field's Japanese and English heading (the English in lower case).
struct THeading {
  const char* Japanese;
  const char* English;
};
constexpr std::array<THeading, kFieldCount> kHeadings{{{"日", "day"},
                                                       {"時刻", "time"},
                                                       {"車番", "truck"},
                                                       {"スランプ", "slump"},
                                                       {"空気量", "air"},
                                                       {"温度", "temperature"},
                                                       {"塩化物", "chloride"},
                                                       {"7日1", "s7_1"},
                                                       {"7日2", "s7_2"},
                                                       {"7日3", "s7_3"},
                                                       {"28日1", "s28_1"},
                                                       {"28日2", "s28_2"},
                                                       {"28日3", "s28_3"},
                                                       {"備考", "remarks"}}};
constexpr std::array<TCsvField, 3> kRequired{kDay, kSlump, kAir};

// A value shown in a refusal is cut after this many characters.
constexpr std::size_t kMaxShownChars = 40;

struct TCell {
  std::string Text;
  int32_t Line = 0;  // where the field starts
};

struct TRecord {
  int32_t Line = 0;
  std::vector<TCell> Cells;
};

TStrengthCsvResult Refusal(int32_t line, std::string column, std::string reason) {
  return {false, line, std::move(column), std::move(reason)};
}

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

std::size_t CharCount(std::string_view s) {
  std::size_t n = 0;
  for (const char c : s)
    if (!IsUtf8Continuation(c)) ++n;
  return n;
}

// "「value」", escaped and cut to kMaxShownChars characters.
std::string Quoted(std::string_view value) {
  std::size_t chars = 0, end = 0;
  for (; end < value.size(); ++end) {
    if (!IsUtf8Continuation(value[end]) && ++chars > kMaxShownChars) break;
  }
  const bool cut = end < value.size();
  return "「" + ShownName(value.substr(0, end)) + (cut ? "…" : "") + "」";
}

// The text without blanks (ASCII and the ideographic space) around it.
std::string_view Trimmed(std::string_view s) {
  static constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";
  for (;;) {
    if (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    else if (s.substr(0, 3) == kIdeographicSpace) s.remove_prefix(3);
    else if (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    else if (s.size() >= 3 && s.substr(s.size() - 3) == kIdeographicSpace) s.remove_suffix(3);
    else return s;
  }
}

// The text as UTF-8 and its encoding's name, or a refusal.
TStrengthCsvResult Decode(std::string_view bytes, std::string& text, std::string& encoding) {
  auto lineOf = [&bytes](std::size_t offset) {
    int32_t line = 1;
    for (std::size_t i = 0; i < offset && i < bytes.size(); ++i) line += bytes[i] == '\n';
    return line;
  };
  if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF")
    return Refusal(
        0, {}, "UTF-16 のファイルは読めません．UTF-8 または CP932（Shift_JIS）の CSV で保存してください．");
  const bool bom = bytes.substr(0, 3) == "\xEF\xBB\xBF";
  if (bom) bytes.remove_prefix(3);
  if (IsValidUtf8(bytes)) {
    text.assign(bytes);
    encoding = "UTF-8";
    return {};
  }
  Cp932Error error;
  if (!bom) {
    if (std::optional<std::string> utf8 = Cp932ToUtf8(bytes, &error)) {
      text = std::move(*utf8);
      encoding = "CP932";
      return {};
    }
  } else {
    // The mark says UTF-8: where it stops being UTF-8.
    std::size_t at = 0;
    while (at < bytes.size()) {
      std::size_t k = 1;
      while (k <= 4 && !IsValidUtf8(bytes.substr(at, k))) ++k;
      if (k > 4) break;
      at += k;
    }
    error.offset = at;
  }
  return Refusal(lineOf(error.offset), {},
                 "文字コードが UTF-8 でも CP932（Shift_JIS）でもありません（" +
                     std::to_string(error.offset + (bom ? 4 : 1)) + " バイト目）．");
}

// Reads one record from `pos` (which must be before the end) under the
// rules of StrengthCsv.h; `line` follows the line ends read.
TStrengthCsvResult ReadRecord(std::string_view t, std::size_t& pos, int32_t& line, char sep, TRecord& rec) {
  rec.Line = line;
  rec.Cells.clear();
  const std::size_t n = t.size();
  for (;;) {
    TCell cell{{}, line};
    if (pos < n && t[pos] == '"') {
      ++pos;
      for (;;) {
        if (pos >= n) return Refusal(cell.Line, {}, "引用符（\"）が閉じていません．");
        const char c = t[pos];
        if (c == '"') {
          if (pos + 1 < n && t[pos + 1] == '"') {
            cell.Text += '"';
            pos += 2;
            continue;
          }
          ++pos;
          break;
        }
        // CRLF counts once, at its LF.
        if (c == '\n' || (c == '\r' && (pos + 1 >= n || t[pos + 1] != '\n'))) ++line;
        cell.Text += c;
        ++pos;
      }
      while (pos < n && (t[pos] == ' ' || (t[pos] == '\t' && sep != '\t'))) ++pos;
      if (pos < n && t[pos] != sep && t[pos] != '\r' && t[pos] != '\n')
        return Refusal(line, {}, "引用符（\"）で囲んだ値の後に文字があります．");
    } else {
      const std::size_t start = pos;
      while (pos < n && t[pos] != sep && t[pos] != '\r' && t[pos] != '\n') ++pos;
      cell.Text.assign(t.substr(start, pos - start));
    }
    rec.Cells.push_back(std::move(cell));
    if (pos >= n) return {};
    if (t[pos] == sep) {
      ++pos;
      continue;
    }
    if (t[pos] == '\r') ++pos;
    if (pos < n && t[pos] == '\n') ++pos;
    ++line;
    return {};
  }
}

bool AllEmpty(const TRecord& rec) {
  for (const TCell& c : rec.Cells)
    if (!Trimmed(c.Text).empty()) return false;
  return true;
}

// The separator that splits the first record into the most fields.
char DetectSeparator(std::string_view text) {
  char best = ',';
  std::size_t most = 0;
  for (const char sep : {',', ';', '\t'}) {
    std::size_t pos = 0;
    int32_t line = 1;
    TRecord rec;
    if (!ReadRecord(text, pos, line, sep, rec)) continue;
    if (rec.Cells.size() > most) {
      most = rec.Cells.size();
      best = sep;
    }
  }
  return best;
}

// A heading as it is matched (see StrengthCsv.h).
std::string HeadingKey(std::string_view heading) {
  std::string_view s = Trimmed(heading);
  for (const auto& [open, close] :
       {std::pair<std::string_view, std::string_view>{"(", ")"}, {"（", "）"}, {"[", "]"}}) {
    if (s.size() > close.size() && s.substr(s.size() - close.size()) == close) {
      const std::size_t at = s.rfind(open);
      if (at != std::string_view::npos && at > 0) {
        s = Trimmed(s.substr(0, at));
        break;
      }
    }
  }
  std::string key;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const auto b1 = static_cast<unsigned char>(s[i]);
    if (i + 2 < s.size() && b1 == 0xEF) {
      // U+FF01..U+FF5E, the full-width forms of "!".."~": EF BC 81..BF, EF BD 80..9E.
      const auto b2 = static_cast<unsigned char>(s[i + 1]), b3 = static_cast<unsigned char>(s[i + 2]);
      const int code = b2 == 0xBC && b3 >= 0x81   ? b3 - 0x81 + 0x21
                       : b2 == 0xBD && b3 <= 0x9E ? b3 - 0x80 + 0x60
                                                  : 0;
      if (code != 0) {
        key += static_cast<char>(code >= 'A' && code <= 'Z' ? code - 'A' + 'a' : code);
        i += 2;
        continue;
      }
    }
    if (i + 2 < s.size() && s.substr(i, 2) == "\xE2\x91" && s[i + 2] >= '\xA0' && s[i + 2] <= '\xA2') {
      key += static_cast<char>('1' + (s[i + 2] - '\xA0'));  // ①②③
      i += 2;
      continue;
    }
    key += static_cast<char>(b1 >= 'A' && b1 <= 'Z' ? b1 - 'A' + 'a' : b1);
  }
  return key;
}

int FieldOf(const std::string& key) {
  for (int f = 0; f < kFieldCount; ++f)
    if (key == kHeadings[f].Japanese || key == kHeadings[f].English) return f;
  return -1;
}

std::string FieldName(int f) { return std::string(kHeadings[f].Japanese); }

// The columns of the header: for each field its column, -1 when absent.
struct THeader {
  std::array<int, kFieldCount> Column;
  std::vector<std::string> Headings;  // as written, trimmed
  std::vector<bool> Ignored;          // per column: not taken
};

TStrengthCsvResult ReadHeader(const TRecord& rec, THeader& h) {
  h.Column.fill(-1);
  h.Headings.clear();
  h.Ignored.clear();
  for (std::size_t c = 0; c < rec.Cells.size(); ++c) {
    const std::string heading(Trimmed(rec.Cells[c].Text));
    h.Headings.push_back(heading);
    const int f = FieldOf(HeadingKey(heading));
    h.Ignored.push_back(f < 0);
    if (f < 0) continue;
    if (h.Column[f] >= 0)
      return Refusal(rec.Cells[c].Line, heading,
                     "同じ項目の列が 2 つあります（" + std::to_string(h.Column[f] + 1) + " 列目と " +
                         std::to_string(c + 1) + " 列目）．");
    h.Column[f] = static_cast<int>(c);
  }
  for (const TCsvField f : kRequired)
    if (h.Column[f] < 0)
      return Refusal(rec.Line, {}, FieldName(f) + "（" + kHeadings[f].English + "）の列がありません．");
  for (const int first : {kS7First, kS28First}) {
    int present = 0;
    for (std::size_t k = 0; k < kSpecimens; ++k) present += h.Column[first + k] >= 0;
    if (present == 0 || present == static_cast<int>(kSpecimens)) continue;
    for (std::size_t k = 0; k < kSpecimens; ++k)
      if (h.Column[first + k] < 0)
        return Refusal(rec.Line, {},
                       "供試体の列は 3 本そろえてください（" + FieldName(first + static_cast<int>(k)) +
                           " の列がありません）．");
  }
  return {};
}

// Reads one data record into a test.
class TRowReader {
 public:
  TRowReader(const THeader& h, const TRecord& rec, int32_t days) : h_(h), rec_(rec), days_(days) {}

  TStrengthCsvResult Read(TStrengthTest& t) {
    std::optional<int32_t> v;
    if (!Number(kDay, TScaledRange{0, 1, days_}, true, v)) return fault_;
    t.Day = *v;
    if (!Time(t.Time) || !Text(kTruck, kMaxTruckChars, t.Truck)) return fault_;
    if (!Number(kSlump, kTestSlumpRange, true, v)) return fault_;
    t.Slump = *v;
    if (!Number(kAir, kTestAirRange, true, v)) return fault_;
    t.Air = *v;
    if (!Number(kTemperature, kTemperatureRange, false, t.Temperature) ||
        !Number(kChloride, kChlorideRange, false, t.Chloride) || !Specimens(kS7First, t.Strength7) ||
        !Specimens(kS28First, t.Strength28) || !Text(kRemarks, kMaxRemarksChars, t.Remarks))
      return fault_;
    return {};
  }

 private:
  const THeader& h_;
  const TRecord& rec_;
  int32_t days_;
  TStrengthCsvResult fault_;

  // The field's cell; nullptr when the column is absent or the row short.
  const TCell* Cell(int f) const {
    const int c = h_.Column[f];
    return c >= 0 && static_cast<std::size_t>(c) < rec_.Cells.size() ? &rec_.Cells[c] : nullptr;
  }
  std::string_view Value(int f) const {
    const TCell* c = Cell(f);
    return c ? Trimmed(c->Text) : std::string_view();
  }
  bool Fail(int f, std::string reason) {
    const TCell* c = Cell(f);
    const int column = h_.Column[f];
    fault_ =
        Refusal(c ? c->Line : rec_.Line, column >= 0 ? h_.Headings[column] : FieldName(f), std::move(reason));
    return false;
  }

  bool Number(int f, const TScaledRange& range, bool required, std::optional<int32_t>& out) {
    out.reset();
    const std::string_view text = Value(f);
    int32_t v = 0;
    const TScaledText r = ParseScaledText(text, range, v);
    if (r == TScaledText::Ok) {
      out = v;
      return true;
    }
    if (r == TScaledText::Empty) return required ? Fail(f, ScaledTextProblem(r, range)) : true;
    return Fail(f, ScaledTextProblem(r, range) + Quoted(text));
  }

  bool Time(std::string& out) {
    std::string s(Value(kTime));
    if (s.size() >= 7 && s.substr(s.size() - 3) == ":00") s.resize(s.size() - 3);
    if (s.size() == 4 && s[1] == ':') s.insert(0, "0");
    if (!s.empty() && !ValidStrengthTime(s))
      return Fail(kTime, "「時:分」（00:00～23:59）で書いてください" + Quoted(Value(kTime)));
    out = s;
    return true;
  }

  bool Text(int f, std::size_t maxChars, std::string& out) {
    const std::string_view s = Value(f);
    for (const char c : s)
      if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
        return Fail(f, "使えない文字（改行などの制御文字）があります" + Quoted(s));
    if (const std::size_t chars = CharCount(s); chars > maxChars)
      return Fail(f, "長すぎます（" + std::to_string(maxChars) + " 文字まで，現在 " + std::to_string(chars) +
                         " 文字）" + Quoted(s));
    out.assign(s);
    return true;
  }

  bool Specimens(int first, std::optional<TSpecimens>& out) {
    out.reset();
    TSpecimens s{};
    int given = 0, firstEmpty = -1;
    for (std::size_t k = 0; k < kSpecimens; ++k) {
      const int f = first + static_cast<int>(k);
      std::optional<int32_t> v;
      if (!Number(f, kSpecimenRange, false, v)) return false;
      if (v) {
        s[k] = *v;
        ++given;
      } else if (firstEmpty < 0) {
        firstEmpty = f;
      }
    }
    if (given == 0) return true;
    if (given < static_cast<int>(kSpecimens))
      return Fail(firstEmpty, "供試体 3 本の値を全部書くか，全部空けてください（この値がありません）");
    out = s;
    return true;
  }
};

}  // namespace

std::string TStrengthCsvResult::Message() const {
  if (Line <= 0) return Reason;
  std::string s = std::to_string(Line) + "行目";
  if (!Column.empty()) s += " " + ShownName(Column);
  return s + "：" + Reason;
}

TStrengthCsvResult ReadStrengthCsv(std::string_view bytes, TStrengthCsv& out, int32_t days) {
  TStrengthCsv csv;
  std::string text;
  if (TStrengthCsvResult r = Decode(bytes, text, csv.Encoding); !r) return r;
  if (Trimmed(text).empty() || text.find_first_not_of("\r\n") == std::string::npos)
    return Refusal(0, {}, "ファイルが空です（見出しの行がありません）．");
  csv.Separator = DetectSeparator(text);

  std::size_t pos = 0;
  int32_t line = 1;
  TRecord rec;
  if (TStrengthCsvResult r = ReadRecord(text, pos, line, csv.Separator, rec); !r) return r;
  if (AllEmpty(rec)) return Refusal(1, {}, "見出しがありません．");
  THeader header;
  if (TStrengthCsvResult r = ReadHeader(rec, header); !r) return r;
  // Columns without a heading, and values beyond the last one, are named
  // by their place when a row uses them.
  std::vector<bool> used(header.Headings.size(), false);
  while (pos < text.size()) {
    if (TStrengthCsvResult r = ReadRecord(text, pos, line, csv.Separator, rec); !r) return r;
    if (AllEmpty(rec)) continue;
    if (csv.Tests.size() == kMaxStrengthTests)
      return Refusal(rec.Line, {}, "試験が多すぎます（" + std::to_string(kMaxStrengthTests) + " 件まで）．");
    if (rec.Cells.size() > used.size()) used.resize(rec.Cells.size(), false);
    for (std::size_t c = 0; c < rec.Cells.size(); ++c)
      if (!Trimmed(rec.Cells[c].Text).empty()) used[c] = true;
    TStrengthTest test;
    if (TStrengthCsvResult r = TRowReader(header, rec, days).Read(test); !r) return r;
    csv.Tests.push_back(std::move(test));
  }
  for (std::size_t c = 0; c < used.size(); ++c) {
    const bool headed = c < header.Headings.size() && !header.Headings[c].empty();
    if (headed && header.Ignored[c]) csv.IgnoredColumns.push_back(header.Headings[c]);
    else if (!headed && used[c]) csv.IgnoredColumns.push_back("（" + std::to_string(c + 1) + "列目）");
  }
  out = std::move(csv);
  return {};
}

TStrengthCsvResult LoadStrengthCsv(const std::string& path, TStrengthCsv& out, int32_t days) {
  std::string bytes, reason;
  if (!ReadRegularFile(path, kMaxStrengthCsvBytes, bytes, reason)) return Refusal(0, {}, reason);
  return ReadStrengthCsv(bytes, out, days);
}

}  // namespace kestrin
