// The month record: header, days with their AM/PM measurements, histogram
// class rows and the statistics computed from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

#include "Cement.h"
#include "Cp932.h"
#include "Numbers.h"

namespace kestrin {

// An ordered list that owns its items by value, with the small interface the
// rest of the program uses (Add, Count, Items, Clear). Indexes are checked.
template <typename T>
class TOwnedList {
 public:
  int32_t Add(T item) {
    items_.push_back(std::move(item));
    return static_cast<int32_t>(items_.size() - 1);
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  T& Items(int32_t index) { return items_.at(Checked(index)); }
  const T& Items(int32_t index) const { return items_.at(Checked(index)); }
  void SetItems(int32_t index, T item) { items_.at(Checked(index)) = std::move(item); }
  void Clear() { items_.clear(); }
  bool Empty() const { return items_.empty(); }

  auto begin() { return items_.begin(); }
  auto end() { return items_.end(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  std::vector<T> items_;

 private:
  static std::size_t Checked(int32_t index) {
    if (index < 0) throw std::out_of_range("negative list index");
    return static_cast<std::size_t>(index);
  }
};

// One measurement; Value in cm x100, 0 or less means blank.
struct TSokutei {
  int32_t Value = 0;
  bool Judge = false;
};

class TSokuteiList : public TOwnedList<TSokutei> {};

// One day: Day number and exactly two measurements (index 0 AM, 1 PM).
struct TSlump {
  int32_t Day = 0;
  TSokuteiList SokuteiList;
};

class TSlumpList : public TOwnedList<TSlump> {
 public:
  void Delete(int32_t index) {
    if (index < 0 || index >= Count()) throw std::out_of_range("slump list index");
    items_.erase(items_.begin() + index);
  }
};

// One histogram class row (bounds and centre in cm x100).
struct THistogram {
  int32_t Lower = 0;
  int32_t Upper = 0;
  int32_t Center = 0;
  int32_t U = 0;
  int32_t F = 0;
  // 32-bit products; computed wide and wrapped so that rows read from a
  // damaged file can never cause undefined behaviour.
  int32_t UF() const { return static_cast<int32_t>(int64_t{U} * F); }
  int32_t U2F() const { return static_cast<int32_t>(int64_t{U} * U * F); }
};

class THistogramList : public TOwnedList<THistogram> {
 public:
  // Sets F of every row to 0.
  void ClearFrequency() {
    for (auto& h : items_) h.F = 0;
  }
};

struct TCalcedResult {
  int32_t SumF = 0;
  int32_t SumUF = 0;
  int32_t SumU2F = 0;
  int32_t AveX = 0;         // cm x100
  long double Hensa = 0.0L;  // cm
  void Clear() { *this = TCalcedResult{}; }
};

// The largest class table accepted. The program itself makes at most 23 rows
// (tolerance 5.0 cm, width 0.5 cm); old files may use other widths.
inline constexpr int32_t kMaxHistogramRows = 10000;

// The longest texts of the header, in CP932 bytes, as the main window's
// cells take them. Whatever puts a text into the record from elsewhere (the
// settings, an import) keeps to them too.
inline constexpr std::size_t kKojoMaxBytes = 20;
inline constexpr std::size_t kTantoMaxBytes = 16;
inline constexpr std::size_t kBikoMaxBytes = 40;
inline constexpr std::size_t kCementNameMaxBytes = 18;
inline constexpr std::size_t kCementMarkMaxBytes = 3;

struct TBasicInfo {
  int32_t Getsudo = 0;
  int32_t StartDay = 1;
  int32_t EndDay = 31;
  AnsiString Kojo;
  AnsiString Tanto;
  AnsiString Biko;
  long double ClassWidth = 0.5L;  // cm
  int32_t KariAveX = 1800;        // cm x100
  int32_t Kyoyo = 200;            // cm x100
  double Kyodo = 0.0;
  double Kotsuzai = 0.0;
  double Air = 0.0;
  double AirKyoyo = 0.0;
  TCement Cement;

  // Today's month, days 1..length, empty texts, 18.0 +- 2.0 cm, h = 0.5.
  void Clear();

  // w = RoundEven(ClassWidth x 100), the class width in cm x100.
  int32_t ClassWidthHundredths() const;

  // The number of class rows before any safety limit:
  // (Kyoyo div w) x 2 + 3, in 64-bit arithmetic; 0 when w is 0.
  int64_t HistogramCountRaw() const;

  // True when the class table is well defined: w > 0 and the row count
  // lies in 0..kMaxHistogramRows.
  bool HistogramCountValid() const;

  // The number of class rows: (Kyoyo div w) x 2 + 3. A width that rounds
  // to 0 gives no rows (there is nothing to divide by); a negative count
  // (negative tolerance) gives no rows; the count is capped at
  // kMaxHistogramRows.
  int32_t HistogramCount() const;
};

class TMainData {
 public:
  TBasicInfo BasicInfo;
  TSlumpList SlumpList;
  THistogramList HistogramList;
  TCalcedResult CalcedResult;

  TMainData() { Clear(); }

  void ClearLists();
  void Clear();
  void MakeSlumpList();
  void AdjustSlumpList();
  void MakeHistogramList();

  // Full recomputation: period, judgements, class table, totals. Always true.
  bool Calculate();
  void JudgeAll();
  void CalcHistogram();
  void CountFrequency();
};

}  // namespace kestrin
