// The strict reader of JSON documents that come from outside (the month
// import of kestrin-cli, and any further JSON document type): one strict
// JSON value with a nesting limit, refusals that name the field or the byte
// position, and the field checks with their Japanese refusal texts. Header
// only nlohmann-json, no Qt, so every layer that reads JSON uses this one.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/Cp932.h"

namespace kestrin {

// Documents keep their members in the order they were read or built.
using TJson = nlohmann::ordered_json;

struct TJsonError {
  std::string field;    // "BasicInfo.Kyoyo", "SlumpList[3].SokuteiList[0].Value"
  std::string message;  // Japanese, names the field
};

// The deepest nesting of arrays and objects read. A month needs 4 levels;
// the limit keeps a file of nothing but "[" from taking gigabytes.
inline constexpr int kMaxJsonDepth = 64;

// Parses one strict JSON value and nothing after it (a NUL byte anywhere is
// refused, as JSON never holds one raw), nested at most kMaxJsonDepth deep.
// Never throws for any input. On failure `error` names the field (a number
// too large for a double) or the byte position; its message has no full
// stop, for the caller to add the file name.
bool ParseStrictJson(std::string_view text, TJson& json, TJsonError& error);

// Checks of the members of a parsed document, keeping the first error.
// Every check returns false once it records an error, so checks chain with
// &&. Fields are named by their path ("Mix.Air", "Tests[2].Day"); the
// messages are whole Japanese sentences that name the field.
class TJsonChecker {
 public:
  explicit TJsonChecker(TJsonError& error) : error_(error) {}

  bool Fail(const std::string& field, const std::string& message);

  bool Object(const TJson& j, const std::string& field);
  bool Array(const TJson& j, const std::string& field);
  // Every member of `obj` is one of `keys`.
  bool OnlyKeys(const TJson& obj, const std::string& field, std::initializer_list<const char*> keys);

  // An integer member in [lo, hi]; an absent member keeps `out` unless it
  // is required.
  bool Int(const TJson& obj, const std::string& parent, const char* key, int64_t lo, int64_t hi, int32_t& out,
           bool required = false);
  // A finite number in [lo, hi]; an absent member keeps `out`.
  bool Number(const TJson& obj, const std::string& parent, const char* key, double lo, double hi,
              double& out);
  // true or false, when present (the value itself is not kept).
  bool Bool(const TJson& obj, const std::string& parent, const char* key);
  // A UTF-8 text member converted to CP932 within maxBytes; an absent member
  // keeps `out`.
  bool Text(const TJson& obj, const std::string& parent, const char* key, std::size_t maxBytes,
            AnsiString& out);
  bool Missing(const std::string& field);

  static std::string Join(const std::string& parent, const std::string& key);
  static std::string Index(const std::string& parent, std::size_t i);
  // "項目 FIELD " in front of a message about the field.
  static std::string Name(const std::string& field);

 private:
  TJsonError& error_;
};

}  // namespace kestrin
