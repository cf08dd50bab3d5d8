// Within-day capability and confidence intervals; see CapabilityBounds.h.
#include "CapabilityBounds.h"

#include <algorithm>
#include <boost/math/distributions/chi_squared.hpp>
#include <cmath>

#include "ControlChart.h"
#include "MainData.h"

namespace kestrin {

namespace {

// Errors become NaN instead of exceptions: no figure is worth a crash.
using TNoThrow = boost::math::policies::policy<
    boost::math::policies::domain_error<boost::math::policies::ignore_error>,
    boost::math::policies::overflow_error<boost::math::policies::ignore_error>,
    boost::math::policies::evaluation_error<boost::math::policies::ignore_error>,
    boost::math::policies::rounding_error<boost::math::policies::ignore_error>>;

constexpr double kZ975 = 1.96;  // the normal quantile of Bissell's interval

std::optional<double> Finite(double v) { return std::isfinite(v) ? std::optional<double>(v) : std::nullopt; }

}  // namespace

std::optional<double> ChiSquareQuantile(double p, int64_t df) {
  if (df < 1 || !(p > 0.0 && p < 1.0)) return std::nullopt;
  const boost::math::chi_squared_distribution<double, TNoThrow> dist(static_cast<double>(df));
  return Finite(boost::math::quantile(dist, p));
}

TCapabilityBounds ComputeCapabilityBounds(const TCapability& overall, int64_t n, int32_t T, int32_t K,
                                          long double X, std::optional<long double> sigmaWithin) {
  TCapabilityBounds b;
  if (overall.Cp && n >= 2) {
    const double df = static_cast<double>(n - 1);
    const auto lo = ChiSquareQuantile(0.025, n - 1);
    const auto hi = ChiSquareQuantile(0.975, n - 1);
    if (lo && hi) {
      b.CpLow = Finite(*overall.Cp * std::sqrt(*lo / df));
      b.CpHigh = Finite(*overall.Cp * std::sqrt(*hi / df));
    }
  }
  if (overall.Cpk && n >= 2) {
    const double c = *overall.Cpk;
    const double nn = static_cast<double>(n);
    const double half = kZ975 * std::sqrt(1.0 / (9.0 * nn) + c * c / (2.0 * (nn - 1.0)));
    b.CpkLow = Finite(c - half);
    b.CpkHigh = Finite(c + half);
  }
  if (sigmaWithin && K > 0 && *sigmaWithin > 0.0L && std::isfinite(static_cast<double>(*sigmaWithin))) {
    const long double s = *sigmaWithin;
    b.CpWithin = Finite(static_cast<double>((2.0L * K / 100.0L) / (6.0L * s)));
    if (n >= 1 && std::isfinite(static_cast<double>(X))) {
      const long double upper = static_cast<long double>(T) + K - X;
      const long double lower = X - (static_cast<long double>(T) - K);
      b.CpkWithin = Finite(static_cast<double>(std::min(upper, lower) / 100.0L / (3.0L * s)));
    }
  }
  return b;
}

TCapabilityBounds MonthCapabilityBounds(const TMainData& data, const TControlChart& chart) {
  int64_t n = 0;
  for (const auto& day : data.SlumpList)
    for (const auto& m : day.SokuteiList)
      if (m.Value > 0) ++n;
  std::optional<long double> sigma;
  if (chart.Limits) sigma = chart.Limits->Sigma;
  return ComputeCapabilityBounds(MonthCapability(data), n, data.BasicInfo.KariAveX, data.BasicInfo.Kyoyo,
                                 data.CalcedResult.AveX, sigma);
}

}  // namespace kestrin
