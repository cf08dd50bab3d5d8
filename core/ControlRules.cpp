// The eight control rules; see ControlRules.h.
#include "ControlRules.h"

#include <algorithm>
#include <functional>

namespace kestrin {

namespace {

// Products of sums of a year of days and a month's values stay far inside
// 64 bits, but a damaged file may hold any 32-bit value: compare in 128.
__extension__ using TWide = __int128;

constexpr int32_t kLengths[9] = {0, 1, 9, 6, 14, 3, 5, 15, 8};

using TTest = std::function<bool(int32_t)>;

int Sign(int64_t v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

TControlSignal Make(int rule, TControlChartKind chart, TControlSide side,
                    const std::vector<TSubgroup>& points, int32_t first, int32_t last, int32_t count) {
  TControlSignal s;
  s.Rule = rule;
  s.Chart = chart;
  s.Side = side;
  s.First = first;
  s.Last = last;
  s.FromDay = points[static_cast<std::size_t>(first)].Day;
  s.ToDay = points[static_cast<std::size_t>(last)].Day;
  s.Count = count;
  return s;
}

// Every window of `length` points that `meets` accepts marks the points of
// it that `marked` accepts. Windows whose marked points overlap those of the
// open signal join it: the windows slide one point at a time, so a window's
// marked points overlap the signal's exactly when its first marked point is
// not past the signal's last (every marked point between lies in a joined
// window), and a closed signal never meets a later window again.
void Scan(int rule, TControlSide side, const std::vector<TSubgroup>& points, const TTest& meets,
          const TTest& marked, std::vector<TControlSignal>& out) {
  const int32_t n = static_cast<int32_t>(points.size());
  const int32_t length = kLengths[rule];
  bool open = false;
  int32_t first = 0, last = 0;
  auto close = [&] {
    if (!open) return;
    int32_t count = 0;
    for (int32_t i = first; i <= last; ++i) count += marked(i) ? 1 : 0;
    out.push_back(Make(rule, TControlChartKind::Xbar, side, points, first, last, count));
    open = false;
  };
  for (int32_t w = 0; w + length <= n; ++w) {
    if (!meets(w)) continue;
    int32_t lo = -1, hi = -1;
    for (int32_t i = w; i < w + length; ++i) {
      if (!marked(i)) continue;
      if (lo < 0) lo = i;
      hi = i;
    }
    if (lo < 0) continue;
    if (open && lo <= last) {
      last = std::max(last, hi);
      continue;
    }
    close();
    open = true;
    first = lo;
    last = hi;
  }
  close();
}

// True when test(i) holds for every i of [from, to).
bool All(int32_t from, int32_t to, const TTest& test) {
  for (int32_t i = from; i < to; ++i)
    if (!test(i)) return false;
  return true;
}

int32_t CountOf(int32_t from, int32_t to, const TTest& test) {
  int32_t c = 0;
  for (int32_t i = from; i < to; ++i) c += test(i) ? 1 : 0;
  return c;
}

}  // namespace

int32_t ControlRuleLength(int rule) { return rule >= 1 && rule <= 8 ? kLengths[rule] : 0; }

TZonePlace PlaceOf(const TSubgroup& point, const TControlSource& source) {
  TZonePlace p;
  const TWide d = TWide{source.Count} * point.Sum() - source.SumS;
  p.Side = d > 0 ? 1 : d < 0 ? -1 : 0;
  const TWide a = 75 * (d < 0 ? -d : d);
  const TWide zone = 94 * TWide{source.SumR};
  for (int m = 1; m <= 3; ++m)
    if (a > m * zone) p.Beyond = m;
  p.Within1 = a < zone;
  return p;
}

std::vector<TControlSignal> FindControlSignals(const std::vector<TSubgroup>& points,
                                               const TControlSource& source, const TControlRuleSet& rules) {
  std::vector<TControlSignal> out;
  if (source.Count <= 0) return out;
  const int32_t n = static_cast<int32_t>(points.size());
  std::vector<TZonePlace> place;
  place.reserve(points.size());
  for (const TSubgroup& p : points) place.push_back(PlaceOf(p, source));
  auto at = [&](int32_t i) -> const TZonePlace& { return place[static_cast<std::size_t>(i)]; };
  // Direction from the previous point: +1 up, −1 down, 0 equal (or none).
  auto step = [&](int32_t i) {
    return i > 0 ? Sign(points[static_cast<std::size_t>(i)].Sum() -
                        points[static_cast<std::size_t>(i - 1)].Sum())
                 : 0;
  };
  const TTest every = [](int32_t) { return true; };

  if (rules.Enabled(1)) {
    for (int32_t i = 0; i < n; ++i)
      if (at(i).Beyond >= 3)
        out.push_back(Make(1, TControlChartKind::Xbar,
                           at(i).Side > 0 ? TControlSide::Above : TControlSide::Below, points, i, i, 1));
    // R chart: R > D4·R̄, that is 1000·k·R > 3267·ΣR.
    for (int32_t i = 0; i < n; ++i)
      if (TWide{1000} * source.Count * points[static_cast<std::size_t>(i)].Range() >
          TWide{3267} * source.SumR)
        out.push_back(Make(1, TControlChartKind::R, TControlSide::Above, points, i, i, 1));
  }
  for (const int s : {1, -1}) {
    const TControlSide side = s > 0 ? TControlSide::Above : TControlSide::Below;
    if (rules.Enabled(2))
      Scan(
          2, side, points,
          [&](int32_t w) { return All(w, w + 9, [&](int32_t i) { return at(i).Side == s; }); }, every, out);
    if (rules.Enabled(3))
      Scan(
          3, s > 0 ? TControlSide::Up : TControlSide::Down, points,
          [&](int32_t w) { return All(w + 1, w + 6, [&](int32_t i) { return step(i) == s; }); }, every, out);
    const TTest beyond2 = [&](int32_t i) { return at(i).Side == s && at(i).Beyond >= 2; };
    const TTest beyond1 = [&](int32_t i) { return at(i).Side == s && at(i).Beyond >= 1; };
    if (rules.Enabled(5))
      Scan(
          5, side, points, [&](int32_t w) { return CountOf(w, w + 3, beyond2) >= 2; }, beyond2, out);
    if (rules.Enabled(6))
      Scan(
          6, side, points, [&](int32_t w) { return CountOf(w, w + 5, beyond1) >= 4; }, beyond1, out);
  }
  if (rules.Enabled(4))
    Scan(
        4, TControlSide::None, points,
        [&](int32_t w) {
          return All(w + 1, w + 14,
                     [&](int32_t i) { return step(i) != 0 && (i == w + 1 || step(i) == -step(i - 1)); });
        },
        every, out);
  if (rules.Enabled(7))
    Scan(
        7, TControlSide::None, points,
        [&](int32_t w) { return All(w, w + 15, [&](int32_t i) { return at(i).Within1; }); }, every, out);
  if (rules.Enabled(8))
    Scan(
        8, TControlSide::None, points,
        [&](int32_t w) { return All(w, w + 8, [&](int32_t i) { return at(i).Beyond >= 1; }); }, every, out);

  std::stable_sort(out.begin(), out.end(), [](const TControlSignal& a, const TControlSignal& b) {
    if (a.First != b.First) return a.First < b.First;
    if (a.Chart != b.Chart) return a.Chart < b.Chart;
    return a.Rule < b.Rule;
  });
  return out;
}

bool ControlSignalMarks(const TControlSignal& signal, const std::vector<TSubgroup>& points,
                        const TControlSource& source, int32_t position) {
  if (position < signal.First || position > signal.Last || position < 0 ||
      position >= static_cast<int32_t>(points.size()))
    return false;
  if (signal.Rule != 5 && signal.Rule != 6) return true;
  const TZonePlace p = PlaceOf(points[static_cast<std::size_t>(position)], source);
  const int side = signal.Side == TControlSide::Above ? 1 : -1;
  return p.Side == side && p.Beyond >= (signal.Rule == 5 ? 2 : 1);
}

}  // namespace kestrin
