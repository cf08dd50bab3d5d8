// The recovery copy of the month being typed: after commits the window
// keeps the month (in the .slt layout, so any reader of data files reads
// it) and the name of the file it belongs to in the user's state folder,
// written through the safe writer; a crash or a power cut then loses
// nothing that was typed. The folder is $XDG_STATE_HOME/kestrin (when that
// is an absolute path), else ~/.local/state/kestrin: made 0700 where
// missing and used only while it is a folder of the user's own that nobody
// else may write. What is read back is treated as hostile: anything but a
// regular file of the user's own within the size limits, a month the data
// file reader refuses, or a name that is not a plain absolute path is
// refused and moved aside.
#pragma once

#include <cstdint>
#include <string>

#include "MainData.h"
#include "SafeFile.h"

namespace kestrin {

// The state folder for `xdgStateHome` and `home` (the environment values,
// either may be null), made where missing. Fails when there is no safe
// place: no home, a path that is not a folder, a folder of another user or
// one that others may write, or a folder that cannot be made.
TFileResult RecoveryFolder(const char* xdgStateHome, const char* home, std::string& folder);

// What a recovery copy holds.
struct TRecovered {
  TMainData Data;
  std::string FileName;   // the data file it belongs to; empty for none
  int64_t WrittenAt = 0;  // seconds since the epoch, of the month's file
};

class TRecoveryFiles {
 public:
  // The largest files read back.
  static constexpr int64_t kMaxMonthBytes = 1 << 20;
  static constexpr int64_t kMaxNameBytes = 4096;

  explicit TRecoveryFiles(std::string folder);
  ~TRecoveryFiles();
  TRecoveryFiles(const TRecoveryFiles&) = delete;
  TRecoveryFiles& operator=(const TRecoveryFiles&) = delete;

  const std::string& Folder() const { return folder_; }
  std::string MonthPath() const { return folder_ + "/recovery.slt"; }
  std::string NamePath() const { return folder_ + "/recovery.name"; }

  // Takes the folder's lock for the life of this object. False when
  // another running window holds it (that window owns the copy).
  bool Own();

  // Writes the file name, then the month (so a month that is there has
  // its name beside it).
  TFileResult Write(const TMainData& data, const std::string& fileName) const;
  // Whether a month copy is there (whatever it holds).
  bool Exists() const;
  // Reads the copy back. A copy that is damaged or hostile is moved aside
  // (".damaged" added to the names) and the failure names the problem.
  TFileResult Read(TRecovered& out) const;
  // Removes both files; nothing there is no failure.
  void Remove() const;

 private:
  TFileResult MoveAside(TFileResult why) const;

  std::string folder_;
  int lockFd_ = -1;
};

}  // namespace kestrin
