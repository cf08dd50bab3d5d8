// 「CSV取込…」 of the strength window: the file dialog for the lab's CSV,
// the reading (refusals shown with the line and the column, nothing
// taken), and a preview of what lands where (each row as the test it
// becomes, the columns that are ignored named) before the rows are taken.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "core/StrengthLog.h"

class QWidget;

namespace kestrin {

// Asks for a CSV file in `folder` (updated to the chosen file's folder),
// reads it and shows the preview. Returns the tests when the user takes
// them; nothing when the dialog is cancelled or the file is refused (the
// refusal has been shown).
std::optional<std::vector<TStrengthTest>> AskStrengthCsvImport(QWidget* parent, QString& folder);

}  // namespace kestrin
