#include "SpreadsheetBlock.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <stdexcept>
#include <system_error>

#include "CsvField.h"

namespace kestrin {

// ---------------------------------------------------------------- cells

TBlockCell TBlockCell::MakeText(AnsiString text) {
  TBlockCell c;
  c.Kind = TKind::Text;
  c.Text = std::move(text);
  return c;
}

TBlockCell TBlockCell::MakeInteger(int32_t value) {
  TBlockCell c;
  c.Kind = TKind::Integer;
  c.Integer = value;
  return c;
}

TBlockCell TBlockCell::MakeReal(double value) {
  TBlockCell c;
  c.Kind = TKind::Real;
  c.Real = value;
  return c;
}

// ---------------------------------------------------------------- block

TSpreadsheetBlock::TSpreadsheetBlock(int32_t rows, int32_t columns) {
  if (rows < 0 || columns < 0) throw std::invalid_argument("negative block size");
  rows_ = rows;
  columns_ = columns;
  cells_.resize(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns));
}

std::size_t TSpreadsheetBlock::Index(int32_t row, int32_t column) const {
  if (row < 0 || row >= rows_ || column < 0 || column >= columns_)
    throw std::out_of_range("block cell outside the block");
  return static_cast<std::size_t>(row) * static_cast<std::size_t>(columns_) +
         static_cast<std::size_t>(column);
}

TBlockCell& TSpreadsheetBlock::At(int32_t row, int32_t column) { return cells_[Index(row, column)]; }

const TBlockCell& TSpreadsheetBlock::At(int32_t row, int32_t column) const {
  return cells_[Index(row, column)];
}

std::string TSpreadsheetBlock::BottomRightCellName() const {
  return LastColumnLetters(columns_) + std::to_string(rows_);
}

std::string TSpreadsheetBlock::RangeName() const { return SpreadsheetRangeName(rows_, columns_); }

std::string LastColumnLetters(int32_t columnCount) {
  if (columnCount < 1 || columnCount > kMaxBlockColumns)
    throw std::invalid_argument("column count outside 1..702");
  const int32_t k = columnCount - 1;
  std::string name;
  if (k / 26 > 0) name += static_cast<char>(64 + k / 26);
  name += static_cast<char>(65 + k % 26);
  return name;
}

std::string SpreadsheetRangeName(int32_t rows, int32_t columns) {
  return "A1:" + LastColumnLetters(columns) + std::to_string(rows);
}

// ---------------------------------------------------------------- building

namespace {

// Hundredths of a centimetre as centimetres: the division is done in the
// extended type and the result rounded once to double, as the record's
// own arithmetic does.
double Centimetres(int32_t hundredths) {
  return static_cast<double>(static_cast<long double>(hundredths) / 100.0L);
}

std::string GetsudoText(int32_t getsudo) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d/%02d", DateYear(getsudo), DateMonth(getsudo));
  return buf;
}

}  // namespace

int32_t SpreadsheetBlockRowCount(const TMainData& data) {
  const int64_t days = data.SlumpList.Count();
  const int64_t classes = data.HistogramList.Count();
  const int64_t rows = std::max(std::max(days + 1, int64_t{15}), classes + 5);
  return static_cast<int32_t>(rows);
}

