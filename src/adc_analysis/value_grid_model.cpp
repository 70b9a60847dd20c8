#include "adc_analysis/value_grid_model.h"

#include <algorithm>

ValueGridModel::ValueGridModel(const ValueGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid), rows_(grid.RowCount()), seen_(grid.Revision()) {}

int ValueGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int ValueGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : ValueGrid::Columns + 1;
}

QVariant ValueGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return QVariant();
  if (role == Qt::TextAlignmentRole)
    return QVariant::fromValue<Qt::Alignment>(index.row() > 0 && index.column() > 0 ? Qt::AlignRight | Qt::AlignVCenter
                                                                                    : Qt::AlignCenter);
  if (role != Qt::DisplayRole) return QVariant();
  return grid_.CellText(index.column(), index.row());
}

QVariant ValueGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QAbstractTableModel::headerData(section, orientation, role);
  return orientation == Qt::Horizontal ? ValueGrid::ColumnLabel(section) : grid_.RowLabel(section);
}

void ValueGridModel::Refresh() {
  if (grid_.RowCount() != rows_) {
    beginResetModel();
    rows_ = grid_.RowCount();
    endResetModel();
  } else if (grid_.Revision() != seen_) {
    // Only the rows that changed: a view repaints nothing for rows out of its sight.
    const auto [first, changedLast] = grid_.ChangedRows(seen_);
    const int last = std::min(changedLast, rows_ - 1);
    if (first <= last) emit dataChanged(index(first, 0), index(last, ValueGrid::Columns));
  }
  seen_ = grid_.Revision();
}
