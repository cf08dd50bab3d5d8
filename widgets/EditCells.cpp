#include "EditCells.h"

#include <QAbstractItemView>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "Cp932Text.h"
#include "core/Numbers.h"

namespace kestrin {

void ApplyImeMode(QWidget* editor, TImeMode mode, bool numeric) {
  if (mode == TImeMode::Off) {
    editor->setAttribute(Qt::WA_InputMethodEnabled, false);
    Qt::InputMethodHints hints = Qt::ImhLatinOnly | Qt::ImhNoPredictiveText;
    if (numeric) hints |= Qt::ImhFormattedNumbersOnly;
    editor->setInputMethodHints(hints);
  } else {
    editor->setAttribute(Qt::WA_InputMethodEnabled, true);
    editor->setInputMethodHints(Qt::ImhNoAutoUppercase);
  }
  editor->setProperty("kestrinImeMode", mode == TImeMode::Off ? QStringLiteral("off") : QStringLiteral("hiragana"));
}

// ------------------------------------------------------------ line editor

TCellLineEdit::TCellLineEdit(QWidget* parent) : QLineEdit(parent) {
  setFrame(false);
  setMaxLength(32767);
}

void TCellLineEdit::Load(const QString& text) {
  {
    // Filling the editor is not typing: a stored value the rule would
    // refuse raises no message.
    const QSignalBlocker quiet(const_cast<QValidator*>(validator()));
    setText(text);
  }
  LoadedText = this->text();
  selectAll();
  entryClickPending_ = true;
}

void TCellLineEdit::mousePressEvent(QMouseEvent* event) {
  if (SelectAllOnEntryClick && entryClickPending_ && event->button() == Qt::LeftButton) {
    entryClickPending_ = false;
    entryClickHeld_ = true;
    setFocus(Qt::MouseFocusReason);
    selectAll();
    event->accept();
    return;
  }
  entryClickPending_ = false;
  QLineEdit::mousePressEvent(event);
}

void TCellLineEdit::mouseMoveEvent(QMouseEvent* event) {
  // A hand that moves a little during the entering click does not shrink
  // the selection.
  if (entryClickHeld_) {
    event->accept();
    return;
  }
  QLineEdit::mouseMoveEvent(event);
}

void TCellLineEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (entryClickHeld_) {
    entryClickHeld_ = false;
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void TCellLineEdit::PasteFirstLine() {
  QString text = QGuiApplication::clipboard()->text();
  const qsizetype end = text.indexOf(QRegularExpression(QStringLiteral("[\\r\\n]")));
  if (end >= 0) text.truncate(end);
  if (text.isEmpty()) return;
  // As typed: the validator takes it or refuses it with its message.
  insert(text);
}

void TCellLineEdit::keyPressEvent(QKeyEvent* event) {
  entryClickPending_ = false;
  if (event->matches(QKeySequence::Paste) && !isReadOnly()) {
    PasteFirstLine();
    event->accept();
    return;
  }
  QLineEdit::keyPressEvent(event);
}

namespace {

TCellLineEdit* MakeLineEdit(const TCell& cell, QWidget* parent) {
  auto* e = new TCellLineEdit(parent);
  e->setFont(cell.Font);
  switch (cell.Align) {
    case TCellAlign::Left: e->setAlignment(Qt::AlignLeft | Qt::AlignVCenter); break;
    case TCellAlign::Center: e->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter); break;
    case TCellAlign::Right: e->setAlignment(Qt::AlignRight | Qt::AlignVCenter); break;
  }
  e->setTextMargins(cell.Margin - 1, 0, cell.Margin - 1, 0);
  return e;
}

}  // namespace

// ------------------------------------------------------------------- text

TTextCell::TTextCell(QString name) : TCell(std::move(name)) { TabStop = true; }

QString TTextCell::DisplayText() const { return OnGetValue ? OnGetValue() : Caption; }

QWidget* TTextCell::CreateEditor(QWidget* parent) {
  auto* e = MakeLineEdit(*this, parent);
  e->setValidator(new TCp932Validator(MaxBytes, e));
  ApplyImeMode(e, Ime);
  return e;
}

void TTextCell::LoadEditor(QWidget* editor) const {
  static_cast<TCellLineEdit*>(editor)->Load(DisplayText());
}

bool TTextCell::EditorModified(const QWidget* editor) const {
  return static_cast<const TCellLineEdit*>(editor)->Modified();
}

bool TTextCell::Commit(QWidget* editor) {
  auto* e = static_cast<TCellLineEdit*>(editor);
  if (!e->Modified() || !OnSetValue) return false;
  const QString before = OnGetValue ? OnGetValue() : QString();
  OnSetValue(e->text());
  const QString after = OnGetValue ? OnGetValue() : QString();
  return before != after;
}

// ---------------------------------------------------------------- numbers

QString NormalizeNumericInput(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (QChar c : text) {
    const char16_t u = c.unicode();
    if (u >= 0xFF10 && u <= 0xFF19) out += QChar(u - 0xFF10 + '0');
    else if (u == 0xFF0E) out += QLatin1Char('.');
    else if (u == 0xFF0D || u == 0x2212 || u == 0x30FC) out += QLatin1Char('-');
    else out += c;
  }
  return out;
}

bool IsNumericTextAllowed(const QString& text, const TNumRule& rule) {
  if (text.size() > rule.MaxChars) return false;
  QString pattern = rule.AllowNegative() ? QStringLiteral("^-?[0-9]*") : QStringLiteral("^[0-9]*");
  if (rule.Decimals > 0) pattern += QStringLiteral("(\\.[0-9]{0,%1})?").arg(rule.Decimals);
  pattern += QLatin1Char('$');
  return QRegularExpression(pattern).match(text).hasMatch();
}

QString NumericRefusal(const QString& text, const TNumRule& rule) {
  if (IsNumericTextAllowed(text, rule)) return {};
  int points = 0;
  for (int i = 0; i < text.size(); ++i) {
    const QChar c = text.at(i);
    if (c.isDigit() && c.unicode() < 0x80) continue;
    if (c == QLatin1Char('-')) {
      if (!rule.AllowNegative()) return QStringLiteral("マイナスの値は入力できません．");
      if (i != 0) return QStringLiteral("マイナスは先頭にだけ入力できます．");
      continue;
    }
    if (c == QLatin1Char('.')) {
      if (rule.Decimals == 0) return QStringLiteral("小数点は入力できません．");
      if (++points > 1) return QStringLiteral("小数点は１つだけ入力できます．");
      continue;
    }
    return rule.Decimals > 0 ? QStringLiteral("数字と小数点のほかは入力できません．")
                             : QStringLiteral("数字のほかは入力できません．");
  }
  const int point = static_cast<int>(text.indexOf(QLatin1Char('.')));
  if (point >= 0 && text.size() - point - 1 > rule.Decimals)
    return QStringLiteral("小数点以下は%1桁まで入力できます．").arg(rule.Decimals);
  return QStringLiteral("この欄には%1文字まで入力できます．").arg(rule.MaxChars);
}

TNumValue ParseNumericEntry(const QString& text, const TNumRule& rule) {
  const QString t = NormalizeNumericInput(text.trimmed());
  bool ok = false;
  double v = t.toDouble(&ok);
  TNumValue r;
  if (!ok || !std::isfinite(v)) {
    r.Blank = true;
    v = 0.0;
  }
  if (rule.HasRange) v = std::clamp(v, rule.Min, rule.Max);
  if (v == 0.0) v = 0.0;  // no negative zero
  r.Value = v;
  return r;
}

QString RangeRefusal(const QString& text, const TNumRule& rule) {
  if (!rule.HasRange) return {};
  const QString t = NormalizeNumericInput(text.trimmed());
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v)) return {};  // blank
  if (v >= rule.Min && v <= rule.Max) return {};
  return QStringLiteral("%1～%2の範囲で入力してください．")
      .arg(FormatFixed(rule.Min, rule.Decimals), FormatFixed(rule.Max, rule.Decimals));
}

