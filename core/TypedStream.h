// Byte streams and the typed items of the data file written and read on
// them: 32-bit integers, booleans, fixed-point currency, 80-bit extended
// reals and counted texts. All integers are little-endian; texts are CP932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "Cp932.h"

namespace kestrin {

struct TFileResult;

// ---------------------------------------------------------------- streams

// A byte stream the typed reads and writes work on. Files and memory
// buffers (tests, the fuzzer, the save path) implement it. The stream also
// keeps the state of the typed items done on it: whether the last typed
// read failed, and the item a reader or writer stopped at.
class TStream {
 public:
  virtual ~TStream() = default;
  // Reads up to n bytes; returns how many were delivered (fewer at the end
  // of the data or on an error).
  virtual std::size_t Read(void* buffer, std::size_t n) = 0;
  // Writes n bytes; returns how many were accepted.
  virtual std::size_t Write(const void* buffer, std::size_t n) = 0;
  // Moves to an absolute offset. False when the stream cannot.
  virtual bool Seek(uint64_t offset) = 0;
  // The errno of a read that failed (0 when the data simply ended).
  virtual int SystemError() const { return 0; }

  // Every typed read sets this: true when the stream delivered fewer bytes
  // than asked (or ReadStr met a count it refuses), false otherwise.
  bool ReadFailed() const { return readFailed_; }
  void SetReadFailed(bool failed) { readFailed_ = failed; }
  // What a reader or writer stopped at, for the failure message (Japanese;
  // empty while nothing failed).
  const std::string& FailedItem() const { return failedItem_; }
  void SetFailedItem(std::string item) { failedItem_ = std::move(item); }

 private:
  bool readFailed_ = false;
  std::string failedItem_;
};

// A stream over a byte string in memory. Writing overwrites or extends at
// the current position; an optional limit makes writes short beyond it.
class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string data) : data_(std::move(data)) {}

  std::size_t Read(void* buffer, std::size_t n) override;
  std::size_t Write(const void* buffer, std::size_t n) override;
  bool Seek(uint64_t offset) override;

  const std::string& Data() const { return data_; }
  std::string TakeData() { return std::move(data_); }
  std::size_t Position() const { return pos_; }
  // Writes accept bytes only up to this total size (a full disk, in tests).
  void SetWriteLimit(std::size_t limit) { writeLimit_ = limit; }

 private:
  std::string data_;
  std::size_t pos_ = 0;
  std::size_t writeLimit_ = static_cast<std::size_t>(-1);
};

// A read-only stream over an open file, buffered so that the many small
// typed reads do not each cost a system call.
class TFileReadStream : public TStream {
 public:
  // Opens the file for reading; null when it cannot be opened or is not a
  // regular file, with the reason in `result` when given. A pipe or device
  // is refused at once: the open does not wait for a writer.
  static std::unique_ptr<TFileReadStream> Open(const std::string& path,
                                               TFileResult* result = nullptr);
  ~TFileReadStream() override;
  TFileReadStream(const TFileReadStream&) = delete;
  TFileReadStream& operator=(const TFileReadStream&) = delete;

  std::size_t Read(void* buffer, std::size_t n) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  bool Seek(uint64_t offset) override;
  int SystemError() const override { return error_; }

 private:
  explicit TFileReadStream(int fd) : fd_(fd) {}
  int fd_ = -1;
  int error_ = 0;
  unsigned char buffer_[8192];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

// ---------------------------------------------------------------- typed items

// Longest text ReadStr accepts, terminating 0 included; WriteStr refuses a
// longer one.
inline constexpr int32_t kMaxStrBytes = 1024;

bool WriteInt(TStream& s, int32_t value);
bool WriteBool(TStream& s, bool value);
// Signed 64-bit value x 10000, rounded half to even.
bool WriteCurrency(TStream& s, double value);
// The 10-byte x87 extended form.
bool WriteExtended(TStream& s, long double value);
// 32-bit count (length + 1), the bytes, one terminating 0. The text ends at
// an embedded 0 (a reader would end it there). A text the reader would
// refuse (count above kMaxStrBytes) is not written: false, nothing written.
bool WriteStr(TStream& s, std::string_view text);
// True when WriteStr writes `text` (its part before an embedded 0 fits).
bool StrWritable(std::string_view text);

// Each sets s.ReadFailed(): true when fewer bytes came than asked.
int32_t ReadInt(TStream& s);
bool ReadBool(TStream& s);
double ReadCurrency(TStream& s);
long double ReadExtended(TStream& s);
// Count 0 gives an empty text; a count below 0 or above kMaxStrBytes is a
// failure (nothing more is read); otherwise the text is the bytes before
// the first 0 of the count bytes read.
AnsiString ReadStr(TStream& s);

// The 10-byte form of a long double and back, independent of how the
// compiler lays out long double in memory. Zero, denormals, infinities and
// NaN are kept; a value beyond the 80-bit range becomes an infinity.
void EncodeExtended(long double value, unsigned char out[10]);
long double DecodeExtended(const unsigned char in[10]);

// Little-endian integers in byte buffers.
void PutLe32(unsigned char* p, uint32_t v);
uint32_t GetLe32(const unsigned char* p);

}  // namespace kestrin
