// The register view's side of the chip definition: page tabs, the grids' register
// names and rows, the caption and the bit grid of the current page.
#include <QTableWidget>
#include <QToolButton>

#include "shell/program.h"
#include "shell/register_view.h"

namespace {

constexpr int GridColumns = 9;

QTableWidget* Grid(QWidget* parent, const char* name, const QRect& at) {
  auto* g = new QTableWidget(0, GridColumns, parent);
  g->setObjectName(name);
  g->setGeometry(at);
  return g;
}

void SetCell(QTableWidget* grid, int column, int row, const QString& text) {
  if (row >= grid->rowCount() || column >= grid->columnCount()) return;
  QTableWidgetItem* item = grid->item(row, column);
  if (!item) grid->setItem(row, column, new QTableWidgetItem(text));
  else item->setText(text);
}

// Register c of a byte or word grid: its name in row 2 x (c div 9); every ninth
// register opens two new rows (names and values), emptied.
void DeclareInGrid(QTableWidget* grid, int c, const QString& name) {
  const int row = 2 * (c / GridColumns);
  if (c % GridColumns == 0) {
    grid->setRowCount(row + 2);
    for (int col = 0; col < GridColumns; ++col) {
      SetCell(grid, col, row, QString());
      SetCell(grid, col, row + 1, QString());
    }
  }
  SetCell(grid, c % GridColumns, row, name);
}

}  // namespace

void TMx_Reg2::CreateChipDefinitionControls() {
  for (int p = 0; p < 6; ++p) {
    PPAGE[p] = new QToolButton(this);
    PPAGE[p]->setObjectName(QString("PPAGE%1").arg(p + 1));
    PPAGE[p]->setText(QString("PAGE%1").arg(p + 1));
    PPAGE[p]->setGeometry(4 + 60 * p, 4, 56, 20);
    PPAGE[p]->hide();
  }
  SREG = Grid(this, "SREG", {4, 28, 620, 200});
  SByteReg = Grid(this, "SByteReg", {4, 232, 620, 110});
  SWordReg = Grid(this, "SWordReg", {4, 346, 620, 110});
}

void TMx_Reg2::DefinitionOpened() {
  for (QTableWidget* g : {SREG, SByteReg}) {
    g->setColumnCount(GridColumns);
    g->setRowCount(0);
  }
  for (QToolButton* tab : PPAGE) tab->hide();
}

void TMx_Reg2::KeywordMet(uint16_t code) {
  if (code >= ChipKeyword::RegBit && code <= ChipKeyword::RegBit5) PPAGE[code - ChipKeyword::RegBit]->show();
}

void TMx_Reg2::ProductLine(const QString& productName) { SetCaption(productName + "Register"); }

void TMx_Reg2::ByteRegisterDeclared(int index, const QString& name) { DeclareInGrid(SByteReg, index, name); }

void TMx_Reg2::WordRegisterDeclared(int index, const QString& name) { DeclareInGrid(SWordReg, index, name); }

void TMx_Reg2::ParseEnded(const ChipDefinitionSeen&) { SWSREG(); }

void TMx_Reg2::SWSREG() {
  const Globals& g = P.G;
  const int page = g.BitPage < BitPages ? g.BitPage : 0;
  int first = 0;
  for (int p = 0; p < page; ++p) first += g.BitPageCount[p + 1];
  const int count = g.BitPageCount[page + 1];
  SREG->setRowCount(count);
  for (int r = 0; r < count; ++r) {
    const RegBitItem* item = g.RegBitList ? g.RegBitList->Items(first + r) : nullptr;
    SetCell(SREG, 0, r, item ? item->Name : QString());
    for (int b = 0; b < 8; ++b) SetCell(SREG, b + 1, r, item ? item->BitNames[b] : QString());
  }
  DataUpdate(true);
}
