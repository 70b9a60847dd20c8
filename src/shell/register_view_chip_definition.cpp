// The register view's side of the chip definition: page tabs, the grids' register
// names and rows, the caption and the bit grid of the current page.
#include "shell/register_view.h"
#include "shell/register_view_layout.h"

namespace {

// Register c of a byte or word grid: its name in row 2 x (c div 9); every ninth
// register opens two new rows (names and values), emptied.
void DeclareInGrid(TStringGrid* grid, int c, const QString& name) {
  if (c < 0) return;
  const int row = 2 * (c / RegGridColumns);
  if (c % RegGridColumns == 0) {
    grid->SetRowCount(row + 2);
    grid->SetRowHeights(RegGridRowHeight);
    for (int col = 0; col < RegGridColumns; ++col) {
      grid->SetCell(col, row, QString());
      grid->SetCell(col, row + 1, QString());
    }
  }
  grid->SetCell(c % RegGridColumns, row, name);
}

}  // namespace

void TMx_Reg2::DefinitionOpened() {
  for (TStringGrid* g : {SREG, SByteReg}) {
    g->SetColCount(RegGridColumns);
    g->SetRowCount(0);
  }
  for (TTabPanel* tab : PPAGE) tab->hide();
}

void TMx_Reg2::KeywordMet(uint16_t code) {
  if (code >= ChipKeyword::RegBit && code <= ChipKeyword::RegBit5) PPAGE[code - ChipKeyword::RegBit]->show();
}

void TMx_Reg2::ProductLine(const QString& productName) { SetCaption(productName + "Register"); }

void TMx_Reg2::ByteRegisterDeclared(int index, const QString& name) { DeclareInGrid(SByteReg, index, name); }

void TMx_Reg2::WordRegisterDeclared(int index, const QString& name) { DeclareInGrid(SWordReg, index, name); }

void TMx_Reg2::ParseEnded(const ChipDefinitionSeen&) { SWSREG(); }