QString FormatFixed(double value, int decimals) {
  long double scale = 1.0L;
  for (int i = 0; i < decimals; ++i) scale *= 10.0L;
  long double x = static_cast<long double>(value) * scale;
  // A hair toward the away-from-zero side, so that 18.55 held in binary as
  // 18.5499999... still rounds like the decimal it stands for.
  x += (x >= 0 ? 1e-7L : -1e-7L);
  const long long n = std::llround(std::trunc(x + (x >= 0 ? 0.5L : -0.5L)));
  const long long a = n < 0 ? -n : n;
  long long p = 1;
  for (int i = 0; i < decimals; ++i) p *= 10;
  QString s = QString::number(a / p);
  if (decimals > 0) s += QLatin1Char('.') + QString::number(a % p).rightJustified(decimals, QLatin1Char('0'));
  if (n < 0) s.prepend(QLatin1Char('-'));
  return s;
}

TNumValidator::TNumValidator(const TNumRule& rule, QObject* parent)
    : QValidator(parent), rule_(rule) {}

QValidator::State TNumValidator::validate(QString& input, int& pos) const {
  const QString n = NormalizeNumericInput(input);
  if (n != input) input = n;
  if (!IsNumericTextAllowed(input, rule_)) {
    emit Refused(NumericRefusal(input, rule_));
    return Invalid;
  }
  if (input.isEmpty() || input == QLatin1String("-") || input == QLatin1String(".") ||
      input == QLatin1String("-."))
    return Intermediate;
  return Acceptable;
}

