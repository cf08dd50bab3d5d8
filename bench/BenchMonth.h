// A full 31-day month with every header field and 62 values, the largest
// month the program handles, for the benchmarks.
#pragma once

#include "core/MainData.h"

namespace kestrin::bench {

inline TMainData FullMonth(int32_t year, int32_t month, const char* remarksUtf8) {
  TMainData d;
  TBasicInfo& b = d.BasicInfo;
  b.Getsudo = PackDate(year, month, 1);
  b.Kojo = Sjis("東京第一工場");
  b.Tanto = Sjis("山田 太郎");
  b.Biko = Sjis(remarksUtf8);
  b.Kyodo = 24;
  b.Kotsuzai = 20;
  b.Air = 4.5;
  b.AirKyoyo = 1.5;
  b.Cement = {Sjis("普通"), "N"};
  d.MakeSlumpList();
  d.MakeHistogramList();
  int i = 0;
  for (auto& day : d.SlumpList)
    for (auto& s : day.SokuteiList) s.Value = 1550 + (i++ * 37) % 500;
  d.Calculate();
  return d;
}

}  // namespace kestrin::bench
