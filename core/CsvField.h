// One field of the comma- or tab-separated text the program writes for
// spreadsheets (the overview's CSV, the month's tab-separated block).
// Spreadsheets are lenient readers: they split on "," ";" or a tab as the
// user chose, and evaluate a field that starts like a formula. A field
// therefore goes out quoted (RFC 4180, quotes doubled) whenever it holds
// any of those separators, a quote or a line end, and a field starting
// with "=", "+", "-", "@", a tab or a carriage return gets a leading
// apostrophe, so that a plant name or a path from a file can never run as
// a formula.
#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// The text as one safe field (see above); numbers do not go through it.
std::string CsvField(std::string_view text);

}  // namespace kestrin
