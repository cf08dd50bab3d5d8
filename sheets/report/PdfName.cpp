#include "sheets/report/PdfName.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <vector>

#include "core/MainData.h"
#include "core/Overview.h"

namespace kestrin {

namespace {

QString YearMonth(int32_t getsudo) {
  return QStringLiteral("%1%2")
      .arg(DateYear(getsudo), 4, 10, QLatin1Char('0'))
      .arg(DateMonth(getsudo), 2, 10, QLatin1Char('0'));
}

}  // namespace

QString FileNamePart(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    const bool refused = c.category() == QChar::Other_Control || c == QLatin1Char('/') ||
                         c == QLatin1Char('\\') || QStringLiteral(":*?\"<>|").contains(c);
    out += refused ? QLatin1Char('_') : c;
  }
  out = out.trimmed();
  while (out.startsWith(QLatin1Char('.'))) out.remove(0, 1);
  return out;
}

QString SheetPdfName(const QString& plant, int32_t getsudo) {
  const QString part = FileNamePart(plant);
  QString name = QStringLiteral("スランプ試験_");
  if (!part.isEmpty()) name += part + QLatin1Char('_');
  return name + YearMonth(getsudo) + QStringLiteral(".pdf");
}

QString OverviewPdfName(const TOverview& overview) {
  // The period of the month files and the strength logs together.
  std::vector<int32_t> months;
  for (const TOverviewMonth& m : overview.Months) months.push_back(m.Getsudo & ~0xFF);
  for (const TStrengthOverviewMonth& m : overview.StrengthMonths) months.push_back(m.Getsudo & ~0xFF);
  if (months.empty()) return QStringLiteral("年間推移.pdf");
  const auto [first, last] = std::minmax_element(months.begin(), months.end());
  QString period = YearMonth(*first);
  if (*first != *last) period += QLatin1Char('-') + YearMonth(*last);
  return QStringLiteral("年間推移_") + period + QStringLiteral(".pdf");
}

QString FreeFilePath(const QString& folder, const QString& name) {
  const QDir dir(folder);
  const QString first = dir.filePath(name);
  // exists() is false for a dangling link, which a save would follow.
  auto taken = [](const QString& path) { return QFileInfo(path).exists() || QFileInfo(path).isSymLink(); };
  if (!taken(first)) return first;
  const QFileInfo info(name);
  const QString base = info.completeBaseName();
  const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
  for (int n = 2; n <= 9999; ++n) {
    const QString path = dir.filePath(QStringLiteral("%1 (%2)%3").arg(base).arg(n).arg(suffix));
    if (!taken(path)) return path;
  }
  return {};
}

}  // namespace kestrin
