#include "TypedStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>

#include "Numbers.h"
#include "SafeFile.h"
#include "ShownText.h"

namespace kestrin {

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

std::unique_ptr<TFileReadStream> TFileReadStream::Open(const std::string& path,
                                                      TFileResult* result) {
  auto fail = [&](const char* step, int error) -> std::unique_ptr<TFileReadStream> {
    if (result) *result = TFileResult::Failure(path, step, error);
    return nullptr;
  };
  // Not blocking in open: a pipe without a writer (or some devices) would
  // hold the program there before the check below could refuse it.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return fail("開けません", errno);
  struct stat st {};
  // Only regular files: a folder cannot be read and a pipe or device could
  // block the program or never end.
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const int error = S_ISDIR(st.st_mode) ? EISDIR : 0;
    ::close(fd);
    fail("通常のファイルではありません", error);
    // Say what is there: a pipe or a device, not only a folder.
    if (result && error == 0 && st.st_mode != 0) result->SystemError = FileTypeText(st.st_mode);
    return nullptr;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  if (result) *result = TFileResult::Success();
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
    if (r < 0) error_ = errno;
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

void PutLe64(unsigned char* p, uint64_t v) {
  for (int i = 0; i < 8; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}
uint64_t GetLe64(const unsigned char* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

bool WriteBytes(TStream& s, const void* p, std::size_t n) { return s.Write(p, n) == n; }

// Reads exactly n bytes; sets the stream's read state accordingly.
bool ReadBytes(TStream& s, void* p, std::size_t n) {
  s.SetReadFailed(s.Read(p, n) != n);
  return !s.ReadFailed();
}

constexpr int kExtBias = 16383;
constexpr int kExtMaxExp = 0x7FFF;
constexpr uint64_t kExtIntegerBit = uint64_t{1} << 63;

}  // namespace

void PutLe32(unsigned char* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<unsigned char>(v >> (8 * i));
}

uint32_t GetLe32(const unsigned char* p) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | p[i];
  return v;
}

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

namespace {

// The part of a text a reader gets back: up to an embedded 0.
std::string_view StoredPart(std::string_view text) {
  const std::size_t zero = text.find('\0');
  return zero == std::string_view::npos ? text : text.substr(0, zero);
}

}  // namespace

bool StrWritable(std::string_view text) {
  return StoredPart(text).size() < static_cast<std::size_t>(kMaxStrBytes);
}

bool WriteStr(TStream& s, std::string_view text) {
  // The count includes the terminating 0. A text with an embedded 0 is cut
  // there; one the reader would refuse for its length is not written.
  text = StoredPart(text);
  if (!StrWritable(text)) return false;
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
  s.SetReadFailed(true);
  unsigned char countBytes[4];
  if (s.Read(countBytes, 4) != 4) return {};
  const auto n = static_cast<int32_t>(GetLe32(countBytes));
  if (n == 0) {
    s.SetReadFailed(false);
    return {};
  }
  // A count the writer can never produce: refuse it before reading on.
  if (n < 0 || n > kMaxStrBytes) return {};
  char buffer[kMaxStrBytes];
  if (s.Read(buffer, static_cast<std::size_t>(n)) != static_cast<std::size_t>(n)) return {};
  s.SetReadFailed(false);
  const void* zero = std::memchr(buffer, 0, static_cast<std::size_t>(n));
  const std::size_t len =
      zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - buffer)
           : static_cast<std::size_t>(n);
  return AnsiString(buffer, len);
}

}  // namespace kestrin
