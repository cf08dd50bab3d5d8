// The eight control rules (JIS Z 9020-2, the same as ISO 7870-2) on the
// points of an X̄ chart, and rule 1 on its R chart.
//
// A zone is a third of the distance from the centre line to a control
// limit, A2·R̄/3. "Beyond" means strictly outside, "within" strictly inside.
// Every comparison is made exactly in integers from the source's sums
// (ControlChart.h): with D = k·S − ΣS (2k times the distance of a day mean
// from X̿), a point lies beyond m zones above when 75·D > 94·m·ΣR.
//   1  one point beyond a control limit (3 zones); R chart: R > D4·R̄
//   2  nine points in a row on one side of the centre line (a point on the
//      line ends it)
//   3  six points in a row steadily increasing or decreasing (equal
//      neighbours end it)
//   4  fourteen points in a row alternating up and down (equal neighbours
//      end it)
//   5  two of three points in a row beyond 2 zones on the same side
//   6  four of five points in a row beyond 1 zone on the same side
//   7  fifteen points in a row within 1 zone (either side)
//   8  eight points in a row beyond 1 zone, either side, none within
// Each window of points that meets a rule marks points: for rules 5 and 6
// the points of the window beyond the zone on its side, for the others every
// point of the window. Windows of the same rule and side whose marked points
// overlap are one signal from the first to the last marked point; rule 1
// gives one signal per point. Signals are ordered by first point, then X̄
// before R, then by rule.
#pragma once

#include <cstdint>
#include <vector>

#include "ControlChart.h"

namespace kestrin {

// The number of points a window of the rule spans (1 for rule 1).
int32_t ControlRuleLength(int rule);

// Where a point lies against the limits of `source`: +m when it is beyond m
// zones above the centre line and not beyond m + 1 (m = 0..3, 3 meaning
// beyond the control limit), −m likewise below; Within is reported apart.
struct TZonePlace {
  int Side = 0;          // +1 above, −1 below, 0 on the centre line
  int Beyond = 0;        // the largest m in 0..3 with the point beyond m zones
  bool Within1 = false;  // strictly within one zone of the centre line
};
TZonePlace PlaceOf(const TSubgroup& point, const TControlSource& source);

// The signals of `points` (complete subgroups) against the limits of
// `source` (which must hold at least one subgroup), only the rules `rules`
// switches on.
std::vector<TControlSignal> FindControlSignals(const std::vector<TSubgroup>& points,
                                               const TControlSource& source, const TControlRuleSet& rules);

// Whether the point at `position` is one `signal` marked (the ring on the
// chart): a point of the stretch, for rules 5 and 6 only those beyond the
// rule's zone on its side.
bool ControlSignalMarks(const TControlSignal& signal, const std::vector<TSubgroup>& points,
                        const TControlSource& source, int32_t position);

}  // namespace kestrin
