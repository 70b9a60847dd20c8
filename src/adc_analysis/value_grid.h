#pragma once
// The store behind the value grid: one number and its text form per position, 16
// positions a row (position p is cell (p mod 16 + 1, p div 16 + 1); row 0 and
// column 0 carry the labels). Positions beyond the grid's last row are kept too,
// since a capture may keep a few samples more than the grid shows and they are read
// back like the others. Texts are made on demand, so a capture of 131,072 values
// costs nine bytes a position.

#include <QString>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

class ValueGrid {
public:
  enum class Form : uint8_t {
    Empty,    // ""
    Integer,  // decimal integer: "-12"
    Fixed,    // "%f": "-12.50"
    General,  // shortest form: "-12.5"
  };
  enum class Labels : uint8_t {
    Plain,  // every row r the 4-digit hexadecimal of r - 1
    IQ,     // rows 1..M "ADI:" + hex(r - 1), rows M+1..2M "ADQ:" + hex(r - M - 1)
  };

  static constexpr int Columns = 16;
  // Room for two values a sample (I/Q and interleaved layouts) of the largest capture.
  static constexpr int MaxPositions = 2 * (131072 + 20);

  static int Position(int col, int row) { return (row - 1) * Columns + (col - 1); }

  // The shown grid: row count including the label row.
  void SetShape(int rowCount, Labels labels);
  int RowCount() const { return rows_; }
  Labels LabelStyle() const { return labels_; }

  // Positions outside 0..MaxPositions-1 are ignored.
  void Clear(int first, int count);
  void Set(int position, double value, Form form);
  void SetInteger(int position, int64_t v) { Set(position, static_cast<double>(v), Form::Integer); }
  void SetFixed(int position, double v) { Set(position, v, Form::Fixed); }
  void SetGeneral(int position, double v) { Set(position, v, Form::General); }

  Form FormAt(int position) const;
  QString Text(int position) const;
  // The longest text of positions 0..count-1 (a view sizes its columns by it).
  QString LongestText(int count) const;
  // The number the text reads as; nothing for an empty position.
  std::optional<double> Number(int position) const;

  // Cell texts with the labels: col 0..16, row 0..; "" outside.
  QString CellText(int col, int row) const;
  QString RowLabel(int row) const;
  static QString ColumnLabel(int col);

  // Counts every change, so a view knows when to repaint.
  uint64_t Revision() const { return revision_; }
  // The grid rows (the label row 0 included) changed after `revision`: first > last when
  // none did, all rows after a new shape. Rows beyond the shown ones may be named.
  std::pair<int, int> ChangedRows(uint64_t revision) const;

private:
  void Changed(int first, int last);  // positions

  std::vector<double> values_;
  std::vector<Form> forms_;
  int rows_ = 1;
  Labels labels_ = Labels::Plain;
  uint64_t revision_ = 0;
  uint64_t shapeRevision_ = 0;
  std::vector<uint64_t> rowRevision_;  // per data row (position div 16): its last change
};
