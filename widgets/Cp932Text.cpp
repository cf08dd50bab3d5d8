#include "Cp932Text.h"

namespace kestrin {

QString FromAnsi(const AnsiString& text) {
  if (text.empty()) return {};
  return QString::fromStdString(Cp932ToUtf8Lossy(text));
}

AnsiString ToAnsi(const QString& text) {
  if (text.isEmpty()) return {};
  if (auto a = Utf8ToCp932(text.toStdString())) return *a;
  // Convert character by character and leave out what cannot be held.
  AnsiString out;
  for (int i = 0; i < text.size(); ++i) {
    int n = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
    if (auto a = Utf8ToCp932(text.mid(i, n).toStdString())) out += *a;
    i += n - 1;
  }
  return out;
}

int Cp932ByteLength(const QString& text) {
  if (text.isEmpty()) return 0;
  auto a = Utf8ToCp932(text.toStdString());
  return a ? static_cast<int>(a->size()) : -1;
}

QString FirstNonCp932Char(const QString& text) {
  const std::string utf8 = text.toStdString();
  Cp932Error err;
  if (Utf8ToCp932(utf8, &err)) return {};
  if (!err.character.empty()) return QString::fromStdString(err.character);
  return QStringLiteral("?");
}

QString RefusedCharMessage(const QString& ch) {
  return QStringLiteral("「%1」は入力できない文字です（Shift-JIS にない文字）．").arg(ch);
}

QString LimitReachedMessage(int maxBytes) {
  return QStringLiteral("この欄には半角%1文字（全角%2文字）まで入力できます．")
      .arg(maxBytes)
      .arg(maxBytes / 2);
}

TCp932Validator::TCp932Validator(int maxBytes, QObject* parent)
    : QValidator(parent), maxBytes_(maxBytes) {}

QValidator::State TCp932Validator::validate(QString& input, int& pos) const {
  for (const QChar c : input) {
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) {
      emit Refused(QStringLiteral("制御文字は入力できません．"));
      return Invalid;
    }
  }
  int bytes = Cp932ByteLength(input);
  if (bytes < 0) {
    emit Refused(RefusedCharMessage(FirstNonCp932Char(input)));
    return Invalid;
  }
  if (maxBytes_ <= 0 || bytes <= maxBytes_) return Acceptable;

  // Too long: drop the characters just before the insertion point (the
  // ones being typed or pasted) until the text fits. Whole characters are
  // removed, so a double-byte character is never split.
  pos = std::clamp(pos, 0, static_cast<int>(input.size()));
  while (bytes > maxBytes_ && pos > 0) {
    int n = (pos >= 2 && input.at(pos - 1).isLowSurrogate() && input.at(pos - 2).isHighSurrogate())
                ? 2
                : 1;
    input.remove(pos - n, n);
    pos -= n;
    bytes = Cp932ByteLength(input);
  }
  // Still too long (a longer text set from outside): keep its head.
  if (bytes > maxBytes_) {
    input = FromAnsi(TruncateCp932(ToAnsi(input), static_cast<std::size_t>(maxBytes_)));
    pos = std::min(pos, static_cast<int>(input.size()));
  }
  emit Refused(LimitReachedMessage(maxBytes_));
  return Acceptable;
}

}  // namespace kestrin
