// The strength log's small helpers (see StrengthLog.h).
#include "StrengthLog.h"

#include <cstdlib>

namespace kestrin {

std::string FormatScaled(int64_t value, int decimals) {
  int64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const uint64_t magnitude = value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  std::string text = (value < 0 ? "-" : "") + std::to_string(magnitude / static_cast<uint64_t>(scale));
  if (decimals > 0) {
    std::string fraction = std::to_string(magnitude % static_cast<uint64_t>(scale));
    text += "." + std::string(static_cast<std::size_t>(decimals) - fraction.size(), '0') + fraction;
  }
  return text;
}

int64_t RoundDiv(int64_t num, int64_t den) {
  const int64_t q = num / den;
  const int64_t r = num % den;
  if (2 * std::llabs(r) >= den) return num < 0 ? q - 1 : q + 1;
  return q;
}

}  // namespace kestrin
