#include "app/Manual.h"

#include <QDir>
#include <QFileInfo>

namespace kestrin {

QString ManualPage(const QString& executablePath) {
  if (executablePath.isEmpty()) return {};
  const QDir exeDir = QFileInfo(executablePath).absoluteDir();
  for (const QString& relative :
       {QStringLiteral("manual/index.htm"), QStringLiteral("../share/doc/kestrin/manual/index.htm")}) {
    const QFileInfo page(exeDir.filePath(relative));
    if (page.isFile()) return page.absoluteFilePath();
  }
  return {};
}

}  // namespace kestrin
