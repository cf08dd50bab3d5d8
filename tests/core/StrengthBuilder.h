// Strength logs for tests: a month of one mix whose tests have the given
// 28-day results (each test's three specimens equal to its result, so the
// result is exactly the value given); std::nullopt for a test still curing.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/StrengthLog.h"

namespace testutil {

inline kestrin::TStrengthLog StrengthLogWith(const std::string& plantUtf8, int32_t year, int32_t month,
                                             int32_t nominal,
                                             const std::vector<std::optional<int32_t>>& results) {
  kestrin::TStrengthLog log;
  log.Plant = plantUtf8;
  log.Year = year;
  log.Month = month;
  log.Mix.NominalStrength = nominal;
  int32_t day = 1;
  for (const std::optional<int32_t>& r : results) {
    kestrin::TStrengthTest t;
    t.Day = day;
    day = day % 28 + 1;
    t.Slump = log.Mix.Slump;
    t.Air = log.Mix.Air;
    if (r) t.Strength28 = kestrin::TSpecimens{*r, *r, *r};
    log.Tests.push_back(t);
  }
  return log;
}

}  // namespace testutil
