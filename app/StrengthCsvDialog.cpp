// 「CSV取込…」 of the strength window (see StrengthCsvDialog.h).
#include "StrengthCsvDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/ShownText.h"
#include "core/StrengthCsv.h"
#include "platform/SafeSave.h"
#include "widgets/Dialogs.h"

namespace kestrin {

namespace {

constexpr char kCaption[] = "CSV取込";
constexpr char kCsvFilter[] = "CSV ファイル (*.csv *.txt)";
constexpr char kRefused[] = "CSV ファイルを取り込めません．";

// The strength window's column headings.
const char* const kColumns[] = {"日",   "時刻", "車番", "スランプ", "空気量", "温度",  "塩化物",
                                "7日①", "7日②", "7日③", "28日①",    "28日②",  "28日③", "備考"};

QString Scaled(const std::optional<int32_t>& v, int decimals) {
  return v ? QString::fromStdString(FormatScaled(*v, decimals)) : QString();
}

QString SeparatorName(char separator) {
  switch (separator) {
    case ';': return QStringLiteral("セミコロン区切り");
    case '\t': return QStringLiteral("タブ区切り");
    default: return QStringLiteral("コンマ区切り");
  }
}

// One row's cells in the table's column order.
QStringList Cells(const TStrengthTest& t) {
  QStringList cells = {QString::number(t.Day),
                       QString::fromStdString(t.Time),
                       QString::fromStdString(t.Truck),
                       Scaled(t.Slump, 1),
                       Scaled(t.Air, 1),
                       Scaled(t.Temperature, 1),
                       Scaled(t.Chloride, 2)};
  for (const std::optional<TSpecimens>* age : {&t.Strength7, &t.Strength28})
    for (std::size_t k = 0; k < kSpecimens; ++k) cells << (*age ? Scaled((**age)[k], 1) : QString());
  cells << QString::fromStdString(t.Remarks);
  return cells;
}

void ShowRefusal(QWidget* parent, const QString& path, const QString& reason) {
  TMessageRequest r;
  r.Parent = parent;
  r.Caption = QString::fromUtf8(kCaption);
  r.Text = QString::fromUtf8(kRefused) + QLatin1Char('\n') + ShownPath(path) + QLatin1Char('\n') + reason;
  r.Icon = TMessageIcon::Warning;
  Dialogs().Message(r);
}

}  // namespace

TStrengthCsvPreview::TStrengthCsvPreview(const TStrengthCsv& csv, const QString& fileName, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(kCaption));
  auto* layout = new QVBoxLayout(this);
  source_ = new QLabel(
      QStringLiteral("%1（%2，%3）：%4 件の試験")
          .arg(ShownPath(fileName), QString::fromStdString(csv.Encoding), SeparatorName(csv.Separator))
          .arg(csv.Tests.size()),
      this);
  source_->setTextFormat(Qt::PlainText);
  layout->addWidget(source_);

  const int columns = static_cast<int>(std::size(kColumns));
  table_ = new QTableWidget(static_cast<int>(csv.Tests.size()), columns, this);
  QStringList headings;
  for (const char* c : kColumns) headings << QString::fromUtf8(c);
  table_->setHorizontalHeaderLabels(headings);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  for (int row = 0; row < table_->rowCount(); ++row) {
    const QStringList cells = Cells(csv.Tests[static_cast<std::size_t>(row)]);
    for (int col = 0; col < columns; ++col) {
      auto* item = new QTableWidgetItem(cells[col]);
      // Numbers line up on the right, texts (time, truck, remarks) on the left.
      const bool text = col == 1 || col == 2 || col == columns - 1;
      item->setTextAlignment(Qt::AlignVCenter | (text ? Qt::AlignLeft : Qt::AlignRight));
      table_->setItem(row, col, item);
    }
  }
  table_->resizeColumnsToContents();
  table_->horizontalHeader()->setStretchLastSection(true);
  layout->addWidget(table_, 1);

  QStringList names;
  for (const std::string& name : csv.IgnoredColumns)
    names << QStringLiteral("「%1」").arg(QString::fromStdString(ShownName(name)));
  ignored_ = new QLabel(QStringLiteral("次の列は取り込みません：") + names.join(QString()), this);
  ignored_->setTextFormat(Qt::PlainText);
  ignored_->setWordWrap(true);
  ignored_->setVisible(!names.isEmpty());
  layout->addWidget(ignored_);

  auto* buttons = new QDialogButtonBox(this);
  take_ = buttons->addButton(QStringLiteral("取り込む"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("キャンセル"), QDialogButtonBox::RejectRole);
  take_->setEnabled(!csv.Tests.empty());
  take_->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
  resize(900, 480);
}

std::optional<std::vector<TStrengthTest>> AskStrengthCsvImport(QWidget* parent, QString& folder) {
  return AskStrengthCsvImport(parent, folder, 31);
}

std::optional<std::vector<TStrengthTest>> AskStrengthCsvImport(QWidget* parent, QString& folder,
                                                               int32_t days) {
  TFileRequest r;
  r.Parent = parent;
  r.Save = false;
  r.Caption = QString::fromUtf8(kCaption);
  r.Directory = !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath();
  r.NameFilters = {QString::fromUtf8(kCsvFilter)};
  const QString path = Dialogs().File(r);
  if (path.isEmpty()) return std::nullopt;
  folder = QFileInfo(path).absolutePath();
  if (const TFileResult carried = CheckCarriedName(path); !carried) {
    ShowRefusal(parent, path, QString::fromUtf8(kStepNameNotCarried));
    return std::nullopt;
  }
  TStrengthCsv csv;
  if (const TStrengthCsvResult read = LoadStrengthCsv(QFile::encodeName(path).toStdString(), csv, days);
      !read) {
    ShowRefusal(parent, path, QString::fromStdString(read.Message()));
    return std::nullopt;
  }
  TStrengthCsvPreview preview(csv, QFileInfo(path).fileName(), parent);
  if (preview.exec() != QDialog::Accepted) return std::nullopt;
  return std::move(csv.Tests);
}

}  // namespace kestrin
