// Follows a set of folders through inotify, one watch per folder (not per
// file: a year overview may list ten thousand months), and reports the
// full path of every name in them that changed: written and closed,
// created, linked or moved in, moved out, deleted, or its permissions
// changed. The reports arrive on the thread of the event loop, in order.
//
// Watches are a limited resource of the system (fs.inotify.max_user_watches
// and max_user_instances): when a folder cannot be watched the watch says
// so, and the caller must tell the user that the list is not followed.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>

class QSocketNotifier;

namespace kestrin {

class TFolderWatch {
 public:
  TFolderWatch();
  ~TFolderWatch();
  TFolderWatch(const TFolderWatch&) = delete;
  TFolderWatch& operator=(const TFolderWatch&) = delete;

  // Watches exactly these folders (paths in the local 8-bit encoding):
  // new ones are added, the others dropped; one that does not exist is
  // left out. False when any other could not be watched; `error` then
  // names the first and the cause.
  bool SetFolders(const std::set<std::string>& folders, std::string& error);
  // Every folder asked for is watched.
  bool Complete() const { return complete_; }

  // A name in a watched folder changed: its full path, and whether it is
  // a folder.
  std::function<void(const std::string& path, bool folder)> OnChanged;
  // Adds one watch (inotify_add_watch by default; tests make it fail as
  // a system at its limit does).
  std::function<int(int fd, const char* path, uint32_t mask)> AddWatch;

  // The system dropped events (its queue overflowed) or a watched folder
  // went away: what is on screen must be read again as a whole.
  std::function<void()> OnLost;

 private:
  void ReadEvents();

  int fd_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  std::map<std::string, int> watches_;  // folder -> watch descriptor
  std::map<int, std::string> folders_;  // watch descriptor -> folder
  bool complete_ = true;
};

}  // namespace kestrin
