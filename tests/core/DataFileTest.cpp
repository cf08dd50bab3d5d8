// The .slt data file: header, the current and the old layout, typed items,
// round trips, load failures that name their step, and saves that fail
// without touching the old file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "core/DataFile.h"
#include "tests/core/SltBuilder.h"
#include "tests/core/TempDir.h"
#include "tests/core/MonthBuilder.h"

using namespace kestrin;
using testutil::TempDir;

namespace {

std::string Hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (!out.empty()) out += ' ';
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

// A record as the load command leaves it before reading.
TMainData Reset() {
  TMainData d;
  d.ClearLists();
  d.Clear();
  return d;
}

TMainData Month(int32_t year, int32_t month) { return testutil::MonthWithValues({}, PackDate(year, month, 1)); }

bool LoadBytes(const std::string& bytes, TMainData& d, TFileHeader* header = nullptr) {
  TMemoryStream s(bytes);
  return LoadFromStream(s, d, header);
}

// Every field set to something other than its default.
TMainData FullRecord() {
  TMainData d;
  TBasicInfo& b = d.BasicInfo;
  b.Getsudo = PackDate(2024, 2, 15);  // leap February; the day part is kept
  b.Kojo = Sjis("東京第一工場");
  b.Tanto = Sjis("山田 太郎");
  b.Biko = Sjis("～①髙 梅雨時の表面水に注意");
  b.ClassWidth = 0.5L;
  b.KariAveX = 1650;
  b.Kyoyo = 150;
  b.Kyodo = 4.56789;
  b.Kotsuzai = 2.5;
  b.Air = -1.25;
  b.AirKyoyo = 123456789.1234;
  b.Cement = {Sjis("高炉B種"), "BB"};
  d.MakeSlumpList();
  d.MakeHistogramList();
  int i = 0;
  for (auto& day : d.SlumpList)
    for (auto& s : day.SokuteiList) s.Value = (i++ % 5 == 4) ? 0 : 1400 + (i * 53) % 500;
  d.Calculate();
  // What the reader must take as stored, not recompute.
  b.StartDay = 3;
  b.EndDay = 27;
  d.SlumpList.Items(4).Day = 99;
  d.SlumpList.Items(6).SokuteiList.Items(1).Judge = !d.SlumpList.Items(6).SokuteiList.Items(1).Judge;
  d.HistogramList.Items(2).F = 12345;
  d.CalcedResult.Hensa = 1.0L / 3.0L;
  return d;
}

}  // namespace

// ================================================================ typed items

TEST(TypedItems, GoldenBytesOfEachForm) {
  TMemoryStream s;
  ASSERT_TRUE(WriteStr(s, ""));
  EXPECT_EQ(Hex(s.Data()), "01 00 00 00 00");

  s = TMemoryStream();
  ASSERT_TRUE(WriteExtended(s, 0.5L));
  EXPECT_EQ(Hex(s.Data()), "00 00 00 00 00 00 00 80 FE 3F");

  s = TMemoryStream();
  ASSERT_TRUE(WriteInt(s, 211) && WriteInt(s, -2) && WriteBool(s, true) && WriteBool(s, false));
  EXPECT_EQ(Hex(s.Data()), "D3 00 00 00 FE FF FF FF 01 00");

  s = TMemoryStream();
  ASSERT_TRUE(WriteStr(s, Sjis("係")));
  EXPECT_EQ(Hex(s.Data()), "03 00 00 00 8C 57 00");

  // Currency is value x 10000 rounded half to even: 4.56789 -> 45679,
  // -1.5 -> -15000; exact ties 1/32 -> 312.5 -> 312 and 3/32 -> 937.5 -> 938.
  s = TMemoryStream();
  ASSERT_TRUE(WriteCurrency(s, 4.56789) && WriteCurrency(s, -1.5));
  EXPECT_EQ(Hex(s.Data()),
            "6F B2 00 00 00 00 00 00 68 C5 FF FF FF FF FF FF");
  s = TMemoryStream();
  ASSERT_TRUE(WriteCurrency(s, 1.0 / 32) && WriteCurrency(s, 3.0 / 32));
  EXPECT_EQ(Hex(s.Data()), "38 01 00 00 00 00 00 00 AA 03 00 00 00 00 00 00");
}

