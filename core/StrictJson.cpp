// The strict JSON reader and the field checks (see StrictJson.h).
#include "StrictJson.h"

#include <cmath>
#include <new>
#include <vector>

namespace kestrin {

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
class TJsonBuilder final : public nlohmann::json_sax<TJson> {
 public:
  TJson Root;
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
  bool start_object(std::size_t) override { return Open(TJson::object()); }
  bool key(string_t& k) override {
    open_.back().key = std::move(k);
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(TJson::array()); }
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
    TJson* value;
    std::string key;  // objects: the member being read
  };
  std::vector<TLevel> open_;

  TJson* Insert(TJson v) {
    if (open_.empty()) {
      Root = std::move(v);
      return &Root;
    }
    TLevel& top = open_.back();
    if (top.value->is_array()) {
      top.value->push_back(std::move(v));
      return &top.value->back();
    }
    TJson& slot = (*top.value)[top.key];
    slot = std::move(v);
    return &slot;
  }
  bool Put(TJson v) {
    Insert(std::move(v));
    return true;
  }
  bool Open(TJson v) {
    open_.push_back({Insert(std::move(v)), {}});
    return true;
  }
  bool Close() {
    open_.pop_back();
    return true;
  }
  // "BasicInfo.Getsudo", "SlumpList[2].SokuteiList[0].Value", as the
  // field checks name fields. An open container is the last item of
  // its parent; in the innermost array the value being read comes next.
  std::string Path() const {
    std::string path;
    for (std::size_t i = 0; i < open_.size(); ++i) {
      const TJson& v = *open_[i].value;
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

bool ParseStrictJson(std::string_view text, TJson& json, TJsonError& error) {
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
    if (TJson::sax_parse(text.begin(), text.end(), &builder, TJson::input_format_t::json, true, false)) {
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
    error.message = error.field.empty() ? "JSON の数値が大きすぎます（" + at + "）"
                                        : "項目 " + error.field + " の数値が大きすぎます（" + at + "）";
  } else {
    error.field.clear();
    error.message = "JSON の形式が正しくありません（" + at + "）";
  }
  return false;
}

// ================================================================ field checks

bool TJsonChecker::Fail(const std::string& field, const std::string& message) {
  error_.field = field;
  error_.message = message;
  return false;
}

bool TJsonChecker::Object(const TJson& j, const std::string& field) {
  if (j.is_object()) return true;
  return Fail(field, Name(field) + "の型が正しくありません（オブジェクトが必要です）．");
}

bool TJsonChecker::Array(const TJson& j, const std::string& field) {
  if (j.is_array()) return true;
  return Fail(field, Name(field) + "の型が正しくありません（配列が必要です）．");
}

bool TJsonChecker::OnlyKeys(const TJson& obj, const std::string& field,
                            std::initializer_list<const char*> keys) {
  for (auto it = obj.begin(); it != obj.end(); ++it) {
    bool known = false;
    for (const char* k : keys) known = known || it.key() == k;
    if (!known) return Fail(Join(field, it.key()), Name(Join(field, it.key())) + "は不明な項目です．");
  }
  return true;
}

bool TJsonChecker::Int(const TJson& obj, const std::string& parent, const char* key, int64_t lo, int64_t hi,
                       int32_t& out, bool required) {
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
    return Fail(field,
                Name(field) + "の値が範囲外です（" + std::to_string(lo) + "～" + std::to_string(hi) + "）．");
  out = static_cast<int32_t>(it->get<int64_t>());
  return true;
}

namespace {

// A bound as the user wrote it: no trailing zeros ("99.9", "5").
std::string Plain(double v) {
  std::string s = std::to_string(v);
  while (!s.empty() && s.back() == '0') s.pop_back();
  if (!s.empty() && s.back() == '.') s.pop_back();
  return s;
}

}  // namespace

bool TJsonChecker::Number(const TJson& obj, const std::string& parent, const char* key, double lo, double hi,
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

bool TJsonChecker::Bool(const TJson& obj, const std::string& parent, const char* key) {
  const std::string field = Join(parent, key);
  auto it = obj.find(key);
  if (it == obj.end() || it->is_boolean()) return true;
  return Fail(field, Name(field) + "の型が正しくありません（true または false が必要です）．");
}

bool TJsonChecker::Text(const TJson& obj, const std::string& parent, const char* key, std::size_t maxBytes,
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
    return Fail(field,
                Name(field) + "に Shift-JIS（CP932）で表せない文字があります：「" + bad.character + "」．");
  }
  if (cp932->find('\0') != std::string::npos)
    return Fail(field, Name(field) + "に使えない文字（NUL）があります．");
  if (cp932->size() > maxBytes)
    return Fail(field, Name(field) + "が長すぎます（Shift-JIS で " + std::to_string(maxBytes) +
                           " バイトまで，現在 " + std::to_string(cp932->size()) + " バイト）．");
  out = std::move(*cp932);
  return true;
}

bool TJsonChecker::Missing(const std::string& field) { return Fail(field, Name(field) + "がありません．"); }

std::string TJsonChecker::Join(const std::string& parent, const std::string& key) {
  return parent.empty() ? key : parent + "." + key;
}

std::string TJsonChecker::Index(const std::string& parent, std::size_t i) {
  return parent + "[" + std::to_string(i) + "]";
}

std::string TJsonChecker::Name(const std::string& field) { return "項目 " + field + " "; }

}  // namespace kestrin
