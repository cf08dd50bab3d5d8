#include "ShownText.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace kestrin {

namespace {

// The length of the valid UTF-8 sequence starting at `s[i]`, or 0 when the
// bytes there are not one (overlong forms and surrogates included).
std::size_t Utf8Length(std::string_view s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
  const unsigned char c = b(0);
  std::size_t n;
  unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
  if (c < 0x80) return 1;
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  if (b(1) < lo || b(1) > hi) return 0;
  for (std::size_t k = 2; k < n; ++k)
    if (b(k) < 0x80 || b(k) > 0xBF) return 0;
  return n;
}

void AppendHex(std::string& out, unsigned char c) {
  static const char digits[] = "0123456789ABCDEF";
  out += "\\x";
  out += digits[c >> 4];
  out += digits[c & 0xF];
}

}  // namespace

std::string ShownName(std::string_view name) {
  std::string out;
  out.reserve(name.size());
  for (std::size_t i = 0; i < name.size();) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    const std::size_t n = Utf8Length(name, i);
    if (n == 0) {
      AppendHex(out, c);
      ++i;
      continue;
    }
    if (n == 1) {
      switch (c) {
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\\': out += "\\\\"; break;
        default:
          if (c < 0x20 || c == 0x7F) AppendHex(out, c);
          else out += static_cast<char>(c);
      }
      ++i;
      continue;
    }
    // C1 controls (U+0080 to U+009F, C2 80 to C2 9F): a terminal takes
    // some of them as the start of an escape sequence. The line and
    // paragraph separators break a line in a message box, and the
    // direction overrides reorder what follows them.
    const unsigned char c1 = static_cast<unsigned char>(name[i + 1]);
    const unsigned char c2 = n > 2 ? static_cast<unsigned char>(name[i + 2]) : 0;
    const bool c1Control = c == 0xC2 && c1 <= 0x9F;
    const bool layoutControl =
        c == 0xE2 && ((c1 == 0x80 && c2 >= 0xA8 && c2 <= 0xAE) || (c1 == 0x81 && c2 >= 0xA6 && c2 <= 0xA9));
    if (c1Control || layoutControl) {
      for (std::size_t k = 0; k < n; ++k) AppendHex(out, static_cast<unsigned char>(name[i + k]));
    } else {
      out.append(name.substr(i, n));
    }
    i += n;
  }
  return out;
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t n = Utf8Length(bytes, i);
    if (n == 0) return false;
    i += n;
  }
  return true;
}

std::string SystemErrorText(int error) {
  switch (error) {
    case 0: return {};
    case ENOENT: return "ファイルまたはフォルダがありません";
    case ENOTDIR: return "途中の名前がフォルダではありません";
    case EACCES:
    case EPERM: return "権限がありません";
    case ENOSPC: return "ディスクの空き容量が足りません";
    case EDQUOT: return "ディスク使用量の上限（クォータ）を超えました";
    case EROFS: return "読み取り専用のファイルシステムです";
    case EISDIR: return "フォルダです";
    case ENAMETOOLONG: return "名前が長すぎます";
    case ELOOP: return "シンボリックリンクが多すぎます（循環している可能性があります）";
    case EMLINK: return "リンクが多すぎます";
    case EIO: return "入出力エラーです（ディスクか接続の不具合）";
    case EFBIG: return "ファイルサイズの上限を超えました";
    case ENOMEM: return "メモリが足りません";
    default: return std::strerror(error);
  }
}

std::string FileTypeText(unsigned mode) {
  switch (mode & S_IFMT) {
    case S_IFDIR: return "フォルダです";
    case S_IFIFO: return "名前付きパイプ（FIFO）です";
    case S_IFSOCK: return "ソケットです";
    case S_IFCHR:
    case S_IFBLK: return "装置ファイルです";
    default: return "通常のファイルではありません";
  }
}

}  // namespace kestrin