TEST(TypedItems, ReadBackAndTheStreamsReadState) {
  TMemoryStream s(std::string("\x05\x00\x00\x00" "\x02" "\x00", 6));
  EXPECT_EQ(ReadInt(s), 5);
  EXPECT_FALSE(s.ReadFailed());
  EXPECT_TRUE(ReadBool(s));  // any nonzero byte is true
  EXPECT_FALSE(s.ReadFailed());
  EXPECT_FALSE(ReadBool(s));
  EXPECT_FALSE(s.ReadFailed());
  ReadInt(s);  // nothing left
  EXPECT_TRUE(s.ReadFailed());
  ReadBool(s);
  EXPECT_TRUE(s.ReadFailed());

  TMemoryStream c(slt::Bytes().Cur(45679).Cur(-15000).Cur(1).Str());
  EXPECT_DOUBLE_EQ(ReadCurrency(c), 4.5679);
  EXPECT_DOUBLE_EQ(ReadCurrency(c), -1.5);
  EXPECT_DOUBLE_EQ(ReadCurrency(c), 0.0001);
  EXPECT_FALSE(c.ReadFailed());
}

TEST(TypedItems, StringCountsAndTheTextBeforeTheFirstZero) {
  // Count 0 is an empty text too.
  TMemoryStream zero(slt::Bytes().I32(0).I32(7).Str());
  EXPECT_EQ(ReadStr(zero), "");
  EXPECT_FALSE(zero.ReadFailed());
  EXPECT_EQ(ReadInt(zero), 7);

  // The text ends at the first 0 byte; all n bytes are consumed.
  TMemoryStream mid(slt::Bytes().I32(6).Raw("ab").U8(0).Raw("cd").U8(0).I32(9).Str());
  EXPECT_EQ(ReadStr(mid), "ab");
  EXPECT_FALSE(mid.ReadFailed());
  EXPECT_EQ(ReadInt(mid), 9);

  // Exactly 1024 bytes is accepted.
  const std::string longest(1023, 'x');
  TMemoryStream edge(slt::Bytes().Str(longest).Str());
  EXPECT_EQ(ReadStr(edge), longest);
  EXPECT_FALSE(edge.ReadFailed());

  // 1025 and negative counts are refused without reading past the count.
  for (int32_t n : {1025, -1, INT32_MAX, INT32_MIN}) {
    TMemoryStream bad(slt::Bytes().I32(n).Raw(std::string(2000, 'y')).Str());
    EXPECT_EQ(ReadStr(bad), "");
    EXPECT_TRUE(bad.ReadFailed()) << n;
    EXPECT_EQ(bad.Position(), 4u) << n;
  }

  // Short text and short count.
  TMemoryStream shortText(slt::Bytes().I32(10).Raw("abc").Str());
  ReadStr(shortText);
  EXPECT_TRUE(shortText.ReadFailed());
  TMemoryStream shortCount(std::string("\x01\x00", 2));
  ReadStr(shortCount);
  EXPECT_TRUE(shortCount.ReadFailed());
}

TEST(Extended, KnownEncodings) {
  auto enc = [](long double v) {
    unsigned char b[10];
    EncodeExtended(v, b);
    return Hex(std::string(reinterpret_cast<char*>(b), 10));
  };
  EXPECT_EQ(enc(0.5L), "00 00 00 00 00 00 00 80 FE 3F");
  EXPECT_EQ(enc(1.0L), "00 00 00 00 00 00 00 80 FF 3F");
  EXPECT_EQ(enc(-2.0L), "00 00 00 00 00 00 00 80 00 C0");
  EXPECT_EQ(enc(0.0L), "00 00 00 00 00 00 00 00 00 00");
  EXPECT_EQ(enc(-0.0L), "00 00 00 00 00 00 00 00 00 80");
  EXPECT_EQ(enc(std::numeric_limits<long double>::infinity()), "00 00 00 00 00 00 00 80 FF 7F");
  EXPECT_EQ(enc(-std::numeric_limits<long double>::infinity()), "00 00 00 00 00 00 00 80 FF FF");
  EXPECT_EQ(enc(std::numeric_limits<long double>::quiet_NaN()), "00 00 00 00 00 00 00 C0 FF 7F");
  // 0.1 has a full 64-bit significand: CCCC...CCCD x 2^-4.
  EXPECT_EQ(enc(0.1L), "CD CC CC CC CC CC CC CC FB 3F");
}