TSpreadsheetBlock MakeSpreadsheetBlock(const TMainData& data) {
  const TBasicInfo& info = data.BasicInfo;
  TSpreadsheetBlock block(SpreadsheetBlockRowCount(data), TSpreadsheetBlock::kColumnCount);

  auto text = [&](int32_t row, int32_t col, std::string_view utf8) {
    block.At(row, col) = TBlockCell::MakeText(Sjis(utf8));
  };
  auto bytes = [&](int32_t row, int32_t col, const AnsiString& cp932) {
    block.At(row, col) = TBlockCell::MakeText(cp932);
  };
  auto integer = [&](int32_t row, int32_t col, int32_t v) {
    block.At(row, col) = TBlockCell::MakeInteger(v);
  };
  auto real = [&](int32_t row, int32_t col, double v) {
    block.At(row, col) = TBlockCell::MakeReal(v);
  };

  // Header block, columns A (labels) and B (values).
  enum { A = 0, B, C, D, E, F, G, H, I, J, K, L, M, N, O };
  text(0, A, "集計月度");
  text(0, B, GetsudoText(info.Getsudo));
  text(1, A, "集計開始日");
  integer(1, B, info.StartDay);
  text(2, A, "集計終了日");
  integer(2, B, info.EndDay);
  text(3, A, "工場名");
  bytes(3, B, info.Kojo);
  text(4, A, "担当者名");
  bytes(4, B, info.Tanto);
  text(5, A, "備考");
  bytes(5, B, info.Biko);
  text(6, A, "区間の幅");
  real(6, B, static_cast<double>(info.ClassWidth));
  text(7, A, "呼び強度");
  real(7, B, info.Kyodo);
  text(8, A, "スランプ");
  real(8, B, Centimetres(info.KariAveX));
  text(9, A, "　±許容値");
  real(9, B, Centimetres(info.Kyoyo));
  text(10, A, "粗骨材");
  real(10, B, info.Kotsuzai);
  text(11, A, "空気量");
  real(11, B, info.Air);
  text(12, A, "　±許容値");
  real(12, B, info.AirKyoyo);
  text(13, A, "セメント種類名称");
  bytes(13, B, info.Cement.Name);
  text(14, A, "セメント種類略称記号");
  bytes(14, B, info.Cement.Mark);

  // Day block, columns D-H: day k of the list (1-based) in block row k.
  text(0, D, "日にち");
  text(0, E, "測定値(AM)");
  text(0, F, "合否");
  text(0, G, "測定値(PM)");
  text(0, H, "合否");
  for (int32_t k = 0; k < data.SlumpList.Count(); ++k) {
    const TSlump& day = data.SlumpList.Items(k);
    const int32_t row = k + 1;
    integer(row, D, day.Day);
    for (int32_t m = 0; m < 2; ++m) {
      const int32_t valueCol = m == 0 ? E : G;
      // A day always holds two measurements; a missing one is shown blank.
      const TSokutei s = m < day.SokuteiList.Count() ? day.SokuteiList.Items(m) : TSokutei{};
      // A measurement of 0 or less is blank: 0 and no judgement.
      if (s.Value <= 0) {
        real(row, valueCol, 0.0);
      } else {
        real(row, valueCol, Centimetres(s.Value));
        text(row, valueCol + 1, s.Judge ? "(合)" : "(否)");
      }
    }
  }

  // Class block, columns I-O: class i (0-based) in block row i + 1, then the
  // totals, an empty row, the mean and the standard deviation.
  text(0, I, "区間");
  text(0, J, "区間");
  text(0, K, "中心値");
  text(0, L, "u");
  text(0, M, "f");
  text(0, N, "u･f");
  text(0, O, "u^2･f");
  const int32_t n = data.HistogramList.Count();
  for (int32_t i = 0; i < n; ++i) {
    const THistogram& h = data.HistogramList.Items(i);
    const int32_t row = i + 1;
    real(row, I, Centimetres(h.Lower));
    real(row, J, Centimetres(h.Upper));
    real(row, K, Centimetres(h.Center));
    integer(row, L, h.U);
    integer(row, M, h.F);
    integer(row, N, h.UF());
    integer(row, O, h.U2F());
  }
  const TCalcedResult& r = data.CalcedResult;
  text(n + 1, L, "合計");
  integer(n + 1, M, r.SumF);
  integer(n + 1, N, r.SumUF);
  integer(n + 1, O, r.SumU2F);
  text(n + 3, L, "平均値X");
  real(n + 3, M, Centimetres(r.AveX));
  text(n + 4, L, "標準偏差");
  real(n + 4, M, static_cast<double>(r.Hensa));
  return block;
}

// ---------------------------------------------------------------- text forms

std::string FormatRealShortest(double value) {
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, value);
  return std::string(buf, res.ptr);
}

std::string FormatBlockTsv(const TSpreadsheetBlock& block) {
  std::string out;
  for (int32_t r = 0; r < block.RowCount(); ++r) {
    for (int32_t c = 0; c < block.ColumnCount(); ++c) {
      if (c > 0) out += '\t';
      const TBlockCell& cell = block.At(r, c);
      switch (cell.Kind) {
        case TBlockCell::TKind::Empty:
          break;
        case TBlockCell::TKind::Integer:
          out += std::to_string(cell.Integer);
          break;
        case TBlockCell::TKind::Real:
          out += FormatRealShortest(cell.Real);
          break;
        case TBlockCell::TKind::Text: {
          std::string utf8 = Cp932ToUtf8Lossy(cell.Text);
          std::replace_if(
              utf8.begin(), utf8.end(), [](char ch) { return ch == '\t' || ch == '\r' || ch == '\n'; },
              ' ');
          out += CsvField(utf8);
          break;
        }
      }
    }
    out += '\n';
  }
  return out;
}

namespace {

constexpr std::string_view kMagic = "KESTRIN-BLOCK 1 ";

class TReader {
 public:
  explicit TReader(std::string_view text) : text_(text) {}

  bool AtEnd() const { return pos_ >= text_.size(); }

  // The next line without its '\n'; false when there is no complete line.
  bool Line(std::string_view& line) {
    const std::size_t nl = text_.find('\n', pos_);
    if (nl == std::string_view::npos) return false;
    line = text_.substr(pos_, nl - pos_);
    pos_ = nl + 1;
    return true;
  }

