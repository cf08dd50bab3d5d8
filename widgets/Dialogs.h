// Message boxes and file dialogs, behind one replaceable object: windows ask
// through Dialogs(), and tests install their own answers with
// TScopedDialogs.
#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace kestrin {

enum class TMessageIcon { None, Information, Warning, Critical, Question };

struct TMessageRequest {
  QWidget* Parent = nullptr;
  QString Caption;
  QString Text;
  TMessageIcon Icon = TMessageIcon::None;
  // Yes and No with No the default button; otherwise a single OK button.
  bool YesNo = false;
};

struct TFileRequest {
  QWidget* Parent = nullptr;
  bool Save = false;       // save dialog (otherwise open an existing file)
  QString Caption;         // empty: the dialog's own title
  QString Directory;       // the folder shown first
  QString FileName;        // proposed name, without folder
  QString DefaultSuffix;   // appended when the chosen name has no extension
  QStringList NameFilters; // Qt name filters, "Text (*.txt)"
  bool ConfirmOverwrite = true;  // save: ask before replacing a file
  // Files(): choose a folder instead of files.
  bool Folder = false;
};

class TDialogs {
 public:
  virtual ~TDialogs() = default;
  // True for Yes (or OK); false for No and when the box was closed.
  virtual bool Message(const TMessageRequest& request) = 0;
  // The chosen file's absolute path; empty when the dialog was cancelled.
  virtual QString File(const TFileRequest& request) = 0;
  // Several existing files (or one folder with request.Folder), absolute
  // paths; empty when cancelled. By default the single choice of File().
  virtual QStringList Files(const TFileRequest& request);
};

// QMessageBox and QFileDialog (Qt's own dialog, so the default suffix, the
// overwrite question for the final name and the case-insensitive filter
// behave the same everywhere).
class TStandardDialogs : public TDialogs {
 public:
  bool Message(const TMessageRequest& request) override;
  QString File(const TFileRequest& request) override;
  QStringList Files(const TFileRequest& request) override;
};

// The object dialogs are currently shown through.
TDialogs& Dialogs();

// Installs `dialogs` for its lifetime and puts the previous one back.
class TScopedDialogs {
 public:
  explicit TScopedDialogs(TDialogs* dialogs);
  ~TScopedDialogs();
  TScopedDialogs(const TScopedDialogs&) = delete;
  TScopedDialogs& operator=(const TScopedDialogs&) = delete;

 private:
  TDialogs* previous_;
};

// Appends ".suffix" to a file path whose name has no extension.
QString WithDefaultSuffix(const QString& path, const QString& suffix);

}  // namespace kestrin
