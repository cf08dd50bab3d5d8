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
// refused and moved aside. The strength window keeps its log the same way
// (StrengthRecovery.h).
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

// The files of one document's recovery copy in the state folder, named
// after `base` ("recovery"): the copy (base.ext, the document in the
// layout of its own files), the name of the file it belongs to
// (base.name) and the lock of the window that keeps it (base.lock). Each
// kind of document has its own base name, so their copies and locks never
// meet. What is read back is checked here the same way for every kind.
class TRecoveryStore {
 public:
  // The largest name file read back.
  static constexpr int64_t kMaxNameBytes = 4096;

  // `extension` without the dot; `maxCopyBytes` the largest copy read back.
  TRecoveryStore(std::string folder, std::string base, std::string extension, int64_t maxCopyBytes);
  ~TRecoveryStore();
  TRecoveryStore(const TRecoveryStore&) = delete;
  TRecoveryStore& operator=(const TRecoveryStore&) = delete;

  const std::string& Folder() const { return folder_; }
  std::string CopyPath() const { return folder_ + "/" + base_ + "." + extension_; }
  std::string NamePath() const { return folder_ + "/" + base_ + ".name"; }
  std::string LockPath() const { return folder_ + "/" + base_ + ".lock"; }

  // Takes the lock for the life of this object. False when another
  // running window holds it (that window owns the copy).
  bool Own();
  // Whether a copy is there (whatever it holds).
  bool Exists() const;
  // Removes the copy and its name; nothing there is no failure.
  void Remove() const;

 protected:
  // Writes the file name, then the copy (so a copy that is there has its
  // name beside it).
  TFileResult WriteCopy(const std::string& bytes, const std::string& fileName) const;
  // Reads the copy back: only a regular file of the user's own within the
  // size limit is handed to `parse` (which reads the document from the
  // path); then the name, a plain absolute path or none. A copy that is
  // damaged or hostile is moved aside (".damaged" added to the names) and
  // the failure names the problem.
  template <class Parse>
  TFileResult ReadCopy(Parse&& parse, std::string& fileName, int64_t& writtenAt) const {
    int64_t mtime = 0;
    if (TFileResult r = CheckCopy(mtime); !r) return r;
    if (TFileResult r = parse(CopyPath()); !r) return MoveAside(r);
    writtenAt = mtime;
    return ReadName(fileName);
  }

 private:
  TFileResult CheckCopy(int64_t& mtime) const;
  TFileResult ReadName(std::string& fileName) const;
  TFileResult MoveAside(TFileResult why) const;

  std::string folder_;
  std::string base_;
  std::string extension_;
  int64_t maxCopyBytes_;
  int lockFd_ = -1;
};

// What a recovery copy of the month holds.
struct TRecovered {
  TMainData Data;
  std::string FileName;   // the data file it belongs to; empty for none
  int64_t WrittenAt = 0;  // seconds since the epoch, of the month's file
};

// The main window's copy: recovery.slt, recovery.name, recovery.lock.
class TRecoveryFiles : public TRecoveryStore {
 public:
  // The largest month read back.
  static constexpr int64_t kMaxMonthBytes = 1 << 20;

  explicit TRecoveryFiles(std::string folder);

  std::string MonthPath() const { return CopyPath(); }

  TFileResult Write(const TMainData& data, const std::string& fileName) const;
  // Reads the copy back; a damaged or hostile one is moved aside.
  TFileResult Read(TRecovered& out) const;
};

}  // namespace kestrin
