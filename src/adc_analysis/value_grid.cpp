#include "adc_analysis/value_grid.h"

#include <algorithm>

#include "common/figure_text.h"
#include "common/number_text.h"

void ValueGrid::SetShape(int rowCount, Labels labels) {
  rows_ = std::max(1, rowCount);
  labels_ = labels;
  shapeRevision_ = ++revision_;
}

void ValueGrid::Changed(int first, int last) {
  ++revision_;
  const size_t lastRow = static_cast<size_t>(last) / Columns;
  if (rowRevision_.size() <= lastRow) rowRevision_.resize(std::max(lastRow + 1, rowRevision_.size() * 2), 0);
  for (size_t r = static_cast<size_t>(first) / Columns; r <= lastRow; ++r) rowRevision_[r] = revision_;
}

std::pair<int, int> ValueGrid::ChangedRows(uint64_t revision) const {
  if (shapeRevision_ > revision) return {0, rows_ - 1};
  int first = 1, last = 0;
  for (size_t r = 0; r < rowRevision_.size(); ++r)
    if (rowRevision_[r] > revision) {
      if (first > last) first = static_cast<int>(r) + 1;
      last = static_cast<int>(r) + 1;
    }
  return {first, last};
}

void ValueGrid::Clear(int first, int count) {
  int from = std::max(0, first);
  int to = std::min<int64_t>(static_cast<int64_t>(first) + count, static_cast<int64_t>(forms_.size()));
  if (from < to) {
    std::fill(forms_.begin() + from, forms_.begin() + to, Form::Empty);
    Changed(from, to - 1);
  }
}

void ValueGrid::Set(int position, double value, Form form) {
  if (position < 0 || position >= MaxPositions) return;
  if (position >= static_cast<int>(values_.size())) {
    // Grow in steps so that a capture does not reallocate at every sample.
    size_t size = std::min<size_t>(MaxPositions, std::max<size_t>(position + 1, values_.size() * 2 + 1024));
    values_.resize(size, 0.0);
    forms_.resize(size, Form::Empty);
  }
  values_[position] = value;
  forms_[position] = form;
  Changed(position, position);
}

ValueGrid::Form ValueGrid::FormAt(int position) const {
  if (position < 0 || position >= static_cast<int>(forms_.size())) return Form::Empty;
  return forms_[position];
}

QString ValueGrid::Text(int position) const {
  switch (FormAt(position)) {
    case Form::Empty:
      return QString();
    case Form::Integer:
      return QString::number(static_cast<int64_t>(values_[position]));
    case Form::Fixed:
      return FormatF(values_[position]);
    case Form::General:
      return FormatGeneral(values_[position]);
  }
  return QString();
}

QString ValueGrid::LongestText(int count) const {
  QString longest;
  const int n = std::min<int64_t>(count, static_cast<int64_t>(forms_.size()));
  for (int p = 0; p < n; ++p) {
    if (forms_[p] == Form::Empty) continue;
    QString t = Text(p);
    if (t.size() > longest.size()) longest = t;
  }
  return longest;
}

std::optional<double> ValueGrid::Number(int position) const {
  switch (FormAt(position)) {
    case Form::Empty:
      return std::nullopt;
    case Form::Integer:
      return values_[position];
    default:
      // What the shown text reads as (a "%f" text carries two decimals only).
      return ReadReal(Text(position));
  }
}

QString ValueGrid::RowLabel(int row) const {
  if (row < 1) return QString();
  if (labels_ == Labels::IQ) {
    int m = (rows_ - 1) / 2;
    if (row <= m) return "ADI:" + IntToHexW(row - 1, 4);
    return "ADQ:" + IntToHexW(row - m - 1, 4);
  }
  return IntToHexW(row - 1, 4);
}

QString ValueGrid::ColumnLabel(int col) {
  if (col < 1 || col > Columns) return QString();
  return IntToHexW(col - 1, 2);
}

QString ValueGrid::CellText(int col, int row) const {
  if (col < 0 || col > Columns || row < 0) return QString();
  if (row == 0) return ColumnLabel(col);
  if (col == 0) return RowLabel(row);
  return Text(Position(col, row));
}
