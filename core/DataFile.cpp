#include "DataFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>

namespace kestrin {

bool StreamError = false;

// ================================================================ streams

std::size_t TMemoryStream::Read(void* buffer, std::size_t n) {
  if (pos_ >= data_.size()) return 0;
  const std::size_t k = std::min(n, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, k);
  pos_ += k;
  return k;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t n) {
  const std::size_t room = pos_ < writeLimit_ ? writeLimit_ - pos_ : 0;
  const std::size_t k = std::min(n, room);
  if (k == 0) return 0;
  if (pos_ + k > data_.size()) data_.resize(pos_ + k);
  std::memcpy(data_.data() + pos_, buffer, k);
  pos_ += k;
  return k;
}

bool TMemoryStream::Seek(uint64_t offset) {
  if (offset > data_.size()) return false;
  pos_ = static_cast<std::size_t>(offset);
  return true;
}

std::unique_ptr<TFileReadStream> TFileReadStream::Open(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat st;
  // Only regular files: a folder cannot be read and a pipe or device could
  // block the program or never end.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<TFileReadStream>(new TFileReadStream(fd));
}

TFileReadStream::~TFileReadStream() {
  if (fd_ >= 0) ::close(fd_);
}

std::size_t TFileReadStream::Read(void* buffer, std::size_t n) {
  auto* out = static_cast<unsigned char*>(buffer);
  std::size_t done = 0;
  while (done < n) {
    if (begin_ < end_) {
      const std::size_t k = std::min(n - done, end_ - begin_);
      std::memcpy(out + done, buffer_ + begin_, k);
      begin_ += k;
      done += k;
      continue;
    }
    const ssize_t r = ::read(fd_, buffer_, sizeof buffer_);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) break;  // end of file or a read error: a short read
    begin_ = 0;
    end_ = static_cast<std::size_t>(r);
  }
  return done;
}

bool TFileReadStream::Seek(uint64_t offset) {
  if (offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) return false;
  if (::lseek(fd_, static_cast<off_t>(offset), SEEK_SET) < 0) return false;
  begin_ = end_ = 0;
  return true;
}

// ================================================================ typed items

