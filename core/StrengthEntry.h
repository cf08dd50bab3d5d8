// Entry into a strength log cell by cell, as the strength window's table
// and a pasted block make it: the table's columns, the text of a cell, and
// a typed text checked against the ranges the file reader keeps (one
// Japanese sentence on refusal, nothing changed).
//
// The log holds the three specimens of an age only together; specimens
// typed one by one wait in a draft beside the log until the third one
// completes them (and a cleared specimen of a complete three goes back to
// the draft). A log with drafts is not saved: the entry is not complete.
// Standard C++ only; texts are UTF-8.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "StrengthLimits.h"
#include "StrengthLog.h"

namespace kestrin {

// The table's columns: those typed into, then those computed.
enum class TStrengthColumn : int {
  Day,
  Time,
  Truck,
  Slump,
  Air,
  Temperature,
  Chloride,
  S7_1,
  S7_2,
  S7_3,
  S28_1,
  S28_2,
  S28_3,
  Remarks,
  Result,
  Rm,
  Rs,
  Judgement,
};
inline constexpr int kStrengthEditColumns = static_cast<int>(TStrengthColumn::Remarks) + 1;
inline constexpr int kStrengthColumns = static_cast<int>(TStrengthColumn::Judgement) + 1;

// The heading ("日", "28日2", "判定").
const char* StrengthColumnTitle(TStrengthColumn column);
// The limit of a numeric column that is typed into; nothing for the
// others (texts, time, day, computed columns).
std::optional<TScaledRange> StrengthColumnLimit(TStrengthColumn column);

// Specimens typed so far for one age of one test.
using TSpecimenDraft = std::array<std::optional<int32_t>, kSpecimens>;
struct TStrengthTestDraft {
  TSpecimenDraft S7{};
  TSpecimenDraft S28{};
  bool Empty() const;
  bool operator==(const TStrengthTestDraft&) const = default;
};

// What the window edits: the log and, per test, the specimens not yet
// complete (Drafts.size() == Log.Tests.size()).
struct TStrengthWork {
  TStrengthLog Log;
  std::vector<TStrengthTestDraft> Drafts;

  TStrengthWork() = default;
  explicit TStrengthWork(TStrengthLog log);
  bool operator==(const TStrengthWork&) const = default;
};

// A number typed for `limit`, read as every entry path reads one
// (ParseScaledText): blank gives nothing; on refusal `why` is the
// window's sentence ("0.0～99.9の範囲で入力してください．").
bool ParseScaledEntry(std::string_view text, const TScaledRange& limit, std::optional<int32_t>& value,
                      std::string& why);
// "0.0～99.9の範囲で入力してください．"
std::string RangeRefusalText(const TScaledRange& limit);

// The text a cell shows and edits (computed columns: empty).
std::string StrengthCellText(const TStrengthWork& work, std::size_t test, TStrengthColumn column);
// Sets a cell of an editable column from typed text; blank empties a cell
// that may be empty. Returns the refusal (empty when the cell took it).
std::string SetStrengthCell(TStrengthWork& work, std::size_t test, TStrengthColumn column,
                            std::string_view text);
// Empties a cell; false (nothing changed) for a cell that cannot be empty
// (day, slump, air) and for computed columns.
bool ClearStrengthCell(TStrengthWork& work, std::size_t test, TStrengthColumn column);
// A cell that cannot be empty.
bool StrengthCellRequired(TStrengthColumn column);

// A new test at `at` (0..size) on `day`; false when the log is full.
bool InsertStrengthTest(TStrengthWork& work, std::size_t at, int32_t day);
void RemoveStrengthTest(TStrengthWork& work, std::size_t at);
// Tests appended at the end. Refused (the reason returned, nothing
// changed) when the log would hold more than kMaxStrengthTests or a test's
// day is not in the log's month.
std::string AppendStrengthTests(TStrengthWork& work, const std::vector<TStrengthTest>& tests);

// Why the work cannot be saved as it is (a test with one or two specimens
// of an age), or empty.
std::string IncompleteEntry(const TStrengthWork& work);

// Characters of UTF-8 text.
std::size_t Utf8Chars(std::string_view text);

}  // namespace kestrin
