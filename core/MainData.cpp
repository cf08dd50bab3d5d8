#include "MainData.h"

#include <algorithm>
#include <cmath>

namespace kestrin {

// ---------------------------------------------------------------- header

void TBasicInfo::Clear() {
  Getsudo = TodayPacked();
  StartDay = 1;
  EndDay = DaysInMonth(Getsudo);
  Kojo.clear();
  Tanto.clear();
  Biko.clear();
  ClassWidth = 0.5L;
  KariAveX = 1800;
  Kyoyo = 200;
  Kyodo = 0.0;
  Kotsuzai = 0.0;
  Air = 0.0;
  AirKyoyo = 0.0;
  Cement.Name.clear();
  Cement.Mark.clear();
}

int32_t TBasicInfo::ClassWidthHundredths() const { return RoundEven(ClassWidth * 100.0L); }

int64_t TBasicInfo::HistogramCountRaw() const {
  const int64_t w = ClassWidthHundredths();
  if (w == 0) return 0;
  return (int64_t{Kyoyo} / w) * 2 + 3;  // '/' truncates toward zero like div
}

bool TBasicInfo::HistogramCountValid() const {
  if (ClassWidthHundredths() <= 0) return false;
  const int64_t n = HistogramCountRaw();
  return n >= 0 && n <= kMaxHistogramRows;
}

int32_t TBasicInfo::HistogramCount() const {
  const int64_t n = HistogramCountRaw();
  return static_cast<int32_t>(std::clamp<int64_t>(n, 0, kMaxHistogramRows));
}

// ---------------------------------------------------------------- lists

namespace {

TSlump FreshDay(int32_t day) {
  TSlump s;
  s.Day = day;
  s.SokuteiList.Add(TSokutei{});  // AM
  s.SokuteiList.Add(TSokutei{});  // PM
  return s;
}

}  // namespace

void TMainData::ClearLists() {
  SlumpList.Clear();
  HistogramList.Clear();
}

void TMainData::Clear() {
  BasicInfo.Clear();
  MakeSlumpList();
  MakeHistogramList();
  CalcedResult.Clear();
}

void TMainData::MakeSlumpList() {
  SlumpList.Clear();
  const int32_t n = DaysInMonth(BasicInfo.Getsudo);
  for (int32_t d = 1; d <= n; ++d) SlumpList.Add(FreshDay(d));
}

void TMainData::AdjustSlumpList() {
  const int32_t n = DaysInMonth(BasicInfo.Getsudo);
  const int32_t m = SlumpList.Count();
  for (int32_t d = m + 1; d <= n; ++d) SlumpList.Add(FreshDay(d));
  while (SlumpList.Count() > n) SlumpList.Delete(SlumpList.Count() - 1);
}

void TMainData::MakeHistogramList() {
  HistogramList.Clear();
  const int32_t n = BasicInfo.HistogramCount();
  for (int32_t i = 0; i < n; ++i) HistogramList.Add(THistogram{});
}

// ---------------------------------------------------------------- statistics

bool TMainData::Calculate() {
  if (!SlumpList.Empty()) {
    BasicInfo.StartDay = SlumpList.Items(0).Day;
    BasicInfo.EndDay = SlumpList.Items(SlumpList.Count() - 1).Day;
  }
  JudgeAll();
  CalcHistogram();
  return true;
}

void TMainData::JudgeAll() {
  // Both limits included; computed wide so that extreme values read from a
  // file cannot overflow.
  const int64_t lo = int64_t{BasicInfo.KariAveX} - BasicInfo.Kyoyo;
  const int64_t hi = int64_t{BasicInfo.KariAveX} + BasicInfo.Kyoyo;
  for (auto& day : SlumpList)
    for (auto& s : day.SokuteiList) s.Judge = lo <= s.Value && s.Value <= hi;
}

void TMainData::CalcHistogram() {
  const int32_t n = HistogramList.Count();
  const int64_t w = BasicInfo.ClassWidthHundredths();
  const int64_t k = (int64_t{BasicInfo.KariAveX} / 10) * 10;
  const int64_t t = RoundEven(static_cast<long double>(n - 2) * BasicInfo.ClassWidth / 2 * 100);
  int64_t top = k - t;
  for (int32_t i = 0; i < n; ++i) {
    THistogram& h = HistogramList.Items(i);
    const int64_t upper = top;
    const int64_t lower = top - w;
    h.Upper = static_cast<int32_t>(upper);
    h.Lower = static_cast<int32_t>(lower);
    h.Center = static_cast<int32_t>((int64_t{h.Lower} + h.Upper) / 2);
    h.U = i - n / 2;
    top += w;
  }

  CountFrequency();

  int64_t sumF = 0, sumUF = 0, sumU2F = 0;
  for (const auto& h : HistogramList) {
    sumF += h.F;
    sumUF += h.UF();
    sumU2F += h.U2F();
  }
  TCalcedResult& r = CalcedResult;
  r.SumF = static_cast<int32_t>(sumF);
  r.SumUF = static_cast<int32_t>(sumUF);
  r.SumU2F = static_cast<int32_t>(sumU2F);
  if (r.SumF <= 1) return;

  const long double h = BasicInfo.ClassWidth;
  r.AveX = RoundOff((static_cast<long double>(r.SumUF) / r.SumF * h +
                     static_cast<long double>(BasicInfo.KariAveX) / 100) *
                    100);
  const int64_t uf2 = int64_t{r.SumUF} * r.SumUF;
  const long double variance =
      (static_cast<long double>(r.SumU2F) - static_cast<long double>(uf2) / r.SumF) /
      (r.SumF - 1);
  // Mathematically never negative; guard against a rounding residue.
  r.Hensa = std::sqrt(std::max(variance, 0.0L)) * h;
}

void TMainData::CountFrequency() {
  HistogramList.ClearFrequency();
  CalcedResult.Clear();
  const int32_t n = HistogramList.Count();
  if (n == 0) return;
  for (const auto& day : SlumpList) {
    for (const auto& s : day.SokuteiList) {
      if (s.Value <= 0) continue;
      int32_t row = n - 1;
      for (int32_t i = 0; i <= n - 2; ++i) {
        if (HistogramList.Items(i).Upper > s.Value) {
          row = i;
          break;
        }
      }
      ++HistogramList.Items(row).F;
    }
  }
}

}  // namespace kestrin