namespace {

void PutLe32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
void PutLe64(unsigned char* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
uint32_t GetLe32(const unsigned char* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}
uint64_t GetLe64(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

bool WriteBytes(TStream& s, const void* p, std::size_t n) { return s.Write(p, n) == n; }

// Reads exactly n bytes; sets StreamError accordingly.
bool ReadBytes(TStream& s, void* p, std::size_t n) {
  StreamError = s.Read(p, n) != n;
  return !StreamError;
}

constexpr int kExtBias = 16383;
constexpr int kExtMaxExp = 0x7FFF;
constexpr uint64_t kExtIntegerBit = uint64_t{1} << 63;

}  // namespace

void EncodeExtended(long double value, unsigned char out[10]) {
  uint64_t mant = 0;
  uint32_t exp = 0;
  if (std::isnan(value)) {
    mant = kExtIntegerBit | (kExtIntegerBit >> 1);  // the quiet NaN
    exp = kExtMaxExp;
  } else if (std::isinf(value)) {
    mant = kExtIntegerBit;
    exp = kExtMaxExp;
  } else if (value != 0) {
    const long double a = std::fabs(value);
    int e = 0;
    const long double f = std::frexp(a, &e);  // a = f * 2^e, 0.5 <= f < 1
    long biased = static_cast<long>(e) - 1 + kExtBias;
    if (biased <= 0) {
      // Too small for a normal number: a denormal, mant x 2^(1 - bias - 63).
      const long double m = std::nearbyint(std::ldexp(a, kExtBias - 1 + 63));
      mant = static_cast<uint64_t>(m);
      exp = 0;
      if (mant & kExtIntegerBit) exp = 1;  // rounded up into the normal range
    } else {
      // f x 2^64 is the significand with its integer bit on top; with a
      // 64-bit long double it is exact, wider types are rounded here.
      long double m = std::nearbyint(std::ldexp(f, 64));
      if (m >= std::ldexp(1.0L, 64)) {
        m = std::ldexp(1.0L, 63);
        ++biased;
      }
      mant = static_cast<uint64_t>(m);
      exp = static_cast<uint32_t>(biased);
      if (biased >= kExtMaxExp) {  // beyond the 80-bit range
        mant = kExtIntegerBit;
        exp = kExtMaxExp;
      }
    }
  }
  if (std::signbit(value)) exp |= 0x8000;
  PutLe64(out, mant);
  out[8] = static_cast<unsigned char>(exp);
  out[9] = static_cast<unsigned char>(exp >> 8);
}

long double DecodeExtended(const unsigned char in[10]) {
  const uint64_t mant = GetLe64(in);
  const uint32_t se = static_cast<uint32_t>(in[8]) | (static_cast<uint32_t>(in[9]) << 8);
  const bool negative = (se & 0x8000) != 0;
  const int exp = static_cast<int>(se & 0x7FFF);
  long double v;
  if (exp == kExtMaxExp) {
    // Infinity when the fraction bits are clear, NaN otherwise (the
    // integer bit is not looked at: pseudo-forms decode like the real ones).
    v = (mant & ~kExtIntegerBit) == 0 ? std::numeric_limits<long double>::infinity()
                                      : std::numeric_limits<long double>::quiet_NaN();
  } else if (exp == 0) {
    // Zero and denormals: mant x 2^(1 - bias - 63).
    v = std::ldexp(static_cast<long double>(mant), 1 - kExtBias - 63);
  } else {
    // Normal numbers; a cleared integer bit (an "unnormal") simply gives
    // the smaller value the bits describe.
    v = std::ldexp(static_cast<long double>(mant), exp - kExtBias - 63);
  }
  return negative ? -v : v;
}

bool WriteInt(TStream& s, int32_t value) {
  unsigned char b[4];
  PutLe32(b, static_cast<uint32_t>(value));
  return WriteBytes(s, b, 4);
}

bool WriteBool(TStream& s, bool value) {
  const unsigned char b = value ? 1 : 0;
  return WriteBytes(s, &b, 1);
}

bool WriteCurrency(TStream& s, double value) {
  unsigned char b[8];
  const int64_t fixed = RoundEven64(static_cast<long double>(value) * 10000.0L);
  PutLe64(b, static_cast<uint64_t>(fixed));
  return WriteBytes(s, b, 8);
}

bool WriteExtended(TStream& s, long double value) {
  unsigned char b[10];
  EncodeExtended(value, b);
  return WriteBytes(s, b, 10);
}

bool WriteStr(TStream& s, std::string_view text) {
  // The count includes the terminating 0. A text that could not be read
  // back (an embedded 0 or one too long for the count) is cut there.
  const std::size_t zero = text.find('\0');
  if (zero != std::string_view::npos) text = text.substr(0, zero);
  if (text.size() > static_cast<std::size_t>(INT32_MAX) - 1) return false;
  if (!WriteInt(s, static_cast<int32_t>(text.size() + 1))) return false;
  if (!WriteBytes(s, text.data(), text.size())) return false;
  const char nul = 0;
  return WriteBytes(s, &nul, 1);
}

int32_t ReadInt(TStream& s) {
  unsigned char b[4] = {};
  if (!ReadBytes(s, b, 4)) return 0;
  return static_cast<int32_t>(GetLe32(b));
}

bool ReadBool(TStream& s) {
  unsigned char b = 0;
  if (!ReadBytes(s, &b, 1)) return false;
  return b != 0;
}

double ReadCurrency(TStream& s) {
  unsigned char b[8] = {};
  if (!ReadBytes(s, b, 8)) return 0.0;
  const auto fixed = static_cast<int64_t>(GetLe64(b));
  return static_cast<double>(static_cast<long double>(fixed) / 10000.0L);
}

long double ReadExtended(TStream& s) {
  unsigned char b[10] = {};
  if (!ReadBytes(s, b, 10)) return 0.0L;
  return DecodeExtended(b);
}

AnsiString ReadStr(TStream& s) {
  StreamError = true;
  unsigned char countBytes[4];
  if (s.Read(countBytes, 4) != 4) return {};
  const auto n = static_cast<int32_t>(GetLe32(countBytes));
  if (n == 0) {
    StreamError = false;
    return {};
  }
  // A count the writer can never produce: refuse it before reading on.
  if (n < 0 || n > kMaxStrBytes) return {};
  char buffer[kMaxStrBytes];
  if (s.Read(buffer, static_cast<std::size_t>(n)) != static_cast<std::size_t>(n)) return {};
  StreamError = false;
  const void* zero = std::memchr(buffer, 0, static_cast<std::size_t>(n));
  const std::size_t len =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer)
           : static_cast<std::size_t>(n);
  return AnsiString(buffer, len);
}

// ================================================================ header

namespace {

std::string_view TrimBlanks(std::string_view t) {
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ') t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ') t.remove_suffix(1);
  return t;
}

std::string UpperAscii(std::string_view t) {
  std::string r(t);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

// A decimal integer with optional leading blanks and sign; 0 when the text
// is anything else.
int32_t DecimalOrZero(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return 0;
  int32_t v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');  // at most four characters: no overflow
  }
  return negative ? -v : v;
}

}  // namespace

