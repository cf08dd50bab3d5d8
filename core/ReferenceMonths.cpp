// Reference months from files and folders; see ReferenceMonths.h.
#include "ReferenceMonths.h"

#include <algorithm>
#include <utility>

#include "Cp932.h"
#include "DataFile.h"
#include "MainData.h"
#include "Numbers.h"
#include "Overview.h"

namespace kestrin {

namespace {

int32_t MonthKey(int32_t getsudo) { return DateYear(getsudo) * 12 + DateMonth(getsudo); }

bool LoadMonthFile(const std::string& path, TMainData& data) {
  data.ClearLists();
  data.Clear();
  const bool ok = static_cast<bool>(LoadFromFile(path, data));
  data.Calculate();
  return ok;
}

TReferenceMonth ReferenceOf(const std::string& path, const TMainData& data) {
  TReferenceMonth m;
  m.File = path;
  m.Getsudo = data.BasicInfo.Getsudo;
  m.Source = SourceOf(MonthDays(data));
  return m;
}

}  // namespace

bool SameProcess(const TMainData& candidate, const TMainData& month) {
  return candidate.BasicInfo.Kojo == month.BasicInfo.Kojo &&
         candidate.BasicInfo.KariAveX == month.BasicInfo.KariAveX &&
         candidate.BasicInfo.Kyoyo == month.BasicInfo.Kyoyo;
}

bool ReadReferenceMonth(const std::string& path, const TMainData& month, TReferenceMonth& out,
                        std::string& reason) {
  TMainData data;
  if (const TFileResult r = LoadFromFile(path, data); !r) {
    reason = "基準月のファイルを読み込めません：" + path;
    return false;
  }
  if (data.BasicInfo.Kojo != month.BasicInfo.Kojo) {
    reason = "基準月の工場が違います（" + PlantLabelUtf8(data.BasicInfo.Kojo) + "）：" + path;
    return false;
  }
  if (!SameProcess(data, month)) {
    reason = "基準月のスランプまたは許容値が違います：" + path;
    return false;
  }
  out = ReferenceOf(path, data);
  return true;
}

std::vector<TReferenceMonth> FindReferenceMonths(const std::string& folder, const TMainData& month,
                                                 int32_t count) {
  std::vector<TReferenceMonth> found;
  std::vector<std::string> files;
  std::vector<TOverviewFailure> unreadable;  // a folder without months gives no reference
  if (count < 1 || !ListMonthFiles(folder, false, files, unreadable)) return found;
  const int32_t before = MonthKey(month.BasicInfo.Getsudo);
  std::vector<std::pair<int32_t, TReferenceMonth>> candidates;  // (month key, month)
  TMainData data;
  for (const std::string& f : files) {
    if (!LoadMonthFile(f, data) || !SameProcess(data, month)) continue;
    const int32_t key = MonthKey(data.BasicInfo.Getsudo);
    if (key >= before) continue;
    bool seen = false;
    for (const auto& c : candidates) seen = seen || c.first == key;
    if (!seen) candidates.emplace_back(key, ReferenceOf(f, data));
  }
  std::stable_sort(candidates.begin(), candidates.end(),
                   [](const auto& a, const auto& b) { return a.first > b.first; });
  for (auto& c : candidates) {
    if (static_cast<int32_t>(found.size()) >= count) break;
    found.push_back(std::move(c.second));
  }
  return found;
}

TControlChart FolderControlChart(const TMainData& month, const std::string& folder, const TControlRuleSet& rules,
                                 int32_t referenceMonths) {
  if (referenceMonths < 1) return ComputeControlChart(month, rules);
  return ComputeControlChart(month, rules, true, FindReferenceMonths(folder, month, referenceMonths));
}

const std::vector<TReferenceMonth>& TReferenceFinder::Find(const std::string& folder, const TMainData& month,
                                                           int32_t count) {
  const TBasicInfo& b = month.BasicInfo;
  std::string key = folder;
  key += '\0';
  key += b.Kojo;
  key += '\0' + std::to_string(b.KariAveX) + ' ' + std::to_string(b.Kyoyo) + ' ' +
         std::to_string(DateYear(b.Getsudo) * 12 + DateMonth(b.Getsudo)) + ' ' + std::to_string(count);
  if (!valid_ || key != key_) {
    found_ = FindReferenceMonths(folder, month, count);
    key_ = std::move(key);
    valid_ = true;
  }
  return found_;
}

}  // namespace kestrin
