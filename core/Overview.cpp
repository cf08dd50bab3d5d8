// The year and plant overview; see Overview.h.
#include "Overview.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <map>
#include <tuple>

#include "ControlRules.h"
#include "DataFile.h"
#include "MainData.h"
#include "Numbers.h"
#include "ShownText.h"

namespace kestrin {

namespace {

// Year and month of a packed date, the day dropped: two files of one month
// of record are duplicates whatever day their header carries.
int32_t MonthKey(int32_t getsudo) { return getsudo & ~0xFF; }

// Why a folder could not be read, for the failed entries.
std::string FolderReason(int error) {
  if (error == EACCES || error == EPERM) return "フォルダを読み込む権限がありません．";
  return std::string("フォルダを読み込めません（") + std::strerror(error) + "）．";
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
  m.Days = MonthDays(data);
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

bool IsMonthFileName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  if (name.size() < 5) return false;
  std::string ext = name.substr(name.size() - 4);
  for (char& ch : ext)
    if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
  return ext == std::string(".") + kFileExt;
}

std::optional<int32_t> ControlSignalCount(const TOverviewMonth& month, const TControlRuleSet& rules) {
  const std::vector<TSubgroup> points = CompleteSubgroups(month.Days);
  const std::optional<TControlLimits> limits = LimitsFrom(SourceOf(points));
  if (!limits) return std::nullopt;
  return static_cast<int32_t>(FindControlSignals(points, limits->Source, rules).size());
}

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

TOverview MakeOverview(std::vector<TOverviewMonth> months, std::vector<TOverviewFailure> failures,
                       const std::vector<AnsiString>& plantOrder,
                       std::vector<TStrengthOverviewMonth> strength) {
  TOverview o;
  o.Months = std::move(months);
  o.FailedFiles = std::move(failures);
  o.StrengthMonths = std::move(strength);
  // The place of a plant in the settings' list; unlisted plants after all.
  auto rank = [&plantOrder](const AnsiString& kojo) {
    for (std::size_t i = 0; i < plantOrder.size(); ++i)
      if (!plantOrder[i].empty() && plantOrder[i] == kojo) return i;
    return plantOrder.size();
  };
  std::stable_sort(o.Months.begin(), o.Months.end(),
                   [&rank](const TOverviewMonth& a, const TOverviewMonth& b) {
                     const std::size_t ra = rank(a.Kojo), rb = rank(b.Kojo);
                     return std::forward_as_tuple(ra, a.Kojo, MonthKey(a.Getsudo), a.File) <
                            std::forward_as_tuple(rb, b.Kojo, MonthKey(b.Getsudo), b.File);
                   });
  std::stable_sort(o.StrengthMonths.begin(), o.StrengthMonths.end(),
                   [&rank](const TStrengthOverviewMonth& a, const TStrengthOverviewMonth& b) {
                     const std::size_t ra = rank(a.Kojo), rb = rank(b.Kojo);
                     return std::forward_as_tuple(ra, a.Kojo, a.Nominal, MonthKey(a.Getsudo), a.File) <
                            std::forward_as_tuple(rb, b.Kojo, b.Nominal, MonthKey(b.Getsudo), b.File);
                   });
  // Every plant of either list, in the same order as the lists.
  std::vector<std::pair<std::size_t, AnsiString>> names;
  for (const TOverviewMonth& m : o.Months) names.emplace_back(rank(m.Kojo), m.Kojo);
  for (const TStrengthOverviewMonth& m : o.StrengthMonths) names.emplace_back(rank(m.Kojo), m.Kojo);
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  std::map<AnsiString, std::size_t> plantOf;
  for (const auto& [r, kojo] : names) {
    plantOf[kojo] = o.Plants.size();
    o.Plants.emplace_back();
    o.Plants.back().Kojo = kojo;
  }
  for (std::size_t i = 0; i < o.Months.size(); ++i) {
    TOverviewMonth& m = o.Months[i];
    auto same = [&](std::size_t j) {
      return j < o.Months.size() && o.Months[j].Kojo == m.Kojo &&
             MonthKey(o.Months[j].Getsudo) == MonthKey(m.Getsudo);
    };
    m.Duplicate = (i > 0 && same(i - 1)) || same(i + 1);
    o.Plants[plantOf[m.Kojo]].MonthIndexes.push_back(i);
  }
  for (TOverviewPlant& p : o.Plants) Pool(o.Months, p);

  for (std::size_t i = 0; i < o.StrengthMonths.size(); ++i) {
    TStrengthOverviewMonth& m = o.StrengthMonths[i];
    auto sameMix = [&](std::size_t j) {
      return j < o.StrengthMonths.size() && o.StrengthMonths[j].Kojo == m.Kojo &&
             o.StrengthMonths[j].Nominal == m.Nominal;
    };
    auto same = [&](std::size_t j) {
      return sameMix(j) && MonthKey(o.StrengthMonths[j].Getsudo) == MonthKey(m.Getsudo);
    };
    m.Duplicate = (i > 0 && same(i - 1)) || same(i + 1);
    if (i == 0 || !sameMix(i - 1)) {
      o.Plants[plantOf[m.Kojo]].MixIndexes.push_back(o.StrengthMixes.size());
      o.StrengthMixes.emplace_back();
      o.StrengthMixes.back().Kojo = m.Kojo;
      o.StrengthMixes.back().Nominal = m.Nominal;
    }
    TStrengthOverviewMix& mix = o.StrengthMixes.back();
    mix.MonthIndexes.push_back(i);
    ++mix.Months;
    mix.FailedTests += m.FailedTests;
    mix.FailedLots += m.FailedLots;
  }
  // The pooled summary from the results themselves (see StrengthOverview.h).
  for (TStrengthOverviewMix& mix : o.StrengthMixes) {
    std::vector<int32_t> results;
    for (std::size_t i : mix.MonthIndexes)
      results.insert(results.end(), o.StrengthMonths[i].Results.begin(), o.StrengthMonths[i].Results.end());
    mix.Summary = SummarizeStrengthResults(results, mix.Nominal);
  }
  return o;
}

TOverview BuildOverview(const std::vector<std::string>& files) {
  std::vector<TOverviewMonth> months;
  std::vector<TStrengthOverviewMonth> strength;
  std::vector<TOverviewFailure> failures;
  months.reserve(files.size());
  for (const std::string& f : files) {
    std::string reason;
    if (IsStrengthFileName(f)) {
      TStrengthOverviewMonth m;
      if (ReadStrengthOverviewMonth(f, m, reason)) strength.push_back(std::move(m));
      else failures.push_back({f, reason});
      continue;
    }
    TOverviewMonth m;
    if (ReadOverviewMonth(f, m, reason))
      months.push_back(std::move(m));
    else
      failures.push_back({f, reason});
  }
  return MakeOverview(std::move(months), std::move(failures), {}, std::move(strength));
}

namespace {

// The folder walk of ListMonthFiles and ListOverviewFiles: the files whose
// names `wanted` takes; `none` is the failure of a folder without any.
bool ListFiles(const std::string& folder, bool recursive, bool (*wanted)(const std::string&),
               const char* none, std::vector<std::string>& files, std::vector<TOverviewFailure>& failures,
               std::vector<std::string>* folders) {
  files.clear();
  struct stat top;
  if (::stat(folder.c_str(), &top) != 0) {
    const int error = errno;
    failures.push_back(
        {folder, error == ENOENT || error == ENOTDIR ? "フォルダが見つかりません．" : FolderReason(error)});
    return false;
  }
  if (!S_ISDIR(top.st_mode)) {
    failures.push_back({folder, "フォルダではありません．"});
    return false;
  }
  // Depth first with a list of folders still to read: one folder is open
  // at a time and the memory grows with the entries, not with the depth.
  struct TPending {
    std::string Path;
    int Depth;
  };
  std::vector<TPending> pending{{folder, 0}};
  std::vector<TOverviewFailure> found;
  while (!pending.empty()) {
    const TPending cur = std::move(pending.back());
    pending.pop_back();
    const int fd = ::open(cur.Path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : ::fdopendir(fd);
    if (dir == nullptr) {
      const int error = errno;
      if (fd >= 0) ::close(fd);
      found.push_back({cur.Path, FolderReason(error)});
      continue;
    }
    if (folders != nullptr) folders->push_back(cur.Path);
    const std::string prefix = cur.Path.back() == '/' ? cur.Path : cur.Path + "/";
    errno = 0;
    while (const dirent* e = ::readdir(dir)) {
      const std::string name = e->d_name;
      if (name == "." || name == "..") {
        errno = 0;
        continue;
      }
      struct stat st;
      // Links to folders are not followed; a link to a month file is taken.
      const bool isFolder = e->d_type == DT_DIR ||
                            (e->d_type == DT_UNKNOWN &&
                             ::fstatat(fd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(st.st_mode));
      if (isFolder) {
        if (!recursive) {
          // Only the folder's own files.
        } else if (cur.Depth >= kMaxFolderDepth) {
          found.push_back({prefix + name, "フォルダの階層が深すぎるため読みません（" +
                                              std::to_string(kMaxFolderDepth) + " 階層まで）．"});
        } else {
          pending.push_back({prefix + name, cur.Depth + 1});
        }
      } else if (wanted(name) && ::fstatat(fd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) {
        files.push_back(prefix + name);
      }
      errno = 0;
    }
    if (errno != 0) found.push_back({cur.Path, FolderReason(errno)});
    ::closedir(dir);
  }
  std::sort(files.begin(), files.end());
  std::sort(found.begin(), found.end(),
            [](const TOverviewFailure& a, const TOverviewFailure& b) { return a.File < b.File; });
  if (files.empty() && found.empty()) found.push_back({folder, none});
  failures.insert(failures.end(), found.begin(), found.end());
  return !files.empty();
}

bool IsOverviewFileName(const std::string& name) { return IsMonthFileName(name) || IsStrengthFileName(name); }

}  // namespace

bool ListMonthFiles(const std::string& folder, bool recursive, std::vector<std::string>& files,
                    std::vector<TOverviewFailure>& failures, std::vector<std::string>* folders) {
  return ListFiles(folder, recursive, IsMonthFileName, "フォルダに月度データファイル（.slt）がありません．",
                   files, failures, folders);
}

bool ListOverviewFiles(const std::string& folder, bool recursive, std::vector<std::string>& files,
                       std::vector<TOverviewFailure>& failures, std::vector<std::string>* folders) {
  return ListFiles(folder, recursive, IsOverviewFileName,
                   "フォルダに月度データファイル（.slt）も強度試験データ（.kst）もありません．", files,
                   failures, folders);
}

}  // namespace kestrin
