// The strength log's file, ".kst": UTF-8 JSON of the shape
//   {"Format": "Kestrin.StrengthLog", "Version": 1, "Plant": ..., "Month": "2025-06",
//    "Mix": {...}, "Tests": [{...}, ...]}
// read as hostile input (a regular file of at most 1 MiB, the strict JSON
// reader, every field range-checked, unknown keys refused) and written
// only through the safe writer, in one canonical layout so that a file
// written, read and written again is byte-identical.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "SafeFile.h"
#include "StrengthLog.h"

namespace kestrin {

inline constexpr char kStrengthFormat[] = "Kestrin.StrengthLog";
inline constexpr int32_t kStrengthVersion = 1;
inline constexpr std::size_t kMaxStrengthFileBytes = 1024 * 1024;

// The outcome of reading a strength log: success, or the file (when one
// was read), the field at fault (a JSON path such as
// "Tests[4].Strength28[1]"; empty when the file as a whole is at fault)
// and the reason, a Japanese sentence.
struct TStrengthReadResult {
  bool Ok = true;
  std::string Path;
  std::string Field;
  std::string Reason;

  explicit operator bool() const { return Ok; }
  // "<path>: <reason>", or the reason alone without a path.
  std::string Message() const;
};

// Reads a log from the file's text. On failure `log` is unchanged.
TStrengthReadResult StrengthLogFromText(std::string_view text, TStrengthLog& log);
// Reads the file at `path` (a regular file of at most 1 MiB).
TStrengthReadResult LoadStrengthFile(const std::string& path, TStrengthLog& log);

// The file's text in its canonical layout (two-space indent, newline at
// the end).
std::string StrengthLogText(const TStrengthLog& log);
// Writes the log through the safe writer. A log the reader would refuse
// (a value out of range, a text too long) is not written; the result then
// names the field and the reason as its step.
TFileResult SaveStrengthFile(const std::string& path, const TStrengthLog& log);

}  // namespace kestrin