TEST(Extended, DecodingOfSpecialAndOddForms) {
  auto dec = [](const std::string& hex) {
    unsigned char b[10];
    for (int i = 0; i < 10; ++i) b[i] = static_cast<unsigned char>(std::stoi(hex.substr(i * 3, 2), nullptr, 16));
    return DecodeExtended(b);
  };
  EXPECT_EQ(dec("00 00 00 00 00 00 00 80 FE 3F"), 0.5L);
  EXPECT_EQ(dec("00 00 00 00 00 00 00 00 00 00"), 0.0L);
  EXPECT_TRUE(std::signbit(dec("00 00 00 00 00 00 00 00 00 80")));
  EXPECT_EQ(dec("00 00 00 00 00 00 00 80 FF 7F"), std::numeric_limits<long double>::infinity());
  EXPECT_TRUE(std::isnan(dec("00 00 00 00 00 00 00 C0 FF 7F")));
  EXPECT_TRUE(std::isnan(dec("01 00 00 00 00 00 00 00 FF 7F")));  // pseudo-NaN
  // Smallest denormal: 2^-16445.
  EXPECT_EQ(dec("01 00 00 00 00 00 00 00 00 00"), std::ldexp(1.0L, -16445));
  // An "unnormal" (integer bit clear) decodes to the value its bits describe.
  EXPECT_EQ(dec("00 00 00 00 00 00 00 40 FF 3F"), 0.5L);
  // Largest finite value.
  EXPECT_EQ(dec("FF FF FF FF FF FF FF FF FE 7F"), std::numeric_limits<long double>::max());
}

TEST(Extended, RoundTripsEveryLongDoubleExactly) {
  std::mt19937_64 rng(42);
  std::vector<long double> values = {1.0L / 3.0L, -1.38013L, 1e-4950L, 1e4930L, LDBL_MIN,
                                     LDBL_MIN / 3, LDBL_TRUE_MIN, LDBL_MAX, -LDBL_MAX};
  for (int i = 0; i < 2000; ++i) {
    const long double m = static_cast<long double>(rng()) / 18446744073709551616.0L;
    values.push_back(std::ldexp(m, static_cast<int>(rng() % 32000) - 16000) * ((rng() & 1) ? -1 : 1));
  }
  for (long double v : values) {
    unsigned char b[10];
    EncodeExtended(v, b);
    EXPECT_EQ(DecodeExtended(b), v);
    if constexpr (std::numeric_limits<long double>::digits == 64) {
      // On x87 hardware the 10 bytes are also the in-memory form.
      unsigned char mem[sizeof(long double)] = {};
      std::memcpy(mem, &v, sizeof v);
      EXPECT_EQ(std::memcmp(mem, b, 10), 0);
    }
  }
}

// ================================================================ layout

TEST(Layout, DefaultMonthsHaveTheDocumentedSizes) {
  EXPECT_EQ(MainDataBytes(Month(2026, 12)).size(), 915u);
  EXPECT_EQ(MainDataBytes(Month(2025, 2)).size(), 861u);
  EXPECT_EQ(MainDataBytes(Month(2024, 2)).size(), 879u);  // 29 days
}

TEST(Layout, EveryByteOfASmallRecordMatchesTheLayout) {
  TMainData d = Month(2026, 2);
  TBasicInfo& b = d.BasicInfo;
  b.Kojo = Sjis("第二工場");
  b.Tanto = "";
  b.Biko = "ok";
  b.Kyoyo = 0;  // 3 class rows
  b.Kyodo = 24;
  b.Air = 4.5;
  b.Cement = {Sjis("普通"), "N"};
  d.MakeHistogramList();
  d.SlumpList.Items(0).SokuteiList.Items(0).Value = 1800;
  d.SlumpList.Items(27).SokuteiList.Items(1).Value = 1750;
  d.Calculate();

  slt::Bytes e;
  e.Header211().I32(slt::Packed(2026, 2, 1)).Str(Sjis("第二工場")).Str("").Str("ok");
  e.Ext(0.5).I32(1800).I32(0).Cur(240000).Cur(0).Cur(45000).Cur(0).Str(Sjis("普通")).Str("N");
  e.I32(28);
  for (int day = 1; day <= 28; ++day) {
    e.I32(day).I32(2);
    e.I32(day == 1 ? 1800 : 0).Bool(day == 1);
    e.I32(day == 28 ? 1750 : 0).Bool(false);
  }
  // Three rows centred on 18.00, width 0.5: 1725-1775, 1775-1825, 1825-1875.
  e.I32(3);
  e.I32(1725).I32(1775).I32(1750).I32(-1).I32(1);
  e.I32(1775).I32(1825).I32(1800).I32(0).I32(1);
  e.I32(1825).I32(1875).I32(1850).I32(1).I32(0);
  const long double hensa = d.CalcedResult.Hensa;
  e.I32(2).I32(-1).I32(1).I32(1775);
  unsigned char h[10];
  EncodeExtended(hensa, h);
  e.Raw(std::string(reinterpret_cast<char*>(h), 10));
  e.I32(1).I32(28);

  EXPECT_NEAR(static_cast<double>(hensa), std::sqrt(0.5) * 0.5, 1e-15);
  EXPECT_EQ(Hex(MainDataBytes(d)), Hex(e.Str()));
}

