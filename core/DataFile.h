// The ".slt" data file: a 16-byte header, then the current layout
// (version 211, written and read) or the old fixed 1056-byte record
// (version 100, read only). The typed items are in TypedStream.h; files are
// written through the safe writer of SafeFile.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "MainData.h"
#include "SafeFile.h"
#include "TypedStream.h"

namespace kestrin {

// ---------------------------------------------------------------- header

inline constexpr int32_t kCurrentFileVersion = 211;
inline constexpr int32_t kOldFileVersion = 100;
inline constexpr std::size_t kFileHeaderSize = 16;
inline constexpr std::size_t kOldDataSize = 1056;
inline constexpr char kFileMagic[] = "SLUMPTES";
inline constexpr char kFileExt[] = "slt";  // the data file's extension, without the dot

// The fixed messages of a failed load or save, the same in the window, the
// command line and the overview; the reason follows them.
inline constexpr char kLoadFailed[] = "ファイルのロードに失敗しました．";
inline constexpr char kSaveFailed[] = "ファイルのセーブに失敗しました．";

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

// The header and body items 1-21 of the current layout. False at the first
// item not written in full, or at a text the reader would refuse (nothing
// of that text is written); s.FailedItem() then names the item.
bool SaveMainData(TStream& s, const TMainData& data);
// Header and body into a byte string; empty when the record cannot be
// written (a text too long for the reader).
std::string MainDataBytes(const TMainData& data);

// Writes the record to `path` through the safe writer (SafeFile.h): the
// previous file stays as it was unless the whole new one is on disk. A
// record holding a text the reader would refuse is not written at all.
TFileResult SaveToFile(const std::string& path, const TMainData& data);

// Reads the current layout from a stream positioned after the header; on
// failure s.FailedItem() names the item.
bool ReadMainData(TStream& s, TMainData& data);
// Fills the record from a version-100 block of kOldDataSize bytes.
bool ConvertOldData(TMainData& data, const unsigned char* block);

// The dispatch between the two layouts on an open stream at offset 0.
// `header`, when given, receives the binary header read. On failure
// s.FailedItem() names what could not be read.
bool LoadFromStream(TStream& s, TMainData& data, TFileHeader* header = nullptr);
// Opens `path` and loads it. The caller resets the record first (ClearLists,
// Clear) and recalculates afterwards, whatever the result. A pipe or device
// is refused at once.
TFileResult LoadFromFile(const std::string& path, TMainData& data, TFileHeader* header = nullptr);

// True when the header's tolerance and class width give a class table the
// reader accepts: a finite width of at least 0.005 cm (w >= 1) and at most
// kMaxHistogramRows rows. A negative row count (negative tolerance) means
// no rows and is accepted.
bool ClassTableReadable(const TBasicInfo& info);

}  // namespace kestrin
