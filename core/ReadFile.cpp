// Reading a small file from outside (see ReadFile.h).
#include "ReadFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kestrin {

namespace {

// "1 MiB", "64 KiB" or "100 バイト".
std::string SizeText(std::size_t bytes) {
  constexpr std::size_t kKiB = 1024;
  if (bytes % (kKiB * kKiB) == 0) return std::to_string(bytes / (kKiB * kKiB)) + " MiB";
  if (bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
  return std::to_string(bytes) + " バイト";
}

}  // namespace

bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes, std::string& reason) {
  auto fail = [&reason](std::string text) {
    reason = std::move(text);
    return false;
  };
  auto failErrno = [&fail](const char* what, int error) {
    return fail(std::string(what) + "（" + std::strerror(error) + "）．");
  };
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? fail("ファイルが見つかりません．")
                                               : failErrno("ファイルを開けません", errno);
  if (S_ISDIR(st.st_mode)) return fail("フォルダです．");
  if (!S_ISREG(st.st_mode)) return fail("通常のファイルではありません（装置・パイプなど）．");
  const std::string tooLarge = "ファイルが大きすぎます（" + SizeText(maxBytes) + " まで）．";
  if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > maxBytes) return fail(tooLarge);
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return failErrno("ファイルを開けません", errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0) return failErrno("ファイルを開けません", errno);
  if (!S_ISREG(st.st_mode)) return fail("通常のファイルではありません（装置・パイプなど）．");
  // Room for the size the stat gave and one byte more, which tells a file
  // that grew since; it grows up to one byte more than the cap. (Not the
  // cap at once: the overview reads hundreds of logs of a few kilobytes.)
  bytes.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t total = 0;
  while (total < bytes.size()) {
    const ssize_t n = ::read(fd, bytes.data() + total, bytes.size() - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failErrno("ファイルを読み込めません", errno);
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
    if (total == bytes.size() && bytes.size() <= maxBytes) bytes.resize(std::min(2 * bytes.size(), maxBytes + 1));
  }
  if (total > maxBytes) return fail(tooLarge);
  bytes.resize(total);
  return true;
}

}  // namespace kestrin
