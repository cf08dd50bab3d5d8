// Reference months of the X̄–R chart: earlier month files of the same plant
// with the same target and tolerance, whose complete days are pooled into
// the control limits of a later month (ControlChart.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ControlChart.h"

namespace kestrin {

class TMainData;

// Whether `candidate` may lend its days to `month`: the same plant (Kojo,
// byte for byte), the same target (KariAveX) and tolerance (Kyoyo).
bool SameProcess(const TMainData& candidate, const TMainData& month);

// Reads `path` as a reference month of `month`. False with a Japanese
// `reason` (UTF-8) when the file cannot be read or belongs to another
// plant, target or tolerance.
bool ReadReferenceMonth(const std::string& path, const TMainData& month, TReferenceMonth& out,
                        std::string& reason);

// The reference months of `month` among the month files of `folder` (not
// its subfolders): the files of the same process (SameProcess) whose month
// of record lies before `month`'s, newest first, at most `count` months;
// of two files of one month the first by name counts. Files that cannot be
// read are passed over. Empty when `count` < 1 or the folder cannot be read.
std::vector<TReferenceMonth> FindReferenceMonths(const std::string& folder, const TMainData& month,
                                                 int32_t count);

// The chart of `month`, whose file lies in `folder`, with `rules`: its
// limits from the `referenceMonths` months before it found there
// (FindReferenceMonths) when that is 1 or more, from itself when 0.
TControlChart FolderControlChart(const TMainData& month, const std::string& folder, const TControlRuleSet& rules,
                                 int32_t referenceMonths);

// The window's reference months: found again only when the folder, the
// month's plant, target, tolerance or month of record, or the count
// changed since the last call, or after Forget (a load or a save).
class TReferenceFinder {
 public:
  const std::vector<TReferenceMonth>& Find(const std::string& folder, const TMainData& month, int32_t count);
  void Forget() { valid_ = false; }

 private:
  std::string key_;
  bool valid_ = false;
  std::vector<TReferenceMonth> found_;
};

}  // namespace kestrin
