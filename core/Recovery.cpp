#include "Recovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "DataFile.h"

namespace kestrin {

namespace {

constexpr char kStepNoHome[] = "復元用のフォルダを決められません（HOME がありません）";
constexpr char kStepMakeFolder[] = "復元用のフォルダを作れません";
constexpr char kStepUnsafeFolder[] =
    "復元用のフォルダが自分だけのフォルダではありません（他のユーザーのもの・他のユーザーが書き込める・リンク"
    "）";
constexpr char kStepNotOwnFile[] =
    "復元用のファイルとして使えません（通常のファイルでない・所有者が違う・大きすぎる）";
constexpr char kStepBadName[] = "復元用のファイル名の記録が正しくありません";
constexpr char kStepUnwritable[] = "月度データを書き出せません";

// A regular file of the user's own of at most `limit` bytes, not a link.
bool OwnRegularFile(const struct stat& st, int64_t limit) {
  return S_ISREG(st.st_mode) && st.st_uid == geteuid() && st.st_size <= limit;
}

}  // namespace

TFileResult RecoveryFolder(const char* xdgStateHome, const char* home, std::string& folder) {
  std::string base;
  if (xdgStateHome && xdgStateHome[0] == '/') base = xdgStateHome;
  else if (home && home[0] == '/') base = std::string(home) + "/.local/state";
  else return TFileResult::Failure("", kStepNoHome);
  while (base.size() > 1 && base.back() == '/') base.pop_back();
  folder = base + "/kestrin";
  // Every missing folder on the way is made for the user alone.
  for (std::size_t slash = folder.find('/', 1);; slash = folder.find('/', slash + 1)) {
    const std::string part = folder.substr(0, slash);
    if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
      const int error = errno;
      return TFileResult::Failure(part, kStepMakeFolder, error);
    }
    if (slash == std::string::npos) break;
  }
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0) {
    const int error = errno;
    return TFileResult::Failure(folder, kStepMakeFolder, error);
  }
  if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid() || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
    return TFileResult::Failure(folder, kStepUnsafeFolder);
  // What is typed is for the user's eyes only.
  if ((st.st_mode & 0077) != 0 && ::chmod(folder.c_str(), 0700) != 0) {
    const int error = errno;
    return TFileResult::Failure(folder, kStepUnsafeFolder, error);
  }
  return TFileResult::Success();
}

TRecoveryStore::TRecoveryStore(std::string folder, std::string base, std::string extension,
                               int64_t maxCopyBytes)
    : folder_(std::move(folder)),
      base_(std::move(base)),
      extension_(std::move(extension)),
      maxCopyBytes_(maxCopyBytes) {}

TRecoveryStore::~TRecoveryStore() {
  if (lockFd_ >= 0) ::close(lockFd_);
}

bool TRecoveryStore::Own() {
  if (lockFd_ >= 0) return true;
  const std::string lock = LockPath();
  const int fd = ::open(lock.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
  // Without a lock file the copy is taken as this window's own.
  if (fd < 0) return true;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  lockFd_ = fd;
  return true;
}

TFileResult TRecoveryStore::WriteCopy(const std::string& bytes, const std::string& fileName) const {
  if (TFileResult r = WriteFileAtomically(NamePath(), fileName); !r) return r;
  return WriteFileAtomically(CopyPath(), bytes);
}

bool TRecoveryStore::Exists() const {
  struct stat st {};
  return ::lstat(CopyPath().c_str(), &st) == 0;
}

TFileResult TRecoveryStore::CheckCopy(int64_t& mtime) const {
  const std::string copy = CopyPath();
  struct stat st {};
  if (::lstat(copy.c_str(), &st) != 0) {
    const int error = errno;
    return TFileResult::Failure(copy, kStepNotOwnFile, error);
  }
  if (!OwnRegularFile(st, maxCopyBytes_)) return MoveAside(TFileResult::Failure(copy, kStepNotOwnFile));
  mtime = static_cast<int64_t>(st.st_mtime);
  return TFileResult::Success();
}

TFileResult TRecoveryStore::ReadName(std::string& fileName) const {
  fileName.clear();
  const std::string name = NamePath();
  struct stat st {};
  if (::lstat(name.c_str(), &st) != 0) return TFileResult::Success();  // no name: a copy without a file
  if (!OwnRegularFile(st, kMaxNameBytes)) return MoveAside(TFileResult::Failure(name, kStepNotOwnFile));
  const int fd = ::open(name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    return MoveAside(TFileResult::Failure(name, kStepNotOwnFile, error));
  }
  char buffer[kMaxNameBytes + 1];
  ssize_t n = 0, got = 0;
  while (got <= kMaxNameBytes &&
         (n = ::read(fd, buffer + got, sizeof buffer - static_cast<std::size_t>(got))) > 0)
    got += n;
  ::close(fd);
  if (n < 0 || got > kMaxNameBytes) return MoveAside(TFileResult::Failure(name, kStepNotOwnFile));
  std::string text(buffer, static_cast<std::size_t>(got));
  // A plain absolute path: no control characters, nothing relative.
  bool plain = text.empty() || text[0] == '/';
  for (unsigned char c : text) plain = plain && c >= 0x20 && c != 0x7F;
  if (!plain) return MoveAside(TFileResult::Failure(name, kStepBadName));
  fileName = std::move(text);
  return TFileResult::Success();
}

void TRecoveryStore::Remove() const {
  ::unlink(CopyPath().c_str());
  ::unlink(NamePath().c_str());
}

TFileResult TRecoveryStore::MoveAside(TFileResult why) const {
  for (const std::string& path : {CopyPath(), NamePath()}) {
    const std::string aside = path + ".damaged";
    ::rename(path.c_str(), aside.c_str());
  }
  return why;
}

TRecoveryFiles::TRecoveryFiles(std::string folder)
    : TRecoveryStore(std::move(folder), "recovery", "slt", kMaxMonthBytes) {}

TFileResult TRecoveryFiles::Write(const TMainData& data, const std::string& fileName) const {
  const std::string bytes = MainDataBytes(data);
  if (bytes.empty()) return TFileResult::Failure(MonthPath(), kStepUnwritable);
  return WriteCopy(bytes, fileName);
}

TFileResult TRecoveryFiles::Read(TRecovered& out) const {
  return ReadCopy(
      [&out](const std::string& path) {
        out.Data.ClearLists();
        out.Data.Clear();
        TFileResult r = LoadFromFile(path, out.Data);
        if (r) out.Data.Calculate();
        return r;
      },
      out.FileName, out.WrittenAt);
}

}  // namespace kestrin
