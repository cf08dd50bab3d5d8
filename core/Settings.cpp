#include "Settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace kestrin {

namespace {

bool IsFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The folder path as the settings file holds it: CP932 where the path can
// be written so, the bytes as they are otherwise.
AnsiString FolderToFile(const std::string& path) {
  if (auto cp932 = Utf8ToCp932(path)) return *cp932;
  return path;
}

std::string FolderFromFile(const AnsiString& stored) {
  auto utf8 = Cp932ToUtf8(stored);
  if (!utf8) return stored;
  // A path that was not CP932-encodable was written as its own bytes; when
  // only that reading names a folder, take it.
  if (*utf8 != stored && !IsFolder(*utf8) && IsFolder(stored)) return stored;
  return *utf8;
}

// The user's home folder; empty when neither HOME nor the user database
// names one (never a shared folder in its place).
std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  if (const passwd* pw = ::getpwuid(::getuid()); pw && pw->pw_dir && *pw->pw_dir) return pw->pw_dir;
  return {};
}

// The longest leading part of `path` that exists, and the rest.
std::pair<std::string, std::string> SplitExisting(const std::string& path) {
  std::string head = path;
  while (head.size() > 1) {
    struct stat st;
    if (::stat(head.c_str(), &st) == 0) break;
    head = FolderOf(head);
  }
  return {head, path.substr(std::min(path.size(), head.size()))};
}

// The Signals section; a length outside its range reads as its default.
void ReadSignalSettings(const TIniFile& ini, TSettings& s) {
  s.RunLength = LengthOrDefault(ini.ReadInteger(kSectionSignals, "RunLength", kDefaultRunLength),
                                kMinRunLength, kMaxRunLength, kDefaultRunLength);
  s.TrendLength = LengthOrDefault(ini.ReadInteger(kSectionSignals, "TrendLength", kDefaultTrendLength),
                                  kMinTrendLength, kMaxTrendLength, kDefaultTrendLength);
}

void WriteSignalSettings(TIniFile& ini, const TSettings& s) {
  ini.WriteInteger(kSectionSignals, "RunLength", s.RunLength);
  ini.WriteInteger(kSectionSignals, "TrendLength", s.TrendLength);
}

std::string RuleKey(std::size_t index) { return "Rule" + std::to_string(index + 1); }

// The ControlRules section; a rule that is neither 0 nor 1 keeps its
// default, and so does a ReferenceMonths outside its range.
void ReadControlRuleSettings(const TIniFile& ini, TSettings& s) {
  const TControlRuleSet defaults;
  for (std::size_t i = 0; i < defaults.On.size(); ++i) {
    const int32_t v = ini.ReadInteger(kSectionControlRules, RuleKey(i), -1);
    s.ControlRules.On[i] = v == 0 || v == 1 ? v == 1 : defaults.On[i];
  }
  s.ReferenceMonths =
      LengthOrDefault(ini.ReadInteger(kSectionControlRules, "ReferenceMonths", 0), 0, kMaxReferenceMonths, 0);
}

void WriteControlRuleSettings(TIniFile& ini, const TSettings& s) {
  for (std::size_t i = 0; i < s.ControlRules.On.size(); ++i)
    ini.WriteInteger(kSectionControlRules, RuleKey(i), s.ControlRules.On[i] ? 1 : 0);
  ini.WriteInteger(kSectionControlRules, "ReferenceMonths",
                   LengthOrDefault(s.ReferenceMonths, 0, kMaxReferenceMonths, 0));
}

}  // namespace

TSettings::TSettings()
    : InkanTitle1(Sjis("工場長")), InkanTitle2(Sjis("部長")), InkanTitle3(Sjis("係")) {}

