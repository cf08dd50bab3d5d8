// Subgroups, limits and reference pooling of the X̄–R chart; see
// ControlChart.h.
#include "ControlChart.h"

#include <algorithm>

#include "ControlRules.h"
#include "MainData.h"
#include "Numbers.h"

namespace kestrin {

long double TSubgroup::Mean() const {
  if (!Complete()) return Am > 0 ? Am : Pm;
  return static_cast<long double>(Sum()) / 2.0L;
}

std::vector<TSubgroup> MonthDays(const TMainData& data) {
  std::vector<TSubgroup> days;
  int32_t slot = 0;
  for (const TSlump& day : data.SlumpList) {
    TSubgroup s;
    s.Day = day.Day;
    s.Slot = slot++;
    if (day.SokuteiList.Count() > 0) s.Am = std::max(0, day.SokuteiList.Items(0).Value);
    if (day.SokuteiList.Count() > 1) s.Pm = std::max(0, day.SokuteiList.Items(1).Value);
    if (s.Am > 0 || s.Pm > 0) days.push_back(s);
  }
  return days;
}

std::vector<TSubgroup> CompleteSubgroups(const std::vector<TSubgroup>& days) {
  std::vector<TSubgroup> out;
  std::copy_if(days.begin(), days.end(), std::back_inserter(out),
               [](const TSubgroup& s) { return s.Complete(); });
  return out;
}

void TControlSource::Add(const TSubgroup& s) {
  if (!s.Complete()) return;
  ++Count;
  SumS += s.Sum();
  SumR += s.Range();
}

void TControlSource::Add(const TControlSource& other) {
  Count += other.Count;
  SumS += other.SumS;
  SumR += other.SumR;
}

TControlSource SourceOf(const std::vector<TSubgroup>& subgroups) {
  TControlSource source;
  for (const TSubgroup& s : subgroups) source.Add(s);
  return source;
}

std::optional<TControlLimits> LimitsFrom(const TControlSource& source) {
  if (source.Count < kMinControlSubgroups) return std::nullopt;
  TControlLimits l;
  l.Source = source;
  const long double k = static_cast<long double>(source.Count);
  l.Center = static_cast<long double>(source.SumS) / (2.0L * k);
  l.RBar = static_cast<long double>(source.SumR) / k;
  l.Ucl = l.Center + kControlA2 * l.RBar;
  l.Lcl = l.Center - kControlA2 * l.RBar;
  l.RUcl = kControlD4 * l.RBar;
  l.Sigma = l.RBar / kControlD2 / 100.0L;
  return l;
}

TControlChart ComputeControlChart(const TMainData& data, const TControlRuleSet& rules, bool referenceAsked,
                                  const std::vector<TReferenceMonth>& reference) {
  TControlChart chart;
  chart.Days = MonthDays(data);
  chart.Points = CompleteSubgroups(chart.Days);
  if (referenceAsked) {
    TControlSource pooled;
    for (const TReferenceMonth& m : reference) {
      pooled.Add(m.Source);
      chart.ReferenceMonths.push_back(m.Getsudo);
    }
    std::sort(chart.ReferenceMonths.begin(), chart.ReferenceMonths.end());
    chart.Limits = LimitsFrom(pooled);
    chart.Origin = chart.Limits ? TLimitOrigin::Reference : TLimitOrigin::TooFewMonths;
  }
  if (!chart.Limits) chart.Limits = LimitsFrom(SourceOf(chart.Points));
  if (chart.Limits) chart.Signals = FindControlSignals(chart.Points, chart.Limits->Source, rules);
  return chart;
}

namespace {

std::string MonthName(int32_t getsudo, bool withYear) {
  std::string s;
  if (withYear) s = std::to_string(DateYear(getsudo)) + "年";
  return s + std::to_string(DateMonth(getsudo)) + "月";
}

}  // namespace

std::string ReferenceText(const TControlChart& chart) {
  if (!chart.Limits) return {};
  const std::string own = "当月（" + std::to_string(chart.Limits->Source.Count) + "群）";
  switch (chart.Origin) {
    case TLimitOrigin::Month: return "基準：" + own;
    case TLimitOrigin::TooFewMonths: return "基準：" + own + "　基準月の群が足りないため当月の値で計算";
    case TLimitOrigin::Reference: break;
  }
  const std::vector<int32_t>& m = chart.ReferenceMonths;
  std::string period = MonthName(m.front(), true);
  if (m.size() > 1) {
    const bool sameYear = DateYear(m.front()) == DateYear(m.back());
    period += "～" + MonthName(m.back(), !sameYear);
  }
  return "基準：" + period + "（" + std::to_string(m.size()) + "か月，" +
         std::to_string(chart.Limits->Source.Count) + "群）";
}

}  // namespace kestrin
