#include "instruments/step_tables.h"

#include <algorithm>
#include <climits>

#include "common/figure_text.h"
#include "common/number_text.h"

// ---- TextGrid ----

TextGrid::TextGrid(int cols, int rows, int defaultColWidth)
    : cols_(0), rows_(0), default_width_(defaultColWidth) {
  SetSize(cols, rows);
}

void TextGrid::SetSize(int cols, int rows) {
  cols = std::max(cols, 1);
  rows = std::max(rows, 1);
  if (cols == cols_ && rows == rows_) return;
  std::vector<QString> cells(static_cast<size_t>(cols) * static_cast<size_t>(rows));
  const int keepCols = std::min(cols, cols_), keepRows = std::min(rows, rows_);
  for (int r = 0; r < keepRows; ++r)
    for (int c = 0; c < keepCols; ++c)
      cells[static_cast<size_t>(r) * cols + c] = std::move(cells_[static_cast<size_t>(r) * cols_ + c]);
  cells_ = std::move(cells);
  widths_.resize(static_cast<size_t>(cols), default_width_);
  cols_ = cols;
  rows_ = rows;
}

QString TextGrid::Cell(int col, int row) const {
  if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return {};
  return cells_[static_cast<size_t>(row) * cols_ + col];
}

void TextGrid::SetCell(int col, int row, const QString& text) {
  if (col < 0 || col >= cols_ || row < 0 || row >= rows_) return;
  cells_[static_cast<size_t>(row) * cols_ + col] = text;
}

void TextGrid::ClearColumn(int col, int fromRow, int toRow) {
  for (int r = std::max(fromRow, 0); r <= std::min(toRow, rows_ - 1); ++r) SetCell(col, r, {});
}

int TextGrid::ColWidth(int col) const {
  return col >= 0 && col < cols_ ? widths_[static_cast<size_t>(col)] : default_width_;
}

void TextGrid::SetColWidth(int col, int width) {
  if (col >= 0 && col < cols_) widths_[static_cast<size_t>(col)] = std::max(width, 0);
}

bool TextGrid::CellEditable(int col, int row) const {
  return Editable && col >= FixedCols && row >= FixedRows && col < cols_ && row < rows_;
}

int TextGrid::TotalWidth() const {
  int w = 0;
  for (int x : widths_) w += x;
  return w;
}

// ---- readings ----

int LeadingDecimal(const QString& text) {
  qsizetype i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  long long v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    v = v * 10 + (text[i].unicode() - '0');
    if (v > INT_MAX) v = static_cast<long long>(INT_MAX) + 1;  // saturate, keep reading
  }
  if (negative) v = -v;
  return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

QString HexDigitsOf(const QString& text) {
  QString out;
  for (QChar c : text)
    if (IsHexDigit(c)) out += c;
  return out;
}

bool HasHexDigit(const QString& text) { return std::any_of(text.begin(), text.end(), IsHexDigit); }

// ---- mode count and layouts ----

int ModeCountOf(QString& text) {
  int n = LeadingDecimal(text);
  // A negative count would leave no mode row at all: it is taken like 0.
  if (n <= 0 || n > MaxModeCount) {
    n = DefaultModeCount;
    text = QString::number(n);
  }
  return n;
}

void LayOutRegisterGrid(TextGrid& g, int modes) {
  g.SetSize(RegChgColumns, modes + 1);
  g.SetColWidth(0, 60);
  g.SetCell(0, 0, "Address");
  g.SetCell(DelayColumn, 0, "Delay");
  g.SetCell(AcmColumn, 0, "ACM");
  for (int r = 1; r <= modes; ++r) g.SetCell(0, r, "Value-" + QString::number(r));
  for (int c = 1; c <= RegisterColumns; ++c) g.SetColWidth(c, 22);
  g.SetColWidth(DelayColumn, 40);
  g.SetColWidth(AcmColumn, 50);
}

void NumberRows(TextGrid& g) {
  for (int r = 1; r < g.RowCount(); ++r) g.SetCell(0, r, QString::number(r));
}

