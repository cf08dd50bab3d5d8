// Reading a small file that comes from outside (a .kst log, a lab's CSV):
// only a regular file is opened (a FIFO or device named by a hostile path
// would block or never end), without following it to a terminal, and
// never more than the caller's limit is read.
#pragma once

#include <cstddef>
#include <string>

namespace kestrin {

// Reads the whole file at `path` into `bytes`: stat() first so a FIFO or
// device is never opened, a non-blocking open, fstat() again in case the
// name was swapped in between, and at most `maxBytes` bytes (a file that
// is larger, or grows past the limit while it is read, is refused). On
// failure returns false with `reason`, a Japanese sentence ending in "．"
// ("ファイルが見つかりません．", "フォルダです．",
// "ファイルが大きすぎます（1 MiB まで）．", ...); `bytes` is then unspecified.
bool ReadRegularFile(const std::string& path, std::size_t maxBytes, std::string& bytes, std::string& reason);

}  // namespace kestrin
