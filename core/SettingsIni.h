// A small INI reader and writer working on raw bytes, so the settings file
// stays in CP932 exactly as written. Lines it does not change (comments,
// other sections, keys it does not know) are kept byte for byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Cp932.h"
#include "SafeFile.h"

namespace kestrin {

// The largest settings file read. A real one is a few hundred bytes; the cap
// keeps a stray big file (or /dev/zero) from taking the machine's memory.
inline constexpr std::size_t kMaxIniBytes = 256 * 1024;

// How reading a settings file went, with the file's path for messages.
struct TIniLoadResult {
  enum class TStatus {
    Loaded,
    Missing,     // no such file: the defaults apply, nothing to report
    NotAFile,    // a folder, FIFO, device or socket
    TooLarge,    // more than kMaxIniBytes
    Unreadable,  // no permission, read error
  };
  TStatus Status = TStatus::Missing;
  std::string Path;
  int Errno = 0;          // the system error of a failed open or read
  unsigned FileType = 0;  // NotAFile: what is there (the S_IFMT bits of its mode)

  explicit operator bool() const { return Status == TStatus::Loaded; }
  // A file is there but could not be taken; the user should hear of it.
  bool Failed() const { return Status != TStatus::Loaded && Status != TStatus::Missing; }
  // Japanese, naming the file (as ShownName shows it) and saying what is
  // wrong with it ("" for Loaded).
  std::string Message() const;
};

class TIniFile {
 public:
  TIniFile() = default;

  // Replaces the contents with the given text. Line ends may be CR LF or LF;
  // new lines are written with the ending the text uses (CR LF by default).
  void SetText(std::string_view text);
  // The whole file as it would be written.
  std::string Text() const;

  // Reads the file at `path`: only a regular file of at most kMaxIniBytes.
  // A FIFO or device is refused without waiting on it, and nothing is
  // thrown. Anything but Loaded leaves an empty document.
  TIniLoadResult Load(const std::string& path);
  // Writes the document to `path` through the safe writer (SafeFile.h);
  // creates missing parent folders (mode 0700).
  TFileResult Save(const std::string& path) const;

  // Section and key names compare without regard to ASCII case. Values are
  // taken without surrounding blanks; one pair of matching quotes around a
  // value is removed.
  std::optional<AnsiString> Find(std::string_view section, std::string_view key) const;

  AnsiString ReadString(std::string_view section, std::string_view key,
                        const AnsiString& def) const;
  // A decimal integer (optional sign); anything else, or a value outside
  // 32 bits, gives `def`.
  int32_t ReadInteger(std::string_view section, std::string_view key, int32_t def) const;
  // True exactly when the text begins with "1"; a missing key gives `def`.
  bool ReadBool(std::string_view section, std::string_view key, bool def) const;

  // Sets a key, replacing its value where it is, or adding it at the end of
  // its section (the section is added at the end of the file if missing).
  // Line breaks in the value become blanks; a value with blanks at either
  // end is quoted so it reads back the same.
  void WriteString(std::string_view section, std::string_view key, std::string_view value);
  void WriteInteger(std::string_view section, std::string_view key, int32_t value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

 private:
  std::vector<std::string> lines_;  // without their line ends
  std::string eol_ = "\r\n";
  bool finalEol_ = true;
};

}  // namespace kestrin
