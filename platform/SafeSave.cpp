#include "platform/SafeSave.h"

#include <QFile>
#include <QPrinter>
#include <QTemporaryDir>

#include "core/ShownText.h"

namespace kestrin {

TFileResult CheckCarriedName(const QString& path) {
  if (!path.contains(QChar::ReplacementCharacter)) return TFileResult::Success();
  return TFileResult::Failure(QFile::encodeName(path).toStdString(), kStepNameNotCarried);
}

TFileResult SaveBytes(const QString& path, const QByteArray& bytes) {
  if (TFileResult r = CheckCarriedName(path); !r) return r;
  return WriteFileAtomically(QFile::encodeName(path).toStdString(),
                             std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

TFileResult SaveByteSet(const std::vector<std::pair<QString, QByteArray>>& files) {
  for (const auto& file : files)
    if (TFileResult r = CheckCarriedName(file.first); !r) return r;
  std::vector<std::pair<std::string, std::string_view>> set;
  set.reserve(files.size());
  for (const auto& [path, bytes] : files)
    set.emplace_back(QFile::encodeName(path).toStdString(),
                     std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  return WriteFilesAtomically(set);
}

TFileResult CheckSaveTarget(const QString& path) {
  if (TFileResult r = CheckCarriedName(path); !r) return r;
  return CheckWriteTarget(QFile::encodeName(path).toStdString());
}

QString ReasonText(const TFileResult& result) { return QString::fromUtf8(result.Reason().c_str()); }

QString ShownPath(const QString& path) {
  return QString::fromUtf8(ShownName(QFile::encodeName(path).toStdString()).c_str());
}

QString WithReasonLine(const QString& message, const TFileResult& result) {
  if (result) return message;
  return message + QLatin1Char('\n') + ReasonText(result);
}

TSafePdfOutput::TSafePdfOutput(QPrinter* printer) : printer_(printer) {}

TSafePdfOutput::~TSafePdfOutput() {
  if (dir_ && printer_) printer_->setOutputFileName(target_);
}

TFileResult TSafePdfOutput::Start() {
  if (printer_ == nullptr || printer_->outputFormat() != QPrinter::PdfFormat) return {};
  if (dir_) return {};  // already started
  target_ = printer_->outputFileName();
  if (target_.isEmpty()) return {};
  if (TFileResult r = CheckSaveTarget(target_); !r) return r;
  dir_ = std::make_unique<QTemporaryDir>();
  if (!dir_->isValid()) {
    dir_.reset();
    return TFileResult::Failure(QFile::encodeName(target_).toStdString(), "一時ファイルを作れません");
  }
  printer_->setOutputFileName(dir_->filePath(QStringLiteral("print.pdf")));
  return {};
}

TFileResult TSafePdfOutput::Commit() {
  if (!dir_) return {};
  QFile made(printer_->outputFileName());
  printer_->setOutputFileName(target_);
  const std::string path = QFile::encodeName(target_).toStdString();
  TFileResult result;
  if (!made.open(QIODevice::ReadOnly))
    result = TFileResult::Failure(path, "印刷した文書を読めません");
  else
    result = SaveBytes(target_, made.readAll());
  made.close();
  dir_.reset();
  return result;
}

}  // namespace kestrin
