#include "Cement.h"

namespace kestrin {

void MakeCementList(TCementList& list) {
  static const char* const kRows[17][2] = {
      {"普通", "N"},           {"早強", "H"},
      {"超早強", "UH"},        {"中庸熱", "M"},
      {"低熱", "L"},           {"耐硫酸塩", "SR"},
      {"高炉A種", "BA"},       {"高炉B種", "BB"},
      {"高炉C種", "BC"},       {"シリカA種", "SA"},
      {"シリカB種", "AB"},     {"シリカC種", "SC"},
      {"フライアッシュA種", "FA"}, {"フライアッシュB種", "FB"},
      {"フライアッシュC種", "FC"}, {"低アルカリ形", "NL"},
      {"その他", ""},
  };
  for (const auto& row : kRows) list.Add(TCement{Sjis(row[0]), Sjis(row[1])});
}

int32_t StandardCementIndex(const TCementList& list, const AnsiString& name) {
  // Every row but the last ("その他") is a standard cement.
  for (int32_t i = 0; i + 1 < list.Count(); ++i)
    if (list.Items(i).Name == name) return i;
  return -1;
}

void SetCementName(TCement& cement, const TCementList& list, const AnsiString& name) {
  cement.Name = name;
  const int32_t i = StandardCementIndex(list, name);
  if (i >= 0)
    cement.Mark = list.Items(i).Mark;
  else if (list.Count() > 0)
    cement.Mark = list.Items(list.Count() - 1).Mark;
  else
    cement.Mark.clear();
}

void SetCementMark(TCement& cement, const TCementList& list, const AnsiString& mark) {
  const int32_t i = StandardCementIndex(list, cement.Name);
  cement.Mark = i >= 0 ? list.Items(i).Mark : mark;
}

}  // namespace kestrin