TNumCell::TNumCell(QString name) : TCell(std::move(name)) {
  TabStop = true;
  Align = TCellAlign::Right;
}

QString TNumCell::DisplayText() const {
  if (!OnGetValue) return Caption;
  const TNumValue v = OnGetValue();
  return v.Blank ? QString() : FormatFixed(v.Value, Rule.Decimals);
}

QWidget* TNumCell::CreateEditor(QWidget* parent) {
  auto* e = MakeLineEdit(*this, parent);
  e->SelectAllOnEntryClick = true;
  e->setValidator(new TNumValidator(Rule, e));
  ApplyImeMode(e, TImeMode::Off, true);
  return e;
}

void TNumCell::LoadEditor(QWidget* editor) const {
  static_cast<TCellLineEdit*>(editor)->Load(DisplayText());
}

bool TNumCell::EditorModified(const QWidget* editor) const {
  return static_cast<const TCellLineEdit*>(editor)->Modified();
}

QString TNumCell::CommitRefusal(const QWidget* editor) const {
  auto* e = static_cast<const TCellLineEdit*>(editor);
  return e->Modified() ? RangeRefusal(e->text(), Rule) : QString();
}

bool TNumCell::Commit(QWidget* editor) {
  auto* e = static_cast<TCellLineEdit*>(editor);
  if (!e->Modified() || !OnSetValue) return false;
  const TNumValue before = OnGetValue ? OnGetValue() : TNumValue{};
  OnSetValue(ParseNumericEntry(e->text(), Rule));
  const TNumValue after = OnGetValue ? OnGetValue() : TNumValue{};
  return !(before == after);
}

// ------------------------------------------------------- year/month pair

int32_t TDatePair::Clamp(int32_t date) const {
  if (MinDate != 0 && date < MinDate) return MinDate;
  if (MaxDate != 0 && date > MaxDate) return MaxDate;
  return date;
}

namespace {

int32_t Compose(int32_t year, int32_t month, int32_t day) {
  month = std::clamp(month, 1, 12);
  day = std::clamp(day, 1, DaysInMonth(year, month));
  return PackDate(year, month, day);
}

}  // namespace

int32_t TDatePair::WithYear(int32_t year) const {
  int32_t d = Date();
  if (d == 0) d = MinDate;
  if (MinDate) year = std::max(year, DateYear(MinDate));
  if (MaxDate) year = std::min(year, DateYear(MaxDate));
  return Clamp(Compose(year, DateMonth(d), DateDay(d)));
}

int32_t TDatePair::WithMonth(int32_t month) const {
  int32_t d = Date();
  if (d == 0) d = MinDate;
  return Clamp(Compose(DateYear(d), month, DateDay(d)));
}

TDateCell::TDateCell(QString name, std::shared_ptr<TDatePair> pair, TPart part)
    : TCell(std::move(name)), Pair(std::move(pair)), Part(part) {
  TabStop = true;
  Align = TCellAlign::Right;
}

QString TDateCell::DisplayText() const {
  const int32_t d = Pair ? Pair->Date() : 0;
  if (d == 0) return {};
  if (Part == TPart::Year) return QString::number(DateYear(d)).rightJustified(4, QLatin1Char('0'));
  return QString::number(DateMonth(d)).rightJustified(2, QLatin1Char('0'));
}

QWidget* TDateCell::CreateEditor(QWidget* parent) {
  auto* e = MakeLineEdit(*this, parent);
  e->SelectAllOnEntryClick = true;
  TNumRule digits;
  digits.MaxChars = Part == TPart::Year ? 4 : 2;
  digits.HasRange = true;  // no sign
  e->setValidator(new TNumValidator(digits, e));
  ApplyImeMode(e, TImeMode::Off, true);
  return e;
}

void TDateCell::LoadEditor(QWidget* editor) const {
  static_cast<TCellLineEdit*>(editor)->Load(DisplayText());
}

bool TDateCell::EditorModified(const QWidget* editor) const {
  return static_cast<const TCellLineEdit*>(editor)->Modified();
}