// ================================================================ round trip

TEST(RoundTrip, SaveThenLoadKeepsEveryField) {
  TempDir dir;
  const TMainData src = FullRecord();
  ASSERT_TRUE(SaveToFile(dir / "full.slt", src));

  TMainData d = Reset();
  TFileHeader header;
  ASSERT_TRUE(LoadFromFile(dir / "full.slt", d, &header));
  EXPECT_EQ(std::string(header.Magic, 8), "SLUMPTES");
  EXPECT_EQ(header.Version, 211);
  EXPECT_EQ(std::string(header.Ext, 4), "SLT ");

  const TBasicInfo& a = src.BasicInfo;
  const TBasicInfo& b = d.BasicInfo;
  EXPECT_EQ(b.Getsudo, a.Getsudo);
  EXPECT_EQ(b.StartDay, 3);
  EXPECT_EQ(b.EndDay, 27);
  EXPECT_EQ(b.Kojo, a.Kojo);
  EXPECT_EQ(b.Tanto, a.Tanto);
  EXPECT_EQ(b.Biko, a.Biko);
  EXPECT_EQ(b.ClassWidth, a.ClassWidth);
  EXPECT_EQ(b.KariAveX, a.KariAveX);
  EXPECT_EQ(b.Kyoyo, a.Kyoyo);
  // The doubles come back to 4 decimals.
  EXPECT_DOUBLE_EQ(b.Kyodo, 4.5679);
  EXPECT_EQ(b.Kotsuzai, 2.5);
  EXPECT_EQ(b.Air, -1.25);
  EXPECT_DOUBLE_EQ(b.AirKyoyo, 123456789.1234);
  EXPECT_EQ(b.Cement.Name, a.Cement.Name);
  EXPECT_EQ(b.Cement.Mark, a.Cement.Mark);

  ASSERT_EQ(d.SlumpList.Count(), 29);
  for (int32_t i = 0; i < 29; ++i) {
    EXPECT_EQ(d.SlumpList.Items(i).Day, src.SlumpList.Items(i).Day);
    for (int32_t k = 0; k < 2; ++k) {
      EXPECT_EQ(d.SlumpList.Items(i).SokuteiList.Items(k).Value, src.SlumpList.Items(i).SokuteiList.Items(k).Value);
      EXPECT_EQ(d.SlumpList.Items(i).SokuteiList.Items(k).Judge, src.SlumpList.Items(i).SokuteiList.Items(k).Judge);
    }
  }
  EXPECT_EQ(d.SlumpList.Items(4).Day, 99);
  ASSERT_EQ(d.HistogramList.Count(), src.HistogramList.Count());
  for (int32_t i = 0; i < d.HistogramList.Count(); ++i) {
    const THistogram& x = d.HistogramList.Items(i);
    const THistogram& y = src.HistogramList.Items(i);
    EXPECT_EQ(x.Lower, y.Lower);
    EXPECT_EQ(x.Upper, y.Upper);
    EXPECT_EQ(x.Center, y.Center);
    EXPECT_EQ(x.U, y.U);
    EXPECT_EQ(x.F, y.F);
  }
  EXPECT_EQ(d.CalcedResult.SumF, src.CalcedResult.SumF);
  EXPECT_EQ(d.CalcedResult.SumUF, src.CalcedResult.SumUF);
  EXPECT_EQ(d.CalcedResult.SumU2F, src.CalcedResult.SumU2F);
  EXPECT_EQ(d.CalcedResult.AveX, src.CalcedResult.AveX);
  EXPECT_EQ(d.CalcedResult.Hensa, 1.0L / 3.0L);

  // A second save of what was read gives the same bytes.
  EXPECT_EQ(MainDataBytes(d), testutil::ReadFile(dir / "full.slt"));
}

TEST(RoundTrip, OddClassWidthFromAnOldFileIsKept) {
  TMainData src = Month(2026, 3);
  src.BasicInfo.ClassWidth = 0.3L;  // w = 30: 200 div 30 = 6 -> 15 rows
  src.MakeHistogramList();
  src.Calculate();
  ASSERT_EQ(src.HistogramList.Count(), 15);
  TMainData d = Reset();
  ASSERT_TRUE(LoadBytes(MainDataBytes(src), d));
  EXPECT_EQ(d.BasicInfo.ClassWidth, 0.3L);
  EXPECT_EQ(d.HistogramList.Count(), 15);
}

