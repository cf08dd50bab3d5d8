#include "Dialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QTreeView>
#include <algorithm>
#include <QMessageBox>
#include <QPushButton>

namespace kestrin {

namespace {

TStandardDialogs& StandardDialogs() {
  static TStandardDialogs standard;
  return standard;
}

TDialogs* current = nullptr;

QMessageBox::Icon BoxIcon(TMessageIcon icon) {
  switch (icon) {
    case TMessageIcon::Information: return QMessageBox::Information;
    case TMessageIcon::Warning: return QMessageBox::Warning;
    case TMessageIcon::Critical: return QMessageBox::Critical;
    case TMessageIcon::Question: return QMessageBox::Question;
    case TMessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

// The detail view with the size, type and date columns wide enough for
// their texts (Qt's default widths cut them to "99…es" and "9 Dec…21:41");
// the name column takes what is left of a wider dialog.
void ShowReadableColumns(QFileDialog& dialog) {
  dialog.setViewMode(QFileDialog::Detail);
  dialog.resize(std::max(dialog.width(), 820), std::max(dialog.height(), 460));
  auto* tree = dialog.findChild<QTreeView*>(QStringLiteral("treeView"));
  if (!tree) return;
  QHeaderView* header = tree->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  for (int c = 1; c < header->count(); ++c) header->setSectionResizeMode(c, QHeaderView::ResizeToContents);
}

}  // namespace

bool TStandardDialogs::Message(const TMessageRequest& r) {
  QMessageBox box(BoxIcon(r.Icon), r.Caption, r.Text, QMessageBox::NoButton, r.Parent);
  // The button texts are set here so that they read the same with or
  // without Qt's own translations installed.
  if (r.YesNo) {
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(no);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
  }
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
  return true;
}

QString TStandardDialogs::File(const TFileRequest& r) {
  QFileDialog dialog(r.Parent, r.Caption, r.Directory);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(r.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(r.Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.ConfirmOverwrite);
  if (!r.NameFilters.isEmpty()) dialog.setNameFilters(r.NameFilters);
  dialog.setDefaultSuffix(r.DefaultSuffix);
  if (!r.FileName.isEmpty()) dialog.selectFile(r.FileName);
  ShowReadableColumns(dialog);
  if (dialog.exec() != QDialog::Accepted) return {};
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return {};
  return WithDefaultSuffix(QFileInfo(files.first()).absoluteFilePath(), r.DefaultSuffix);
}

QStringList TDialogs::Files(const TFileRequest& request) {
  const QString f = File(request);
  return f.isEmpty() ? QStringList() : QStringList{f};
}

QStringList TStandardDialogs::Files(const TFileRequest& r) {
  QFileDialog dialog(r.Parent, r.Caption, r.Directory);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  if (r.Folder) {
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
  } else {
    dialog.setFileMode(QFileDialog::ExistingFiles);
    if (!r.NameFilters.isEmpty()) dialog.setNameFilters(r.NameFilters);
  }
  ShowReadableColumns(dialog);
  if (dialog.exec() != QDialog::Accepted) return {};
  QStringList files;
  for (const QString& f : dialog.selectedFiles()) files << QFileInfo(f).absoluteFilePath();
  return files;
}

TDialogs& Dialogs() { return current ? *current : StandardDialogs(); }

TScopedDialogs::TScopedDialogs(TDialogs* dialogs) : previous_(current) { current = dialogs; }
TScopedDialogs::~TScopedDialogs() { current = previous_; }

QString WithDefaultSuffix(const QString& path, const QString& suffix) {
  if (path.isEmpty() || suffix.isEmpty()) return path;
  const QString name = QFileInfo(path).fileName();
  // "name." and ".hidden" count as having no extension, as "name" does.
  const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
  if (dot > 0 && dot < name.size() - 1) return path;
  if (name.endsWith(QLatin1Char('.'))) return path + suffix;
  return path + QLatin1Char('.') + suffix;
}

}  // namespace kestrin
