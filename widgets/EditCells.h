// The editor cells: CP932 text, numbers, the linked year/month pair and
// combo boxes. Each is bound to one field through a pair of handlers, one
// that hands the field's value to the cell and one that takes a committed
// value back.
#pragma once

#include <QComboBox>
#include <QPalette>
#include <QLineEdit>
#include <QStringList>
#include <QValidator>
#include <functional>
#include <memory>
#include <optional>

#include "Cell.h"

namespace kestrin {

// How the input method behaves in an editor. Qt has no "hiragana" hint;
// Hiragana keeps the input method enabled with no Latin-only restriction so
// that a Japanese input method starts in its kana mode, Off disables it.
enum class TImeMode { Off, Hiragana };
void ApplyImeMode(QWidget* editor, TImeMode mode, bool numeric = false);

// The frameless line editor placed over the active cell.
class TCellLineEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit TCellLineEdit(QWidget* parent = nullptr);
  // Pastes the first line of the clipboard's text (a copied column offers
  // many lines; a one-line cell takes the first, as if it were typed).
  void PasteFirstLine();
  // The text the editor was filled with; a different text is a change.
  QString LoadedText;
  // Fills the editor with all of the text selected.
  void Load(const QString& text);
  bool Modified() const { return text() != LoadedText; }

  // Numbers and dates: the first click after the editor was filled keeps
  // the whole text selected (it enters the cell, as Enter and Tab do), so
  // that typing replaces the value; later clicks place the caret.
  bool SelectAllOnEntryClick = false;
  // The cell was entered by a click on it: the next click places the caret.
  void EntryClickTaken() { entryClickPending_ = false; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  bool entryClickPending_ = false;
  bool entryClickHeld_ = false;  // the selecting click's button is still down
};

// ------------------------------------------------------------------ text

class TTextCell : public TCell {
 public:
  explicit TTextCell(QString name = {});
  int MaxBytes = 0;  // CP932 bytes, 0 = no limit
  TImeMode Ime = TImeMode::Hiragana;
  std::function<QString()> OnGetValue;
  std::function<void(const QString&)> OnSetValue;

  QString DisplayText() const override;
  bool HasEditor() const override { return true; }
  QWidget* CreateEditor(QWidget* parent) override;
  void LoadEditor(QWidget* editor) const override;
  bool Commit(QWidget* editor) override;
  bool EditorModified(const QWidget* editor) const override;
};

// --------------------------------------------------------------- numbers

struct TNumRule {
  int Decimals = 0;    // digits allowed after the point
  int MaxChars = 4;    // characters including the point and a sign
  bool HasRange = false;
  double Min = 0.0;
  double Max = 0.0;
  // A sign can be typed only where no range is set.
  bool AllowNegative() const { return !HasRange; }
};

struct TNumValue {
  double Value = 0.0;
  bool Blank = false;  // an empty entry / a field shown empty
  bool operator==(const TNumValue&) const = default;
};

// Full-width digits, point and minus typed through an input method become
// their ASCII forms.
QString NormalizeNumericInput(const QString& text);
// Whether `text` (already normalised) may stand in the editor: digits, at
// most one point followed by at most `Decimals` digits, a leading minus only
// where allowed, at most `MaxChars` characters.
bool IsNumericTextAllowed(const QString& text, const TNumRule& rule);
// Why `text` may not stand in the editor, as a short status-line message;
// empty when it may.
QString NumericRefusal(const QString& text, const TNumRule& rule);
// The committed value of an entry: empty (or only a sign or point) is blank
// with value 0; anything else is the number, moved to the nearer bound when
// it lies outside the range (cells refuse such an entry before it gets
// here, see RangeRefusal).
TNumValue ParseNumericEntry(const QString& text, const TNumRule& rule);
// The refusal of an entry whose number lies outside the rule's range
// ("0.0～99.9の範囲で入力してください．", the bounds with the rule's
// decimals); empty for a blank entry, a number inside, or a rule without a
// range.
QString RangeRefusal(const QString& text, const TNumRule& rule);
// `value` with exactly `decimals` digits after the point, the last digit
// rounded half away from zero ("0.0" style formats).
QString FormatFixed(double value, int decimals);

// Keeps a numeric editor's text within its rule; a refused key or paste
// says why.
class TNumValidator : public QValidator {
  Q_OBJECT
 public:
  TNumValidator(const TNumRule& rule, QObject* parent = nullptr);
  State validate(QString& input, int& pos) const override;

