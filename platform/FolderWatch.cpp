// Folders followed through inotify; see FolderWatch.h.
#include "platform/FolderWatch.h"

#include <QSocketNotifier>

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrin {

namespace {

constexpr uint32_t kEvents = IN_CLOSE_WRITE | IN_CREATE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE |
                             IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

std::string WatchError(const std::string& folder, int error) {
  if (error == ENOSPC) return "システムの監視数の上限（fs.inotify.max_user_watches）に達しました：" + folder;
  if (error == EMFILE) return "システムの監視数の上限（fs.inotify.max_user_instances）に達しました";
  return folder + "（" + std::strerror(error) + "）";
}

}  // namespace

TFolderWatch::TFolderWatch() : AddWatch(::inotify_add_watch) {
  fd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (fd_ >= 0) {
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] { ReadEvents(); });
  }
}

TFolderWatch::~TFolderWatch() {
  notifier_.reset();
  if (fd_ >= 0) ::close(fd_);
}

bool TFolderWatch::SetFolders(const std::set<std::string>& folders, std::string& error) {
  for (auto it = watches_.begin(); it != watches_.end();) {
    if (folders.count(it->first)) {
      ++it;
      continue;
    }
    if (fd_ >= 0) ::inotify_rm_watch(fd_, it->second);
    folders_.erase(it->second);
    it = watches_.erase(it);
  }
  complete_ = true;
  error.clear();
  for (const std::string& folder : folders) {
    if (watches_.count(folder)) continue;
    errno = EMFILE;  // the instance itself could not be made
    const int wd = fd_ < 0 ? -1 : AddWatch(fd_, folder.c_str(), kEvents);
    if (wd < 0 && (errno == ENOENT || errno == ENOTDIR)) continue;  // nothing there to follow
    if (wd < 0) {
      if (complete_) error = WatchError(folder, errno);
      complete_ = false;
      continue;
    }
    // Two names of one folder share the watch; the first name is kept.
    if (folders_.count(wd)) continue;
    watches_[folder] = wd;
    folders_[wd] = folder;
  }
  return complete_;
}

void TFolderWatch::ReadEvents() {
  alignas(inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n <= 0) break;
    for (ssize_t at = 0; at < n;) {
      const auto* e = reinterpret_cast<const inotify_event*>(buffer + at);
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
      if (e->mask & IN_Q_OVERFLOW) {
        if (OnLost) OnLost();
        continue;
      }
      const auto folder = folders_.find(e->wd);
      if (folder == folders_.end()) continue;
      if (e->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) {
        // The folder itself is gone or moved: its watch ends with it.
        watches_.erase(folder->second);
        folders_.erase(folder);
        complete_ = false;
        if (OnLost) OnLost();
        continue;
      }
      if (e->len == 0 || e->name[0] == '\0') continue;
      const std::string& dir = folder->second;
      const std::string path = (dir.back() == '/' ? dir : dir + "/") + e->name;
      if (OnChanged) OnChanged(path, (e->mask & IN_ISDIR) != 0);
    }
  }
}

}  // namespace kestrin
