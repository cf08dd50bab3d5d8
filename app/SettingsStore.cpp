#include "SettingsStore.h"

#include "core/Settings.h"

namespace kestrin {

TIniFile TExeSettingsStore::Load() const {
  TIniFile ini;
  ini.Load(SettingsPathForRead(exePath_));
  return ini;
}

bool TExeSettingsStore::Save(const TIniFile& ini) { return ini.Save(SettingsPathForWrite(exePath_)); }

std::string TExeSettingsStore::WritePath() const { return SettingsPathForWrite(exePath_); }

TIniFile TFileSettingsStore::Load() const {
  TIniFile ini;
  ini.Load(path_);
  return ini;
}

bool TFileSettingsStore::Save(const TIniFile& ini) { return ini.Save(path_); }

}  // namespace kestrin