TSettings ReadSettings(const TIniFile& ini) {
  TSettings s;
  if (auto dir = ini.Find(kSectionFile, "LastDataDir")) s.LastDataDir = FolderFromFile(*dir);
  s.CompanyName = ini.ReadString(kSectionInfo, "CompanyName", s.CompanyName);
  s.TantoName = ini.ReadString(kSectionInfo, "TantoName", s.TantoName);
  for (int i = 0; i < kKojoNameCount; ++i)
    s.KojoNames[i] = ini.ReadString(kSectionInfo, "KojoName" + std::to_string(i), {});
  s.InkanTitle1 = ini.ReadString(kSectionInfo, "InkanTitle1", s.InkanTitle1);
  s.InkanTitle2 = ini.ReadString(kSectionInfo, "InkanTitle2", s.InkanTitle2);
  s.InkanTitle3 = ini.ReadString(kSectionInfo, "InkanTitle3", s.InkanTitle3);
  s.DispNullData = ini.ReadInteger(kSectionInfo, "DispNullData", s.DispNullData);
  s.DrawHistNoRange = ini.ReadBool(kSectionInfo, "DrawHistNoRange", s.DrawHistNoRange);
  s.DrawXChartNoRange = ini.ReadBool(kSectionInfo, "DrawXChartNoRange", s.DrawXChartNoRange);
  ReadSignalSettings(ini, s);
  ReadControlRuleSettings(ini, s);
  return s;
}

void WriteSettings(TIniFile& ini, const TSettings& s) {
  ini.WriteString(kSectionFile, "LastDataDir", FolderToFile(s.LastDataDir));
  ini.WriteString(kSectionInfo, "CompanyName", s.CompanyName);
  ini.WriteString(kSectionInfo, "TantoName", s.TantoName);
  for (int i = 0; i < kKojoNameCount; ++i)
    ini.WriteString(kSectionInfo, "KojoName" + std::to_string(i), s.KojoNames[i]);
  ini.WriteString(kSectionInfo, "InkanTitle1", s.InkanTitle1);
  ini.WriteString(kSectionInfo, "InkanTitle2", s.InkanTitle2);
  ini.WriteString(kSectionInfo, "InkanTitle3", s.InkanTitle3);
  ini.WriteInteger(kSectionInfo, "DispNullData", s.DispNullData);
  ini.WriteBool(kSectionInfo, "DrawHistNoRange", s.DrawHistNoRange);
  ini.WriteBool(kSectionInfo, "DrawXChartNoRange", s.DrawXChartNoRange);
  WriteSignalSettings(ini, s);
  WriteControlRuleSettings(ini, s);
}

TSettings LoadSettingsFile(const std::string& path, TIniLoadResult* result) {
  TIniFile ini;
  const TIniLoadResult r = ini.Load(path);
  if (result) *result = r;
  return ReadSettings(ini);
}

TFileResult SaveSettingsFile(const std::string& path, const TSettings& settings) {
  TIniFile ini;
  // Keep what is there (window placement, other keys); what cannot be read
  // as a settings file is not replaced.
  if (const TIniLoadResult read = ini.Load(path); read.Failed())
    return TFileResult::Failure(path, kSettingsNotReplaced, read.Errno);
  WriteSettings(ini, settings);
  return ini.Save(path);
}

namespace {

// A NUL byte would end the text in the data file; what follows it is dropped
// here rather than there.
AnsiString RecordText(std::string_view text, std::size_t maxBytes) {
  return TruncateCp932(text.substr(0, text.find('\0')), maxBytes);
}

}  // namespace

AnsiString DefaultTanto(const TSettings& settings) { return RecordText(settings.TantoName, kTantoMaxBytes); }

AnsiString KojoChoice(const TSettings& settings, int index) {
  if (index < 0 || index >= kKojoNameCount) return {};
  return RecordText(settings.KojoNames[static_cast<std::size_t>(index)], kKojoMaxBytes);
}

void RememberDataFolder(TSettings& settings, const std::string& dataFileName) {
  if (dataFileName.empty() || !IsFile(dataFileName)) return;
  std::string dir = FolderOf(dataFileName);
  if (char* real = ::realpath(dir.c_str(), nullptr)) {
    dir = real;
    std::free(real);
  }
  settings.LastDataDir = dir;
}

std::string CurrentExecutablePath() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (n <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(n));
}

