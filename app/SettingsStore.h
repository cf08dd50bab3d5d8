// Where the settings file is read from and written to. The program uses the
// file of its executable (core/Settings.h: beside it when that folder can
// be written, else under ~/.config/kestrin); tests give a file of their own.
#pragma once

#include <string>

#include "core/SettingsIni.h"

namespace kestrin {

class TSettingsStore {
 public:
  virtual ~TSettingsStore() = default;
  // The file as it is now; a missing or unreadable file gives an empty
  // document.
  virtual TIniFile Load() const = 0;
  // Replaces the file with `ini`; the failure says why it could not.
  virtual TFileResult Save(const TIniFile& ini) = 0;
  // The file written to, for messages; empty when the settings have no
  // safe place and live in memory only.
  virtual std::string WritePath() const = 0;
};

// The settings file of the executable at `exePath`.
class TExeSettingsStore : public TSettingsStore {
 public:
  explicit TExeSettingsStore(std::string exePath) : exePath_(std::move(exePath)) {}
  TIniFile Load() const override;
  TFileResult Save(const TIniFile& ini) override;
  std::string WritePath() const override;

 private:
  std::string exePath_;
};

// One file for reading and writing.
class TFileSettingsStore : public TSettingsStore {
 public:
  explicit TFileSettingsStore(std::string path) : path_(std::move(path)) {}
  TIniFile Load() const override;
  TFileResult Save(const TIniFile& ini) override;
  std::string WritePath() const override { return path_; }

 private:
  std::string path_;
};

}  // namespace kestrin