// ================================================================ failures

TEST(LoadFailure, EveryTruncationOfAValidFileFails) {
  const std::string bytes = MainDataBytes(FullRecord());
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    TMainData d = Reset();
    EXPECT_FALSE(LoadBytes(bytes.substr(0, n), d)) << "length " << n;
  }
  TMainData d = Reset();
  EXPECT_TRUE(LoadBytes(bytes, d));
}

TEST(LoadFailure, MissingFileFolderAndEmptyFile) {
  TempDir dir;
  TMainData d = Reset();
  EXPECT_FALSE(LoadFromFile(dir / "none.slt", d));
  EXPECT_FALSE(LoadFromFile(dir.Path(), d));
  testutil::WriteFile(dir / "empty.slt", "");
  EXPECT_FALSE(LoadFromFile(dir / "empty.slt", d));
}

namespace {

// The current layout up to the day count, with the given month, tolerance and
// width; the caller appends the rest.
slt::Bytes HeadUpToDays(int32_t getsudo, int32_t kyoyo, double width) {
  slt::Bytes e;
  e.Header211().I32(getsudo).Str("").Str("").Str("").Ext(width).I32(1800).I32(kyoyo);
  e.Cur(0).Cur(0).Cur(0).Cur(0).Str("").Str("");
  return e;
}

// Day blocks with `count` as the stored measurement count and `present`
// measurements following it (the same as the count unless given).
void AppendDays(slt::Bytes& e, int32_t days, int32_t count = 2, int32_t present = -1) {
  if (present < 0) present = count;
  e.I32(days);
  for (int32_t d = 1; d <= days; ++d) {
    e.I32(d).I32(count);
    for (int32_t k = 0; k < present; ++k) e.I32(0).Bool(false);
  }
}

void AppendRowsAndTail(slt::Bytes& e, int32_t rows) {
  e.I32(rows);
  for (int32_t r = 0; r < rows; ++r) e.I32(0).I32(0).I32(0).I32(0).I32(0);
  e.I32(0).I32(0).I32(0).I32(0).Ext(0).I32(1).I32(31);
}

}  // namespace

TEST(LoadFailure, CountsThatDoNotMatchTheHeader) {
  const int32_t march = slt::Packed(2026, 3, 1);
  {  // the reference file loads
    slt::Bytes e = HeadUpToDays(march, 200, 0.5);
    AppendDays(e, 31);
    AppendRowsAndTail(e, 11);
    TMainData d = Reset();
    EXPECT_TRUE(LoadBytes(e.Str(), d));
  }
  {  // days written for a 30-day month, header names a 31-day month
    slt::Bytes e = HeadUpToDays(march, 200, 0.5);
    AppendDays(e, 30);
    AppendRowsAndTail(e, 11);
    TMainData d = Reset();
    EXPECT_FALSE(LoadBytes(e.Str(), d));
  }
  {  // three measurements a day
    slt::Bytes e = HeadUpToDays(march, 200, 0.5);
    AppendDays(e, 31, 3);
    AppendRowsAndTail(e, 11);
    TMainData d = Reset();
    EXPECT_FALSE(LoadBytes(e.Str(), d));
  }
  for (int32_t count : {0, 1, 3, -2}) {
    // A wrong count over two measurements: everything after it lines up,
    // only the count itself is wrong.
    slt::Bytes e = HeadUpToDays(march, 200, 0.5);
    AppendDays(e, 31, count, 2);
    AppendRowsAndTail(e, 11);
    TMainData d = Reset();
    TMemoryStream s(e.Str());
    EXPECT_FALSE(LoadFromStream(s, d)) << count;
    EXPECT_EQ(s.FailedItem(), "1 日目の測定数が 2 ではありません") << count;
  }
  {  // tolerance 2.0 with width 0.5 must carry exactly 11 rows
    for (int32_t rows : {10, 12, 0, -11}) {
      slt::Bytes e = HeadUpToDays(march, 200, 0.5);
      AppendDays(e, 31);
      AppendRowsAndTail(e, rows);
      TMainData d = Reset();
      EXPECT_FALSE(LoadBytes(e.Str(), d)) << rows;
    }
  }
}

