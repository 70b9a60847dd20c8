#pragma once
// The temperature test's step grids and step-table files without any widget: the text
// grid behind each grid control, the mode count and how it lays the grids out, the
// counting of register columns and modes in use, and the five step-table files
// "Fluke.txt", "Power.txt", "Register.txt", "Delay.txt" and "ACM.txt".
//
// Grid cells are free text; every reader interprets the text itself (hex readings give
// 0 for a foreign character, filters drop it). Cells are addressed (column, row).

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

// The cells of a grid control, its fixed rows and columns, column widths and row height.
class TextGrid {
public:
  TextGrid(int cols, int rows, int defaultColWidth = 64);

  int ColCount() const { return cols_; }
  int RowCount() const { return rows_; }
  // Cells outside the new size are dropped; new cells are empty.
  void SetSize(int cols, int rows);
  void SetRowCount(int rows) { SetSize(cols_, rows); }
  void SetColCount(int cols) { SetSize(cols, rows_); }

  // The text of a cell; a cell outside the grid reads empty and is not written.
  QString Cell(int col, int row) const;
  void SetCell(int col, int row, const QString& text);
  // Empties rows from..to (inclusive, bounded by the grid) of a column.
  void ClearColumn(int col, int fromRow, int toRow);

  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  int DefaultColWidth() const { return default_width_; }
  int DefaultRowHeight = 16;
  int FixedCols = 1;
  int FixedRows = 1;
  bool Editable = true;
  // A cell the user may type into.
  bool CellEditable(int col, int row) const;
  // Pixels the columns take side by side.
  int TotalWidth() const;

private:
  int cols_, rows_, default_width_;
  std::vector<QString> cells_;  // row-major
  std::vector<int> widths_;
};

// ---- readings of cell texts ----

// The value of the decimal digits at the start of a text (an optional sign allowed);
// 0 without leading digits. Saturates at the 32-bit range.
int LeadingDecimal(const QString& text);
// The hex digits (0-9, A-F, a-f) of a text, kept in order.
QString HexDigitsOf(const QString& text);
bool HasHexDigit(const QString& text);

// ---- mode count and grid layouts ----

constexpr int MaxModeCount = 20000;
constexpr int DefaultModeCount = 48;
constexpr int RegisterColumns = 10;     // columns 1..10 of the register-change grid
constexpr int DelayColumn = 11;
constexpr int AcmColumn = 12;
constexpr int RegChgColumns = 13;
constexpr int InstrumentGridRows = 49;  // rows of the calibrator and power grids at start-up

// The mode count n of the mode-count field's text. 0, negative counts and counts of
// 20001 or more give 48; `text` is then rewritten "48".
int ModeCountOf(QString& text);
// The register-change grid for n modes: 13 columns, titles, widths.
void LayOutRegisterGrid(TextGrid& g, int modes);
// The calibrator or power grid with `rows` rows: widths 28, 30, 240, titles, numbers.
void LayOutInstrumentGrid(TextGrid& g, int rows);
// Row numbers 1..rows-1 in column 0.
void NumberRows(TextGrid& g);

// ---- counting ----

// Register columns for a run: leading columns 1..10 whose row-0 cell is not empty.
int RegisterColumnsForRun(const TextGrid& g);
// Register columns for saving: leading columns 1..10 whose row-0 cell has a non-zero
// hex value in its low 16 bits.
int RegisterColumnsForSave(const TextGrid& g);
// Modes in use: leading rows 1..modes whose column-1 cell has a hex digit.
int ModesInUse(const TextGrid& g, int modes);

// ---- step-table files ----

// "Fluke.txt" and "Power.txt": one line per enabled row (hex value of column 1 not 0)
// of rows 1..modes: the enable right-aligned in 4 characters, then the command.
QStringList CommandTableLines(const TextGrid& g, int modes);
// How a loader treats a line whose key has no leading decimal value (such as "A").
enum class CommandKeyRule { SkipZeroKey, TakeEveryLine };
// Clears columns 1 and 2 of rows 1..modes, then fills rows 1, 2, ... from the lines:
// key = the hex digits of the first four characters, command = the rest of the line.
void LoadCommandTable(const QStringList& lines, TextGrid& g, int modes, CommandKeyRule rule);

// "Register.txt": line 0 the addresses, then one line per mode 1..modes; ten fields of
// 4 characters, columns beyond `regCols` blank.
QStringList RegisterTableLines(const TextGrid& g, int regCols, int modes);
// The wait in whole seconds a run takes for a "Delay" cell: its leading decimal
// reading ("1.5" waits 1), a negative one waiting none.
int DelaySecondsOf(const QString& cell);
// "Delay.txt": for rows 1..modes the wait a run takes for the "Delay" cell, right-aligned
// in 6, so that loading the file gives back the same wait.
QStringList DelayTableLines(const TextGrid& g, int modes);
// "ACM.txt": a column's cells of rows 1..modes right-aligned in 6.
QStringList ColumnTableLines(const TextGrid& g, int col, int modes);
// The ten 4-character fields of a "Register.txt" line, each reduced to its hex digits.
QStringList RegisterLineFields(const QString& line);
// The delay of a "Delay.txt" line as decimal text: the line without its leading blanks
// read as a run reads a "Delay" cell (DelaySecondsOf), so a line written from a cell
// such as "1.5", "-5" or "2,5" gives the wait that cell gave: 1, 0, 2.
QString DelayLineText(const QString& line);
// The reference voltage of an "ACM.txt" line: the characters ".", 0-9, A-F, a-f of its
// first six, read as a decimal number, in its shortest form; empty when not a number.
QString AcmLineText(const QString& line);

constexpr const char* DefaultDelayText = "15";
constexpr const char* DefaultAcmText = "2.4";

// Reads "Register.txt" lines into the register-change grid: line L fills row L, a
// field without a hex digit leaves its cell; at most `modes` mode lines. `lineDone`
// runs after each line placed (with the count of lines so far) unless it was the last.
void LoadRegisterTable(const QStringList& lines, TextGrid& g, int modes, const std::function<void(int)>& lineDone);
// Fills column `col` of rows 1.. from `texts` (at most `modes` rows), then rows up to
// `inUse` with `fallback`; empty texts also take the fallback.
void PlaceColumn(const QStringList& texts, TextGrid& g, int col, int modes, int inUse, const QString& fallback);
