// Cp and Cpk; see Capability.h.
#include "Capability.h"

#include <algorithm>
#include <cmath>

#include "MainData.h"

namespace kestrin {

TCapability ComputeCapability(int32_t T, int32_t K, long double X,
                              long double sigma, int64_t n) {
  TCapability c;
  if (n < 2 || K <= 0 || !std::isfinite(static_cast<double>(sigma)) ||
      !(sigma > 0.0L) || !std::isfinite(static_cast<double>(X)))
    return c;
  const long double upper = static_cast<long double>(T) + K - X;
  const long double lower = X - (static_cast<long double>(T) - K);
  c.Cp = static_cast<double>((2.0L * K / 100.0L) / (6.0L * sigma));
  c.Cpk = static_cast<double>(std::min(upper, lower) / 100.0L / (3.0L * sigma));
  return c;
}

TCapability MonthCapability(const TMainData& data) {
  int64_t n = 0;
  for (const auto& day : data.SlumpList)
    for (const auto& m : day.SokuteiList)
      if (m.Value > 0) ++n;
  return ComputeCapability(data.BasicInfo.KariAveX, data.BasicInfo.Kyoyo,
                           data.CalcedResult.AveX, data.CalcedResult.Hensa, n);
}

}  // namespace kestrin
