// The program's one way to write a file. Every writer (data file, settings
// file, pictures, PDF documents, report page files) hands its bytes to
// WriteFileAtomically, which:
//  - writes only a regular file or a new name: a device, pipe, socket or
//    folder (or a symbolic link to one) is refused and never replaced;
//  - follows a symbolic link to the file it names, except a link lying in
//    a sticky, world-writable folder that belongs neither to the user nor
//    to the folder's owner (someone else may have planted it there);
//  - refuses a file the user may not write (also when running as root: a
//    file without any write permission is not replaced);
//  - never leaves a damaged or half-written file: the bytes go to an
//    unnamed temporary file in the target's folder (a hidden named one
//    where the file system has no unnamed files), are flushed to disk, and
//    only then appear under the target name in one step. An interrupted
//    save leaves the previous file as it was; a hidden temporary left by a
//    save that was killed is removed by the next save of the same target.
// Failures come back as a TFileResult naming the path, the step and the
// system's error text, for the second line of the user's message.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kestrin {

// The outcome of a file operation: success, or the file, what failed
// (a short Japanese text: the step or the item) and the system's error
// (its number and its text, Japanese for the common causes) when the
// system reported one.
struct TFileResult {
  bool Ok = true;
  std::string Path;
  std::string Step;
  int Errno = 0;
  std::string SystemError;

  explicit operator bool() const { return Ok; }

  static TFileResult Success() { return {}; }
  // `error` is an errno value; 0 for a failure the system did not report.
  static TFileResult Failure(std::string path, std::string step, int error = 0);

  // "<path>: <step>（<system error>）", the line shown under the fixed
  // failure message, the path as ShownName shows it; empty on success.
  std::string Reason() const;
};

// The file-system calls the safe writer makes, so tests can record their
// order or make one fail. Each mirrors the system call of the same name
// and reports errors through errno.
class TFileSystemCalls {
 public:
  virtual ~TFileSystemCalls() = default;
  virtual int OpenAt(int dirFd, const char* name, int flags, mode_t mode);
  virtual ssize_t Write(int fd, const void* buffer, std::size_t n);
  virtual int Fsync(int fd);
  virtual int Fchmod(int fd, mode_t mode);
  virtual int Fchown(int fd, uid_t uid, gid_t gid);
  virtual int Close(int fd);
  virtual int LinkAt(int oldDirFd, const char* oldName, int newDirFd, const char* newName, int flags);
  virtual int RenameAt(int oldDirFd, const char* oldName, int newDirFd, const char* newName);
  virtual int UnlinkAt(int dirFd, const char* name, int flags);

  // The calls of the running system.
  static TFileSystemCalls& System();
};

// Replaces the contents of `path` with `bytes` under the rules above. A new
// file gets 0666 minus the umask; a replaced file keeps its permission bits
// and, where the user may, its owner and group.
TFileResult WriteFileAtomically(const std::string& path, std::string_view bytes,
                                TFileSystemCalls& calls = TFileSystemCalls::System());

// Replaces a set of files that belong together (the pages of one
// document) under the rules above: every file is written and flushed to
// disk under its temporary first, and only when all of them are complete
// do they take their names, one after the other. A failure before that
// leaves every file as it was.
TFileResult WriteFilesAtomically(const std::vector<std::pair<std::string, std::string_view>>& files,
                                 TFileSystemCalls& calls = TFileSystemCalls::System());

// Checks that `path` may be written under the rules above without writing
// anything (for writers that must know before they start long work).
TFileResult CheckWriteTarget(const std::string& path);

// Makes a write beyond the file-size limit fail with an error instead of
// ending the process (SIGXFSZ is ignored unless a handler is installed).
void IgnoreFileSizeSignal();

// True for a name the safe writer gives its hidden temporary files for
// `name` (".<name>.XXXXXX"); the next save removes stale ones.
bool IsTemporaryNameFor(std::string_view entry, std::string_view name);

}  // namespace kestrin