  bool Bytes(std::size_t count, std::string_view& out) {
    if (text_.size() - pos_ < count) return false;
    out = text_.substr(pos_, count);
    pos_ += count;
    return true;
  }

  std::size_t Remaining() const { return text_.size() - pos_; }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

template <typename T>
bool ParseNumber(std::string_view s, T& value) {
  if (s.empty()) return false;
  const auto res = std::from_chars(s.data(), s.data() + s.size(), value);
  return res.ec == std::errc() && res.ptr == s.data() + s.size();
}

bool Fail(std::string* error, std::string reason) {
  if (error) *error = std::move(reason);
  return false;
}

}  // namespace

std::string SerializeBlock(const TSpreadsheetBlock& block) {
  std::string out(kMagic);
  out += std::to_string(block.RowCount()) + " " + std::to_string(block.ColumnCount()) + "\n";
  for (int32_t r = 0; r < block.RowCount(); ++r) {
    for (int32_t c = 0; c < block.ColumnCount(); ++c) {
      const TBlockCell& cell = block.At(r, c);
      switch (cell.Kind) {
        case TBlockCell::TKind::Empty:
          out += "E\n";
          break;
        case TBlockCell::TKind::Integer:
          out += "I " + std::to_string(cell.Integer) + "\n";
          break;
        case TBlockCell::TKind::Real:
          out += "R " + FormatRealShortest(cell.Real) + "\n";
          break;
        case TBlockCell::TKind::Text:
          out += "T " + std::to_string(cell.Text.size()) + "\n";
          out += cell.Text;
          out += '\n';
          break;
      }
    }
  }
  return out;
}

std::optional<TSpreadsheetBlock> ParseBlock(std::string_view text, std::string* error) {
  TReader in(text);
  std::string_view line;
  if (!in.Line(line) || line.substr(0, kMagic.size()) != kMagic) {
    Fail(error, "not a Kestrin block");
    return std::nullopt;
  }
  line.remove_prefix(kMagic.size());
  const std::size_t space = line.find(' ');
  int32_t rows = 0;
  int32_t cols = 0;
  if (space == std::string_view::npos || !ParseNumber(line.substr(0, space), rows) ||
      !ParseNumber(line.substr(space + 1), cols)) {
    Fail(error, "bad block size line");
    return std::nullopt;
  }
  if (rows < 1 || rows > kMaxBlockRows || cols < 1 || cols > kMaxBlockColumns) {
    Fail(error, "block size out of range");
    return std::nullopt;
  }
  // Every cell takes at least two bytes: refuse a size the input cannot hold
  // before allocating anything.
  const uint64_t cells = static_cast<uint64_t>(rows) * static_cast<uint64_t>(cols);
  if (cells > in.Remaining() / 2) {
    Fail(error, "block truncated");
    return std::nullopt;
  }

  TSpreadsheetBlock block(rows, cols);
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c = 0; c < cols; ++c) {
      auto where = [&] { return " at row " + std::to_string(r + 1) + ", column " + std::to_string(c + 1); };
      if (!in.Line(line) || line.empty()) {
        Fail(error, "missing cell" + where());
        return std::nullopt;
      }
      TBlockCell& cell = block.At(r, c);
      const char kind = line[0];
      if (kind == 'E' && line.size() == 1) continue;
      if (line.size() < 3 || line[1] != ' ') {
        Fail(error, "bad cell" + where());
        return std::nullopt;
      }
      const std::string_view arg = line.substr(2);
      if (kind == 'I') {
        int32_t v = 0;
        if (!ParseNumber(arg, v)) {
          Fail(error, "bad integer" + where());
          return std::nullopt;
        }
        cell = TBlockCell::MakeInteger(v);
      } else if (kind == 'R') {
        double v = 0.0;
        if (!ParseNumber(arg, v)) {
          Fail(error, "bad real" + where());
          return std::nullopt;
        }
        cell = TBlockCell::MakeReal(v);
      } else if (kind == 'T') {
        std::size_t size = 0;
        std::string_view bytes;
        std::string_view newline;
        if (!ParseNumber(arg, size) || !in.Bytes(size, bytes) || !in.Bytes(1, newline) ||
            newline != "\n") {
          Fail(error, "bad text" + where());
          return std::nullopt;
        }
        cell = TBlockCell::MakeText(AnsiString(bytes));
      } else {
        Fail(error, "unknown cell kind" + where());
        return std::nullopt;
      }
    }
  }
  if (!in.AtEnd()) {
    Fail(error, "trailing data after the block");
    return std::nullopt;
  }
  return block;
}

}  // namespace kestrin
