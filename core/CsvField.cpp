// Safe spreadsheet text fields; see CsvField.h.
#include "CsvField.h"

namespace kestrin {

std::string CsvField(std::string_view text) {
  std::string t;
  t.reserve(text.size() + 3);
  if (!text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos) t += '\'';
  t += text;
  if (t.find_first_of(",;\t\"\r\n") == std::string::npos) return t;
  std::string q = "\"";
  for (char ch : t) {
    if (ch == '"') q += '"';
    q += ch;
  }
  return q + '"';
}

}  // namespace kestrin
