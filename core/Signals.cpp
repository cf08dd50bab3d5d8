// Runs, trends and near-limit values; see Signals.h.
#include "Signals.h"

#include <algorithm>

#include "MainData.h"

namespace kestrin {

namespace {

// Beyond 2K/3 from T on the given side, in 64-bit integers.
bool BeyondTwoThirds(int32_t v, int32_t T, int32_t K, TSignalSide side) {
  const int64_t d = int64_t{v} - T;
  return side == TSignalSide::Above ? 3 * d > 2 * int64_t{K} : -3 * d > 2 * int64_t{K};
}

TSignal Make(TSignalRule rule, TSignalSide side, const std::vector<TSignalValue>& seq, int32_t first,
             int32_t last, int32_t count) {
  TSignal s;
  s.Rule = rule;
  s.Side = side;
  s.First = first;
  s.Last = last;
  s.From = seq[static_cast<std::size_t>(first)];
  s.To = seq[static_cast<std::size_t>(last)];
  s.Count = count;
  return s;
}

void FindRuns(const std::vector<TSignalValue>& seq, int32_t T, int32_t length, std::vector<TSignal>& out) {
  const int32_t n = static_cast<int32_t>(seq.size());
  int32_t start = 0;
  int side = 0;  // +1 above, -1 below, 0 at T (no run)
  auto close = [&](int32_t end) {  // end: one past the last value
    if (side != 0 && end - start >= length)
      out.push_back(Make(TSignalRule::Run, side > 0 ? TSignalSide::Above : TSignalSide::Below, seq, start,
                         end - 1, end - start));
  };
  for (int32_t i = 0; i < n; ++i) {
    const int32_t v = seq[static_cast<std::size_t>(i)].Value;
    const int s = v > T ? 1 : v < T ? -1 : 0;
    if (s != side || s == 0) {
      close(i);
      side = s;
      start = i;
    }
  }
  close(n);
}

void FindTrends(const std::vector<TSignalValue>& seq, int32_t length, std::vector<TSignal>& out) {
  const int32_t n = static_cast<int32_t>(seq.size());
  int32_t start = 0;
  int dir = 0;  // +1 rising, -1 falling, 0 none
  auto close = [&](int32_t last) {
    if (dir != 0 && last - start + 1 >= length)
      out.push_back(Make(TSignalRule::Trend, dir > 0 ? TSignalSide::Up : TSignalSide::Down, seq, start, last,
                         last - start + 1));
  };
  for (int32_t i = 1; i < n; ++i) {
    const int32_t a = seq[static_cast<std::size_t>(i - 1)].Value;
    const int32_t b = seq[static_cast<std::size_t>(i)].Value;
    const int d = b > a ? 1 : b < a ? -1 : 0;
    if (d != 0 && d == dir) continue;
    close(i - 1);
    // A new trend starts at the turning value; equal neighbours start none.
    dir = d;
    start = i - 1;
  }
  close(n - 1);
}

void FindNearLimit(const std::vector<TSignalValue>& seq, int32_t T, int32_t K, TSignalSide side,
                   std::vector<TSignal>& out) {
  const int32_t n = static_cast<int32_t>(seq.size());
  std::vector<char> q(seq.size());
  for (std::size_t i = 0; i < seq.size(); ++i) q[i] = BeyondTwoThirds(seq[i].Value, T, K, side);
  bool open = false;
  int32_t first = 0, last = 0;
  auto close = [&] {
    if (!open) return;
    int32_t count = 0;
    for (int32_t i = first; i <= last; ++i) count += q[static_cast<std::size_t>(i)];
    out.push_back(Make(TSignalRule::NearLimit, side, seq, first, last, count));
    open = false;
  };
  for (int32_t w = 0; w + 2 < n; ++w) {
    int32_t lo = -1, hi = -1, hits = 0;
    for (int32_t i = w; i < w + 3; ++i) {
      if (!q[static_cast<std::size_t>(i)]) continue;
      if (lo < 0) lo = i;
      hi = i;
      ++hits;
    }
    if (hits < 2) continue;
    // The window's qualifying values overlap the open signal's when its
    // first one is not past the signal's last (earlier windows hold every
    // qualifying value up to there).
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

}  // namespace

int32_t LengthOrDefault(int32_t value, int32_t lo, int32_t hi, int32_t def) {
  return value >= lo && value <= hi ? value : def;
}

std::vector<TSignalValue> SignalSequence(const TMainData& data) {
  std::vector<TSignalValue> seq;
  seq.reserve(static_cast<std::size_t>(data.SlumpList.Count()) * 2);
  for (const TSlump& day : data.SlumpList) {
    int32_t half = 0;
    for (const TSokutei& m : day.SokuteiList) {
      if (m.Value > 0) seq.push_back(TSignalValue{day.Day, half, m.Value});
      ++half;
    }
  }
  return seq;
}

std::vector<TSignal> FindSignals(const std::vector<TSignalValue>& seq, int32_t T, int32_t K,
                                 const TSignalLengths& lengths) {
  const int32_t run = LengthOrDefault(lengths.RunLength, kMinRunLength, kMaxRunLength, kDefaultRunLength);
  const int32_t trend =
      LengthOrDefault(lengths.TrendLength, kMinTrendLength, kMaxTrendLength, kDefaultTrendLength);
  std::vector<TSignal> out;
  FindRuns(seq, T, run, out);
  FindTrends(seq, trend, out);
  if (K >= 0) {
    FindNearLimit(seq, T, K, TSignalSide::Above, out);
    FindNearLimit(seq, T, K, TSignalSide::Below, out);
  }
  std::stable_sort(out.begin(), out.end(), [](const TSignal& a, const TSignal& b) {
    if (a.First != b.First) return a.First < b.First;
    return a.Rule < b.Rule;
  });
  return out;
}

std::vector<TSignal> MonthSignals(const TMainData& data, const TSignalLengths& lengths) {
  return FindSignals(SignalSequence(data), data.BasicInfo.KariAveX, data.BasicInfo.Kyoyo, lengths);
}

bool SignalCovers(const TSignal& signal, const std::vector<TSignalValue>& seq, int32_t position, int32_t T,
                  int32_t K) {
  if (position < signal.First || position > signal.Last || position < 0 ||
      position >= static_cast<int32_t>(seq.size()))
    return false;
  if (signal.Rule != TSignalRule::NearLimit) return true;
  return BeyondTwoThirds(seq[static_cast<std::size_t>(position)].Value, T, K, signal.Side);
}

}  // namespace kestrin
