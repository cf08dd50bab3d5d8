// The month record as JSON: the field names of the record as keys, texts in
// UTF-8, cm x100 values as integers, reals as JSON numbers.
//
// {"BasicInfo":{"Getsudo","StartDay","EndDay","Kojo","Tanto","Biko",
//   "ClassWidth","KariAveX","Kyoyo","Kyodo","Kotsuzai","Air","AirKyoyo",
//   "Cement":{"Name","Mark"}},
//  "SlumpList":[{"Day","SokuteiList":[{"Value","Judge"},{"Value","Judge"}]}...],
//  "HistogramList":[{"Lower","Upper","Center","U","F"}...],
//  "CalcedResult":{"SumF","SumUF","SumU2F","AveX","Hensa"},
//  "Capability":{"Cp","Cpk"},               (null when undefined)
//  "Signals":[{"Rule":"Run"|"Trend"|"NearLimit",
//              "Side":"Above"|"Below"|"Up"|"Down",
//              "From":{"Day","Time":"AM"|"PM"},"To":{...},"Count"}...]}
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/MainData.h"
#include "core/Signals.h"

namespace kestrin::cli {

using Json = nlohmann::ordered_json;

// The whole record, with its capability and its signals found with
// `lengths`. Texts that are not valid CP932 show U+FFFD where the bytes are
// broken.
Json MainDataToJson(const TMainData& data, const TSignalLengths& lengths = {});

struct TJsonError {
  std::string field;    // "BasicInfo.Kyoyo", "SlumpList[3].SokuteiList[0].Value"
  std::string message;  // Japanese, names the field
};

// The deepest nesting of arrays and objects read. A month needs 4 levels;
// the limit keeps a file of nothing but "[" from taking gigabytes.
inline constexpr int kMaxJsonDepth = 64;

// Parses the text of a JSON month: one strict JSON value and nothing after
// it (a NUL byte anywhere is refused, as JSON never holds one raw), nested at
// most kMaxJsonDepth deep. Never throws for any input. On failure `error`
// names the field (a number too large for a double) or the byte position;
// its message has no full stop, for the caller to add the file name.
bool ParseRecordJson(std::string_view text, Json& json, TJsonError& error);

// Builds a month from JSON of the form above. Only the header and the
// measurement values are read (Judge is type-checked and ignored; the class
// table, the results, the capability and the signals are recomputed). Missing header fields
// take the defaults of a new record, except Getsudo, which is required;
// days not listed stay blank. Values must lie in the ranges the main window
// accepts and texts must fit CP932 and the entry fields' byte limits.
// On failure `data` is untouched and `error` says why.
bool MainDataFromJson(const Json& json, TMainData& data, TJsonError& error);

}  // namespace kestrin::cli
