#include "StrengthRecovery.h"

#include "StrengthFile.h"

namespace kestrin {

TStrengthRecoveryFiles::TStrengthRecoveryFiles(std::string folder)
    : TRecoveryStore(std::move(folder), "strength-recovery", kStrengthFileExt,
                     static_cast<int64_t>(kMaxStrengthFileBytes)) {}

TFileResult TStrengthRecoveryFiles::Write(const TStrengthLog& log, const std::string& fileName) const {
  const std::string text = StrengthLogText(log);
  // A copy the reader refuses would be moved aside as damaged: such a log
  // is not written (the window's entry keeps every value in range).
  TStrengthLog back;
  if (const TStrengthReadResult r = StrengthLogFromText(text, back); !r)
    return TFileResult::Failure(LogPath(), r.Field.empty() ? r.Reason : r.Field + ": " + r.Reason);
  if (!(back == log)) return TFileResult::Failure(LogPath(), "書き戻せない文字または値があります");
  return WriteCopy(text, fileName);
}

TFileResult TStrengthRecoveryFiles::Read(TStrengthRecovered& out) const {
  return ReadCopy(
      [&out](const std::string& path) {
        TStrengthLog log;
        if (const TStrengthReadResult r = LoadStrengthFile(path, log); !r)
          return TFileResult::Failure(path, r.Field.empty() ? r.Reason : r.Field + ": " + r.Reason);
        out.Log = std::move(log);
        return TFileResult::Success();
      },
      out.FileName, out.WrittenAt);
}

}  // namespace kestrin
