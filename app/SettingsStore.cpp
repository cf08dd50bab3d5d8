#include "SettingsStore.h"

#include "core/Settings.h"

namespace kestrin {

namespace {

// Writes `ini` to `path` unless something is there that does not read as a
// settings file: a user's folder or a big file of something else must not
// be replaced by the program's few lines.
TFileResult SaveOver(const TIniFile& ini, const std::string& path) {
  TIniFile there;
  if (const TIniLoadResult read = there.Load(path); read.Failed())
    return TFileResult::Failure(path, kSettingsNotReplaced, read.Errno);
  return ini.Save(path);
}

}  // namespace

TIniLoadResult TExeSettingsStore::Read(TIniFile& ini) const { return ini.Load(SettingsPathForRead(exePath_)); }

TFileResult TExeSettingsStore::Save(const TIniFile& ini) {
  const std::string path = SettingsPathForWrite(exePath_);
  if (path.empty()) return TFileResult::Failure({}, kNoSafeSettingsPlace);
  return SaveOver(ini, path);
}

std::string TExeSettingsStore::WritePath() const { return SettingsPathForWrite(exePath_); }

TIniLoadResult TFileSettingsStore::Read(TIniFile& ini) const { return ini.Load(path_); }

TFileResult TFileSettingsStore::Save(const TIniFile& ini) { return SaveOver(ini, path_); }

}  // namespace kestrin
