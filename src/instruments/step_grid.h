#pragma once
// A text grid control: the cells of a TextGrid shown in a table view, fixed rows and
// columns drawn as titles and not editable, the other cells typed into directly.

#include <QAbstractTableModel>
#include <QTableView>
#include <functional>

#include "instruments/step_tables.h"

class TextGridModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit TextGridModel(TextGrid& grid, QObject* parent = nullptr) : QAbstractTableModel(parent), g_(grid) {}
  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : g_.RowCount(); }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : g_.ColCount(); }
  QVariant data(const QModelIndex& index, int role) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  void BeginReset() { beginResetModel(); }
  void EndReset() { endResetModel(); }
  void CellChanged(int col, int row);

private:
  TextGrid& g_;
};

class TStepGrid : public QTableView {
  Q_OBJECT
public:
  TStepGrid(const QString& name, int cols, int rows, QWidget* parent = nullptr);

  const TextGrid& Grid() const { return grid_; }
  QString Cells(int col, int row) const { return grid_.Cell(col, row); }
  void SetCells(int col, int row, const QString& text);
  int RowCount() const { return grid_.RowCount(); }
  int ColCount() const { return grid_.ColCount(); }
  // Changes the grid as a whole, then shows it again with its sizes.
  void Edit(const std::function<void(TextGrid&)>& change);
  // Cells changed in place (the size kept) by a long operation that pumps messages:
  // MutableGrid() to change them, then CellsChanged() to show them.
  TextGrid& MutableGrid() { return grid_; }
  void CellsChanged();
  // A fixed width that shows every column of `layout` (as this grid would size them)
  // and the vertical scroll bar.
  void FitWidth(const TextGrid& layout);
  void SetFixed(int cols, int rows);
  void SetEditable(bool editable);

private:
  void ApplySizes();
  // The width a column of `g` is shown with.
  int ShownWidth(const TextGrid& g, int col) const;
  TextGrid grid_;
  TextGridModel model_;
};
