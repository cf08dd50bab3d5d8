// The figures of a strength log (see StrengthFigures.h).
#include "StrengthFigures.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kestrin {

int32_t SpecimenMean(const TSpecimens& s) {
  return static_cast<int32_t>(RoundDiv(int64_t{s[0]} + s[1] + s[2], kSpecimens));
}

bool ResultPasses(int32_t result, int32_t nominal) {
  return int64_t{result} * 100 >= int64_t{nominal} * kResultSharePercent;
}

int32_t RequiredMeanStrength(int32_t nominal, int32_t sigma) {
  // In thousandths: 0.85·SL + 3s exactly; SL + √3·s (= SL + 3s/√3) as a
  // real, rounded once.
  const int64_t first = int64_t{nominal} * kResultSharePercent + 30 * int64_t{sigma};
  const long double second = nominal * 100.0L + std::sqrt(3.0L) * sigma * 10.0L;
  if (static_cast<long double>(first) >= second) return static_cast<int32_t>(RoundDiv(first, 10));
  return static_cast<int32_t>(std::llround(second / 10.0L));  // half away from zero
}

const char* StrengthChartName(TStrengthChart chart) {
  switch (chart) {
    case TStrengthChart::X: return "X";
    case TStrengthChart::Rs: return "Rs";
    case TStrengthChart::Rm: return "Rm";
  }
  return "";
}

namespace {

bool Within(int32_t value, int32_t target, int32_t tolerance) {
  return std::abs(value - target) <= tolerance;
}

void FillLots(const std::vector<TStrengthTestFigures>& tests, int32_t nominal, TStrengthFigures& f) {
  TStrengthLot lot;
  int64_t sum = 0;
  for (std::size_t i = 0; i < tests.size(); ++i) {
    if (!tests[i].Result28) continue;
    lot.Tests.push_back(i + 1);
    sum += *tests[i].Result28;
    if (lot.Tests.size() == kLotSize) {
      lot.Mean = static_cast<int32_t>(RoundDiv(sum, kLotSize));
      lot.Pass = *lot.Mean >= nominal;
      if (!*lot.Pass) ++f.FailedLots;
      f.Lots.push_back(std::move(lot));
      lot = {};
      sum = 0;
    }
  }
  if (!lot.Tests.empty()) f.Lots.push_back(std::move(lot));
}

void FillSummary(const std::vector<int32_t>& results, int32_t nominal, TStrengthSummary& s) {
  s.Count = results.size();
  if (results.empty()) return;
  const auto n = static_cast<int64_t>(results.size());
  int64_t sum = 0, squares = 0;
  for (const int32_t r : results) {
    sum += r;
    squares += int64_t{r} * r;
  }
  s.Mean = static_cast<int32_t>(RoundDiv(sum * 10, n));
  s.Min = *std::min_element(results.begin(), results.end());
  s.Max = *std::max_element(results.begin(), results.end());
  if (results.size() < kMinSigmaResults) return;
  // Variance in tenths², exactly: (nΣx² − (Σx)²) / (n(n − 1)); σ in
  // hundredths is √(100·variance).
  const int64_t numerator = n * squares - sum * sum;
  const long double variance = static_cast<long double>(numerator) / static_cast<long double>(n * (n - 1));
  s.Sigma = static_cast<int32_t>(std::llround(std::sqrt(100.0L * variance)));
  s.RequiredMean = RequiredMeanStrength(nominal, *s.Sigma);
  s.Margin = *s.Mean - *s.RequiredMean;
}

// x̄, R̄s and R̄m rounded to hundredths first, then each limit from them
// rounded to hundredths, as on the paper form.
TStrengthChartLimits Limits(const std::vector<int32_t>& results, const std::vector<int32_t>& rs,
                            const std::vector<int32_t>& rm) {
  auto mean = [](const std::vector<int32_t>& v) {
    int64_t sum = 0;
    for (const int32_t x : v) sum += x;
    return static_cast<int32_t>(RoundDiv(sum * 10, static_cast<int64_t>(v.size())));
  };
  auto times = [](int32_t v, int64_t milli) {
    return static_cast<int32_t>(RoundDiv(int64_t{v} * milli, 1000));
  };
  TStrengthChartLimits l;
  l.Center = mean(results);
  l.RsBar = mean(rs);
  l.RmBar = rm.empty() ? 0 : mean(rm);
  l.UCL = l.Center + times(l.RsBar, kE2Milli);
  l.LCL = l.Center - times(l.RsBar, kE2Milli);
  l.RsUCL = times(l.RsBar, kD4RsMilli);
  l.RmUCL = times(l.RmBar, kD4RmMilli);
  return l;
}

void FillSignals(const std::vector<TStrengthTestFigures>& tests, const TStrengthChartLimits& l,
                 std::vector<TStrengthSignal>& out) {
  // Values in tenths against limits in hundredths.
  for (std::size_t i = 0; i < tests.size(); ++i)
    if (const auto& r = tests[i].Result28; r && (*r * 10 > l.UCL || *r * 10 < l.LCL))
      out.push_back({TStrengthChart::X, i + 1});
  for (std::size_t i = 0; i < tests.size(); ++i)
    if (const auto& rs = tests[i].Rs; rs && *rs * 10 > l.RsUCL) out.push_back({TStrengthChart::Rs, i + 1});
  for (std::size_t i = 0; i < tests.size(); ++i)
    if (const auto& rm = tests[i].Rm; rm && *rm * 10 > l.RmUCL) out.push_back({TStrengthChart::Rm, i + 1});
}

}  // namespace

TStrengthSummary SummarizeStrengthResults(const std::vector<int32_t>& results, int32_t nominal) {
  TStrengthSummary s;
  FillSummary(results, nominal, s);
  return s;
}

TStrengthFigures ComputeStrengthFigures(const TStrengthLog& log) {
  TStrengthFigures f;
  const TStrengthMix& mix = log.Mix;
  std::vector<int32_t> results, rs, rm;
  std::optional<int32_t> previous;
  for (const TStrengthTest& t : log.Tests) {
    TStrengthTestFigures tf;
    tf.SlumpPass = Within(t.Slump, mix.Slump, mix.SlumpTolerance);
    tf.AirPass = Within(t.Air, mix.Air, mix.AirTolerance);
    if (t.Chloride) tf.ChloridePass = *t.Chloride <= kMaxChloride;
    if (t.Strength7) tf.Result7 = SpecimenMean(*t.Strength7);
    if (t.Strength28) {
      const TSpecimens& s = *t.Strength28;
      tf.Result28 = SpecimenMean(s);
      tf.Rm = *std::max_element(s.begin(), s.end()) - *std::min_element(s.begin(), s.end());
      tf.Pass = ResultPasses(*tf.Result28, mix.NominalStrength);
      if (!*tf.Pass) ++f.FailedTests;
      if (previous) {
        tf.Rs = std::abs(*tf.Result28 - *previous);
        rs.push_back(*tf.Rs);
      }
      previous = tf.Result28;
      results.push_back(*tf.Result28);
      rm.push_back(*tf.Rm);
    }
    f.Tests.push_back(tf);
  }
  FillLots(f.Tests, mix.NominalStrength, f);
  FillSummary(results, mix.NominalStrength, f.Summary);
  if (results.size() >= kMinChartResults) {
    f.Chart = Limits(results, rs, rm);
    FillSignals(f.Tests, *f.Chart, f.Signals);
  }
  return f;
}

}  // namespace kestrin
