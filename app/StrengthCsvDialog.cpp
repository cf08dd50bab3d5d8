// 「CSV取込…」 of the strength window (see StrengthCsvDialog.h).
#include "StrengthCsvDialog.h"

namespace kestrin {

std::optional<std::vector<TStrengthTest>> AskStrengthCsvImport(QWidget* parent, QString& folder) {
  (void)parent;
  (void)folder;
  return std::nullopt;
}

}  // namespace kestrin
