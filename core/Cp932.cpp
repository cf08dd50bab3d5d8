#include "Cp932.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace kestrin {

namespace {

// One conversion with glibc iconv. Returns false on the first character that
// cannot be converted, with its offset in the input.
bool Convert(const char* to, const char* from, std::string_view in, std::string& out,
             std::size_t& badOffset, bool lossy) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    badOffset = 0;
    return false;
  }
  out.clear();
  char* inPtr = const_cast<char*>(in.data());
  std::size_t inLeft = in.size();
  char buffer[1024];
  bool ok = true;
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) continue;
      if (lossy) {
        out.append("\xEF\xBF\xBD");  // U+FFFD
        // Skip one byte, or the whole double-byte pair when it looks like one.
        const std::size_t skip =
            (inLeft >= 2 && IsCp932LeadByte(static_cast<unsigned char>(*inPtr))) ? 2 : 1;
        inPtr += skip;
        inLeft -= skip;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        continue;
      }
      badOffset = static_cast<std::size_t>(inPtr - in.data());
      ok = false;
      break;
    }
  }
  if (ok) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
  }
  iconv_close(cd);
  return ok;
}

std::string Utf8CharAt(std::string_view s, std::size_t offset) {
  if (offset >= s.size()) return {};
  const unsigned char b = static_cast<unsigned char>(s[offset]);
  std::size_t len = 1;
  if (b >= 0xF0) len = 4;
  else if (b >= 0xE0) len = 3;
  else if (b >= 0xC0) len = 2;
  return std::string(s.substr(offset, len));
}

}  // namespace

std::optional<AnsiString> Utf8ToCp932(std::string_view utf8, Cp932Error* error) {
  std::string out;
  std::size_t bad = 0;
  if (!Convert("CP932", "UTF-8", utf8, out, bad, false)) {
    if (error) {
      error->offset = bad;
      error->character = Utf8CharAt(utf8, bad);
    }
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> Cp932ToUtf8(std::string_view cp932, Cp932Error* error) {
  std::string out;
  std::size_t bad = 0;
  if (!Convert("UTF-8", "CP932", cp932, out, bad, false)) {
    if (error) {
      error->offset = bad;
      error->character.clear();
    }
    return std::nullopt;
  }
  return out;
}

std::string Cp932ToUtf8Lossy(std::string_view cp932) {
  std::string out;
  std::size_t bad = 0;
  Convert("UTF-8", "CP932", cp932, out, bad, true);
  return out;
}

AnsiString Sjis(std::string_view utf8) {
  auto r = Utf8ToCp932(utf8);
  if (!r) throw std::invalid_argument("text cannot be held in CP932");
  return *r;
}

AnsiString TruncateCp932(std::string_view cp932, std::size_t maxBytes) {
  std::size_t i = 0;
  while (i < cp932.size()) {
    const std::size_t len =
        (IsCp932LeadByte(static_cast<unsigned char>(cp932[i])) && i + 1 < cp932.size()) ? 2 : 1;
    if (i + len > maxBytes) break;
    i += len;
  }
  return AnsiString(cp932.substr(0, i));
}

}  // namespace kestrin