std::string SettingsFileName(const std::string& exePath) {
  const std::size_t slash = exePath.find_last_of('/');
  std::string name = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
  const std::size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.erase(dot);
  if (name.empty()) name = "kestrin";
  return name + ".INI";
}

std::string ExeFolderSettingsPath(const std::string& exePath) {
  const std::string dir = FolderOf(exePath);
  return (dir == "/" ? std::string() : dir) + "/" + SettingsFileName(exePath);
}

bool IsPrivateSettingsFolder(const std::string& dir) {
  if (dir.empty() || dir.front() != '/') return false;
  // Check the folders that exist, their links resolved; the rest would be
  // made by the save.
  const auto [existing, rest] = SplitExisting(dir);
  char* real = ::realpath(existing.c_str(), nullptr);
  if (real == nullptr) return false;
  std::string path = std::string(real) == "/" ? std::string() : std::string(real);
  std::free(real);
  path += existing == "/" && !rest.empty() ? "/" + rest : rest;
  if (path.empty()) path = "/";

  std::string prefix = "/";
  std::size_t pos = 1;
  for (;;) {
    struct stat st;
    if (::stat(prefix.c_str(), &st) != 0) return true;  // made by the save, below a safe folder
    const std::size_t slash = path.find('/', pos);
    const std::string next = path.substr(0, slash);
    const bool last = pos >= path.size();
    if (st.st_mode & S_IWOTH) {
      // Anyone may add entries here. Only a sticky folder protects the
      // entry on our way, and only when it is already there and ours (or
      // root's): otherwise someone else could make it first.
      struct stat child;
      if (last || !(st.st_mode & S_ISVTX) || ::lstat(next.c_str(), &child) != 0 ||
          (child.st_uid != ::geteuid() && child.st_uid != 0))
        return false;
    }
    if (last) return true;
    prefix = next;
    pos = slash == std::string::npos ? path.size() : slash + 1;
  }
}

std::string FallbackSettingsPath(const std::string& exePath) {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') {
    base = xdg;
  } else {
    const std::string home = HomeFolder();
    if (home.empty()) return {};
    base = home + "/.config";
  }
  if (!IsPrivateSettingsFolder(base + "/kestrin")) return {};
  return base + "/kestrin/" + SettingsFileName(exePath);
}

bool IsSystemProgramFolder(const std::string& dir) {
  // Installed programs live in folders owned by the package manager; even
  // when they are writable (running as root), a settings file there would
  // belong to no package and outlive an uninstall.
  for (const std::string p : {"/usr", "/bin", "/sbin", "/lib", "/lib64", "/opt"})
    if (dir == p || dir.rfind(p + "/", 0) == 0) return true;
  return false;
}

std::string SettingsPathForWrite(const std::string& exePath) {
  const std::string dir = FolderOf(exePath);
  if (IsFolder(dir) && !IsSystemProgramFolder(dir) && ::access(dir.c_str(), W_OK | X_OK) == 0 &&
      IsPrivateSettingsFolder(dir))
    return ExeFolderSettingsPath(exePath);
  return FallbackSettingsPath(exePath);
}

std::string SettingsPathForRead(const std::string& exePath) {
  const std::string target = SettingsPathForWrite(exePath);
  if (IsFile(target)) return target;
  const std::string beside = ExeFolderSettingsPath(exePath);
  if (IsFile(beside)) return beside;  // e.g. a file shipped in a read-only folder
  const std::string fallback = FallbackSettingsPath(exePath);
  if (!fallback.empty() && IsFile(fallback)) return fallback;
  return target;
}

TSettings LoadSettingsForExecutable(const std::string& exePath, TIniLoadResult* result) {
  return LoadSettingsFile(SettingsPathForRead(exePath), result);
}

TFileResult SaveSettingsForExecutable(const std::string& exePath, const TSettings& settings) {
  const std::string path = SettingsPathForWrite(exePath);
  if (path.empty()) return TFileResult::Failure({}, kNoSafeSettingsPlace);
  TIniFile ini;
  ini.Load(SettingsPathForRead(exePath));
  WriteSettings(ini, settings);
  return ini.Save(path);
}

}  // namespace kestrin
