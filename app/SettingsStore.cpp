#include "SettingsStore.h"

#include "core/Settings.h"

namespace kestrin {

namespace {

// Writes `ini` to `path` unless something is there that does not read as a
// settings file: a user's folder or a big file of something else must not
// be replaced by the program's few lines.
bool SaveOver(const TIniFile& ini, const std::string& path) {
  TIniFile there;
  if (there.Load(path).Failed()) return false;
  return ini.Save(path);
}

}  // namespace

TIniLoadResult TExeSettingsStore::Read(TIniFile& ini) const { return ini.Load(SettingsPathForRead(exePath_)); }

bool TExeSettingsStore::Save(const TIniFile& ini) { return SaveOver(ini, SettingsPathForWrite(exePath_)); }

std::string TExeSettingsStore::WritePath() const { return SettingsPathForWrite(exePath_); }

TIniLoadResult TFileSettingsStore::Read(TIniFile& ini) const { return ini.Load(path_); }

bool TFileSettingsStore::Save(const TIniFile& ini) { return SaveOver(ini, path_); }

}  // namespace kestrin
