// libFuzzer target over the data-file reader. For any bytes the load must
// end without a crash, a sanitizer report or runaway memory; what loads must
// save, load again and save to the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "RecordJson.h"
#include "core/DataFile.h"

using namespace kestrin;

namespace {

void Reset(TMainData& d) {
  d.ClearLists();
  d.Clear();
}

// Currency keeps value x 10000 in 64 bits but the record holds a double:
// beyond 2^52 / 10000 a read and a write need not give the same integer.
bool CurrencyRoundTrips(const TBasicInfo& b) {
  constexpr double kExact = 4503599627370496.0 / 10000.0;
  for (double v : {b.Kyodo, b.Kotsuzai, b.Air, b.AirKyoyo})
    if (!(std::fabs(v) < kExact)) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  TMainData d;
  Reset(d);
  TMemoryStream in(std::string(reinterpret_cast<const char*>(data), size));
  if (!LoadFromStream(in, d)) {
    // The load command resets a half-read record before recomputing.
    Reset(d);
    d.Calculate();
    return 0;
  }
  d.Calculate();
  // What stats prints must be producible for whatever loaded.
  const std::string json = cli::MainDataToJson(d).dump(-1, ' ', false, cli::Json::error_handler_t::replace);
  if (json.empty()) std::abort();

  const std::string first = MainDataBytes(d);
  TMainData again;
  Reset(again);
  TMemoryStream second(first);
  if (!LoadFromStream(second, again)) std::abort();  // our own file must load
  again.Calculate();
  if (CurrencyRoundTrips(d.BasicInfo) && MainDataBytes(again) != first) std::abort();
  return 0;
}
