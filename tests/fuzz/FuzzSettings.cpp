// libFuzzer target over the settings-file reader. For any bytes, reading the
// settings must end without a crash, a sanitizer report or runaway memory;
// the names it gives the month record fit their cells, and writing what was
// read and reading it again is stable.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/Settings.h"

using namespace kestrin;

namespace {

bool Same(const TSettings& a, const TSettings& b) {
  return a.LastDataDir == b.LastDataDir && a.CompanyName == b.CompanyName && a.TantoName == b.TantoName &&
         a.KojoNames == b.KojoNames && a.InkanTitle1 == b.InkanTitle1 && a.InkanTitle2 == b.InkanTitle2 &&
         a.InkanTitle3 == b.InkanTitle3 && a.DispNullData == b.DispNullData &&
         a.DrawHistNoRange == b.DrawHistNoRange && a.DrawXChartNoRange == b.DrawXChartNoRange;
}

// The document after the program wrote `settings` into it.
TIniFile Written(const TIniFile& ini, const TSettings& settings) {
  TIniFile out = ini;
  WriteSettings(out, settings);
  TIniFile again;
  again.SetText(out.Text());
  return again;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kMaxIniBytes) return 0;  // the reader refuses larger files unread
  TIniFile ini;
  ini.SetText(std::string(reinterpret_cast<const char*>(data), size));
  const TSettings first = ReadSettings(ini);
  if (DefaultTanto(first).size() > kTantoMaxBytes) std::abort();
  for (int i = 0; i < kKojoNameCount; ++i)
    if (KojoChoice(first, i).size() > kKojoMaxBytes) std::abort();

  // The first write may normalise (line breaks in values, a second [Info]
  // section); from then on a write of what was read changes nothing.
  const TIniFile once = Written(ini, first);
  const TSettings second = ReadSettings(once);
  const TIniFile twice = Written(once, second);
  if (!Same(second, ReadSettings(twice)) || twice.Text() != once.Text()) std::abort();
  return 0;
}
