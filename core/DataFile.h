// The ".slt" data file: a 16-byte header, then the current layout
// (version 211, written and read) or the old fixed 1056-byte record
// (version 100, read only). All integers are little-endian; texts are CP932.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "MainData.h"

namespace kestrin {

// ---------------------------------------------------------------- streams

// A byte stream the typed reads and writes work on. Files and memory
// buffers (tests, the fuzzer, the save path) implement it.
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
  // regular file.
  static std::unique_ptr<TFileReadStream> Open(const std::string& path);
  ~TFileReadStream() override;
  TFileReadStream(const TFileReadStream&) = delete;
  TFileReadStream& operator=(const TFileReadStream&) = delete;

  std::size_t Read(void* buffer, std::size_t n) override;
  std::size_t Write(const void*, std::size_t) override { return 0; }
  bool Seek(uint64_t offset) override;

 private:
  explicit TFileReadStream(int fd) : fd_(fd) {}
  int fd_ = -1;
  unsigned char buffer_[8192];
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

// ---------------------------------------------------------------- typed items

// One flag for the whole program: every typed read sets it to true when the
// stream delivered fewer bytes than asked and to false otherwise. ReadStr
// also sets it for a text count the reader refuses. The readers test it
// after each item.
extern bool StreamError;

// Longest text ReadStr accepts, terminating 0 included.
inline constexpr int32_t kMaxStrBytes = 1024;

bool WriteInt(TStream& s, int32_t value);
bool WriteBool(TStream& s, bool value);
// Signed 64-bit value x 10000, rounded half to even.
bool WriteCurrency(TStream& s, double value);
// The 10-byte x87 extended form.
bool WriteExtended(TStream& s, long double value);
// 32-bit count (length + 1), the bytes, one terminating 0.
bool WriteStr(TStream& s, std::string_view text);

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

// ---------------------------------------------------------------- header

inline constexpr int32_t kCurrentFileVersion = 211;
inline constexpr int32_t kOldFileVersion = 100;
inline constexpr std::size_t kFileHeaderSize = 16;
inline constexpr std::size_t kOldDataSize = 1056;
inline constexpr char kFileMagic[] = "SLUMPTES";
inline constexpr char kFileExt[] = "slt";

// The binary header as last read: bytes 0-7, the int32 at 8, bytes 12-15.
struct TFileHeader {
  char Magic[8] = {};
  int32_t Version = 0;
  char Ext[4] = {};
};

// "SLUMPTES", the version 211, the upper-cased extension padded with blanks
// to four bytes; one write of 16 bytes.
bool WriteFileHeader(TStream& s, std::string_view ext);
// Reads 16 bytes into `header`; false when fewer were delivered.
bool ReadFileHeader(TStream& s, TFileHeader& header);
// Reads 16 bytes and checks the text form of the header: the blank-trimmed
// magic and the extension of bytes 12-14. When both match, `version` is the
// decimal number of bytes 8-11 (low 16 bits; 0 when not a number) and the
// result is true. `version` is left alone otherwise.
bool CheckFileHeader(TStream& s, std::string_view ext, int32_t& version);

// ---------------------------------------------------------------- record

// Body items 1-21 of the current layout after the header.
bool SaveMainData(TStream& s, const TMainData& data);
// Header and body into a byte string (what SaveToFile writes).
std::string MainDataBytes(const TMainData& data);

// Writes the record to `path` without ever leaving a damaged file there:
// the bytes go to a temporary file in the same folder, are flushed to
// disk, and the temporary file is renamed over the target. On any failure
// the result is false, the previous file is unchanged and the temporary
// file is removed.
bool SaveToFile(const std::string& path, const TMainData& data);

// Reads the current layout from a stream positioned after the header.
bool ReadMainData(TStream& s, TMainData& data);
// Fills the record from a version-100 block of kOldDataSize bytes.
bool ConvertOldData(TMainData& data, const unsigned char* block);

// The dispatch between the two layouts on an open stream at offset 0.
// `header`, when given, receives the binary header read.
bool LoadFromStream(TStream& s, TMainData& data, TFileHeader* header = nullptr);
// Opens `path` and loads it. The caller resets the record first (ClearLists,
// Clear) and recalculates afterwards, whatever the result.
bool LoadFromFile(const std::string& path, TMainData& data, TFileHeader* header = nullptr);

// True when the header's tolerance and class width give a class table the
// reader accepts: a finite width of at least 0.005 cm (w >= 1) and at most
// kMaxHistogramRows rows. A negative row count (negative tolerance) means
// no rows and is accepted.
bool ClassTableReadable(const TBasicInfo& info);

// ---------------------------------------------------------------- files

// Replaces the contents of `path` with `bytes` by way of a temporary file in
// the same folder (see SaveToFile). A symbolic link is followed so the link
// stays. A new file gets 0666 minus the umask; a replaced file keeps its
// permission bits.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// Makes a write beyond the file-size limit fail with an error instead of
// ending the process (SIGXFSZ is ignored unless a handler is installed).
void IgnoreFileSizeSignal();

}  // namespace kestrin
