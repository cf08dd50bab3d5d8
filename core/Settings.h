// The program's settings: company and person names, plant names, seal
// titles, printing options and the last data folder. They live in an INI
// file in CP932 named after the executable (kestrin -> kestrin.INI) beside
// it; where that folder cannot be written, in $XDG_CONFIG_HOME/kestrin/
// (~/.config/kestrin/ by default). Settings never go to a folder other
// users could change (/tmp and the like); without a safe place they live
// in memory only. The main window's placement shares the
// file in its own section, which reading and writing these values keeps.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "ControlChart.h"
#include "Cp932.h"
#include "MainData.h"
#include "SafeFile.h"
#include "SettingsIni.h"
#include "Signals.h"

namespace kestrin {

inline constexpr int kKojoNameCount = 10;

struct TSettings {
  // File/LastDataDir: the folder of the last data file, as a file-system
  // path (UTF-8 here); the file holds it in CP932 where it can.
  std::string LastDataDir;
  // Info section; texts in CP932.
  AnsiString CompanyName;
  AnsiString TantoName;
  std::array<AnsiString, kKojoNameCount> KojoNames;  // KojoName0 ... KojoName9
  AnsiString InkanTitle1;                            // "工場長"
  AnsiString InkanTitle2;                            // "部長"
  AnsiString InkanTitle3;                            // "係"
  int32_t DispNullData = 1;  // 1: keep rows of days without values; 0: close up
  bool DrawHistNoRange = false;
  bool DrawXChartNoRange = false;
  // Signals section: the lengths of the run and trend rules (Signals.h).
  int32_t RunLength = kDefaultRunLength;      // 2..62
  int32_t TrendLength = kDefaultTrendLength;  // 3..62

  TSignalLengths SignalLengths() const { return {RunLength, TrendLength}; }

  // ControlRules section: the control rules of the X̄–R chart switched on
  // (Rule1 ... Rule8, "1" on, "0" off) and the months before the month of
  // record its limits come from (ReferenceMonths, 0 the month itself).
  TControlRuleSet ControlRules;
  int32_t ReferenceMonths = 0;  // 0..kMaxReferenceMonths

  // The defaults, as with no settings file.
  TSettings();
};

// Section names of the settings file.
inline constexpr char kSectionFile[] = "File";
inline constexpr char kSectionInfo[] = "Info";
inline constexpr char kSectionSignals[] = "Signals";
inline constexpr char kSectionControlRules[] = "ControlRules";

inline constexpr int32_t kMaxReferenceMonths = 12;

// Reads every value; missing keys give the defaults, a DispNullData that is
// not a number gives 1, a boolean is true only when its text begins with "1",
// a RunLength or TrendLength that is not a number in its range gives its
// default, and so does a RuleN that is neither 0 nor 1 and a ReferenceMonths
// outside 0..kMaxReferenceMonths.
TSettings ReadSettings(const TIniFile& ini);
// Writes every value (texts as they are, numbers in decimal, booleans as
// "1"/"0"), leaving all other keys and sections alone.
void WriteSettings(TIniFile& ini, const TSettings& settings);

// The file versions: a missing or unreadable file gives the defaults;
// `result`, when given, tells which it was.
TSettings LoadSettingsFile(const std::string& path, TIniLoadResult* result = nullptr);
// Read-modify-write of the file, so the window placement and any other
// section survive. A failure when the file could not be written.
TFileResult SaveSettingsFile(const std::string& path, const TSettings& settings);

// The default person and the plant names as they go into the month record:
// cut to the record's cell limits (kTantoMaxBytes, kKojoMaxBytes) without
// splitting a double-byte character. The settings themselves keep what the
// file holds, so a hand-edited longer name is not lost from the file.
AnsiString DefaultTanto(const TSettings& settings);
AnsiString KojoChoice(const TSettings& settings, int index);

// After a session: the folder of `dataFileName` becomes LastDataDir when it
// names an existing file; otherwise LastDataDir stays as it was.
void RememberDataFolder(TSettings& settings, const std::string& dataFileName);

// ---------------------------------------------------------------- location

// The path of the running executable ("" when it cannot be found).
std::string CurrentExecutablePath();
// The executable's name with its extension replaced by ".INI".
std::string SettingsFileName(const std::string& exePath);
// The settings file beside the executable.
std::string ExeFolderSettingsPath(const std::string& exePath);
// $XDG_CONFIG_HOME/kestrin/<name>.INI, or ~/.config/kestrin/<name>.INI when
// the variable is unset or not an absolute path. Empty when there is no
// home folder or the folder is not private (IsPrivateSettingsFolder).
std::string FallbackSettingsPath(const std::string& exePath);
// True when no other user can add or replace entries on the way to the
// absolute folder `dir`: no folder on the way is world-writable, except a
// sticky one whose next entry on the way exists and belongs to us or to
// root. Folders still to be made count as safe below a safe one.
bool IsPrivateSettingsFolder(const std::string& dir);
// Where to write: beside the executable when that folder can be written
// and is private, the fallback otherwise; empty when there is no safe place.
std::string SettingsPathForWrite(const std::string& exePath);

// The step of a save that met a settings file it could not read.
inline constexpr char kSettingsNotReplaced[] = "読み込めない設定ファイルは上書きしません";
// The reason given when the settings have no safe place to go.
inline constexpr char kNoSafeSettingsPlace[] =
    "設定ファイルを安全に保存できる場所がありません（ホームフォルダが不明です）";
// True for the folders installed programs live in (/usr, /opt, ...): the
// settings never go there, even when the folder is writable (root).
bool IsSystemProgramFolder(const std::string& dir);

// Where to read: the file that writing goes to when it exists; otherwise
// the file beside the executable (which may sit in a read-only folder),
// otherwise an earlier fallback file. With a writable folder this is the
// file beside the executable whenever there is one.
std::string SettingsPathForRead(const std::string& exePath);

// The settings of the program at `exePath`, read from SettingsPathForRead.
TSettings LoadSettingsForExecutable(const std::string& exePath, TIniLoadResult* result = nullptr);
// Read-modify-write from SettingsPathForRead to SettingsPathForWrite, so
// other sections (the window placement) move along when the place changes.
// Code that writes its own keys too does the same with a TIniFile:
// Load(SettingsPathForRead), WriteSettings, its keys, Save(SettingsPathForWrite).
TFileResult SaveSettingsForExecutable(const std::string& exePath, const TSettings& settings);

}  // namespace kestrin
