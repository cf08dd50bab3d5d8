// Process capability of a month: Cp and Cpk from the target, the tolerance
// and the month's mean and standard deviation. The month window, the
// command-line tool and the year overview all take their figures from here.
#pragma once

#include <cstdint>
#include <optional>

namespace kestrin {

class TMainData;

struct TCapability {
  std::optional<double> Cp;   // empty: undefined (shown as "－", JSON null)
  std::optional<double> Cpk;
};

// T = target (cm x100), K = tolerance (cm x100), X = mean (cm x100, may be a
// real for pooled figures), sigma = standard deviation (cm), n = number of
// entered values. Both indices are undefined when sigma is 0 (or not a
// finite positive number), when fewer than 2 values are entered, or when
// K <= 0.
//   Cp  = (2K / 100) / (6 sigma)
//   Cpk = min(T + K - X, X - (T - K)) / 100 / (3 sigma)
TCapability ComputeCapability(int32_t T, int32_t K, long double X,
                              long double sigma, int64_t n);

// The month's capability from its header (KariAveX, Kyoyo), its computed
// AveX and Hensa (Calculate must have run) and its entered values (> 0).
TCapability MonthCapability(const TMainData& data);

}  // namespace kestrin
