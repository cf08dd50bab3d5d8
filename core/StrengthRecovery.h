// The recovery copy of the strength log being typed, kept like the month's
// (Recovery.h) in the same state folder under names of its own
// (strength-recovery.kst, .name, .lock): the log in the .kst layout, so
// the strength file reader reads it, and the name of the file it belongs
// to. What is read back is hostile input as there.
#pragma once

#include <cstdint>
#include <string>

#include "Recovery.h"
#include "StrengthLog.h"

namespace kestrin {

// What a strength recovery copy holds.
struct TStrengthRecovered {
  TStrengthLog Log;
  std::string FileName;   // the .kst file it belongs to; empty for none
  int64_t WrittenAt = 0;  // seconds since the epoch, of the copy's file
};

class TStrengthRecoveryFiles : public TRecoveryStore {
 public:
  explicit TStrengthRecoveryFiles(std::string folder);

  std::string LogPath() const { return CopyPath(); }

  // Writes the log; a log that would not read back as itself (a value out
  // of range) is not written and the failure names the field.
  TFileResult Write(const TStrengthLog& log, const std::string& fileName) const;
  // Reads the copy back; a damaged or hostile one is moved aside.
  TFileResult Read(TStrengthRecovered& out) const;
};

}  // namespace kestrin
