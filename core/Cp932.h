// Conversion between the CP932 (Shift-JIS) bytes the record keeps and the
// UTF-8 used by the screen, the command line and JSON.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kestrin {

// A text in CP932 bytes, as held in the month record, the data file and the
// settings file.
using AnsiString = std::string;

struct Cp932Error {
  // Byte offset in the input where conversion stopped.
  std::size_t offset = 0;
  // The offending character (UTF-8) when known, e.g. an emoji.
  std::string character;
};

// UTF-8 -> CP932. Fails (nullopt) on any character CP932 cannot hold or on
// malformed UTF-8; `error` then tells where.
std::optional<AnsiString> Utf8ToCp932(std::string_view utf8, Cp932Error* error = nullptr);

// CP932 -> UTF-8. Fails on a byte sequence that is not valid CP932.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932, Cp932Error* error = nullptr);

// CP932 -> UTF-8 for display: invalid bytes become U+FFFD instead of failing.
std::string Cp932ToUtf8Lossy(std::string_view cp932);

// Convenience for literals in the source: converts known-good UTF-8 text and
// throws std::invalid_argument if it cannot be held in CP932.
AnsiString Sjis(std::string_view utf8);

// True when the byte starts a double-byte CP932 character.
constexpr bool IsCp932LeadByte(unsigned char b) {
  return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// The longest prefix of `cp932` of at most `maxBytes` bytes that does not
// split a double-byte character.
AnsiString TruncateCp932(std::string_view cp932, std::size_t maxBytes);

}  // namespace kestrin
