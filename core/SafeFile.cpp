#include "SafeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "ShownText.h"

namespace kestrin {

// ================================================================ result

TFileResult TFileResult::Failure(std::string path, std::string step, int error) {
  TFileResult r;
  r.Ok = false;
  r.Path = std::move(path);
  r.Step = std::move(step);
  r.Errno = error;
  r.SystemError = SystemErrorText(error);
  return r;
}

std::string TFileResult::Reason() const {
  if (Ok) return {};
  std::string text = Path.empty() ? Step : ShownName(Path) + ": " + Step;
  if (!SystemError.empty()) text += "（" + SystemError + "）";
  return text;
}

// ================================================================ system calls

int TFileSystemCalls::OpenAt(int dirFd, const char* name, int flags, mode_t mode) {
  return ::openat(dirFd, name, flags, mode);
}
ssize_t TFileSystemCalls::Write(int fd, const void* buffer, std::size_t n) {
  return ::write(fd, buffer, n);
}
int TFileSystemCalls::Fsync(int fd) { return ::fsync(fd); }
int TFileSystemCalls::Fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int TFileSystemCalls::Fchown(int fd, uid_t uid, gid_t gid) { return ::fchown(fd, uid, gid); }
int TFileSystemCalls::Close(int fd) { return ::close(fd); }
int TFileSystemCalls::LinkAt(int oldDirFd, const char* oldName, int newDirFd, const char* newName,
                             int flags) {
  return ::linkat(oldDirFd, oldName, newDirFd, newName, flags);
}
int TFileSystemCalls::RenameAt(int oldDirFd, const char* oldName, int newDirFd, const char* newName) {
  return ::renameat(oldDirFd, oldName, newDirFd, newName);
}
int TFileSystemCalls::UnlinkAt(int dirFd, const char* name, int flags) {
  return ::unlinkat(dirFd, name, flags);
}

TFileSystemCalls& TFileSystemCalls::System() {
  static TFileSystemCalls calls;
  return calls;
}

// ================================================================ helpers

namespace {

// Step texts of the failure messages.
constexpr char kStepCheck[] = "保存先を確認できません";
constexpr char kStepNotRegular[] = "通常のファイルではないため書き込みません（装置・パイプ・フォルダなど）";
constexpr char kStepForeignLink[] =
    "共有フォルダにある他のユーザーのシンボリックリンクはたどりません";
constexpr char kStepDanglingLink[] = "シンボリックリンクの指す先がありません";
constexpr char kStepNoWrite[] = "書き込みが許可されていません";
constexpr char kStepFolder[] = "保存先のフォルダを開けません";
constexpr char kStepCreate[] = "一時ファイルを作れません";
constexpr char kStepWrite[] = "書き込みに失敗しました";
constexpr char kStepSync[] = "ディスクへの書き出しに失敗しました";
constexpr char kStepPublish[] = "ファイルを置き換えられません";
constexpr char kStepName[] = "ファイル名がありません";

constexpr int kMaxLinkHops = 40;
constexpr std::size_t kTempNameRoom = 200;  // keeps ".NAME.XXXXXX" within NAME_MAX

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t CurrentUmask() {
  // Reading the mask from /proc leaves it untouched for other threads.
  if (FILE* f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
      if (std::strncmp(line, "Umask:", 6) == 0) {
        std::fclose(f);
        return static_cast<mode_t>(std::strtoul(line + 6, nullptr, 8));
      }
    }
    std::fclose(f);
  }
  const mode_t m = ::umask(022);
  ::umask(m);
  return m;
}

// A symbolic link may be followed unless it lies in a sticky,
// world-writable folder and belongs neither to us nor to the folder's
// owner: the rule of the kernel's protected_symlinks, applied here because
// many systems switch that off.
bool MayFollowLink(const struct stat& link, const std::string& folder) {
  struct stat dir;
  if (::stat(folder.c_str(), &dir) != 0) return false;
  const bool shared = (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
  return !shared || link.st_uid == ::geteuid() || link.st_uid == dir.st_uid;
}

// Whether we may write the existing regular file. Root passes every
// permission check of the kernel; a file nobody may write (0444) is still
// refused then, as the user asked for that protection.
bool MayWrite(const std::string& path, const struct stat& st) {
  if (::geteuid() == 0) return (st.st_mode & 0222) != 0;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0;
}

// The folders on the way to a file may be links too: each link met while
// walking `folder` component by component must pass MayFollowLink in the
// folder it lies in (the kernel's rule covers these as well, where it is
// on). False also for a loop of links; a component that does not exist
// is left to the later steps to report.
bool FolderLinksAllowed(const std::string& folder) {
  std::deque<std::string> todo;
  auto push = [&todo](const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
      std::size_t end = path.find('/', start);
      if (end == std::string::npos) end = path.size();
      if (end > start) parts.push_back(path.substr(start, end - start));
      start = end + 1;
    }
    todo.insert(todo.begin(), parts.begin(), parts.end());
  };
  // `done` is the walked part: no links left in it. "" stands for the root.
  std::string done = folder.front() == '/' ? "" : ".";
  push(folder);
  for (int hops = 0; !todo.empty();) {
    const std::string part = todo.front();
    todo.pop_front();
    if (part == ".") continue;
    const std::string next = done + "/" + part;
    struct stat st;
    if (::lstat(next.c_str(), &st) != 0) return true;
    if (!S_ISLNK(st.st_mode)) {
      done = next;
      continue;
    }
    if (++hops > kMaxLinkHops || !MayFollowLink(st, done.empty() ? "/" : done)) return false;
    char buffer[4096];
    const ssize_t n = ::readlink(next.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer) return true;
    const std::string link(buffer, static_cast<std::size_t>(n));
    if (link.front() == '/') done = "";
    push(link);
  }
  return true;
}

struct TTarget {
  std::string Path;  // the file written: the path, or where its links lead
  bool Exists = false;
  struct stat Stat {};
};

TFileResult ResolveTarget(const std::string& path, TTarget& target) {
  if (path.empty() || NameOf(path).empty()) return TFileResult::Failure(path, kStepName);
  std::string cur = path;
  for (int hops = 0;; ++hops) {
    if (!FolderLinksAllowed(FolderOf(cur))) return TFileResult::Failure(path, kStepForeignLink);
    struct stat st;
    if (::lstat(cur.c_str(), &st) != 0) {
      const int error = errno;
      if (error == ENOENT && hops == 0) break;  // a new name
      if (error == ENOENT) return TFileResult::Failure(path, kStepDanglingLink);
      return TFileResult::Failure(path, kStepCheck, error);
    }
    if (!S_ISLNK(st.st_mode)) {
      target.Exists = true;
      target.Stat = st;
      break;
    }
    if (hops >= kMaxLinkHops) return TFileResult::Failure(path, kStepCheck, ELOOP);
    const std::string folder = FolderOf(cur);
    if (!MayFollowLink(st, folder)) return TFileResult::Failure(path, kStepForeignLink);
    char buffer[4096];
    const ssize_t n = ::readlink(cur.c_str(), buffer, sizeof buffer);
    if (n <= 0 || static_cast<std::size_t>(n) >= sizeof buffer)
      return TFileResult::Failure(path, kStepCheck, n < 0 ? errno : ENAMETOOLONG);
    const std::string link(buffer, static_cast<std::size_t>(n));
    cur = link.front() == '/' ? link : (folder == "/" ? "" : folder) + "/" + link;
  }
  target.Path = cur;
  if (NameOf(cur).empty()) return TFileResult::Failure(path, kStepName);
  if (target.Exists) {
    if (!S_ISREG(target.Stat.st_mode)) return TFileResult::Failure(path, kStepNotRegular);
    if (!MayWrite(cur, target.Stat)) return TFileResult::Failure(path, kStepNoWrite, EACCES);
  } else {
    struct stat dir;
    if (::stat(FolderOf(cur).c_str(), &dir) != 0) return TFileResult::Failure(path, kStepFolder, errno);
    if (!S_ISDIR(dir.st_mode)) return TFileResult::Failure(path, kStepFolder, ENOTDIR);
  }
  return TFileResult::Success();
}

std::string RandomTempName(const std::string& name) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  unsigned char random[6] = {};
  if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) {
    // Without the random source the clock and the process still give
    // names that rarely collide; O_EXCL catches those that do.
    static unsigned counter = 0;
    const unsigned long seed =
        static_cast<unsigned long>(::getpid()) * 2654435761u + ++counter + static_cast<unsigned long>(::clock());
    for (int i = 0; i < 6; ++i) random[i] = static_cast<unsigned char>(seed >> (5 * i));
  }
  std::string out = "." + name.substr(0, kTempNameRoom) + ".";
  for (unsigned char c : random) out += kChars[c % (sizeof kChars - 1)];
  return out;
}

