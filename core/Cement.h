// The cement type table and the rules of the header's cement choice.
#pragma once

#include <cstdint>
#include <vector>

#include "Cp932.h"

namespace kestrin {

struct TCement {
  AnsiString Name;
  AnsiString Mark;
};

class TCementList {
 public:
  int32_t Add(TCement c) {
    items_.push_back(std::move(c));
    return static_cast<int32_t>(items_.size() - 1);
  }
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  const TCement& Items(int32_t i) const { return items_.at(static_cast<std::size_t>(i)); }
  TCement& Items(int32_t i) { return items_.at(static_cast<std::size_t>(i)); }
  void Clear() { items_.clear(); }

 private:
  std::vector<TCement> items_;
};

// Appends the 17 cement types in pick-list order; "その他" last, empty mark.
void MakeCementList(TCementList& list);

// Index of the standard cement whose name equals `name` byte for byte
// (rows 1-16 of the table, "その他" excluded), or -1.
int32_t StandardCementIndex(const TCementList& list, const AnsiString& name);
inline bool IsStandardCementName(const TCementList& list, const AnsiString& name) {
  return StandardCementIndex(list, name) >= 0;
}

// Setting the name: a standard name brings its own mark; any other text
// takes the last row's (empty) mark so the user can type one.
void SetCementName(TCement& cement, const TCementList& list, const AnsiString& name);

// Setting the mark: a standard name keeps its own mark whatever was typed.
void SetCementMark(TCement& cement, const TCementList& list, const AnsiString& mark);

// The mark may be typed only while the name is not a standard one; the name
// cell offers the list only while it is.
inline bool CementMarkEditable(const TCement& cement, const TCementList& list) {
  return !IsStandardCementName(list, cement.Name);
}

// Colour (0x00BBGGRR) of the locked mark cell: light green.
inline constexpr uint32_t kCementMarkLockedColor = 14548957;

}  // namespace kestrin
