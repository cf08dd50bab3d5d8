// libFuzzer target over the strength log's readers: the .kst file and the
// lab's CSV, both given every input. For any bytes a read must end without
// a crash, a sanitizer report or runaway memory, and every refusal must
// say why; a log that is accepted must write a text that reads back as the
// same log and writes again byte for byte, and its figures must be
// computable. Tests taken from a CSV must make a log the file reader
// accepts as it is (the CSV checks no less than the file).
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/StrengthCsv.h"
#include "core/StrengthFigures.h"
#include "core/StrengthFile.h"

using namespace kestrin;

namespace {

void CheckCsv(std::string_view bytes) {
  TStrengthCsv csv;
  if (const TStrengthCsvResult r = ReadStrengthCsv(bytes, csv); !r) {
    if (r.Reason.empty() || r.Line < 0) std::abort();
    return;
  }
  if (csv.Tests.size() > kMaxStrengthTests) std::abort();
  TStrengthLog log;
  log.Month = 1;  // 31 days, as the CSV was read with
  log.Tests = csv.Tests;
  TStrengthLog back;
  if (!StrengthLogFromText(StrengthLogText(log), back) || !(back == log)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckCsv(text);
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