TEST(LoadFailure, ClassWidthsWithoutAClassTable) {
  const int32_t march = slt::Packed(2026, 3, 1);
  // w = RoundEven(width x 100) of 0 (or below) divides by zero; NaN and
  // infinity are no widths at all.
  for (double width : {0.0, 0.004, 0.005, -0.5, std::nan(""), HUGE_VAL}) {
    slt::Bytes e = HeadUpToDays(march, 200, 0.0);
    std::string bytes = e.Str();
    unsigned char ext[10];
    EncodeExtended(width, ext);
    std::memcpy(bytes.data() + 16 + 4 + 15, ext, 10);  // item 5
    slt::Bytes rest;
    AppendDays(rest, 31);
    AppendRowsAndTail(rest, 3);
    TMainData d = Reset();
    EXPECT_FALSE(LoadBytes(bytes + rest.Str(), d)) << width;
  }
}

TEST(LoadFailure, ClassTablesBeyondTheRowLimitOrThirtyTwoBits) {
  const int32_t march = slt::Packed(2026, 3, 1);
  // Width 0.01 (w = 1): 4998 gives 9999 rows and loads; 4999 gives 10001.
  {
    slt::Bytes e = HeadUpToDays(march, 4998, 0.01);
    AppendDays(e, 31);
    AppendRowsAndTail(e, 9999);
    TMainData d = Reset();
    EXPECT_TRUE(LoadBytes(e.Str(), d));
    EXPECT_EQ(d.HistogramList.Count(), 9999);
  }
  for (int32_t kyoyo : {4999, INT32_MAX, 1073741823}) {
    slt::Bytes e = HeadUpToDays(march, kyoyo, 0.01);
    AppendDays(e, 31);
    e.I32(-1);  // whatever count: the header alone is refused
    TMainData d = Reset();
    EXPECT_FALSE(LoadBytes(e.Str(), d)) << kyoyo;
  }
}

TEST(LoadFailure, NegativeToleranceMeansNoRowsAndStillLoads) {
  // (-100 div 50) x 2 + 3 = -1 rows: the writer stored 0 rows for it.
  slt::Bytes e = HeadUpToDays(slt::Packed(2026, 3, 1), -100, 0.5);
  AppendDays(e, 31);
  AppendRowsAndTail(e, 0);
  TMainData d = Reset();
  ASSERT_TRUE(LoadBytes(e.Str(), d));
  EXPECT_EQ(d.HistogramList.Count(), 0);
  d.Calculate();
  EXPECT_EQ(d.CalcedResult.SumF, 0);
}

TEST(LoadFailure, OversizedStringInTheHeaderFails) {
  slt::Bytes e;
  e.Header211().I32(slt::Packed(2026, 3, 1)).Str("").I32(1025).Raw(std::string(1025, 'a'));
  TMainData d = Reset();
  EXPECT_FALSE(LoadBytes(e.Str(), d));
}

// ================================================================ version 100

namespace {

struct OldEntry {
  int32_t day, am, pm, amJudge, pmJudge;
};

std::string OldFile(const std::string& versionText, int32_t getsudo, int32_t kyoyo,
                    const std::vector<OldEntry>& entries, int32_t count, double width = 0.5,
                    std::size_t blockSize = kOldDataSize) {
  slt::Bytes e;
  e.Raw("SLUMPTES").Raw(versionText).Raw("SLT ");
  e.I32(getsudo).I32(1800).I32(kyoyo).I32(count);
  for (const auto& x : entries) e.I32(x.day).I32(x.am).I32(x.pm).I32(x.amJudge).I32(x.pmJudge);
  e.Zeros(1000 - 20 * entries.size());
  e.Ext(width).Zeros(30);
  return e.Str().substr(0, 16 + blockSize);
}

}  // namespace

