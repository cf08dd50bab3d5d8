// The overview window's table rows: what an item stands for, kept in its
// data (the kind and an index into the overview's lists).
#pragma once

#include <Qt>

namespace kestrin::overview_rows {

constexpr int kKindRole = Qt::UserRole;
constexpr int kIndexRole = Qt::UserRole + 1;
// A plant row holds the plant's index, a month row the month's, a failure
// row the failure's; a mix row the mix's (StrengthMixes), a strength month
// row the log's (StrengthMonths).
enum TRowKind {
  rowPlant = 1,
  rowMonth = 2,
  rowFailure = 3,
  rowFailures = 4,
  rowMix = 5,
  rowStrengthMonth = 6
};

}  // namespace kestrin::overview_rows
