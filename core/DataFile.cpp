#include "DataFile.h"

#include <cmath>
#include <cstring>

namespace kestrin {

namespace {

bool WriteBytes(TStream& s, const void* p, std::size_t n) { return s.Write(p, n) == n; }

}  // namespace

// ================================================================ header

namespace {

std::string_view TrimBlanks(std::string_view t) {
  while (!t.empty() && static_cast<unsigned char>(t.front()) <= ' ') t.remove_prefix(1);
  while (!t.empty() && static_cast<unsigned char>(t.back()) <= ' ') t.remove_suffix(1);
  return t;
}

std::string UpperAscii(std::string_view t) {
  std::string r(t);
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return r;
}

// A decimal integer with optional leading blanks and sign; 0 when the text
// is anything else.
int32_t DecimalOrZero(std::string_view t) {
  while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
  bool negative = false;
  if (!t.empty() && (t.front() == '+' || t.front() == '-')) {
    negative = t.front() == '-';
    t.remove_prefix(1);
  }
  if (t.empty()) return 0;
  int32_t v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return 0;
    v = v * 10 + (c - '0');  // at most four characters: no overflow
  }
  return negative ? -v : v;
}

}  // namespace

bool WriteFileHeader(TStream& s, std::string_view ext) {
  unsigned char h[kFileHeaderSize];
  std::memcpy(h, kFileMagic, 8);
  std::memset(h + 8, ' ', 8);
  const std::string upper = UpperAscii(ext.substr(0, 4));
  std::memcpy(h + 12, upper.data(), upper.size());
  PutLe32(h + 8, static_cast<uint32_t>(kCurrentFileVersion));
  return WriteBytes(s, h, kFileHeaderSize);
}

bool ReadFileHeader(TStream& s, TFileHeader& header) {
  unsigned char h[kFileHeaderSize];
  if (s.Read(h, kFileHeaderSize) != kFileHeaderSize) return false;
  std::memcpy(header.Magic, h, 8);
  header.Version = static_cast<int32_t>(GetLe32(h + 8));
  std::memcpy(header.Ext, h + 12, 4);
  return true;
}

bool CheckFileHeader(TStream& s, std::string_view ext, int32_t& version) {
  char h[kFileHeaderSize];
  if (s.Read(h, kFileHeaderSize) != kFileHeaderSize) return false;
  const std::string_view bytes(h, kFileHeaderSize);
  if (TrimBlanks(bytes.substr(0, 8)) != kFileMagic) return false;
  if (TrimBlanks(bytes.substr(12, 3)) != UpperAscii(ext)) return false;
  version = static_cast<uint16_t>(DecimalOrZero(bytes.substr(8, 4)));
  return true;
}

// ================================================================ record

bool ClassTableReadable(const TBasicInfo& info) {
  if (!std::isfinite(info.ClassWidth)) return false;
  if (info.ClassWidthHundredths() <= 0) return false;
  return info.HistogramCountRaw() <= kMaxHistogramRows;
}

namespace {

// A text item of the record: refused (nothing written) when the reader
// would refuse it.
bool WriteText(TStream& s, const AnsiString& text, const char* item) {
  if (!StrWritable(text)) {
    s.SetFailedItem(std::string(item) + "が長すぎます（" + std::to_string(kMaxStrBytes - 1) +
                    " バイトまで）");
    return false;
  }
  if (WriteStr(s, text)) return true;
  s.SetFailedItem(std::string(item) + "を書き込めません");
  return false;
}

bool Written(TStream& s, bool ok, const char* item) {
  if (!ok) s.SetFailedItem(std::string(item) + "を書き込めません");
  return ok;
}

// The first text of the record the reader would refuse, named; empty when
// every text can be written.
std::string UnwritableText(const TBasicInfo& b) {
  const std::pair<const AnsiString*, const char*> texts[] = {
      {&b.Kojo, "工場名"}, {&b.Tanto, "担当者"}, {&b.Biko, "備考"},
      {&b.Cement.Name, "セメントの種類"}, {&b.Cement.Mark, "セメントの記号"}};
  for (const auto& [text, item] : texts) {
    TMemoryStream probe;
    if (!StrWritable(*text) && !WriteText(probe, *text, item)) return probe.FailedItem();
  }
  return {};
}

}  // namespace

