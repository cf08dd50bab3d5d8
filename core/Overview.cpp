// The year and plant overview; see Overview.h.
#include "Overview.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <system_error>
#include <tuple>

#include "DataFile.h"
#include "MainData.h"
#include "Numbers.h"
#include "ShownText.h"

namespace kestrin {

namespace {

// Year and month of a packed date, the day dropped: two files of one month
// of record are duplicates whatever day their header carries.
int32_t MonthKey(int32_t getsudo) { return getsudo & ~0xFF; }

bool HasSltExtension(const std::filesystem::path& p) {
  std::string ext = p.extension().string();
  for (char& ch : ext)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return ext == std::string(".") + kFileExt;
}

void FillRow(const TMainData& data, TOverviewMonth& m) {
  const TBasicInfo& b = data.BasicInfo;
  m.Getsudo = b.Getsudo;
  m.Kojo = b.Kojo;
  m.KariAveX = b.KariAveX;
  m.Kyoyo = b.Kyoyo;
  m.AveX = data.CalcedResult.AveX;
  m.Hensa = data.CalcedResult.Hensa;
  m.Capability = MonthCapability(data);
  m.Values.clear();
  m.Count = 0;
  m.Failed = 0;
  m.Min.reset();
  m.Max.reset();
  for (const TSlump& day : data.SlumpList) {
    for (const TSokutei& s : day.SokuteiList) {
      if (s.Value <= 0) continue;
      m.Values.push_back(s.Value);
      ++m.Count;
      if (!s.Judge) ++m.Failed;
      m.Min = m.Min ? std::min(*m.Min, s.Value) : s.Value;
      m.Max = m.Max ? std::max(*m.Max, s.Value) : s.Value;
    }
  }
}

void Pool(const std::vector<TOverviewMonth>& months, TOverviewPlant& p) {
  long double sum = 0;
  for (std::size_t i : p.MonthIndexes) {
    const TOverviewMonth& m = months[i];
    if (p.Months == 0) {
      p.KariAveX = m.KariAveX;
      p.Kyoyo = m.Kyoyo;
    } else if (m.KariAveX != p.KariAveX || m.Kyoyo != p.Kyoyo) {
      p.SameLimits = false;
    }
    ++p.Months;
    p.Count += m.Count;
    p.Failed += m.Failed;
    if (m.Min) p.Min = p.Min ? std::min(*p.Min, *m.Min) : *m.Min;
    if (m.Max) p.Max = p.Max ? std::max(*p.Max, *m.Max) : *m.Max;
    for (int32_t v : m.Values) sum += v;
  }
  if (p.Count == 0) return;
  const long double mean = sum / static_cast<long double>(p.Count);
  p.AveX = mean;
  if (p.Count < 2) return;
  // Two passes: the squares of the deviations from the mean, not the
  // difference of two large sums.
  long double squares = 0;
  for (std::size_t i : p.MonthIndexes)
    for (int32_t v : months[i].Values) {
      const long double d = static_cast<long double>(v) - mean;
      squares += d * d;
    }
  const long double sd = std::sqrt(squares / static_cast<long double>(p.Count - 1)) / 100.0L;
  p.Hensa = sd;
  if (p.SameLimits) p.Capability = ComputeCapability(p.KariAveX, p.Kyoyo, mean, sd, p.Count);
}

}  // namespace

std::string PlantLabelUtf8(const AnsiString& kojo) {
  if (kojo.empty()) return "（工場名なし）";
  return Cp932ToUtf8Lossy(kojo);
}

bool ReadOverviewMonth(const std::string& path, TOverviewMonth& month, std::string& reason) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    reason = errno == ENOENT ? "ファイルが見つかりません．"
                             : "ファイルを開けません（" + SystemErrorText(errno) + "）．";
    return false;
  }
  if (S_ISDIR(st.st_mode)) {
    reason = "フォルダです（フォルダはそれだけを指定してください）．";
    return false;
  }
  if (!S_ISREG(st.st_mode)) {
    reason = "通常のファイルではありません．";
    return false;
  }
  TMainData data;
  data.ClearLists();
  data.Clear();
  if (const TFileResult loaded = LoadFromFile(path, data); !loaded) {
    // The loader names the item or step that failed (and the system's
    // error), after the fixed message.
    reason = std::string(kLoadFailed) + "（" + loaded.Step;
    if (!loaded.SystemError.empty()) reason += "：" + loaded.SystemError;
    reason += "）";
    return false;
  }
  data.Calculate();
  month.File = path;
  FillRow(data, month);
  return true;
}

TOverview MakeOverview(std::vector<TOverviewMonth> months,
                       std::vector<TOverviewFailure> failures) {
  TOverview o;
  o.Months = std::move(months);
  o.FailedFiles = std::move(failures);
  std::stable_sort(o.Months.begin(), o.Months.end(),
                   [](const TOverviewMonth& a, const TOverviewMonth& b) {
                     return std::forward_as_tuple(a.Kojo, MonthKey(a.Getsudo), a.File) <
                            std::forward_as_tuple(b.Kojo, MonthKey(b.Getsudo), b.File);
                   });
  for (std::size_t i = 0; i < o.Months.size(); ++i) {
    TOverviewMonth& m = o.Months[i];
    m.Duplicate = false;
    auto same = [&](std::size_t j) {
      return j < o.Months.size() && o.Months[j].Kojo == m.Kojo &&
             MonthKey(o.Months[j].Getsudo) == MonthKey(m.Getsudo);
    };
    if ((i > 0 && same(i - 1)) || same(i + 1)) m.Duplicate = true;
    if (o.Plants.empty() || o.Plants.back().Kojo != m.Kojo) {
      o.Plants.emplace_back();
      o.Plants.back().Kojo = m.Kojo;
    }
    o.Plants.back().MonthIndexes.push_back(i);
  }
  for (TOverviewPlant& p : o.Plants) Pool(o.Months, p);
  return o;
}

TOverview BuildOverview(const std::vector<std::string>& files) {
  std::vector<TOverviewMonth> months;
  std::vector<TOverviewFailure> failures;
  months.reserve(files.size());
  for (const std::string& f : files) {
    TOverviewMonth m;
    std::string reason;
    if (ReadOverviewMonth(f, m, reason))
      months.push_back(std::move(m));
    else
      failures.push_back({f, reason});
  }
  return MakeOverview(std::move(months), std::move(failures));
}

bool ListMonthFiles(const std::string& folder, bool recursive, std::vector<std::string>& files,
                    std::string& error) {
  namespace fs = std::filesystem;
  files.clear();
  std::error_code ec;
  if (!fs::is_directory(folder, ec)) {
    error = "フォルダが見つかりません：" + folder;
    return false;
  }
  auto take = [&](const fs::directory_entry& e) {
    std::error_code fec;
    if (HasSltExtension(e.path()) && e.is_regular_file(fec)) files.push_back(e.path().string());
  };
  const auto options = fs::directory_options::skip_permission_denied;
  if (recursive) {
    fs::recursive_directory_iterator it(folder, options, ec), end;
    for (; !ec && it != end; it.increment(ec)) take(*it);
  } else {
    fs::directory_iterator it(folder, options, ec), end;
    for (; !ec && it != end; it.increment(ec)) take(*it);
  }
  if (ec) {
    error = "フォルダを読み込めません：" + folder;
    files.clear();
    return false;
  }
  std::sort(files.begin(), files.end());
  if (files.empty()) {
    error = "フォルダに月度データファイル（.slt）がありません：" + folder;
    return false;
  }
  return true;
}

}  // namespace kestrin
