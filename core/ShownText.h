// How names and system errors appear inside the program's messages.
// A file name may hold any byte but '/' and NUL: a line break or an escape
// sequence printed raw would forge lines on the terminal or in a message
// box, so every name shown goes through ShownName. System errors get a
// Japanese text of their own for the common causes; the system's own text
// (English under the C locale) only for the rest.
#pragma once

#include <string>
#include <string_view>

namespace kestrin {

// `name` (bytes, UTF-8 expected) with every control character (C0, DEL,
// C1, the line and paragraph separators, the direction overrides) and
// every byte that is not part of valid UTF-8 written as an escape: \n, \r,
// \t, \\ and \xNN per byte. Printable text, Japanese included, stays as it is.
std::string ShownName(std::string_view name);

// True when `bytes` are valid UTF-8 throughout: the names Qt carries
// exactly (it turns any other byte of a name into U+FFFD, which would
// name another file).
bool IsValidUtf8(std::string_view bytes);

// The Japanese text of an errno value: no such file, permission, no space,
// read-only file system, is a folder, name too long, too many links,
// quota, I/O error and a few more have their own; any other gives the
// system's text. Empty for 0.
std::string SystemErrorText(int error);

// What stands at a name where a regular file was expected, from the file
// type bits of its mode: "フォルダです", "名前付きパイプ（FIFO）です", ...
std::string FileTypeText(unsigned mode);

}  // namespace kestrin