bool SaveMainData(TStream& s, const TMainData& data) {
  const TBasicInfo& b = data.BasicInfo;
  // The texts are checked before anything is written: a record the reader
  // could not load back is not written at all.
  if (std::string bad = UnwritableText(b); !bad.empty()) {
    s.SetFailedItem(std::move(bad));
    return false;
  }
  if (!Written(s, WriteFileHeader(s, kFileExt), "ヘッダ")) return false;
  if (!(Written(s, WriteInt(s, b.Getsudo), "月度") && WriteText(s, b.Kojo, "工場名") &&
        WriteText(s, b.Tanto, "担当者") && WriteText(s, b.Biko, "備考") &&
        Written(s,
                WriteExtended(s, b.ClassWidth) && WriteInt(s, b.KariAveX) && WriteInt(s, b.Kyoyo) &&
                    WriteCurrency(s, b.Kyodo) && WriteCurrency(s, b.Kotsuzai) &&
                    WriteCurrency(s, b.Air) && WriteCurrency(s, b.AirKyoyo),
                "ヘッダの数値") &&
        WriteText(s, b.Cement.Name, "セメントの種類") && WriteText(s, b.Cement.Mark, "セメントの記号")))
    return false;

  if (!Written(s, WriteInt(s, data.SlumpList.Count()), "日数")) return false;
  for (const TSlump& day : data.SlumpList) {
    bool ok = WriteInt(s, day.Day) && WriteInt(s, day.SokuteiList.Count());
    for (const TSokutei& m : day.SokuteiList) ok = ok && WriteInt(s, m.Value) && WriteBool(s, m.Judge);
    if (!Written(s, ok, "測定値")) return false;
  }

  bool ok = WriteInt(s, data.HistogramList.Count());
  for (const THistogram& h : data.HistogramList)
    ok = ok && WriteInt(s, h.Lower) && WriteInt(s, h.Upper) && WriteInt(s, h.Center) &&
         WriteInt(s, h.U) && WriteInt(s, h.F);
  if (!Written(s, ok, "度数表")) return false;

  const TCalcedResult& r = data.CalcedResult;
  return Written(s,
                 WriteInt(s, r.SumF) && WriteInt(s, r.SumUF) && WriteInt(s, r.SumU2F) &&
                     WriteInt(s, r.AveX) && WriteExtended(s, r.Hensa) && WriteInt(s, b.StartDay) &&
                     WriteInt(s, b.EndDay),
                 "集計値");
}

std::string MainDataBytes(const TMainData& data) {
  TMemoryStream s;
  if (!SaveMainData(s, data)) return {};  // a memory stream takes everything else
  return s.TakeData();
}

TFileResult SaveToFile(const std::string& path, const TMainData& data) {
  TMemoryStream s;
  if (!SaveMainData(s, data)) return TFileResult::Failure(path, s.FailedItem());
  return WriteFileAtomically(path, s.Data());
}

namespace {

// The typed reads of one layout, each straight into its field; the first
// that fails names its item in the stream.
class TItemReader {
 public:
  explicit TItemReader(TStream& s) : s_(s) {}

  bool Item(int32_t& v, const char* item) { return Take(ReadInt(s_), v, item); }
  bool Item(bool& v, const char* item) { return Take(ReadBool(s_), v, item); }
  bool Item(double& v, const char* item) { return Take(ReadCurrency(s_), v, item); }
  bool Item(long double& v, const char* item) { return Take(ReadExtended(s_), v, item); }
  bool Item(AnsiString& v, const char* item) { return Take(ReadStr(s_), v, item); }

  // Records a failure that is not a short read.
  bool Fail(std::string what) {
    s_.SetFailedItem(std::move(what));
    return false;
  }

 private:
  template <typename T>
  bool Take(T x, T& v, const char* item) {
    if (s_.ReadFailed()) return Fail(std::string(item) + "を読み込めません");
    v = std::move(x);
    return true;
  }

  TStream& s_;
};

}  // namespace

bool ReadMainData(TStream& s, TMainData& data) {
  TItemReader in(s);
  TBasicInfo& b = data.BasicInfo;
  if (!(in.Item(b.Getsudo, "月度") && in.Item(b.Kojo, "工場名") && in.Item(b.Tanto, "担当者") &&
        in.Item(b.Biko, "備考") && in.Item(b.ClassWidth, "級の幅") &&
        in.Item(b.KariAveX, "目標スランプ") && in.Item(b.Kyoyo, "許容値") &&
        in.Item(b.Kyodo, "呼び強度") && in.Item(b.Kotsuzai, "骨材の最大寸法") &&
        in.Item(b.Air, "空気量") && in.Item(b.AirKyoyo, "空気量の許容値") &&
        in.Item(b.Cement.Name, "セメントの種類") && in.Item(b.Cement.Mark, "セメントの記号")))
    return false;

  // The class table follows from the tolerance and width just read; refuse
  // a width that divides by zero or a table no sane file carries before
  // anything is built from it.
  if (!ClassTableReadable(b)) return in.Fail("許容値と級の幅から度数表を作れません");
  data.MakeSlumpList();
  data.MakeHistogramList();

  int32_t days = 0;
  if (!in.Item(days, "日数")) return false;
  if (days != data.SlumpList.Count()) return in.Fail("日数が月度の日数と合いません");
  int dayNo = 0;
  for (TSlump& day : data.SlumpList) {
    ++dayNo;
    int32_t count = 0;
    if (!in.Item(day.Day, "日付") || !in.Item(count, "測定数")) return false;
    if (count != 2) return in.Fail(std::to_string(dayNo) + " 日目の測定数が 2 ではありません");
    for (TSokutei& m : day.SokuteiList)
      if (!(in.Item(m.Value, "測定値") && in.Item(m.Judge, "判定"))) return false;
  }

  int32_t rows = 0;
  if (!in.Item(rows, "度数表の行数")) return false;
  if (rows != data.HistogramList.Count()) return in.Fail("度数表の行数が許容値と級の幅に合いません");
  for (THistogram& h : data.HistogramList)
    if (!(in.Item(h.Lower, "度数表") && in.Item(h.Upper, "度数表") && in.Item(h.Center, "度数表") &&
          in.Item(h.U, "度数表") && in.Item(h.F, "度数表")))
      return false;

  TCalcedResult& r = data.CalcedResult;
  return in.Item(r.SumF, "集計値") && in.Item(r.SumUF, "集計値") && in.Item(r.SumU2F, "集計値") &&
         in.Item(r.AveX, "平均値") && in.Item(r.Hensa, "標準偏差") && in.Item(b.StartDay, "開始日") &&
         in.Item(b.EndDay, "終了日");
}