bool WriteFileHeader(TStream& s, std::string_view ext) {
  unsigned char h[kFileHeaderSize];
  std::memcpy(h, kFileMagic, 8);
  std::memset(h + 8, ' ', 8);
  const std::string upper = UpperAscii(ext.substr(0, 4));
  std::memcpy(h + 12, upper.data(), upper.size());
  PutLe32(h + 8, static_cast<uint32_t>(kCurrentFileVersion));
  return WriteBytes(s, h, kFileHeaderSize);
}

bool ReadFileHeader(TStream& s, TFileHeader& header) {
  unsigned char h[kFileHeaderSize];
  if (s.Read(h, kFileHeaderSize) != kFileHeaderSize) return false;
  std::memcpy(header.Magic, h, 8);
  header.Version = static_cast<int32_t>(GetLe32(h + 8));
  std::memcpy(header.Ext, h + 12, 4);
  return true;
}

bool CheckFileHeader(TStream& s, std::string_view ext, int32_t& version) {
  char h[kFileHeaderSize];
  if (s.Read(h, kFileHeaderSize) != kFileHeaderSize) return false;
  const std::string_view bytes(h, kFileHeaderSize);
  if (TrimBlanks(bytes.substr(0, 8)) != kFileMagic) return false;
  if (TrimBlanks(bytes.substr(12, 3)) != UpperAscii(ext)) return false;
  version = static_cast<uint16_t>(DecimalOrZero(bytes.substr(8, 4)));
  return true;
}

// ================================================================ record

bool ClassTableReadable(const TBasicInfo& info) {
  if (!std::isfinite(info.ClassWidth)) return false;
  if (info.ClassWidthHundredths() <= 0) return false;
  return info.HistogramCountRaw() <= kMaxHistogramRows;
}

bool SaveMainData(TStream& s, const TMainData& data) {
  if (!WriteFileHeader(s, kFileExt)) return false;
  const TBasicInfo& b = data.BasicInfo;
  if (!(WriteInt(s, b.Getsudo) && WriteStr(s, b.Kojo) && WriteStr(s, b.Tanto) &&
        WriteStr(s, b.Biko) && WriteExtended(s, b.ClassWidth) && WriteInt(s, b.KariAveX) &&
        WriteInt(s, b.Kyoyo) && WriteCurrency(s, b.Kyodo) && WriteCurrency(s, b.Kotsuzai) &&
        WriteCurrency(s, b.Air) && WriteCurrency(s, b.AirKyoyo) &&
        WriteStr(s, b.Cement.Name) && WriteStr(s, b.Cement.Mark)))
    return false;

  if (!WriteInt(s, data.SlumpList.Count())) return false;
  for (const TSlump& day : data.SlumpList) {
    if (!(WriteInt(s, day.Day) && WriteInt(s, day.SokuteiList.Count()))) return false;
    for (const TSokutei& m : day.SokuteiList)
      if (!(WriteInt(s, m.Value) && WriteBool(s, m.Judge))) return false;
  }

  if (!WriteInt(s, data.HistogramList.Count())) return false;
  for (const THistogram& h : data.HistogramList)
    if (!(WriteInt(s, h.Lower) && WriteInt(s, h.Upper) && WriteInt(s, h.Center) &&
          WriteInt(s, h.U) && WriteInt(s, h.F)))
      return false;

  const TCalcedResult& r = data.CalcedResult;
  return WriteInt(s, r.SumF) && WriteInt(s, r.SumUF) && WriteInt(s, r.SumU2F) &&
         WriteInt(s, r.AveX) && WriteExtended(s, r.Hensa) && WriteInt(s, b.StartDay) &&
         WriteInt(s, b.EndDay);
}

