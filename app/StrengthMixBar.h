// The heading of the strength window: the plant (the settings' plant
// names, or typed), the month and the mix, each field committed when it
// is left or Enter is pressed, and the buttons 「スランプの月から写す」 and
// 「CSV取込…」. It shows what it is given and changes nothing itself: a
// field's text goes to the window, which checks and commits it.
#pragma once

#include <QStringList>
#include <QWidget>
#include <array>

#include "core/StrengthLog.h"
#include "core/StrengthMixEntry.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace kestrin {

class TStrengthMixBar : public QWidget {
  Q_OBJECT
 public:
  explicit TStrengthMixBar(QWidget* parent = nullptr);

  // The plant list's names (empty ones left out).
  void SetPlants(const QStringList& plants);
  // Every field from the log, without signals.
  void Show(const TStrengthLog& log);
  // The field's editor (a line edit, or the combo's).
  QLineEdit* Editor(TStrengthMixField field) const { return editors_[static_cast<std::size_t>(field)]; }
  QPushButton* CopyButton() const { return copy_; }
  QPushButton* ImportButton() const { return import_; }

 signals:
  void FieldEdited(TStrengthMixField field, const QString& text);
  void CopyFromMonth();
  void ImportCsv();

 private:
  std::array<QLineEdit*, kStrengthMixFields> editors_{};
  QComboBox* plant_ = nullptr;
  QComboBox* cement_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* import_ = nullptr;
};

}  // namespace kestrin
