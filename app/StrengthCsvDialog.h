// 「CSV取込…」 of the strength window: the file dialog for the lab's CSV,
// the reading (refusals shown with the line and the column, nothing
// taken), and a preview of what lands where (each row as the test it
// becomes, the columns that are ignored named) before the rows are taken.
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "core/StrengthLog.h"

class QLabel;
class QPushButton;
class QTableWidget;
class QWidget;

namespace kestrin {

struct TStrengthCsv;

// Asks for a CSV file in `folder` (updated to the chosen file's folder),
// reads it and shows the preview. Returns the tests when the user takes
// them; nothing when the dialog is cancelled or the file is refused (the
// refusal has been shown). Days are checked up to 31.
std::optional<std::vector<TStrengthTest>> AskStrengthCsvImport(QWidget* parent, QString& folder);
// The same for a month of `days` days: a 日 beyond them is refused with
// its line, as the command line does for its --month.
std::optional<std::vector<TStrengthTest>> AskStrengthCsvImport(QWidget* parent, QString& folder,
                                                               int32_t days);

// The preview of a read CSV: the tests as a read-only table with the
// strength window's column headings, a line naming the file, its encoding
// and separator, a notice naming the ignored columns (hidden when there
// are none), and 取り込む (accept) / キャンセル (reject).
class TStrengthCsvPreview : public QDialog {
  Q_OBJECT

 public:
  TStrengthCsvPreview(const TStrengthCsv& csv, const QString& fileName, QWidget* parent = nullptr);

  QTableWidget* Table() const { return table_; }
  QLabel* SourceLine() const { return source_; }
  QLabel* IgnoredNotice() const { return ignored_; }
  QPushButton* TakeButton() const { return take_; }

 private:
  QTableWidget* table_ = nullptr;
  QLabel* source_ = nullptr;
  QLabel* ignored_ = nullptr;
  QPushButton* take_ = nullptr;
};

}  // namespace kestrin
