#include "SettingsIni.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>
#include <new>

#include "SafeFile.h"
#include "ShownText.h"

namespace kestrin {

namespace {

// A carriage return counts as blank so that a value on a CR LF line of a file
// whose first line ends in LF alone does not carry the CR.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::string_view Trim(std::string_view t) {
  while (!t.empty() && IsBlank(t.front())) t.remove_prefix(1);
  while (!t.empty() && IsBlank(t.back())) t.remove_suffix(1);
  return t;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

// The section name of a "[name]" line.
std::optional<std::string_view> SectionOf(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// Key and raw value of a "key=value" line; comments have none.
bool SplitKey(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::string_view t = Trim(line);
  if (t.empty() || t.front() == ';' || t.front() == '[') return false;
  const std::size_t eq = t.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(t.substr(0, eq));
  value = Trim(t.substr(eq + 1));
  return true;
}

std::string_view Unquote(std::string_view v) {
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    return v.substr(1, v.size() - 2);
  return v;
}

using TStatus = TIniLoadResult::TStatus;

// The bytes of the file at `path`, read only when it is a regular file of at
// most kMaxIniBytes. stat() first, so a FIFO or device is never opened; the
// open is non-blocking and checked again with fstat() in case the name was
// swapped for something else in between.
TIniLoadResult ReadIniBytes(const std::string& path, std::string& text) {
  TIniLoadResult r;
  r.Path = path;
  auto fail = [&r](TStatus status, int error) {
    r.Status = status;
    r.Errno = error;
    return r;
  };
  auto notAFile = [&r, &fail](const struct stat& st) {
    r.FileType = st.st_mode & S_IFMT;
    return fail(TStatus::NotAFile, S_ISDIR(st.st_mode) ? EISDIR : 0);
  };
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return fail(errno == ENOENT || errno == ENOTDIR ? TStatus::Missing : TStatus::Unreadable, errno);
  if (!S_ISREG(st.st_mode)) return notAFile(st);
  if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > kMaxIniBytes)
    return fail(TStatus::TooLarge, 0);

  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return fail(errno == ENOENT ? TStatus::Missing : TStatus::Unreadable, errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0) return fail(TStatus::Unreadable, errno);
  if (!S_ISREG(st.st_mode)) return notAFile(st);

  // One byte more than the cap tells a file that grew since the stat.
  text.resize(kMaxIniBytes + 1);
  std::size_t total = 0;
  while (total < text.size()) {
    const ssize_t n = ::read(fd, text.data() + total, text.size() - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return fail(TStatus::Unreadable, errno);
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
  }
  if (total > kMaxIniBytes) return fail(TStatus::TooLarge, 0);
  text.resize(total);
  r.Status = TStatus::Loaded;
  return r;
}

bool MakeFolders(const std::string& dir) {
  if (dir.empty()) return true;
  struct stat st;
  if (::stat(dir.c_str(), &st) == 0) {
    if (!S_ISDIR(st.st_mode)) errno = ENOTDIR;
    return S_ISDIR(st.st_mode);
  }
  const std::size_t slash = dir.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(dir.substr(0, slash))) return false;
  // A settings folder is private to its user.
  return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

void TIniFile::SetText(std::string_view text) {
  lines_.clear();
  // Byte-order marks left by an editor (one or more) would hide the first
  // section.
  while (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  eol_ = "\r\n";
  const std::size_t firstLf = text.find('\n');
  if (firstLf != std::string_view::npos && (firstLf == 0 || text[firstLf - 1] != '\r'))
    eol_ = "\n";
  finalEol_ = text.empty() || text.back() == '\n';
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t lf = text.find('\n', pos);
    if (lf == std::string_view::npos) lf = text.size();
    std::string_view line = text.substr(pos, lf - pos);
    // Only a CR that belongs to a CR LF line end is taken off (and written
    // back as part of eol_); any other CR stays in the line, so that writing
    // the file back keeps its bytes.
    if (eol_ == "\r\n" && lf < text.size() && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines_.emplace_back(line);
    pos = lf + 1;
  }
}

std::string TIniFile::Text() const {
  std::string out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    out += lines_[i];
    if (i + 1 < lines_.size() || finalEol_) out += eol_;
  }
  return out;
}

std::string TIniLoadResult::Message() const {
  const std::string shown = ShownName(Path);
  switch (Status) {
    case TStatus::Loaded: return {};
    case TStatus::Missing: return "設定ファイルが見つかりません：" + shown;
    case TStatus::NotAFile:
      return "設定ファイルが通常のファイルではないため読み込めません（" + FileTypeText(FileType) + "）：" +
             shown;
    case TStatus::TooLarge:
      return "設定ファイルが大きすぎるため読み込めません（" + std::to_string(kMaxIniBytes / 1024) +
             " KB まで）：" + shown;
    case TStatus::Unreadable:
      if (Errno == 0) return "設定ファイルを読み込めません：" + shown;
      return "設定ファイルを読み込めません（" + SystemErrorText(Errno) + "）：" + shown;
  }
  return {};
}

TIniLoadResult TIniFile::Load(const std::string& path) {
  SetText({});
  TIniLoadResult r;
  r.Path = path;
  try {
    std::string text;
    r = ReadIniBytes(path, text);
    if (r) SetText(text);
  } catch (const std::bad_alloc&) {
    SetText({});
    r.Status = TStatus::Unreadable;
    r.Errno = ENOMEM;
  }
  return r;
}

TFileResult TIniFile::Save(const std::string& path) const {
  const std::size_t slash = path.find_last_of('/');
  if (slash != std::string::npos && slash > 0 && !MakeFolders(path.substr(0, slash)))
    return TFileResult::Failure(path, "設定ファイルのフォルダを作れません", errno);
  return WriteFileAtomically(path, Text());
}

std::optional<AnsiString> TIniFile::Find(std::string_view section, std::string_view key) const {
  bool inSection = false;
  for (const std::string& line : lines_) {
    if (auto name = SectionOf(line)) {
      inSection = EqualNoCase(*name, section);
      continue;
    }
    std::string_view k, v;
    if (inSection && SplitKey(line, k, v) && EqualNoCase(k, key)) return AnsiString(Unquote(v));
  }
  return std::nullopt;
}

AnsiString TIniFile::ReadString(std::string_view section, std::string_view key,
                                const AnsiString& def) const {
  auto v = Find(section, key);
  return v ? *v : def;
}

int32_t TIniFile::ReadInteger(std::string_view section, std::string_view key, int32_t def) const {
  auto v = Find(section, key);
  if (!v) return def;
  std::string_view t = Trim(*v);
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return def;
  int64_t n = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return def;
    n = n * 10 + (c - '0');
    if (n > int64_t{std::numeric_limits<int32_t>::max()} + 1) return def;
  }
  if (negative) n = -n;
  if (n > std::numeric_limits<int32_t>::max()) return def;
  return static_cast<int32_t>(n);
}

bool TIniFile::ReadBool(std::string_view section, std::string_view key, bool def) const {
  auto v = Find(section, key);
  if (!v) return def;
  return !v->empty() && v->front() == '1';
}

void TIniFile::WriteString(std::string_view section, std::string_view key,
                           std::string_view value) {
  std::string v(value);
  for (char& c : v)
    if (c == '\r' || c == '\n') c = ' ';
  const bool needsQuotes =
      !v.empty() && (IsBlank(v.front()) || IsBlank(v.back()) ||
                     (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()));
  if (needsQuotes) v = '"' + v + '"';

  bool inSection = false;
  std::ptrdiff_t lastInSection = -1;  // last non-blank line of the section
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (auto name = SectionOf(lines_[i])) {
      if (inSection) break;
      inSection = EqualNoCase(*name, section);
      if (inSection) lastInSection = static_cast<std::ptrdiff_t>(i);
      continue;
    }
    if (!inSection) continue;
    std::string_view k, old;
    if (SplitKey(lines_[i], k, old) && EqualNoCase(k, key)) {
      lines_[i] = std::string(k) + "=" + v;
      return;
    }
    if (!Trim(lines_[i]).empty()) lastInSection = static_cast<std::ptrdiff_t>(i);
  }
  const std::string line = std::string(key) + "=" + v;
  if (lastInSection >= 0) {
    lines_.insert(lines_.begin() + lastInSection + 1, line);
    return;
  }
  lines_.push_back("[" + std::string(section) + "]");
  lines_.push_back(line);
  finalEol_ = true;  // an unterminated last line gets its end too
}

void TIniFile::WriteInteger(std::string_view section, std::string_view key, int32_t value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

}  // namespace kestrin
