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

#include "core/MainData.h"
#include "core/Signals.h"
#include "core/StrictJson.h"

namespace kestrin::cli {

using Json = TJson;

// The whole record, with its capability and its signals found with
// `lengths`. Texts that are not valid CP932 show U+FFFD where the bytes are
// broken.
Json MainDataToJson(const TMainData& data, const TSignalLengths& lengths = {});

// Builds a month from JSON of the form above (a text read with
// ParseStrictJson). Only the header and the
// measurement values are read (Judge is type-checked and ignored; the class
// table, the results, the capability and the signals are recomputed). Missing header fields
// take the defaults of a new record, except Getsudo, which is required;
// days not listed stay blank. Values must lie in the ranges the main window
// accepts and texts must fit CP932 and the entry fields' byte limits.
// On failure `data` is untouched and `error` says why.
bool MainDataFromJson(const Json& json, TMainData& data, TJsonError& error);

}  // namespace kestrin::cli
