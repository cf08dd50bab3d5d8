// The overview window following the disk: one watch per folder (the
// chosen folders with the subfolders read, and the folders of files added
// one by one), the changed names collected for a moment and then only
// those files read again; a full reading when the watch lost track, and
// on 再読込 (F5).
#include <QFile>
#include <QTimer>

#include <sys/stat.h>

#include <algorithm>

#include "app/FrmOverview.h"
#include "platform/FolderWatch.h"

namespace kestrin {

namespace {

bool Exists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

void TFrmOverview::NameChanged(const std::string& path, bool folder) {
  // A folder that appears, goes or is renamed changes what the chosen
  // folders hold beyond one file: read them again.
  if (folder) lost_ = true;
  else changed_.insert(path);
  refresh_->start();
}

void TFrmOverview::ApplyChanges() {
  std::set<std::string> touched;
  for (const std::string& f : changed_) {
    const auto month =
        std::find_if(months_.begin(), months_.end(), [&](const auto& m) { return m.File == f; });
    const auto failure =
        std::find_if(failures_.begin(), failures_.end(), [&](const auto& x) { return x.File == f; });
    const auto log =
        std::find_if(strength_.begin(), strength_.end(), [&](const auto& m) { return m.File == f; });
    const bool listed = month != months_.end() || failure != failures_.end() || log != strength_.end();
    if (log != strength_.end()) strength_.erase(log);
    if (month != months_.end()) months_.erase(month);
    if (failure != failures_.end()) failures_.erase(failure);
    if (listed) {
      // Read again, or gone from the list with the file.
      if (Exists(f)) ReadInto(f);
      touched.insert(f);
      continue;
    }
    // A new month file in a chosen folder joins, unless the user removed it.
    struct stat st;
    if (removed_.count(f) || !(IsMonthFileName(f) || IsStrengthFileName(f)) ||
        !listedFolders_.count(FolderOf(f)) || ::stat(f.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      continue;
    ReadInto(f);
    touched.insert(f);
  }
  changed_.clear();
  if (!touched.empty()) Rebuild(touched);
}

void TFrmOverview::RefreshFromDisk() {
  lost_ = false;
  auto listed = [this](const std::string& f) {
    return std::any_of(months_.begin(), months_.end(), [&](const auto& m) { return m.File == f; }) ||
           std::any_of(strength_.begin(), strength_.end(), [&](const auto& m) { return m.File == f; }) ||
           std::any_of(failures_.begin(), failures_.end(), [&](const auto& x) { return x.File == f; });
  };
  // Changed files are read again; files gone from the disk leave the list.
  std::set<std::string> reread;
  for (const std::string& f : changed_)
    if (listed(f)) reread.insert(f);
  changed_.clear();
  std::erase_if(months_, [&](const TOverviewMonth& m) { return reread.count(m.File) || !Exists(m.File); });
  std::erase_if(strength_,
                [&](const TStrengthOverviewMonth& m) { return reread.count(m.File) || !Exists(m.File); });
  std::erase_if(failures_,
                [&](const TOverviewFailure& x) { return reread.count(x.File) || !Exists(x.File); });
  for (const std::string& f : reread)
    if (Exists(f)) ReadInto(f);
  // New month files of the chosen folders join; what of the folders cannot
  // be read is listed as it is now.
  folderFailures_.clear();
  listedFolders_.clear();
  std::set<std::string> unreadFolders;
  for (const auto& [folder, recursive] : folders_) {
    std::vector<std::string> found;
    std::vector<TOverviewFailure> unread;
    std::vector<std::string> walked;
    ListOverviewFiles(folder, recursive, found, unread, &walked);
    listedFolders_.insert(walked.begin(), walked.end());
    for (const std::string& f : found)
      if (!removed_.count(f) && !listed(f)) ReadInto(f);
    for (TOverviewFailure& f : unread)
      if (!removed_.count(f.File) && unreadFolders.insert(f.File).second)
        folderFailures_.push_back(std::move(f));
  }
  Rebuild();
}

void TFrmOverview::Reload() {
  for (const TOverviewMonth& m : months_) changed_.insert(m.File);
  for (const TStrengthOverviewMonth& m : strength_) changed_.insert(m.File);
  for (const TOverviewFailure& f : failures_) changed_.insert(f.File);
  RefreshFromDisk();
}

void TFrmOverview::Watch() {
  std::set<std::string> folders = listedFolders_;
  for (const TOverviewMonth& m : months_) folders.insert(FolderOf(m.File));
  for (const TStrengthOverviewMonth& m : strength_) folders.insert(FolderOf(m.File));
  for (const TOverviewFailure& x : failures_) folders.insert(FolderOf(x.File));
  std::string error;
  if (watch_->SetFolders(folders, error) || error.empty()) watchProblem_.clear();
  else watchProblem_ = QString::fromUtf8(error.c_str());
}

}  // namespace kestrin