std::string MainDataBytes(const TMainData& data) {
  TMemoryStream s;
  SaveMainData(s, data);  // a memory stream without a limit takes everything
  return s.TakeData();
}

bool SaveToFile(const std::string& path, const TMainData& data) {
  return WriteFileAtomically(path, MainDataBytes(data));
}

namespace {

// One typed read straight into its field; false once StreamError is set.
bool ReadInto(TStream& s, int32_t& v) {
  const int32_t x = ReadInt(s);
  if (StreamError) return false;
  v = x;
  return true;
}
bool ReadInto(TStream& s, bool& v) {
  const bool x = ReadBool(s);
  if (StreamError) return false;
  v = x;
  return true;
}
bool ReadInto(TStream& s, double& v) {
  const double x = ReadCurrency(s);
  if (StreamError) return false;
  v = x;
  return true;
}
bool ReadInto(TStream& s, long double& v) {
  const long double x = ReadExtended(s);
  if (StreamError) return false;
  v = x;
  return true;
}
bool ReadInto(TStream& s, AnsiString& v) {
  AnsiString x = ReadStr(s);
  if (StreamError) return false;
  v = std::move(x);
  return true;
}

}  // namespace

bool ReadMainData(TStream& s, TMainData& data) {
  TBasicInfo& b = data.BasicInfo;
  if (!(ReadInto(s, b.Getsudo) && ReadInto(s, b.Kojo) && ReadInto(s, b.Tanto) &&
        ReadInto(s, b.Biko) && ReadInto(s, b.ClassWidth) && ReadInto(s, b.KariAveX) &&
        ReadInto(s, b.Kyoyo) && ReadInto(s, b.Kyodo) && ReadInto(s, b.Kotsuzai) &&
        ReadInto(s, b.Air) && ReadInto(s, b.AirKyoyo) && ReadInto(s, b.Cement.Name) &&
        ReadInto(s, b.Cement.Mark)))
    return false;

  // The class table follows from the tolerance and width just read; refuse
  // a width that divides by zero or a table no sane file carries before
  // anything is built from it.
  if (!ClassTableReadable(b)) return false;
  data.MakeSlumpList();
  data.MakeHistogramList();

  int32_t days = 0;
  if (!ReadInto(s, days) || days != data.SlumpList.Count()) return false;
  for (TSlump& day : data.SlumpList) {
    int32_t count = 0;
    if (!ReadInto(s, day.Day) || !ReadInto(s, count) || count != 2) return false;
    for (TSokutei& m : day.SokuteiList)
      if (!(ReadInto(s, m.Value) && ReadInto(s, m.Judge))) return false;
  }

  int32_t rows = 0;
  if (!ReadInto(s, rows) || rows != data.HistogramList.Count()) return false;
  for (THistogram& h : data.HistogramList)
    if (!(ReadInto(s, h.Lower) && ReadInto(s, h.Upper) && ReadInto(s, h.Center) &&
          ReadInto(s, h.U) && ReadInto(s, h.F)))
      return false;

  TCalcedResult& r = data.CalcedResult;
  return ReadInto(s, r.SumF) && ReadInto(s, r.SumUF) && ReadInto(s, r.SumU2F) &&
         ReadInto(s, r.AveX) && ReadInto(s, r.Hensa) && ReadInto(s, b.StartDay) &&
         ReadInto(s, b.EndDay);
}

namespace {
constexpr std::size_t kOldMaxEntries = 50;
constexpr std::size_t kOldEntrySize = 20;
constexpr std::size_t kOldEntriesOffset = 16;
constexpr std::size_t kOldClassWidthOffset = 1016;
}  // namespace

