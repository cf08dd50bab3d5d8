// The real message boxes and file dialogs behind the replaceable layer,
// driven from inside their event loops.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "GtestQt.h"
#include "ScriptedDialogs.h"
#include "widgets/Dialogs.h"

using namespace kestrin;

namespace {

void Touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}

// The file names the dialog lists in its folder, once it has read it.
QStringList Listed(QFileDialog* d) {
  auto* view = d->findChild<QAbstractItemView*>(QStringLiteral("listView"));
  if (!view || !view->model()) return {};
  QStringList names;
  QAbstractItemModel* m = view->model();
  const QModelIndex root = view->rootIndex();
  for (int i = 0; i < m->rowCount(root); ++i) names << m->index(i, 0, root).data().toString();
  names.sort();
  return names;
}

}  // namespace

TEST(StandardDialogs, QuestionsDefaultToNoAndAnswerWithTheButtonPressed) {
  TStandardDialogs dialogs;
  TMessageRequest q;
  q.Caption = QStringLiteral("確認");
  q.Text = QStringLiteral("保存していませんが，終了しますか？");
  q.Icon = TMessageIcon::Question;
  q.YesNo = true;

  QString defaultText, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  WhenOpen<QMessageBox>([&](QMessageBox* box) {
    defaultText = box->defaultButton()->text();
    caption = box->windowTitle();
    icon = box->icon();
    QTest::keyClick(box, Qt::Key_Return);  // the default button
  });
  EXPECT_FALSE(dialogs.Message(q));
  EXPECT_EQ(defaultText, "いいえ(&N)");
  EXPECT_EQ(caption, "確認");
  EXPECT_EQ(icon, QMessageBox::Question);

  WhenOpen<QMessageBox>([](QMessageBox* box) {
    for (QAbstractButton* b : box->buttons())
      if (b->text() == "はい(&Y)") b->click();
  });
  EXPECT_TRUE(dialogs.Message(q));

  WhenOpen<QMessageBox>([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_FALSE(dialogs.Message(q));

  // A plain box: one OK button, no icon.
  TMessageRequest plain;
  plain.Text = QStringLiteral("ファイルのロードに失敗しました．");
  QStringList buttons;
  WhenOpen<QMessageBox>([&](QMessageBox* box) {
    for (QAbstractButton* b : box->buttons()) buttons << b->text();
    icon = box->icon();
    box->defaultButton()->click();
  });
  EXPECT_TRUE(dialogs.Message(plain));
  EXPECT_EQ(buttons, QStringList{"OK"});
  EXPECT_EQ(icon, QMessageBox::NoIcon);
}

TEST(StandardDialogs, SaveDialogFiltersAddsTheSuffixAndAsksBeforeReplacing) {
  QTemporaryDir tmp;
  for (const char* n : {"a.SLT", "b.slt", "c.txt"}) Touch(QDir(tmp.path()).filePath(n));
  TStandardDialogs dialogs;
  TFileRequest r;
  r.Save = true;
  r.Directory = tmp.path();
  r.FileName = QStringLiteral("200502");
  r.DefaultSuffix = QStringLiteral("slt");
  r.NameFilters = {QStringLiteral("専用データファイル (*.slt)")};

  QString shownFolder, shownName;
  QStringList listed;
  WhenOpen<QFileDialog>([&](QFileDialog* d) {
    shownFolder = d->directory().absolutePath();
    shownName = d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(d).size() >= 2; }, 3000));
    listed = Listed(d);
    QTest::keyClick(d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
  });
  const QString chosen = dialogs.File(r);
  EXPECT_EQ(shownFolder, QDir(tmp.path()).absolutePath());
  EXPECT_EQ(shownName, "200502");
  // Both spellings of the extension are data files; other files are not shown.
  EXPECT_EQ(listed, (QStringList{"a.SLT", "b.slt"}));
  EXPECT_EQ(chosen, QDir(tmp.path()).filePath("200502.slt"));

  // The suffixed name exists now: the dialog asks before replacing it.
  Touch(chosen);
  QString question;
  WhenOpen<QFileDialog>([&](QFileDialog* d) {
    WhenOpen<QMessageBox>([&](QMessageBox* box) {
      question = box->text();
      box->button(QMessageBox::No) ? box->button(QMessageBox::No)->click() : box->reject();
    });
    QTest::keyClick(d->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")), Qt::Key_Return);
    // Still open after No; cancel it.
    EXPECT_TRUE(d->isVisible());
    d->reject();
  });
  EXPECT_EQ(dialogs.File(r), "");
  EXPECT_TRUE(question.contains("200502.slt")) << question.toStdString();
}

TEST(StandardDialogs, FileListShowsSizeTypeAndDateInFull) {
  QTemporaryDir tmp;
  Touch(QDir(tmp.path()).filePath(QStringLiteral("本社工場_202506.slt")));
  TStandardDialogs dialogs;
  TFileRequest r;
  r.Directory = tmp.path();
  r.NameFilters = {QStringLiteral("専用データファイル (*.slt)")};
  WhenOpen<QFileDialog>([&](QFileDialog* d) {
    EXPECT_EQ(d->viewMode(), QFileDialog::Detail);
    auto* tree = d->findChild<QTreeView*>(QStringLiteral("treeView"));
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Listed(d).size() == 1; }, 3000));
    QApplication::processEvents();
    for (int c = 1; c < tree->header()->count(); ++c) {
      if (tree->header()->isSectionHidden(c)) continue;
      // Each detail column is at least as wide as its widest text.
      EXPECT_GE(tree->header()->sectionSize(c), static_cast<QAbstractItemView*>(tree)->sizeHintForColumn(c)) << c;
    }
    d->reject();
  });
  EXPECT_EQ(dialogs.File(r), "");
}

TEST(StandardDialogs, DefaultSuffixRules) {
  EXPECT_EQ(WithDefaultSuffix("/d/200502", "slt"), "/d/200502.slt");
  EXPECT_EQ(WithDefaultSuffix("/d/200502.", "slt"), "/d/200502.slt");
  EXPECT_EQ(WithDefaultSuffix("/d/200502.SLT", "slt"), "/d/200502.SLT");
  EXPECT_EQ(WithDefaultSuffix("/d/a.b/200502", "slt"), "/d/a.b/200502.slt");
  EXPECT_EQ(WithDefaultSuffix("/d/.hidden", "slt"), "/d/.hidden.slt");
  EXPECT_EQ(WithDefaultSuffix("", "slt"), "");
}
