#include "RecentFiles.h"

#include <QDir>
#include <QFontMetrics>

#include <string>

#include "core/Cp932.h"

namespace kestrin {

namespace {

std::string Key(int i) { return "File" + std::to_string(i + 1); }

}  // namespace

bool TRecentFiles::Storable(const QString& path) {
  // Some characters change on the way back (U+2212 comes back as U+FF0D):
  // such a path would name another file, so only exact round trips count.
  if (path.isEmpty()) return false;
  for (const QChar c : path)
    if (c.category() == QChar::Other_Control) return false;
  const std::string utf8 = path.toStdString();
  const auto cp932 = Utf8ToCp932(utf8);
  return cp932 && Cp932ToUtf8(*cp932) == utf8;
}

void TRecentFiles::Add(const QString& path) {
  if (!Storable(path)) return;
  paths_.removeAll(path);
  paths_.prepend(path);
  while (paths_.size() > kMaxFiles) paths_.removeLast();
}

void TRecentFiles::Remove(const QString& path) { paths_.removeAll(path); }

void TRecentFiles::Read(const TIniFile& ini) {
  paths_.clear();
  for (int i = 0; i < kMaxFiles; ++i) {
    const auto value = ini.Find(section_, Key(i));
    if (!value || value->empty()) continue;
    const auto utf8 = Cp932ToUtf8(*value);
    if (!utf8) continue;
    const QString path = QString::fromStdString(*utf8);
    if (path.startsWith(QLatin1Char('/')) && Storable(path) && !paths_.contains(path)) paths_ << path;
  }
}

QString TRecentFiles::MenuText(const QString& path, const QFontMetrics& metrics, int maxWidth) {
  QString text = metrics.elidedText(QDir::toNativeSeparators(path), Qt::ElideMiddle, maxWidth);
  text.replace(QLatin1Char('&'), QStringLiteral("&&"));
  return text;
}

void TRecentFiles::Write(TIniFile& ini) const {
  for (int i = 0; i < kMaxFiles; ++i) {
    std::string value;
    if (i < paths_.size() && Storable(paths_[i])) value = Utf8ToCp932(paths_[i].toStdString()).value_or(std::string());
    ini.WriteString(section_, Key(i), value);
  }
}

}  // namespace kestrin