TEST(Version100, EntriesFillTheirDaysAndUnknownDaysAreSkipped) {
  const std::string file =
      OldFile("0100", slt::Packed(2005, 2, 1), 200,
              {{1, 1800, 1850, 1, 1}, {2, 1500, 0, 0, 0}, {40, 1900, 1900, 1, 1}}, 3);
  ASSERT_EQ(file.size(), 16u + 1056u);
  TMainData d = Reset();
  TFileHeader header;
  header.Version = -7;
  ASSERT_TRUE(LoadBytes(file, d, &header));
  EXPECT_EQ(header.Version, -7);  // the text-form header is not the binary one

  const TBasicInfo& b = d.BasicInfo;
  EXPECT_EQ(b.Getsudo, slt::Packed(2005, 2, 1));
  EXPECT_EQ(b.KariAveX, 1800);
  EXPECT_EQ(b.Kyoyo, 200);
  EXPECT_EQ(b.ClassWidth, 0.5L);
  EXPECT_TRUE(b.Kojo.empty() && b.Tanto.empty() && b.Biko.empty());
  EXPECT_TRUE(b.Cement.Name.empty() && b.Cement.Mark.empty());
  EXPECT_EQ(b.Kyodo, 0.0);
  EXPECT_EQ(b.Kotsuzai, 0.0);
  EXPECT_EQ(b.Air, 0.0);
  EXPECT_EQ(b.AirKyoyo, 0.0);

  ASSERT_EQ(d.SlumpList.Count(), 28);
  auto m = [&](int day, int k) { return d.SlumpList.Items(day - 1).SokuteiList.Items(k); };
  EXPECT_EQ(m(1, 0).Value, 1800);
  EXPECT_TRUE(m(1, 0).Judge);
  EXPECT_EQ(m(1, 1).Value, 1850);
  EXPECT_EQ(m(2, 0).Value, 1500);
  EXPECT_FALSE(m(2, 0).Judge);
  for (int day = 3; day <= 28; ++day) EXPECT_EQ(m(day, 0).Value + m(day, 1).Value, 0) << day;

  // The class table was computed from the values read.
  ASSERT_EQ(d.HistogramList.Count(), 11);
  EXPECT_EQ(d.CalcedResult.SumF, 3);
  EXPECT_EQ(d.HistogramList.Items(5).F, 1);   // 18.00
  EXPECT_EQ(d.HistogramList.Items(6).F, 1);   // 18.50
  EXPECT_EQ(d.HistogramList.Items(0).F, 1);   // 15.00, below the table
}

TEST(Version100, HeaderForms) {
  const int32_t feb = slt::Packed(2005, 2, 1);
  const std::vector<OldEntry> one = {{1, 1800, 1800, 1, 1}};
  TMainData d = Reset();
  EXPECT_TRUE(LoadBytes(OldFile(" 100", feb, 200, one, 1), d));  // leading blank
  d = Reset();
  EXPECT_TRUE(LoadBytes(OldFile("0100", feb, 200, one, 50), d));  // full record
  // A binary 211 in bytes 8-11 sends the old body to the current reader,
  // where it fails; so does any text that is not 100.
  for (const std::string& v : {std::string("\xD3\x00\x00\x00", 4), std::string("0101"),
                               std::string("10 0"), std::string("x100")}) {
    d = Reset();
    EXPECT_FALSE(LoadBytes(OldFile(v, feb, 200, one, 1), d)) << Hex(v);
  }
  // A lower-case extension is not the text form either.
  std::string lower = OldFile("0100", feb, 200, one, 1);
  lower.replace(12, 3, "slt");
  d = Reset();
  EXPECT_FALSE(LoadBytes(lower, d));
  // The binary header of the current reader decides by its int32 alone:
  // a binary 100 is read as the old layout.
  std::string binary100 = OldFile("0100", feb, 200, one, 1);
  binary100.replace(8, 4, std::string("\x64\x00\x00\x00", 4));
  d = Reset();
  TFileHeader header;
  EXPECT_TRUE(LoadBytes(binary100, d, &header));
  EXPECT_EQ(header.Version, 100);
}

TEST(Version100, DamagedRecordsFail) {
  const int32_t feb = slt::Packed(2005, 2, 1);
  const std::vector<OldEntry> one = {{1, 1800, 1800, 1, 1}};
  for (int32_t count : {51, -1, INT32_MAX, INT32_MIN}) {
    TMainData d = Reset();
    EXPECT_FALSE(LoadBytes(OldFile("0100", feb, 200, one, count), d)) << count;
  }
  TMainData d = Reset();
  EXPECT_FALSE(LoadBytes(OldFile("0100", feb, 200, one, 1, 0.5, 1055), d));  // short block
  d = Reset();
  EXPECT_FALSE(LoadBytes(OldFile("0100", feb, 200, one, 1, 0.0), d));  // w = 0
  d = Reset();
  EXPECT_FALSE(LoadBytes(OldFile("0100", feb, 2000000000, one, 1, 0.01), d));  // too many rows
}

// ================================================================ header

TEST(Header, WriteCheckAndRead) {
  TMemoryStream s;
  ASSERT_TRUE(WriteFileHeader(s, "slt"));
  EXPECT_EQ(Hex(s.Data()), Hex(std::string("SLUMPTES\xD3\x00\x00\x00SLT ", 16)));

  int32_t version = -1;
  s.Seek(0);
  EXPECT_TRUE(CheckFileHeader(s, "slt", version));
  EXPECT_EQ(version, 0);  // binary 211 is not a decimal text

  TMemoryStream other(std::string("SLUMPTES0100XYZ ", 16));
  version = -1;
  EXPECT_FALSE(CheckFileHeader(other, "slt", version));
  EXPECT_EQ(version, -1);

  TMemoryStream shortOne(std::string("SLUMPTES"));
  TFileHeader h;
  EXPECT_FALSE(ReadFileHeader(shortOne, h));
}

