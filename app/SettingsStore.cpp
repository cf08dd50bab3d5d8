#include "SettingsStore.h"

#include "core/Settings.h"

namespace kestrin {

TIniFile TExeSettingsStore::Load() const {
  TIniFile ini;
  ini.Load(SettingsPathForRead(exePath_));
  return ini;
}

TFileResult TExeSettingsStore::Save(const TIniFile& ini) {
  const std::string path = SettingsPathForWrite(exePath_);
  if (path.empty()) return TFileResult::Failure({}, kNoSafeSettingsPlace);
  return ini.Save(path);
}

std::string TExeSettingsStore::WritePath() const { return SettingsPathForWrite(exePath_); }

TIniFile TFileSettingsStore::Load() const {
  TIniFile ini;
  ini.Load(path_);
  return ini;
}

TFileResult TFileSettingsStore::Save(const TIniFile& ini) { return ini.Save(path_); }

}  // namespace kestrin
