// Process capability beyond Cp and Cpk: the within-day indices from the
// X̄–R chart's σ̂ = R̄/d2, and 95 % confidence intervals of the overall Cp
// and Cpk. Cp and Cpk themselves stay as Capability.h computes them (the
// month's overall standard deviation; ISO 22514 calls these Pp and Ppk).
//
//   CpWithin  = (2K / 100) / (6 σ̂)
//   CpkWithin = min(T + K − X, X − (T − K)) / 100 / (3 σ̂)
//   Cp:  [Cp·√(χ²(0.025; n − 1)/(n − 1)), Cp·√(χ²(0.975; n − 1)/(n − 1))]
//   Cpk: Cpk ± 1.96·√(1/(9n) + Cpk²/(2(n − 1)))   (Bissell)
// with n the number of entered values; the chi-square quantiles come from
// Boost.Math.
#pragma once

#include <cstdint>
#include <optional>

#include "Capability.h"

namespace kestrin {

class TMainData;
struct TControlChart;

struct TCapabilityBounds {
  std::optional<double> CpWithin;  // empty: undefined ("－", JSON null)
  std::optional<double> CpkWithin;
  std::optional<double> CpLow;
  std::optional<double> CpHigh;
  std::optional<double> CpkLow;
  std::optional<double> CpkHigh;
};

// The quantile of the chi-square distribution with `df` degrees of freedom
// at probability `p`; empty for df < 1 or p outside (0, 1). Never throws.
std::optional<double> ChiSquareQuantile(double p, int64_t df);

// The intervals of `overall` (computed from n values; both empty where the
// index is), and the within-day indices for T, K (cm x100), the mean X
// (cm x100) and σ̂ (cm; empty or not positive: undefined). CpkWithin also
// needs at least one value (n >= 1).
TCapabilityBounds ComputeCapabilityBounds(const TCapability& overall, int64_t n, int32_t T, int32_t K,
                                          long double X, std::optional<long double> sigmaWithin);

// The month's bounds: its overall capability and values, σ̂ of `chart`'s
// limits (none without limits).
TCapabilityBounds MonthCapabilityBounds(const TMainData& data, const TControlChart& chart);

}  // namespace kestrin
