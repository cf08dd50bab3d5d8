// The screen side of the CP932 texts: conversion between the record's CP932
// bytes and QString, byte counting, and the validator that keeps a line
// editor within a CP932 byte limit.
#pragma once

#include <QString>
#include <QValidator>

#include "core/Cp932.h"

namespace kestrin {

// CP932 bytes -> QString; bytes that are not valid CP932 show as U+FFFD.
QString FromAnsi(const AnsiString& text);

// QString -> CP932 bytes. Characters CP932 cannot hold are left out (the
// editors refuse them at typing time, so this only guards other callers).
AnsiString ToAnsi(const QString& text);

// The length of `text` in CP932 bytes, or -1 when it holds a character that
// CP932 cannot represent.
int Cp932ByteLength(const QString& text);

// The first character of `text` that CP932 cannot hold (a whole surrogate
// pair for characters outside the BMP), or an empty string.
QString FirstNonCp932Char(const QString& text);

// Keeps a QLineEdit's text representable in CP932 and within `maxBytes`
// bytes. A typed or pasted character CP932 cannot hold is refused (the
// whole input event is rejected); text that would pass the limit is cut at
// the insertion point so that no double-byte character is split; control
// characters are refused. maxBytes <= 0 means no limit.
class TCp932Validator : public QValidator {
  Q_OBJECT
 public:
  explicit TCp932Validator(int maxBytes, QObject* parent = nullptr);
  int MaxBytes() const { return maxBytes_; }
  State validate(QString& input, int& pos) const override;

 signals:
  // Why an input was refused or cut, as a message for the status line.
  void Refused(const QString& message) const;

 private:
  int maxBytes_;
};

// Status-line messages of the validator.
QString RefusedCharMessage(const QString& ch);
QString LimitReachedMessage(int maxBytes);

}  // namespace kestrin