TEST(Header, ForeignHeaderIsReadAsTheCurrentLayout) {
  // Any magic in the binary header: the body decides.
  std::string bytes = MainDataBytes(Month(2026, 12));
  bytes.replace(0, 8, "NOTSLUMP");
  TMainData d = Reset();
  TFileHeader header;
  EXPECT_TRUE(LoadBytes(bytes, d, &header));
  EXPECT_EQ(std::string(header.Magic, 8), "NOTSLUMP");
}

// ================================================================ save

TEST(Save, NewFileGetsUmaskModeAndReplacedFileKeepsItsMode) {
  TempDir dir;
  const mode_t old = ::umask(022);
  ASSERT_TRUE(SaveToFile(dir / "new.slt", Month(2026, 12)));
  ::umask(old);
  struct stat st;
  ASSERT_EQ(::stat((dir / "new.slt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0644u);

  ::chmod((dir / "new.slt").c_str(), 0600);
  ASSERT_TRUE(SaveToFile(dir / "new.slt", Month(2025, 2)));
  ASSERT_EQ(::stat((dir / "new.slt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(st.st_size, 861);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"new.slt"});
}

TEST(Save, ThroughASymbolicLinkKeepsTheLink) {
  TempDir dir;
  testutil::WriteFile(dir / "real.slt", "old");
  ASSERT_EQ(::symlink("real.slt", (dir / "link.slt").c_str()), 0);
  ASSERT_TRUE(SaveToFile(dir / "link.slt", Month(2026, 12)));
  struct stat st;
  ASSERT_EQ(::lstat((dir / "link.slt").c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(testutil::ReadFile(dir / "real.slt").size(), 915u);
}

TEST(SaveFailure, UnwritablePlacesLeaveNothingBehind) {
  TempDir dir;
  const TMainData d = Month(2026, 12);
  EXPECT_FALSE(SaveToFile(dir / "missing/sub/month.slt", d));
  testutil::WriteFile(dir / "plain", "I am a file");
  EXPECT_FALSE(SaveToFile(dir / "plain/month.slt", d));
  ::mkdir((dir / "folder.slt").c_str(), 0755);
  EXPECT_FALSE(SaveToFile(dir / "folder.slt", d));
  EXPECT_FALSE(SaveToFile("", d));
  EXPECT_EQ(dir.Entries(), (std::vector<std::string>{"folder.slt", "plain"}));
  EXPECT_EQ(testutil::ReadFile(dir / "plain"), "I am a file");
}

TEST(SaveFailure, ReadOnlyFolderKeepsTheOldFile) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
  TempDir dir;
  ASSERT_TRUE(SaveToFile(dir / "month.slt", Month(2025, 2)));
  const std::string before = testutil::ReadFile(dir / "month.slt");
  ::chmod(dir.Path().c_str(), 0555);
  EXPECT_FALSE(SaveToFile(dir / "month.slt", Month(2026, 12)));
  ::chmod(dir.Path().c_str(), 0755);
  EXPECT_EQ(testutil::ReadFile(dir / "month.slt"), before);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"month.slt"});
}

TEST(SaveFailure, FileSizeLimitKeepsTheOldFileByteForByte) {
  TempDir dir;
  const std::string target = dir / "month.slt";
  ASSERT_TRUE(SaveToFile(target, Month(2025, 2)));
  const std::string before = testutil::ReadFile(target);

  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // A limit below the new file's 915 bytes: the write fails part-way.
    rlimit limit{500, 500};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool saved = static_cast<bool>(SaveToFile(target, Month(2026, 12)));
    ::_exit(saved ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status)) << "the child was killed by signal " << WTERMSIG(status);
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the save reported success";
  EXPECT_EQ(testutil::ReadFile(target), before);
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"month.slt"});
}

TEST(SaveFailure, ShortWriteStopsAtTheFirstIncompleteItem) {
  const TMainData d = Month(2026, 12);
  for (std::size_t limit : {0u, 15u, 16u, 22u, 500u, 914u}) {
    TMemoryStream s;
    s.SetWriteLimit(limit);
    EXPECT_FALSE(SaveMainData(s, d)) << limit;
  }
  TMemoryStream s;
  s.SetWriteLimit(915);
  EXPECT_TRUE(SaveMainData(s, d));
}