// Removes hidden temporaries of `name` that no running save holds: each
// save keeps a lock on its temporary file while it lives, so a file whose
// lock can be taken was left by a save that was killed. Only regular files
// of our own are touched.
void RemoveStaleTemps(int dirFd, const std::string& name) {
  const int listFd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listFd < 0) return;
  DIR* d = ::fdopendir(listFd);
  if (d == nullptr) {
    ::close(listFd);
    return;
  }
  while (const dirent* e = ::readdir(d)) {
    if (!IsTemporaryNameFor(e->d_name, name.substr(0, kTempNameRoom))) continue;
    const int fd = ::openat(dirFd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) continue;
    struct stat st;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == ::geteuid() &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(dirFd, e->d_name, 0);
    ::close(fd);
  }
  ::closedir(d);
}

bool WriteAll(TFileSystemCalls& calls, int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = calls.Write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w == 0) errno = ENOSPC;
    if (w <= 0) return false;  // disk full, file-size limit, I/O error
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

}  // namespace

bool IsTemporaryNameFor(std::string_view entry, std::string_view name) {
  name = name.substr(0, kTempNameRoom);
  if (entry.size() != name.size() + 8) return false;
  if (entry.front() != '.' || entry.substr(1, name.size()) != name || entry[name.size() + 1] != '.')
    return false;
  for (char c : entry.substr(name.size() + 2))
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) return false;
  return true;
}

