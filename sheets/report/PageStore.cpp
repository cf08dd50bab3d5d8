#include "sheets/report/PageStore.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace kestrin {

TPageStore::TPageStore() = default;
TPageStore::~TPageStore() { Clear(); }

void TPageStore::Open(const QString& title) {
  Clear();
  QString name = title;
  name.replace(QLatin1Char('/'), QLatin1Char('_'));
  m_title = name;
  // A private folder per run: no other user or run can see or replace the
  // page files, and removing the folder removes every page.
  m_dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/kestrin-XXXXXX"));
  if (m_dir->isValid()) {
    m_folder = m_dir->path();
    if (!m_folder.endsWith(QLatin1Char('/'))) m_folder += QLatin1Char('/');
  } else {
    m_dir.reset();
    m_folder.clear();
  }
}

void TPageStore::Clear() {
  m_memory.clear();
  m_dir.reset();  // removes the folder with its page files
  m_folder.clear();
}

QString TPageStore::FileName(int pageNo) const {
  if (m_folder.isEmpty()) return QString();
  return m_folder + m_title + QString::number(pageNo) + QStringLiteral(".EMF");
}

bool TPageStore::Store(int pageNo, const TPageImage& page) {
  if (!m_folder.isEmpty() && page.SaveToFile(FileName(pageNo))) return true;
  m_memory[pageNo] = std::make_shared<const TPageImage>(page);
  return true;
}

bool TPageStore::Load(int pageNo, TPageImage& page) const {
  auto it = m_memory.find(pageNo);
  if (it != m_memory.end()) {
    page = *it->second;
    return true;
  }
  if (m_folder.isEmpty()) return false;
  return page.LoadFromFile(FileName(pageNo));
}

bool TPageStore::Has(int pageNo) const {
  if (m_memory.count(pageNo)) return true;
  return !m_folder.isEmpty() && QFile::exists(FileName(pageNo));
}

}  // namespace kestrin
