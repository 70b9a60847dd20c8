#include "instruments/step_grid.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

namespace {
const QColor kBtnFace(0xF0, 0xF0, 0xF0);
}

QVariant TextGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int col = index.column(), row = index.row();
  const bool fixed = col < g_.FixedCols || row < g_.FixedRows;
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return g_.Cell(col, row);
    case Qt::BackgroundRole:
      return fixed ? QVariant(kBtnFace) : QVariant();
    default:
      return {};
  }
}

bool TextGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid() || !g_.CellEditable(index.column(), index.row())) return false;
  g_.SetCell(index.column(), index.row(), value.toString());
  emit dataChanged(index, index);
  return true;
}

Qt::ItemFlags TextGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
  if (g_.CellEditable(index.column(), index.row())) f |= Qt::ItemIsEditable;
  return f;
}

void TextGridModel::CellChanged(int col, int row) {
  const QModelIndex i = index(row, col);
  emit dataChanged(i, i);
}

TStepGrid::TStepGrid(const QString& name, int cols, int rows, QWidget* parent)
    : QTableView(parent), grid_(cols, rows), model_(grid_) {
  setObjectName(name);
  setModel(&model_);
  horizontalHeader()->setVisible(false);
  verticalHeader()->setVisible(false);
  horizontalHeader()->setMinimumSectionSize(8);
  verticalHeader()->setMinimumSectionSize(8);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                  QAbstractItemView::AnyKeyPressed);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  // Grid texts are short codes: a compact font so they fit their narrow columns.
  QFont f = font();
  f.setPixelSize(11);
  setFont(f);
  ApplySizes();
}

void TStepGrid::SetCells(int col, int row, const QString& text) {
  grid_.SetCell(col, row, text);
  model_.CellChanged(col, row);
}

void TStepGrid::Edit(const std::function<void(TextGrid&)>& change) {
  model_.BeginReset();
  change(grid_);
  model_.EndReset();
  ApplySizes();
}

void TStepGrid::CellsChanged() {
  if (grid_.RowCount() > 0 && grid_.ColCount() > 0)
    emit model_.dataChanged(model_.index(0, 0), model_.index(grid_.RowCount() - 1, grid_.ColCount() - 1));
}

void TStepGrid::FitWidth(const TextGrid& layout) {
  int columns = 0;
  for (int c = 0; c < layout.ColCount(); ++c) columns += ShownWidth(layout, c);
  setFixedWidth(columns + 2 * frameWidth() + verticalScrollBar()->sizeHint().width());
}

void TStepGrid::SetFixed(int cols, int rows) {
  Edit([&](TextGrid& g) {
    g.FixedCols = cols;
    g.FixedRows = rows;
  });
}

void TStepGrid::SetEditable(bool editable) {
  Edit([&](TextGrid& g) { g.Editable = editable; });
}

void TStepGrid::ApplySizes() {
  verticalHeader()->setDefaultSectionSize(grid_.DefaultRowHeight);
  for (int c = 0; c < grid_.ColCount(); ++c) setColumnWidth(c, ShownWidth(grid_, c));
}

int TStepGrid::ShownWidth(const TextGrid& g, int col) const {
  // A title is never cut: a column widens to fit its fixed texts (the titles of row 0
  // and, in a fixed column, the row titles, whose widest is the last row's).
  const QFontMetrics fm(font());
  const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 4;
  int w = g.ColWidth(col);
  if (g.FixedRows > 0) w = std::max(w, fm.horizontalAdvance(g.Cell(col, 0)) + margin);
  if (col < g.FixedCols)
    for (int r : {0, g.RowCount() - 1}) w = std::max(w, fm.horizontalAdvance(g.Cell(col, r)) + margin);
  return w;
}