void IgnoreFileSizeSignal() {
  // Once ignored here it stays so; a handler installed by the program is
  // left alone.
  static bool ignored = false;
  if (ignored) return;
  struct sigaction current;
  if (::sigaction(SIGXFSZ, nullptr, &current) != 0) return;
  if (!(current.sa_flags & SA_SIGINFO) && current.sa_handler == SIG_DFL) {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    ignored = ::sigaction(SIGXFSZ, &ignore, nullptr) == 0;
  }
}

TFileResult CheckWriteTarget(const std::string& path) {
  TTarget target;
  return ResolveTarget(path, target);
}

namespace {

// One file on its way: Stage writes the bytes under a temporary (unnamed,
// or hidden and locked) in the target's folder and flushes them to disk;
// Publish gives the file its name. A staged file that is never published
// leaves nothing behind.
class TStagedFile {
 public:
  explicit TStagedFile(TFileSystemCalls& calls) : calls_(calls) {}
  ~TStagedFile() {
    if (!tempName_.empty()) calls_.UnlinkAt(dir_, tempName_.c_str(), 0);
    if (fd_ >= 0) calls_.Close(fd_);
    if (dir_ >= 0) calls_.Close(dir_);
  }
  TStagedFile(const TStagedFile&) = delete;
  TStagedFile& operator=(const TStagedFile&) = delete;

  TFileResult Stage(const std::string& path, std::string_view bytes);
  TFileResult Publish();

 private:
  // Drops the named temporary on the failure paths.
  TFileResult Fail(const char* step, int error) {
    if (!tempName_.empty()) calls_.UnlinkAt(dir_, tempName_.c_str(), 0);
    tempName_.clear();
    return TFileResult::Failure(path_, step, error);
  }