void LayOutInstrumentGrid(TextGrid& g, int rows) {
  g.SetSize(3, rows);
  g.SetColWidth(0, 28);
  g.SetColWidth(1, 30);
  g.SetColWidth(2, 240);
  g.SetCell(0, 0, QString::fromUtf8("序號"));
  g.SetCell(1, 0, "Step");
  g.SetCell(2, 0, QString::fromUtf8("輸入值"));
  NumberRows(g);
}

// ---- counting ----

int RegisterColumnsForRun(const TextGrid& g) {
  int n = 0;
  while (n < RegisterColumns && !g.Cell(n + 1, 0).isEmpty()) ++n;
  return n;
}

int RegisterColumnsForSave(const TextGrid& g) {
  int n = 0;
  while (n < RegisterColumns && (HexStrToInt(g.Cell(n + 1, 0)) & 0xFFFF) != 0) ++n;
  return n;
}

int ModesInUse(const TextGrid& g, int modes) {
  int n = 0;
  while (n < modes && HasHexDigit(g.Cell(1, n + 1))) ++n;
  return n;
}

// ---- files ----

QStringList CommandTableLines(const TextGrid& g, int modes) {
  QStringList lines;
  for (int r = 1; r <= modes; ++r)
    if (HexStrToInt(g.Cell(1, r)) != 0) lines << g.Cell(1, r).rightJustified(4, ' ') + g.Cell(2, r);
  return lines;
}

void LoadCommandTable(const QStringList& lines, TextGrid& g, int modes, CommandKeyRule rule) {
  g.ClearColumn(1, 1, modes);
  g.ClearColumn(2, 1, modes);
  int row = 1;
  for (const QString& line : lines) {
    if (row > modes) break;
    const QString key = HexDigitsOf(line.left(4));
    if (rule == CommandKeyRule::SkipZeroKey && LeadingDecimal(key) <= 0) continue;
    g.SetCell(1, row, key);
    g.SetCell(2, row, line.mid(4));
    ++row;
  }
}

QStringList RegisterTableLines(const TextGrid& g, int regCols, int modes) {
  QStringList lines;
  for (int r = 0; r <= modes; ++r) {
    QString line;
    for (int c = 1; c <= RegisterColumns; ++c)
      line += c <= regCols ? g.Cell(c, r).rightJustified(4, ' ') : QString(4, ' ');
    lines << line;
  }
  return lines;
}

int DelaySecondsOf(const QString& cell) { return std::max(LeadingDecimal(cell), 0); }

QStringList DelayTableLines(const TextGrid& g, int modes) {
  QStringList lines;
  for (int r = 1; r <= modes; ++r)
    lines << QString::number(DelaySecondsOf(g.Cell(DelayColumn, r))).rightJustified(6, ' ');
  return lines;
}

QStringList ColumnTableLines(const TextGrid& g, int col, int modes) {
  QStringList lines;
  for (int r = 1; r <= modes; ++r) lines << g.Cell(col, r).rightJustified(6, ' ');
  return lines;
}

QStringList RegisterLineFields(const QString& line) {
  QStringList fields;
  for (int k = 0; k < RegisterColumns; ++k) fields << HexDigitsOf(line.mid(4 * k, 4));
  return fields;
}

QString DelayLineText(const QString& line) { return QString::number(DelaySecondsOf(line.trimmed())); }

QString AcmLineText(const QString& line) {
  QString kept;
  for (QChar c : line.left(6))
    if (c == '.' || IsHexDigit(c)) kept += c;
  if (auto v = ReadReal(kept)) return FormatGeneral(*v);
  return {};
}

void LoadRegisterTable(const QStringList& lines, TextGrid& g, int modes, const std::function<void(int)>& lineDone) {
  int row = 0;
  for (const QString& line : lines) {
    const QStringList fields = RegisterLineFields(line);
    for (int k = 1; k <= RegisterColumns; ++k)
      if (!fields[k - 1].isEmpty()) g.SetCell(k, row, fields[k - 1]);
    ++row;
    if (row > modes) break;
    if (lineDone) lineDone(row);
  }
}

void PlaceColumn(const QStringList& texts, TextGrid& g, int col, int modes, int inUse, const QString& fallback) {
  int row = 1;
  for (const QString& t : texts) {
    if (row > modes) break;
    g.SetCell(col, row++, t.isEmpty() ? fallback : t);
  }
  for (; row <= inUse; ++row) g.SetCell(col, row, fallback);
}