 signals:
  // Why an input was refused, as a message for the status line.
  void Refused(const QString& message) const;

 private:
  TNumRule rule_;
};

class TNumCell : public TCell {
 public:
  explicit TNumCell(QString name = {});
  TNumRule Rule;
  std::function<TNumValue()> OnGetValue;
  std::function<void(const TNumValue&)> OnSetValue;

  QString DisplayText() const override;
  bool HasEditor() const override { return true; }
  QWidget* CreateEditor(QWidget* parent) override;
  void LoadEditor(QWidget* editor) const override;
  bool Commit(QWidget* editor) override;
  bool EditorModified(const QWidget* editor) const override;
  // A number outside the range is refused, never stored as the bound.
  QString CommitRefusal(const QWidget* editor) const override;
};

// ------------------------------------------------------- year/month pair

// One packed date (year, month, day) edited through two cells: the year as
// four digits and the month as two. Entries are kept within MinDate and
// MaxDate; the day part is kept, shortened to the new month when needed.
class TDatePair {
 public:
  int32_t MinDate = 0;
  int32_t MaxDate = 0;
  std::function<int32_t()> OnGetDate;
  std::function<void(int32_t)> OnSetDate;
  void SetLimits(int32_t minDate, int32_t maxDate) {
    MinDate = minDate;
    MaxDate = maxDate;
  }
  int32_t Date() const { return OnGetDate ? OnGetDate() : 0; }
  // The date after typing `year` or `month` into the pair (clamped).
  int32_t WithYear(int32_t year) const;
  int32_t WithMonth(int32_t month) const;
  int32_t Clamp(int32_t date) const;
};

class TDateCell : public TCell {
 public:
  enum class TPart { Year, Month };
  TDateCell(QString name, std::shared_ptr<TDatePair> pair, TPart part);
  std::shared_ptr<TDatePair> Pair;
  TPart Part;

  QString DisplayText() const override;
  bool HasEditor() const override { return true; }
  QWidget* CreateEditor(QWidget* parent) override;
  void LoadEditor(QWidget* editor) const override;
  bool Commit(QWidget* editor) override;
  bool EditorModified(const QWidget* editor) const override;
  // A year outside the pair's limits or a month outside 1-12 is refused.
  QString CommitRefusal(const QWidget* editor) const override;
};

// ------------------------------------------------------------ combo boxes

class TCellComboBox : public QComboBox {
  Q_OBJECT
 public:
  explicit TCellComboBox(QWidget* parent = nullptr);
  QString LoadedText;
  QString CurrentValue() const;
  // The colours of the open list: the closed box wears the active cell's
  // colours, the list those of an ordinary list (chosen item highlighted).
  void SetListPalette(const QPalette& palette);
  void showPopup() override;

 private:
  std::optional<QPalette> listPalette_;
  void ApplyListPalette();
};

// A combo box cell, list-only (choose from Items) or editable (type a free
// text of at most MaxBytes CP932 bytes); the mode can be switched at any
// time and the editor follows it.
class TComboCell : public TCell {
 public:
  explicit TComboCell(QString name = {});
  QStringList Items;
  bool ListOnly = false;
  int MaxBytes = 0;
  TImeMode Ime = TImeMode::Hiragana;
  std::function<QString()> OnGetValue;
  std::function<void(const QString&)> OnSetValue;

  QString DisplayText() const override;
  bool HasEditor() const override { return true; }
  QWidget* CreateEditor(QWidget* parent) override;
  void LoadEditor(QWidget* editor) const override;
  bool Commit(QWidget* editor) override;
  bool EditorModified(const QWidget* editor) const override;
  bool EditorMatches(const QWidget* editor) const override;
  void Paint(QPainter& p, const QRect& r, const TCellPaintState& state) const override;
};

}  // namespace kestrin
