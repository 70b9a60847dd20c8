#pragma once
// The value grid as a table model: 17 columns, the store's row count, cell (c, r) at
// model row r and column c, labels in row 0 and column 0. The labels are also the
// header texts, so a view can hide row 0 and column 0 and show them as fixed headers
// that stay in place while the values scroll.

#include <QAbstractTableModel>

#include "adc_analysis/value_grid.h"

class ValueGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit ValueGridModel(const ValueGrid& grid, QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  // Tells the views what changed in the store since the last call.
  void Refresh();

private:
  const ValueGrid& grid_;
  int rows_ = 0;
  uint64_t seen_ = 0;
};
