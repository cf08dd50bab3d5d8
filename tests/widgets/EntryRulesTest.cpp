// Entry rules of the editors: CP932 byte limits and refused characters,
// numeric entries, and the year/month pair.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

#include "GtestQt.h"
#include "TypeText.h"
#include "core/Numbers.h"
#include "widgets/Cp932Text.h"
#include "widgets/EditCells.h"

using namespace kestrin;

namespace {

// A line editor as the text cells make it, with a byte limit.
struct LimitedEdit {
  explicit LimitedEdit(int maxBytes) : validator(new TCp932Validator(maxBytes, &edit)) {
    edit.setValidator(validator);
  }
  TCellLineEdit edit;
  TCp932Validator* validator;
  int Bytes() const { return Cp932ByteLength(edit.text()); }
};

}  // namespace

TEST(Cp932Entry, ByteLengthCountsDoubleByteCharacters) {
  EXPECT_EQ(Cp932ByteLength(QStringLiteral("abc")), 3);
  EXPECT_EQ(Cp932ByteLength(QStringLiteral("山田")), 4);
  EXPECT_EQ(Cp932ByteLength(QStringLiteral("ｾﾒﾝﾄ")), 4);  // half-width kana: 1 byte each
  EXPECT_EQ(Cp932ByteLength(QStringLiteral("～①髙")), 6);
  EXPECT_EQ(Cp932ByteLength(QString::fromUtf8("a😀")), -1);
  EXPECT_EQ(FirstNonCp932Char(QString::fromUtf8("ab😀c")), QString::fromUtf8("😀"));
  EXPECT_EQ(ToAnsi(QString::fromUtf8("a😀b")), std::string("ab"));
  EXPECT_EQ(FromAnsi(ToAnsi(QStringLiteral("普通ポルトランド"))), QStringLiteral("普通ポルトランド"));
}

TEST(Cp932Entry, TypingStopsAtTheLimitWithoutSplittingACharacter) {
  LimitedEdit e(5);
  TypeText(&e.edit, QStringLiteral("aあいう"));
  // "aあい" is 5 bytes; "う" would need two more.
  EXPECT_EQ(e.edit.text(), QStringLiteral("aあい"));
  LimitedEdit odd(4);
  TypeText(&odd.edit, QStringLiteral("aあい"));
  // 3 bytes used, one left: "い" (2 bytes) does not fit and is not cut in half.
  EXPECT_EQ(odd.edit.text(), QStringLiteral("aあ"));
  TypeText(&odd.edit, QStringLiteral("b"));
  EXPECT_EQ(odd.edit.text(), QStringLiteral("aあb"));
  EXPECT_EQ(odd.Bytes(), 4);
}

TEST(Cp932Entry, PastedTextIsCutAtTheInsertionPoint) {
  LimitedEdit e(8);
  TypeText(&e.edit, QStringLiteral("xy"));
  e.edit.setCursorPosition(1);
  e.edit.insert(QStringLiteral("あいうえお"));
  // The tail of the paste is dropped; the text after the cursor stays.
  EXPECT_EQ(e.edit.text(), QStringLiteral("xあいうy"));
  EXPECT_EQ(e.Bytes(), 8);
}

TEST(Cp932Entry, CharactersOutsideCp932AreRefusedWithAReason) {
  LimitedEdit e(40);
  QSignalSpy refused(e.validator, &TCp932Validator::Refused);
  TypeText(&e.edit, QStringLiteral("ab"));
  e.edit.insert(QString::fromUtf8("😀"));
  e.edit.insert(QString::fromUtf8("c한d"));  // Hangul is not in CP932: the whole paste is refused
  EXPECT_EQ(e.edit.text(), QStringLiteral("ab"));
  ASSERT_GE(refused.count(), 2);
  EXPECT_TRUE(refused.at(0).at(0).toString().contains(QString::fromUtf8("😀")));
  // Characters CP932 does hold, including its vendor extensions, go in.
  e.edit.insert(QStringLiteral("～①髙"));
  EXPECT_EQ(e.edit.text(), QStringLiteral("ab～①髙"));
  // Control characters (a pasted tab) are refused.
  e.edit.insert(QStringLiteral("\t"));
  EXPECT_EQ(e.edit.text(), QStringLiteral("ab～①髙"));
}

TEST(NumericEntry, AllowedTextFollowsDecimalsLengthAndSign) {
  TNumRule value{1, 4, true, 0.0, 99.9};
  EXPECT_TRUE(IsNumericTextAllowed(QStringLiteral("18.5"), value));
  EXPECT_TRUE(IsNumericTextAllowed(QStringLiteral(""), value));
  EXPECT_TRUE(IsNumericTextAllowed(QStringLiteral("18."), value));
  EXPECT_FALSE(IsNumericTextAllowed(QStringLiteral("18.55"), value));  // 2 decimals
  EXPECT_FALSE(IsNumericTextAllowed(QStringLiteral("100.5"), value));  // 5 characters
  EXPECT_FALSE(IsNumericTextAllowed(QStringLiteral("-1"), value));     // a maximum is set
  EXPECT_FALSE(IsNumericTextAllowed(QStringLiteral("1e3"), value));
  TNumRule whole{0, 4, false, 0, 0};
  EXPECT_FALSE(IsNumericTextAllowed(QStringLiteral("2.5"), whole));
  EXPECT_TRUE(IsNumericTextAllowed(QStringLiteral("-25"), whole));  // no range: any number
  EXPECT_EQ(NormalizeNumericInput(QStringLiteral("１８．５")), QStringLiteral("18.5"));
}