QString TDateCell::CommitRefusal(const QWidget* editor) const {
  auto* e = static_cast<const TCellLineEdit*>(editor);
  if (!e->Modified() || !Pair) return {};
  bool ok = false;
  const int v = NormalizeNumericInput(e->text()).toInt(&ok);
  if (!ok) return {};  // empty: the month of record stays
  int low = 1, high = 12;
  if (Part == TPart::Year) {
    low = Pair->MinDate ? DateYear(Pair->MinDate) : 0;
    high = Pair->MaxDate ? DateYear(Pair->MaxDate) : 9999;
  }
  if (v >= low && v <= high) return {};
  return QStringLiteral("%1～%2の範囲で入力してください．").arg(low).arg(high);
}

bool TDateCell::Commit(QWidget* editor) {
  auto* e = static_cast<TCellLineEdit*>(editor);
  if (!e->Modified() || !Pair || !Pair->OnSetDate) return false;
  bool ok = false;
  const int v = NormalizeNumericInput(e->text()).toInt(&ok);
  if (!ok) return false;  // an empty entry keeps the month of record
  const int32_t before = Pair->Date();
  const int32_t next = Part == TPart::Year ? Pair->WithYear(v) : Pair->WithMonth(v);
  if (next == before) return false;
  Pair->OnSetDate(next);
  return Pair->Date() != before;
}

// ------------------------------------------------------------ combo boxes

TCellComboBox::TCellComboBox(QWidget* parent) : QComboBox(parent) {
  setFrame(false);
  setInsertPolicy(QComboBox::NoInsert);
  setMaxVisibleItems(17);
}

void TCellComboBox::SetListPalette(const QPalette& palette) {
  listPalette_ = palette;
  ApplyListPalette();
}

void TCellComboBox::ApplyListPalette() {
  if (!listPalette_) return;
  // The list's frame window takes the box's palette when it opens; the
  // list and its frame get the ordinary colours back.
  view()->window()->setPalette(*listPalette_);
  view()->setPalette(*listPalette_);
  view()->viewport()->setPalette(*listPalette_);
}

void TCellComboBox::showPopup() {
  ApplyListPalette();
  QComboBox::showPopup();
  ApplyListPalette();
}

QString TCellComboBox::CurrentValue() const {
  if (isEditable()) return currentText();
  return currentIndex() >= 0 ? itemText(currentIndex()) : LoadedText;
}

TComboCell::TComboCell(QString name) : TCell(std::move(name)) { TabStop = true; }

QString TComboCell::DisplayText() const { return OnGetValue ? OnGetValue() : Caption; }

QWidget* TComboCell::CreateEditor(QWidget* parent) {
  auto* c = new TCellComboBox(parent);
  c->setFont(Font);
  c->setEditable(!ListOnly);
  if (!ListOnly) {
    c->setCompleter(nullptr);
    c->lineEdit()->setValidator(new TCp932Validator(MaxBytes, c->lineEdit()));
    ApplyImeMode(c->lineEdit(), Ime);
    ApplyImeMode(c, Ime);
  } else {
    ApplyImeMode(c, TImeMode::Off);
  }
  return c;
}

void TComboCell::LoadEditor(QWidget* editor) const {
  auto* c = static_cast<TCellComboBox*>(editor);
  const QString value = DisplayText();
  const QSignalBlocker block(c);
  c->clear();
  c->addItems(Items);
  const int index = c->findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
  c->setCurrentIndex(index);
  if (c->isEditable()) {
    c->setEditText(value);
    c->lineEdit()->selectAll();
  } else if (index < 0) {
    c->setPlaceholderText(value);  // a stored name that is not in the list
  }
  c->LoadedText = value;
}

bool TComboCell::EditorModified(const QWidget* editor) const {
  auto* c = static_cast<const TCellComboBox*>(editor);
  return c->CurrentValue() != c->LoadedText;
}

bool TComboCell::EditorMatches(const QWidget* editor) const {
  return static_cast<const TCellComboBox*>(editor)->isEditable() == !ListOnly;
}

bool TComboCell::Commit(QWidget* editor) {
  auto* c = static_cast<TCellComboBox*>(editor);
  if (!EditorModified(c) || !OnSetValue) return false;
  const QString before = OnGetValue ? OnGetValue() : QString();
  OnSetValue(c->CurrentValue());
  const QString after = OnGetValue ? OnGetValue() : QString();
  return before != after;
}

void TComboCell::Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const {
  TCell::Paint(p, r, state);
  // A small drop-down mark at the right end tells that a list can be opened.
  const TCellColors c = Colors(state);
  const int cx = r.right() - 8, cy = r.center().y() + 1;
  QColor mark = c.Text;
  mark.setAlpha(140);
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(Qt::NoPen);
  p.setBrush(mark);
  const QPoint tri[3] = {QPoint(cx - 4, cy - 2), QPoint(cx + 4, cy - 2), QPoint(cx, cy + 2)};
  p.drawPolygon(tri, 3);
  p.restore();
}

}  // namespace kestrin
