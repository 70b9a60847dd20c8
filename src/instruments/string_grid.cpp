#include "instruments/string_grid.h"

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

TStringGrid::TStringGrid(const QString& name, int cols, int rows, QWidget* parent)
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

void TStringGrid::SetCells(int col, int row, const QString& text) {
  grid_.SetCell(col, row, text);
  model_.CellChanged(col, row);
}

void TStringGrid::Edit(const std::function<void(TextGrid&)>& change) {
  model_.BeginReset();
  change(grid_);
  model_.EndReset();
  ApplySizes();
}

void TStringGrid::CellsChanged() {
  if (grid_.RowCount() > 0 && grid_.ColCount() > 0)
    emit model_.dataChanged(model_.index(0, 0), model_.index(grid_.RowCount() - 1, grid_.ColCount() - 1));
}

void TStringGrid::FitWidth(int columnsWidth) {
  setFixedWidth(columnsWidth + 2 * frameWidth() + verticalScrollBar()->sizeHint().width());
}

void TStringGrid::SetFixed(int cols, int rows) {
  Edit([&](TextGrid& g) {
    g.FixedCols = cols;
    g.FixedRows = rows;
  });
}

void TStringGrid::SetEditable(bool editable) {
  Edit([&](TextGrid& g) { g.Editable = editable; });
}

void TStringGrid::ApplySizes() {
  verticalHeader()->setDefaultSectionSize(grid_.DefaultRowHeight);
  // A title is never cut: a column widens to fit its fixed texts (the titles of row 0
  // and, in a fixed column, the row titles, whose widest is the last row's).
  const QFontMetrics fm(font());
  const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 4;
  const int last = grid_.RowCount() - 1;
  for (int c = 0; c < grid_.ColCount(); ++c) {
    int w = grid_.ColWidth(c);
    if (grid_.FixedRows > 0) w = std::max(w, fm.horizontalAdvance(grid_.Cell(c, 0)) + margin);
    if (c < grid_.FixedCols)
      for (int r : {0, last}) w = std::max(w, fm.horizontalAdvance(grid_.Cell(c, r)) + margin);
    setColumnWidth(c, w);
  }
}
