// A month record for tests: values (cm x100) entered AM, PM, AM, PM ... from
// day 1 of the month (0 is a blank measurement), then recomputed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Cp932.h"
#include "core/MainData.h"
#include "core/Numbers.h"

namespace testutil {

inline kestrin::TMainData MonthWithValues(const std::vector<int32_t>& values,
                                          int32_t getsudo = kestrin::PackDate(2026, 12, 1),
                                          const std::string& plantUtf8 = {}, int32_t kariAveX = 1800,
                                          int32_t kyoyo = 200) {
  kestrin::TMainData d;
  d.BasicInfo.Getsudo = getsudo;
  d.BasicInfo.Kojo = kestrin::Sjis(plantUtf8);
  d.BasicInfo.KariAveX = kariAveX;
  d.BasicInfo.Kyoyo = kyoyo;
  d.MakeSlumpList();
  d.MakeHistogramList();
  for (std::size_t i = 0; i < values.size(); ++i)
    d.SlumpList.Items(static_cast<int32_t>(i / 2)).SokuteiList.Items(static_cast<int32_t>(i % 2)).Value =
        values[i];
  d.Calculate();
  return d;
}

}  // namespace testutil
