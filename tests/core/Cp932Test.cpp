// The CP932 (Shift-JIS) conversions: round trips, characters CP932 cannot
// hold, broken byte sequences and the byte limits of the text fields.
#include <gtest/gtest.h>

#include "core/Cp932.h"

using namespace kestrin;

TEST(Cp932, RoundTripsJapaneseAndWindowsSpecificCharacters) {
  for (const char* s : {"普通", "工場名", "①②", "髙橋", "ＡＢＣ abc 123", "", "シリカB種"}) {
    auto sjis = Utf8ToCp932(s);
    ASSERT_TRUE(sjis) << s;
    auto back = Cp932ToUtf8(*sjis);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, s);
  }
}

TEST(Cp932, UsesTheWindowsCodePageMappings) {
  EXPECT_EQ(*Utf8ToCp932("～"), "\x81\x60");
  EXPECT_EQ(*Utf8ToCp932("①"), "\x87\x40");
  EXPECT_EQ(*Utf8ToCp932("髙"), "\xFB\xFC");
  EXPECT_EQ(*Utf8ToCp932("−"), "\x81\x7C");
}

TEST(Cp932, ReportsCharactersItCannotHold) {
  Cp932Error err;
  EXPECT_FALSE(Utf8ToCp932("ab😀cd", &err));
  EXPECT_EQ(err.offset, 2u);
  EXPECT_EQ(err.character, "😀");
  EXPECT_FALSE(Utf8ToCp932("\xC3\x28"));  // malformed UTF-8
  EXPECT_THROW(Sjis("😀"), std::invalid_argument);
}

TEST(Cp932, InvalidBytesFailStrictDecodingAndAreReplacedForDisplay) {
  const std::string broken = std::string("A\x81", 2);  // lead byte without trail
  EXPECT_FALSE(Cp932ToUtf8(broken));
  EXPECT_EQ(Cp932ToUtf8Lossy(broken).substr(0, 1), "A");
  EXPECT_NE(Cp932ToUtf8Lossy(broken).find("\xEF\xBF\xBD"), std::string::npos);
  EXPECT_EQ(Cp932ToUtf8Lossy(*Utf8ToCp932("普通")), "普通");
}

TEST(Cp932, TruncationNeverSplitsADoubleByteCharacter) {
  const AnsiString s = *Utf8ToCp932("aあいう");  // 1 + 2 + 2 + 2 bytes
  EXPECT_EQ(TruncateCp932(s, 7), s);
  EXPECT_EQ(TruncateCp932(s, 6), *Utf8ToCp932("aあい"));
  EXPECT_EQ(TruncateCp932(s, 4), *Utf8ToCp932("aあ"));
  EXPECT_EQ(TruncateCp932(s, 2), "a");
  EXPECT_EQ(TruncateCp932(s, 0), "");
  // Half-width katakana are single bytes.
  EXPECT_EQ(TruncateCp932(*Utf8ToCp932("ｱｲｳ"), 2).size(), 2u);
}
