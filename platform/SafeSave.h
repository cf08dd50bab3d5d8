// Files made by Qt writers (PNG, PDF, page images) go through the
// program's one safe writer (core/SafeFile.h): the writer renders into
// memory, and the bytes are saved under the same rules as the data file.
#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <utility>
#include <vector>

#include "core/SafeFile.h"

namespace kestrin {

// A path holding U+FFFD is refused: Qt puts that character where the
// bytes of a name were not UTF-8 (a name made under a non-UTF-8 locale),
// so the path no longer names that file, and reading or writing it would
// reach a file of another name. Success for any other path.
TFileResult CheckCarriedName(const QString& path);
// The step of that refusal.
inline constexpr char kStepNameNotCarried[] = "ファイル名に UTF-8 で表せないバイトがあるため扱えません";

// Saves `bytes` at `path` through WriteFileAtomically (after CheckCarriedName).
TFileResult SaveBytes(const QString& path, const QByteArray& bytes);

// Saves a set of files together through WriteFilesAtomically: all of them
// or none.
TFileResult SaveByteSet(const std::vector<std::pair<QString, QByteArray>>& files);

// Checks that `path` may be written (CheckCarriedName, CheckWriteTarget),
// before long work.
TFileResult CheckSaveTarget(const QString& path);

// The reason of a failure for the user's message; empty on success.
QString ReasonText(const TFileResult& result);

// `message` with the reason of a failed `result` on a second line.
QString WithReasonLine(const QString& message, const TFileResult& result);

// A path as messages show it: control characters escaped (ShownName).
QString ShownPath(const QString& path);

}  // namespace kestrin

class QPrinter;
class QTemporaryDir;

namespace kestrin {

// Sends a PDF printer's document through the safe writer: Start points
// the printer at a private temporary file, Commit saves the finished
// document at the printer's output name. The printer gets its output name
// back when this object ends. A real printer is left alone.
class TSafePdfOutput {
 public:
  explicit TSafePdfOutput(QPrinter* printer);
  ~TSafePdfOutput();
  TSafePdfOutput(const TSafePdfOutput&) = delete;
  TSafePdfOutput& operator=(const TSafePdfOutput&) = delete;

  // Before the document begins: a failure when the output name may not be
  // written (a device, a foreign link, a protected file, no folder).
  TFileResult Start();
  // After the document ended.
  TFileResult Commit();

 private:
  QPrinter* printer_;
  QString target_;
  std::unique_ptr<QTemporaryDir> dir_;
};

}  // namespace kestrin
