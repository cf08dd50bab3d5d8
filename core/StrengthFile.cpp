// The strength log's file (see StrengthFile.h).
#include "StrengthFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "Numbers.h"
#include "StrictJson.h"

namespace kestrin {

namespace {

// Text limits, in characters.
constexpr std::size_t kMaxPlantChars = 40;
constexpr std::size_t kMaxCementChars = 20;
constexpr std::size_t kMaxSymbolChars = 10;
constexpr std::size_t kMaxTruckChars = 20;
constexpr std::size_t kMaxRemarksChars = 100;
constexpr int32_t kMinYear = 1900;
constexpr int32_t kMaxYear = 2999;

TStrengthReadResult Refused(const TJsonError& error) { return {false, {}, error.field, error.message}; }

// "2025-06" into year and month.
bool ParseMonth(const std::string& s, int32_t& year, int32_t& month) {
  if (s.size() != 7 || s[4] != '-') return false;
  for (std::size_t i : {0u, 1u, 2u, 3u, 5u, 6u})
    if (s[i] < '0' || s[i] > '9') return false;
  year = std::stoi(s.substr(0, 4));
  month = std::stoi(s.substr(5, 2));
  return year >= kMinYear && year <= kMaxYear && month >= 1 && month <= 12;
}

// "HH:MM" from 00:00 to 23:59.
bool ValidTime(const std::string& s) {
  if (s.size() != 5 || s[2] != ':') return false;
  for (std::size_t i : {0u, 1u, 3u, 4u})
    if (s[i] < '0' || s[i] > '9') return false;
  return (s[0] - '0') * 10 + (s[1] - '0') <= 23 && s[3] <= '5';
}

bool ReadSpecimens(TJsonChecker& c, const TJson& test, const std::string& parent, const char* key,
                   std::optional<TSpecimens>& out) {
  out.reset();
  const auto it = test.find(key);
  if (it == test.end() || it->is_null()) return true;
  const std::string field = TJsonChecker::Join(parent, key);
  if (!c.Array(*it, field)) return false;
  if (it->size() != kSpecimens)
    return c.Fail(field, TJsonChecker::Name(field) + "は供試体 3 本の値です（現在 " +
                             std::to_string(it->size()) + " 個）．");
  TSpecimens s{};
  for (std::size_t i = 0; i < kSpecimens; ++i)
    if (!c.Decimal((*it)[i], TJsonChecker::Index(field, i), 1, 1, 2000, s[i])) return false;
  out = s;
  return true;
}

bool ReadMix(TJsonChecker& c, const TJson& root, TStrengthMix& mix) {
  const auto it = root.find("Mix");
  if (it == root.end()) return c.Missing("Mix");
  const TJson& m = *it;
  if (!c.Object(m, "Mix") || !c.OnlyKeys(m, "Mix",
                                         {"NominalStrength", "Slump", "SlumpTolerance", "Air", "AirTolerance",
                                          "Aggregate", "Cement", "Symbol"}))
    return false;
  std::optional<int32_t> nominal, slump, slumpTol, air, airTol;
  int32_t aggregate = 0;
  if (!c.Decimal(m, "Mix", "NominalStrength", 1, 10, 1500, nominal, true) ||
      !c.Decimal(m, "Mix", "Slump", 1, 0, 300, slump, true) ||
      !c.Decimal(m, "Mix", "SlumpTolerance", 1, 0, 100, slumpTol, true) ||
      !c.Decimal(m, "Mix", "Air", 1, 0, 200, air, true) ||
      !c.Decimal(m, "Mix", "AirTolerance", 1, 0, 100, airTol, true) ||
      !c.Int(m, "Mix", "Aggregate", 1, 200, aggregate, true))
    return false;
  mix.NominalStrength = *nominal;
  mix.Slump = *slump;
  mix.SlumpTolerance = *slumpTol;
  mix.Air = *air;
  mix.AirTolerance = *airTol;
  mix.Aggregate = aggregate;
  mix.Cement.clear();
  mix.Symbol.clear();
  return c.Utf8(m, "Mix", "Cement", kMaxCementChars, mix.Cement) &&
         c.Utf8(m, "Mix", "Symbol", kMaxSymbolChars, mix.Symbol);
}

bool ReadTest(TJsonChecker& c, const TJson& t, const std::string& at, int32_t days, TStrengthTest& test) {
  if (!c.Object(t, at) || !c.OnlyKeys(t, at,
                                      {"Day", "Time", "Truck", "Slump", "Air", "Temperature", "Chloride",
                                       "Strength7", "Strength28", "Remarks"}))
    return false;
  std::optional<int32_t> slump, air;
  if (!c.Int(t, at, "Day", 1, days, test.Day, true) || !c.Utf8(t, at, "Time", 16, test.Time) ||
      !c.Utf8(t, at, "Truck", kMaxTruckChars, test.Truck) ||
      !c.Decimal(t, at, "Slump", 1, 0, 300, slump, true) || !c.Decimal(t, at, "Air", 1, 0, 200, air, true) ||
      !c.Decimal(t, at, "Temperature", 1, -100, 600, test.Temperature) ||
      !c.Decimal(t, at, "Chloride", 2, 0, 500, test.Chloride) ||
      !ReadSpecimens(c, t, at, "Strength7", test.Strength7) ||
      !ReadSpecimens(c, t, at, "Strength28", test.Strength28) ||
      !c.Utf8(t, at, "Remarks", kMaxRemarksChars, test.Remarks))
    return false;
  if (!test.Time.empty() && !ValidTime(test.Time)) {
    const std::string field = TJsonChecker::Join(at, "Time");
    return c.Fail(field, TJsonChecker::Name(field) + "は「時:分」（00:00～23:59）で書いてください．");
  }
  test.Slump = *slump;
  test.Air = *air;
  return true;
}

// Reads the bytes of a regular file of at most kMaxStrengthFileBytes:
// stat() first so a FIFO or device is never opened, a non-blocking open,
// fstat() again in case the name was swapped in between.
TStrengthReadResult ReadBytes(const std::string& path, std::string& text) {
  auto fail = [&path](std::string reason) { return TStrengthReadResult{false, path, {}, std::move(reason)}; };
  auto failErrno = [&fail](const char* what, int error) {
    return fail(std::string(what) + "（" + std::strerror(error) + "）．");
  };
  struct stat st;
  if (::stat(path.c_str(), &st) != 0)
    return errno == ENOENT || errno == ENOTDIR ? fail("ファイルが見つかりません．")
                                               : failErrno("ファイルを開けません", errno);
  if (S_ISDIR(st.st_mode)) return fail("フォルダです．");
  if (!S_ISREG(st.st_mode)) return fail("通常のファイルではありません（装置・パイプなど）．");
  const std::string tooLarge = "ファイルが大きすぎます（1 MiB まで）．";
  if (st.st_size < 0 || static_cast<std::size_t>(st.st_size) > kMaxStrengthFileBytes) return fail(tooLarge);
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return failErrno("ファイルを開けません", errno);
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (::fstat(fd, &st) != 0) return failErrno("ファイルを開けません", errno);
  if (!S_ISREG(st.st_mode)) return fail("通常のファイルではありません（装置・パイプなど）．");
  // Room for the size the stat gave and one byte more, which tells a file
  // that grew since; it grows up to one byte more than the cap. (Not the
  // cap at once: the overview reads hundreds of logs of a few kilobytes.)
  text.resize(static_cast<std::size_t>(st.st_size) + 1);
  std::size_t total = 0;
  while (total < text.size()) {
    const ssize_t n = ::read(fd, text.data() + total, text.size() - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return failErrno("ファイルを読み込めません", errno);
    if (n == 0) break;
    total += static_cast<std::size_t>(n);
    if (total == text.size() && text.size() <= kMaxStrengthFileBytes)
      text.resize(std::min(2 * text.size(), kMaxStrengthFileBytes + 1));
  }
  if (total > kMaxStrengthFileBytes) return fail(tooLarge);
  text.resize(total);
  return {true, path, {}, {}};
}

// One value on one line: objects and arrays with ", " and ": " between
// their items, texts as UTF-8.
std::string Inline(const TJson& v) {
  std::string s;
  if (v.is_object()) {
    for (auto it = v.begin(); it != v.end(); ++it)
      s += (s.empty() ? "" : ", ") + TJson(it.key()).dump() + ": " + Inline(it.value());
    return "{" + s + "}";
  }
  if (v.is_array()) {
    for (const TJson& item : v) s += (s.empty() ? "" : ", ") + Inline(item);
    return "[" + s + "]";
  }
  return v.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

TJson Scaled(int32_t v, int decimals) { return decimals == 1 ? v / 10.0 : v / 100.0; }
TJson Scaled(const std::optional<int32_t>& v, int decimals) {
  return v ? Scaled(*v, decimals) : TJson(nullptr);
}
TJson Specimens(const std::optional<TSpecimens>& s) {
  if (!s) return nullptr;
  TJson a = TJson::array();
  for (const int32_t v : *s) a.push_back(Scaled(v, 1));
  return a;
}

}  // namespace

std::string TStrengthReadResult::Message() const { return Path.empty() ? Reason : Path + ": " + Reason; }

TStrengthReadResult StrengthLogFromText(std::string_view text, TStrengthLog& out) {
  // A byte-order mark left by an editor.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  TJson root;
  TJsonError error;
  if (!ParseStrictJson(text, root, error)) {
    error.message += "．";
    return Refused(error);
  }
  TJsonChecker c(error);
  if (!root.is_object()) {
    c.Fail("", "強度試験ファイルではありません（JSON のオブジェクトではありません）．");
    return Refused(error);
  }
  const auto format = root.find("Format");
  if (format == root.end() || !format->is_string() ||
      format->get_ref<const std::string&>() != kStrengthFormat) {
    c.Fail("Format", std::string("強度試験ファイルではありません（Format が \"") + kStrengthFormat +
                         "\" ではありません）．");
    return Refused(error);
  }
  int32_t version = 0;
  if (!c.Int(root, "", "Version", 1, INT32_MAX, version, true)) return Refused(error);
  if (version > kStrengthVersion) {
    c.Fail("Version", "このファイルは新しい版の Kestrin で保存されています（Version " +
                          std::to_string(version) + "）．この版では読めません．");
    return Refused(error);
  }
  if (!c.OnlyKeys(root, "", {"Format", "Version", "Plant", "Month", "Mix", "Tests"})) return Refused(error);

  TStrengthLog log;
  log.Mix = {};
  std::string month;
  if (!c.Utf8(root, "", "Plant", kMaxPlantChars, log.Plant)) return Refused(error);
  if (root.find("Month") == root.end()) {
    c.Missing("Month");
    return Refused(error);
  }
  if (!c.Utf8(root, "", "Month", 7, month) || !ParseMonth(month, log.Year, log.Month)) {
    if (error.message.empty())
      c.Fail("Month", TJsonChecker::Name("Month") + "は「年-月」（例 2025-06，" + std::to_string(kMinYear) +
                          "～" + std::to_string(kMaxYear) + " 年）で書いてください．");
    return Refused(error);
  }
  if (!ReadMix(c, root, log.Mix)) return Refused(error);

  const auto tests = root.find("Tests");
  if (tests == root.end()) {
    c.Missing("Tests");
    return Refused(error);
  }
  if (!c.Array(*tests, "Tests")) return Refused(error);
  if (tests->size() > kMaxStrengthTests) {
    c.Fail("Tests", TJsonChecker::Name("Tests") + "の試験が多すぎます（" + std::to_string(kMaxStrengthTests) +
                        " 件まで，現在 " + std::to_string(tests->size()) + " 件）．");
    return Refused(error);
  }
  const int32_t days = DaysInMonth(log.Year, log.Month);
  log.Tests.resize(tests->size());
  for (std::size_t i = 0; i < tests->size(); ++i)
    if (!ReadTest(c, (*tests)[i], TJsonChecker::Index("Tests", i), days, log.Tests[i])) return Refused(error);
  out = std::move(log);
  return {};
}

TStrengthReadResult LoadStrengthFile(const std::string& path, TStrengthLog& log) {
  std::string text;
  if (TStrengthReadResult read = ReadBytes(path, text); !read) return read;
  TStrengthReadResult r = StrengthLogFromText(text, log);
  r.Path = path;
  return r;
}

std::string StrengthLogText(const TStrengthLog& log) {
  const TStrengthMix& m = log.Mix;
  TJson mix = TJson::object();
  mix["NominalStrength"] =
      m.NominalStrength % 10 == 0 ? TJson(m.NominalStrength / 10) : Scaled(m.NominalStrength, 1);
  mix["Slump"] = Scaled(m.Slump, 1);
  mix["SlumpTolerance"] = Scaled(m.SlumpTolerance, 1);
  mix["Air"] = Scaled(m.Air, 1);
  mix["AirTolerance"] = Scaled(m.AirTolerance, 1);
  mix["Aggregate"] = m.Aggregate;
  mix["Cement"] = m.Cement;
  mix["Symbol"] = m.Symbol;

  const std::string month =
      FormatScaled(log.Year, 0) + "-" + (log.Month < 10 ? "0" : "") + std::to_string(log.Month);
  std::string s = "{\n";
  s += "  \"Format\": " + Inline(kStrengthFormat) + ",\n";
  s += "  \"Version\": " + std::to_string(kStrengthVersion) + ",\n";
  s += "  \"Plant\": " + Inline(log.Plant) + ",\n";
  s += "  \"Month\": " + Inline(month) + ",\n";
  s += "  \"Mix\": " + Inline(mix) + ",\n";
  s += "  \"Tests\": [";
  for (std::size_t i = 0; i < log.Tests.size(); ++i) {
    const TStrengthTest& t = log.Tests[i];
    TJson j = TJson::object();
    j["Day"] = t.Day;
    j["Time"] = t.Time.empty() ? TJson(nullptr) : TJson(t.Time);
    j["Truck"] = t.Truck;
    j["Slump"] = Scaled(t.Slump, 1);
    j["Air"] = Scaled(t.Air, 1);
    j["Temperature"] = Scaled(t.Temperature, 1);
    j["Chloride"] = Scaled(t.Chloride, 2);
    j["Strength7"] = Specimens(t.Strength7);
    j["Strength28"] = Specimens(t.Strength28);
    j["Remarks"] = t.Remarks;
    s += (i == 0 ? "\n    " : ",\n    ") + Inline(j);
  }
  s += log.Tests.empty() ? "]\n}\n" : "\n  ]\n}\n";
  return s;
}

TFileResult SaveStrengthFile(const std::string& path, const TStrengthLog& log) {
  const std::string text = StrengthLogText(log);
  // Only what reads back as the same log is written: a value out of range
  // or a text the reader refuses would make a file that cannot be opened.
  TStrengthLog back;
  if (const TStrengthReadResult r = StrengthLogFromText(text, back); !r)
    return TFileResult::Failure(path, r.Reason);
  if (!(back == log)) return TFileResult::Failure(path, "書き戻せない文字または値があります");
  return WriteFileAtomically(path, text);
}

}  // namespace kestrin
