// The last data files loaded or saved, newest first, for the ファイル menu's
// 最近使ったファイル. The settings file keeps them in a section of its own
// (File1 ... File8 in [Recent] for the months, [RecentStrength] for the
// strength logs) in CP932; a path that CP932 cannot hold, or
// that holds a control character (the settings file would turn a line
// break into a blank, and so name another file), is not listed (the file
// itself stays usable).
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <utility>

class QFontMetrics;

#include "core/SettingsIni.h"

namespace kestrin {

inline constexpr char kSectionRecent[] = "Recent";
inline constexpr char kSectionRecentStrength[] = "RecentStrength";

class TRecentFiles {
 public:
  static constexpr int kMaxFiles = 8;
  // The widest a path may be in the menu, in pixels.
  static constexpr int kMenuTextWidth = 480;

  // The list kept in `section` of the settings file.
  explicit TRecentFiles(std::string section = kSectionRecent) : section_(std::move(section)) {}
  const std::string& Section() const { return section_; }

  // `path` (absolute) goes to the front, once; the oldest beyond the limit
  // drops out. A path the settings file cannot hold is left out.
  void Add(const QString& path);
  void Remove(const QString& path);
  const QStringList& Paths() const { return paths_; }

  void Read(const TIniFile& ini);
  // Writes every slot of the list's section (empty ones as empty values),
  // touching no other section or key.
  void Write(TIniFile& ini) const;

  // True when CP932 holds the path exactly (it reads back the same) and it
  // has no control character.
  static bool Storable(const QString& path);

  // The text of a menu item: the path with its middle elided to at most
  // `maxWidth` pixels of `metrics`, and '&' doubled.
  static QString MenuText(const QString& path, const QFontMetrics& metrics, int maxWidth);

 private:
  std::string section_;
  QStringList paths_;
};

}  // namespace kestrin
