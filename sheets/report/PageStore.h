// The page store of a report run: the pages drawn so far, kept until the
// run ends.
#pragma once

#include <QString>

#include <map>
#include <memory>

#include "platform/PageImage.h"

class QTemporaryDir;

namespace kestrin {

// Where the pages of a run are kept: a file per page in a private folder of
// the temporary directory, named Title + page number + ".EMF"; in memory
// when no file can be written. Everything is deleted by Clear().
class TPageStore {
 public:
  TPageStore();
  ~TPageStore();
  // A fresh store for a run with the given report title.
  void Open(const QString& title);
  void Clear();
  bool Store(int pageNo, const TPageImage& page);
  bool Load(int pageNo, TPageImage& page) const;
  bool Has(int pageNo) const;
  // The file of a page ("" when the pages are kept in memory).
  QString FileName(int pageNo) const;
  QString Folder() const { return m_folder; }

 private:
  std::unique_ptr<QTemporaryDir> m_dir;
  QString m_folder;  // with a trailing separator; "" = memory only
  QString m_title;
  std::map<int, std::shared_ptr<const TPageImage>> m_memory;
};

}  // namespace kestrin