bool ConvertOldData(TMainData& data, const unsigned char* block) {
  data.ClearLists();
  TBasicInfo& b = data.BasicInfo;
  b.Getsudo = static_cast<int32_t>(GetLe32(block + 0));
  b.KariAveX = static_cast<int32_t>(GetLe32(block + 4));
  b.Kyoyo = static_cast<int32_t>(GetLe32(block + 8));
  const auto entries = static_cast<int32_t>(GetLe32(block + 12));
  b.ClassWidth = DecodeExtended(block + kOldClassWidthOffset);

  // The record has room for 50 entries; any other count is damage.
  if (entries < 0 || entries > static_cast<int32_t>(kOldMaxEntries)) return false;
  if (!ClassTableReadable(b)) return false;
  data.MakeSlumpList();
  data.MakeHistogramList();

  for (int32_t k = 0; k < entries; ++k) {
    const unsigned char* e = block + kOldEntriesOffset + kOldEntrySize * static_cast<std::size_t>(k);
    const auto day = static_cast<int32_t>(GetLe32(e + 0));
    for (TSlump& slump : data.SlumpList) {
      if (slump.Day != day) continue;
      TSokutei& am = slump.SokuteiList.Items(0);
      TSokutei& pm = slump.SokuteiList.Items(1);
      am.Value = static_cast<int32_t>(GetLe32(e + 4));
      pm.Value = static_cast<int32_t>(GetLe32(e + 8));
      am.Judge = static_cast<int32_t>(GetLe32(e + 12)) == 1;
      pm.Judge = static_cast<int32_t>(GetLe32(e + 16)) == 1;
      break;
    }
  }
  data.CalcHistogram();
  return true;
}

bool LoadFromStream(TStream& s, TMainData& data, TFileHeader* header) {
  int32_t version = 0;
  CheckFileHeader(s, kFileExt, version);
  if (version != kOldFileVersion) {
    // Everything but a text-form version-100 header is read as the current
    // layout, whatever its binary magic and version say.
    TFileHeader h;
    if (!s.Seek(0) || !ReadFileHeader(s, h)) return false;
    if (header) *header = h;
    version = h.Version;
  }
  data.ClearLists();
  if (version == kOldFileVersion) {
    unsigned char block[kOldDataSize];
    if (s.Read(block, kOldDataSize) != kOldDataSize) return false;
    return ConvertOldData(data, block);
  }
  return ReadMainData(s, data);
}

bool LoadFromFile(const std::string& path, TMainData& data, TFileHeader* header) {
  auto stream = TFileReadStream::Open(path);
  if (!stream) return false;
  return LoadFromStream(*stream, data, header);
}

// ================================================================ files

namespace {

mode_t CurrentUmask() {
  // Reading the mask from /proc leaves it untouched for other threads.
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  const mode_t m = ::umask(022);
  ::umask(m);
  return m;
}

bool WriteAll(int fd, const char* p, std::size_t n) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;  // disk full, file-size limit, I/O error
    p += w;
    n -= static_cast<std::size_t>(w);
  }
  return true;
}

void SyncFolder(const std::string& dir) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // some file systems refuse this; the rename has happened
  ::close(fd);
}

}  // namespace

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

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  IgnoreFileSizeSignal();
  if (path.empty()) return false;

  // Write through a symbolic link to the file it names, so the link stays.
  std::string target = path;
  struct stat st;
  bool found = ::lstat(path.c_str(), &st) == 0;
  if (found && S_ISLNK(st.st_mode)) {
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
    found = ::stat(target.c_str(), &st) == 0;
  }

  bool replacing = false;
  mode_t mode = 0;
  if (found) {
    if (!S_ISREG(st.st_mode)) return false;  // a folder or device is never replaced
    replacing = true;
    mode = st.st_mode & 07777;
  } else {
    mode = 0666 & ~CurrentUmask();
  }

  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
  if (name.empty()) return false;

  // A hidden name beside the target; long names are shortened to stay
  // within the file-name limit.
  std::string tmp = (dir == "/" ? std::string() : dir) + "/." + name.substr(0, 200) + ".XXXXXX";
  const int fd = ::mkostemp(tmp.data(), O_CLOEXEC);
  if (fd < 0) return false;

  bool ok = ::fchmod(fd, mode) == 0;
  if (ok && replacing && (st.st_uid != ::geteuid() || st.st_gid != ::getegid())) {
    // Keep the owner and group where we may; failing that the file is ours.
    [[maybe_unused]] int ignored = ::fchown(fd, st.st_uid, st.st_gid);
  }
  ok = ok && WriteAll(fd, bytes.data(), bytes.size());
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  ok = ok && ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return false;
  }
  SyncFolder(dir);
  return true;
}

}  // namespace kestrin
