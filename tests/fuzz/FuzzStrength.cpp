// libFuzzer target over the strength log's reader (.kst). For any bytes the
// read must end without a crash, a sanitizer report or runaway memory, and
// every refusal must say why; a log that is accepted must write a text
// that reads back as the same log and writes again byte for byte, and its
// figures must be computable.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/StrengthFigures.h"
#include "core/StrengthFile.h"

using namespace kestrin;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  TStrengthLog log;
  if (const TStrengthReadResult r = StrengthLogFromText(text, log); !r) {
    if (r.Reason.empty()) std::abort();  // every refusal says why
    return 0;
  }
  const std::string written = StrengthLogText(log);
  TStrengthLog back;
  if (!StrengthLogFromText(written, back)) std::abort();  // an accepted log must read back
  if (!(back == log) || StrengthLogText(back) != written) std::abort();

  const TStrengthFigures f = ComputeStrengthFigures(log);
  if (f.Tests.size() != log.Tests.size()) std::abort();
  return 0;
}