  TFileSystemCalls& calls_;
  std::string path_;
  TTarget target_;
  std::string name_;
  int dir_ = -1;
  int fd_ = -1;
  bool unnamed_ = false;
  std::string tempName_;
};

TFileResult TStagedFile::Stage(const std::string& path, std::string_view bytes) {
  path_ = path;
  if (TFileResult r = ResolveTarget(path, target_); !r) return r;

  const mode_t mode = target_.Exists ? (target_.Stat.st_mode & 07777) : (0666 & ~CurrentUmask());
  const std::string folder = FolderOf(target_.Path);
  name_ = NameOf(target_.Path);

  dir_ = calls_.OpenAt(AT_FDCWD, folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (dir_ < 0) return TFileResult::Failure(path, kStepFolder, errno);
  RemoveStaleTemps(dir_, name_);

  // An unnamed file first: nothing can be left behind by an interrupted
  // save. File systems without them get a hidden named file, locked while
  // it lives so that a later save can tell a stale one.
  int fd = calls_.OpenAt(dir_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  unnamed_ = fd >= 0;
  std::string tempName;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    tempName = RandomTempName(name_);
    fd = calls_.OpenAt(dir_, tempName.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return TFileResult::Failure(path, kStepCreate, errno);
  fd_ = fd;
  tempName_ = tempName;
  ::flock(fd, LOCK_EX | LOCK_NB);

  if (calls_.Fchmod(fd, mode) != 0) return Fail(kStepCreate, errno);
  if (target_.Exists && (target_.Stat.st_uid != ::geteuid() || target_.Stat.st_gid != ::getegid())) {
    // Keep the owner and group where we may; failing that the file is ours.
    [[maybe_unused]] const int ignored = calls_.Fchown(fd, target_.Stat.st_uid, target_.Stat.st_gid);
  }
  if (!WriteAll(calls_, fd, bytes.data(), bytes.size())) return Fail(kStepWrite, errno);
  if (calls_.Fsync(fd) != 0) return Fail(kStepSync, errno);
  return TFileResult::Success();
}

TFileResult TStagedFile::Publish() {
  const char* name = name_.c_str();
  if (unnamed_) {
    // The file gets a name only now, complete and on disk. A new name is
    // linked directly (link never replaces anything that appeared there
    // meanwhile); an existing file is replaced by a rename from a hidden
    // name, since only rename replaces in one step.
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (!target_.Exists) {
      if (calls_.LinkAt(AT_FDCWD, self.c_str(), dir_, name, AT_SYMLINK_FOLLOW) != 0)
        return Fail(kStepPublish, errno);
    } else {
      int linked = -1;
      for (int attempt = 0; linked != 0 && attempt < 100; ++attempt) {
        tempName_ = RandomTempName(name_);
        linked = calls_.LinkAt(AT_FDCWD, self.c_str(), dir_, tempName_.c_str(), AT_SYMLINK_FOLLOW);
        if (linked != 0 && errno != EEXIST) break;
      }
      if (linked != 0) {
        const int error = errno;
        tempName_.clear();
        return Fail(kStepPublish, error);
      }
      if (calls_.RenameAt(dir_, tempName_.c_str(), dir_, name) != 0) return Fail(kStepPublish, errno);
      tempName_.clear();
    }
  } else {
    // The descriptor stays open (and the temporary locked) until the file
    // has its name.
    if (!target_.Exists) {
      // A new name must stay new: link (never replaces), then drop the
      // temporary name. File systems without hard links get the rename.
      if (calls_.LinkAt(dir_, tempName_.c_str(), dir_, name, 0) == 0) {
        calls_.UnlinkAt(dir_, tempName_.c_str(), 0);
      } else if (errno == EEXIST) {
        return Fail(kStepPublish, EEXIST);
      } else if (calls_.RenameAt(dir_, tempName_.c_str(), dir_, name) != 0) {
        return Fail(kStepPublish, errno);
      }
    } else if (calls_.RenameAt(dir_, tempName_.c_str(), dir_, name) != 0) {
      return Fail(kStepPublish, errno);
    }
    tempName_.clear();
  }
  const int fd = fd_;
  fd_ = -1;
  if (calls_.Close(fd) != 0) return TFileResult::Failure(path_, kStepWrite, errno);
  calls_.Fsync(dir_);  // some file systems refuse this; the file is in place
  return TFileResult::Success();
}

}  // namespace

TFileResult WriteFileAtomically(const std::string& path, std::string_view bytes, TFileSystemCalls& calls) {
  IgnoreFileSizeSignal();
  TStagedFile file(calls);
  if (TFileResult r = file.Stage(path, bytes); !r) return r;
  return file.Publish();
}

TFileResult WriteFilesAtomically(const std::vector<std::pair<std::string, std::string_view>>& files,
                                 TFileSystemCalls& calls) {
  IgnoreFileSizeSignal();
  std::vector<std::unique_ptr<TStagedFile>> staged;
  staged.reserve(files.size());
  for (const auto& [path, bytes] : files) {
    staged.push_back(std::make_unique<TStagedFile>(calls));
    if (TFileResult r = staged.back()->Stage(path, bytes); !r) return r;
  }
  for (const std::unique_ptr<TStagedFile>& f : staged)
    if (TFileResult r = f->Publish(); !r) return r;
  return TFileResult::Success();
}

}  // namespace kestrin