namespace {
constexpr std::size_t kOldMaxEntries = 50;
constexpr std::size_t kOldEntrySize = 20;
constexpr std::size_t kOldEntriesOffset = 16;
constexpr std::size_t kOldClassWidthOffset = 1016;
}  // namespace

bool ConvertOldData(TMainData& data, const unsigned char* block) {
  data.ClearLists();
  TBasicInfo& b = data.BasicInfo;
  b.Getsudo = static_cast<int32_t>(GetLe32(block + 0));
  b.KariAveX = static_cast<int32_t>(GetLe32(block + 4));
  b.Kyoyo = static_cast<int32_t>(GetLe32(block + 8));
  const auto entries = static_cast<int32_t>(GetLe32(block + 12));
  b.ClassWidth = DecodeExtended(block + kOldClassWidthOffset);

  // The record has room for 50 entries; any other count is damage.
  if (entries < 0 || entries > static_cast<int32_t>(kOldMaxEntries)) return false;
  if (!ClassTableReadable(b)) return false;
  data.MakeSlumpList();
  data.MakeHistogramList();

  for (int32_t k = 0; k < entries; ++k) {
    const unsigned char* e = block + kOldEntriesOffset + kOldEntrySize * static_cast<std::size_t>(k);
    const auto day = static_cast<int32_t>(GetLe32(e + 0));
    for (TSlump& slump : data.SlumpList) {
      if (slump.Day != day) continue;
      TSokutei& am = slump.SokuteiList.Items(0);
      TSokutei& pm = slump.SokuteiList.Items(1);
      am.Value = static_cast<int32_t>(GetLe32(e + 4));
      pm.Value = static_cast<int32_t>(GetLe32(e + 8));
      am.Judge = static_cast<int32_t>(GetLe32(e + 12)) == 1;
      pm.Judge = static_cast<int32_t>(GetLe32(e + 16)) == 1;
      break;
    }
  }
  data.CalcHistogram();
  return true;
}

bool LoadFromStream(TStream& s, TMainData& data, TFileHeader* header) {
  s.SetFailedItem({});
  int32_t version = 0;
  CheckFileHeader(s, kFileExt, version);
  if (version != kOldFileVersion) {
    // Everything but a text-form version-100 header is read as the current
    // layout, whatever its binary magic and version say.
    TFileHeader h;
    if (!s.Seek(0) || !ReadFileHeader(s, h)) {
      s.SetFailedItem("ヘッダを読み込めません");
      return false;
    }
    if (header) *header = h;
    version = h.Version;
  }
  data.ClearLists();
  if (version == kOldFileVersion) {
    unsigned char block[kOldDataSize];
    if (s.Read(block, kOldDataSize) != kOldDataSize) {
      s.SetFailedItem("旧形式のデータが途中で終わっています");
      return false;
    }
    if (ConvertOldData(data, block)) return true;
    s.SetFailedItem("旧形式のデータが壊れています");
    return false;
  }
  return ReadMainData(s, data);
}

TFileResult LoadFromFile(const std::string& path, TMainData& data, TFileHeader* header) {
  TFileResult result;
  auto stream = TFileReadStream::Open(path, &result);
  if (!stream) return result;
  if (LoadFromStream(*stream, data, header)) return TFileResult::Success();
  const std::string& item = stream->FailedItem();
  return TFileResult::Failure(path, item.empty() ? "読み込みに失敗しました" : item,
                              stream->SystemError());
}

}  // namespace kestrin