TEST(NumericEntry, CommitParsesBlanksAndClampsToTheNearerBound) {
  const TNumRule value{1, 4, true, 0.0, 99.9};
  EXPECT_EQ(ParseNumericEntry(QStringLiteral("18.5"), value), (TNumValue{18.5, false}));
  EXPECT_EQ(ParseNumericEntry(QStringLiteral(""), value), (TNumValue{0.0, true}));
  EXPECT_EQ(ParseNumericEntry(QStringLiteral("."), value), (TNumValue{0.0, true}));
  EXPECT_EQ(ParseNumericEntry(QStringLiteral("0"), value), (TNumValue{0.0, false}));
  const TNumRule tolerance{1, 3, true, 0.0, 5.0};
  EXPECT_EQ(ParseNumericEntry(QStringLiteral("9.9"), tolerance).Value, 5.0);
  const TNumRule open{0, 4, false, 0, 0};
  EXPECT_EQ(ParseNumericEntry(QStringLiteral("-40"), open).Value, -40.0);
  EXPECT_EQ(ParseNumericEntry(QStringLiteral("9999"), open).Value, 9999.0);
  // Values entered as tenths store exactly after x100 rounding.
  EXPECT_EQ(RoundOff(static_cast<long double>(ParseNumericEntry(QStringLiteral("17.9"), value).Value) * 100), 1790);
}

TEST(NumericEntry, ValidatorRefusesKeysThatBreakTheFormat) {
  TCellLineEdit e;
  e.setValidator(new TNumValidator(TNumRule{1, 4, true, 0.0, 99.9}, &e));
  TypeText(&e, QStringLiteral("1a8.55-"));
  EXPECT_EQ(e.text(), QStringLiteral("18.5"));
  TCellLineEdit fw;
  fw.setValidator(new TNumValidator(TNumRule{1, 4, true, 0.0, 99.9}, &fw));
  fw.insert(QStringLiteral("１７．９"));
  EXPECT_EQ(fw.text(), QStringLiteral("17.9"));
}

TEST(NumericEntry, FixedFormatsRoundHalfAwayFromZero) {
  EXPECT_EQ(FormatFixed(18.5, 1), QStringLiteral("18.5"));
  EXPECT_EQ(FormatFixed(1855 / 100.0, 1), QStringLiteral("18.6"));
  EXPECT_EQ(FormatFixed(0.0, 3), QStringLiteral("0.000"));
  EXPECT_EQ(FormatFixed(-1.25, 1), QStringLiteral("-1.3"));
  EXPECT_EQ(FormatFixed(24.0, 0), QStringLiteral("24"));
  EXPECT_EQ(FormatFixed(0.9745, 3), QStringLiteral("0.975"));
}

TEST(DatePair, EntriesStayWithinTheLimitsAndKeepAValidDay) {
  int32_t date = PackDate(2005, 1, 31);
  TDatePair pair;
  pair.SetLimits(PackDate(1900, 1, 1), PackDate(2100, 12, 31));
  pair.OnGetDate = [&] { return date; };
  EXPECT_EQ(pair.WithYear(1899), PackDate(1900, 1, 31));
  EXPECT_EQ(pair.WithYear(2101), PackDate(2100, 1, 31));
  EXPECT_EQ(pair.WithYear(0), PackDate(1900, 1, 31));
  EXPECT_EQ(pair.WithMonth(13), PackDate(2005, 12, 31));
  EXPECT_EQ(pair.WithMonth(0), PackDate(2005, 1, 31));
  // The day is shortened to the new month.
  EXPECT_EQ(pair.WithMonth(2), PackDate(2005, 2, 28));
  date = PackDate(2004, 1, 30);
  EXPECT_EQ(pair.WithMonth(2), PackDate(2004, 2, 29));
  // A record without a month starts from the lower limit.
  date = 0;
  EXPECT_EQ(pair.WithMonth(7), PackDate(1900, 7, 1));
}

TEST(DatePair, CellsShowFourAndTwoDigitsAndCommitThroughThePair) {
  auto pair = std::make_shared<TDatePair>();
  int32_t date = PackDate(2005, 2, 1);
  int sets = 0;
  pair->SetLimits(PackDate(1900, 1, 1), PackDate(2100, 12, 31));
  pair->OnGetDate = [&] { return date; };
  pair->OnSetDate = [&](int32_t d) {
    date = d;
    ++sets;
  };
  TDateCell year(QStringLiteral("CellYear"), pair, TDateCell::TPart::Year);
  TDateCell month(QStringLiteral("CellMonth"), pair, TDateCell::TPart::Month);
  EXPECT_EQ(year.DisplayText(), QStringLiteral("2005"));
  EXPECT_EQ(month.DisplayText(), QStringLiteral("02"));
  std::unique_ptr<QWidget> e(month.CreateEditor(nullptr));
  month.LoadEditor(e.get());
  TypeText(e.get(), QStringLiteral("123"));  // two digits at most
  EXPECT_EQ(static_cast<TCellLineEdit*>(e.get())->text(), QStringLiteral("12"));
  EXPECT_TRUE(month.Commit(e.get()));
  EXPECT_EQ(date, PackDate(2005, 12, 1));
  // Unchanged text commits nothing; an empty entry keeps the month.
  month.LoadEditor(e.get());
  EXPECT_FALSE(month.Commit(e.get()));
  static_cast<TCellLineEdit*>(e.get())->clear();
  EXPECT_FALSE(month.Commit(e.get()));
  EXPECT_EQ(sets, 1);
}
