// The strength side of the year overview; see StrengthOverview.h.
#include "StrengthOverview.h"

#include "Numbers.h"
#include "StrengthFile.h"

namespace kestrin {

bool IsStrengthFileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() < 5) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& ch : ext)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return ext == std::string(".") + kStrengthFileExt;
}

AnsiString StrengthPlantKey(const std::string& utf8) {
  AnsiString out;
  std::string_view rest = utf8;
  while (!rest.empty()) {
    Cp932Error error;
    if (const std::optional<AnsiString> whole = Utf8ToCp932(rest, &error)) {
      out += *whole;
      break;
    }
    const std::size_t at = std::min(error.offset, rest.size());
    out += Utf8ToCp932(rest.substr(0, at)).value_or(AnsiString());
    out += "\x81\x48";  // "？"
    // Past the character that failed: its lead byte and continuation bytes.
    std::size_t next = at + 1;
    while (next < rest.size() && (static_cast<unsigned char>(rest[next]) & 0xC0) == 0x80) ++next;
    rest.remove_prefix(next);
  }
  return out;
}

std::string NominalText(int32_t nominal) {
  return nominal % 10 == 0 ? std::to_string(nominal / 10) : FormatScaled(nominal, 1);
}

TStrengthOverviewMonth StrengthOverviewRow(const TStrengthLog& log, const std::string& file) {
  TStrengthOverviewMonth m;
  m.File = file;
  m.Getsudo = PackDate(log.Year, log.Month, 1);
  m.Kojo = StrengthPlantKey(log.Plant);
  m.Nominal = log.Mix.NominalStrength;
  m.Tests = static_cast<int32_t>(log.Tests.size());
  const TStrengthFigures f = ComputeStrengthFigures(log);
  m.Summary = f.Summary;
  m.FailedTests = f.FailedTests;
  m.FailedLots = f.FailedLots;
  for (const TStrengthTestFigures& t : f.Tests)
    if (t.Result28) m.Results.push_back(*t.Result28);
  return m;
}

bool ReadStrengthOverviewMonth(const std::string& path, TStrengthOverviewMonth& month, std::string& reason) {
  TStrengthLog log;
  // The reader refuses folders, pipes and devices before it opens anything.
  const TStrengthReadResult read = LoadStrengthFile(path, log);
  if (!read) {
    reason = read.Field.empty() ? read.Reason : read.Field + "：" + read.Reason;
    return false;
  }
  month = StrengthOverviewRow(log, path);
  return true;
}

}  // namespace kestrin
