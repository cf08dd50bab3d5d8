#include "StrengthMixBar.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "core/Cement.h"
#include "core/Cp932.h"

namespace kestrin {

namespace {

struct TFieldPlace {
  TStrengthMixField Field;
  int Row, Column, Width;
  const char* Unit;
};

// Two rows: plant, month, nominal strength, aggregate; slump, air, cement
// and symbol.
constexpr TFieldPlace kPlaces[] = {
    {TStrengthMixField::Plant, 0, 0, 160, ""},
    {TStrengthMixField::Month, 0, 3, 70, ""},
    {TStrengthMixField::NominalStrength, 0, 6, 50, "N/mm²"},
    {TStrengthMixField::Aggregate, 0, 9, 40, "mm"},
    {TStrengthMixField::Slump, 1, 0, 50, "cm"},
    {TStrengthMixField::SlumpTolerance, 1, 3, 50, "cm"},
    {TStrengthMixField::Air, 1, 6, 50, "%"},
    {TStrengthMixField::AirTolerance, 1, 9, 50, "%"},
    {TStrengthMixField::Cement, 1, 12, 110, ""},
    {TStrengthMixField::Symbol, 0, 12, 60, ""},
};

const char* Label(TStrengthMixField f) {
  switch (f) {
    case TStrengthMixField::SlumpTolerance:
    case TStrengthMixField::AirTolerance: return "±";
    default: return StrengthMixFieldName(f);
  }
}

}  // namespace

TStrengthMixBar::TStrengthMixBar(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("StrengthMixBar"));
  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(6, 4, 6, 4);
  grid->setHorizontalSpacing(4);
  for (const TFieldPlace& p : kPlaces) {
    QLineEdit* edit = nullptr;
    QWidget* widget = nullptr;
    if (p.Field == TStrengthMixField::Plant || p.Field == TStrengthMixField::Cement) {
      auto* combo = new QComboBox(this);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);
      edit = combo->lineEdit();
      widget = combo;
      connect(combo, &QComboBox::activated, this,
              [this, combo, f = p.Field](int) { emit FieldEdited(f, combo->currentText()); });
      (p.Field == TStrengthMixField::Plant ? plant_ : cement_) = combo;
    } else {
      edit = new QLineEdit(this);
      widget = edit;
    }
    edit->setObjectName(QStringLiteral("Mix%1").arg(static_cast<int>(p.Field)));
    widget->setMinimumWidth(p.Width);
    editors_[static_cast<std::size_t>(p.Field)] = edit;
    connect(edit, &QLineEdit::editingFinished, this,
            [this, edit, f = p.Field] { emit FieldEdited(f, edit->text()); });
    auto* label = new QLabel(QString::fromUtf8(Label(p.Field)), this);
    label->setBuddy(widget);
    grid->addWidget(label, p.Row, p.Column, Qt::AlignRight);
    grid->addWidget(widget, p.Row, p.Column + 1);
    if (*p.Unit) grid->addWidget(new QLabel(QString::fromUtf8(p.Unit), this), p.Row, p.Column + 2);
  }
  TCementList cements;
  MakeCementList(cements);
  for (int32_t i = 0; i + 1 < cements.Count(); ++i)
    cement_->addItem(QString::fromStdString(Cp932ToUtf8Lossy(cements.Items(i).Name)));
  copy_ = new QPushButton(QStringLiteral("スランプの月から写す"), this);
  copy_->setObjectName(QStringLiteral("CopyFromMonthButton"));
  copy_->setToolTip(QStringLiteral("メイン画面の月度データから工場・月度・配合を写します．"));
  import_ = new QPushButton(QStringLiteral("CSV取込…"), this);
  import_->setObjectName(QStringLiteral("CsvImportButton"));
  import_->setToolTip(QStringLiteral("試験室の表計算ファイル（CSV）から試験を取り込みます．"));
  for (QPushButton* b : {copy_, import_}) b->setFocusPolicy(Qt::TabFocus);
  grid->addWidget(copy_, 0, 15);
  grid->addWidget(import_, 1, 15);
  grid->setColumnStretch(14, 1);
  connect(copy_, &QPushButton::clicked, this, &TStrengthMixBar::CopyFromMonth);
  connect(import_, &QPushButton::clicked, this, &TStrengthMixBar::ImportCsv);
}

void TStrengthMixBar::SetPlants(const QStringList& plants) {
  const QSignalBlocker block(plant_);
  const QString text = plant_->currentText();
  plant_->clear();
  plant_->addItems(plants);
  plant_->setEditText(text);
}

void TStrengthMixBar::Show(const TStrengthLog& log) {
  for (int i = 0; i < kStrengthMixFields; ++i) {
    const auto f = static_cast<TStrengthMixField>(i);
    QLineEdit* e = editors_[static_cast<std::size_t>(i)];
    const QString text = QString::fromStdString(StrengthMixText(log, f));
    if (e->text() == text) continue;
    const QSignalBlocker block(e);
    e->setText(text);
  }
}

}  // namespace kestrin
