#pragma once
// Register view: bit, byte and word registers of the chip definition, from the
// register shadow, with changes drawn white on blue; edits go through WriteReg.
// The chip definition sets the page tabs, the byte and word names and the caption
// through the listener methods.

#include "kit/form.h"
#include "link/chip_definition_listener.h"
#include "shell/view_controls.h"

class QMenu;
class QAction;
class TTabPanel;
class TMxPopSelHex;

class TMx_Reg2 : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TMx_Reg2(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Refresh from the shadow; initial: the core panel's Work field marks no change.
  void DataUpdate(bool initial = false);
  // Lays out the bit grid for the current page, then DataUpdate(true).
  void SWSREG();
  void PPAGEClick(int page);  // PPAGE1Click .. PPAGE6Click: page 0 .. 5

  // Chip definition: page tabs, grid names and rows, the caption; at the end of a
  // parse the bit grid of the current page is rebuilt.
  void DefinitionOpened() override;  // bit and byte grids 9 columns, 0 rows; tabs hidden
  void KeywordMet(uint16_t code) override;
  void ProductLine(const QString& productName) override;
  void ByteRegisterDeclared(int index, const QString& name) override;
  void WordRegisterDeclared(int index, const QString& name) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

  // Double clicks on the cell under the last mouse press.
  void SREGDblClick();
  void SByteRegDblClick();
  void SWordRegDblClick();
  // The keypad the double clicks open (the program sets it).
  TMxPopSelHex* HexKeypad = nullptr;
  // Characters typed into the byte and word grids' value cells.
  void SByteRegKeyPress(QChar key);
  void SWordRegKeyPress(QChar key);
  void PMBitSetClick();
  void PMBitClrClick();

  // Cell colours as drawn.
  CellStyle SREGStyle(int col, int row) const;
  CellStyle ValueGridStyle(const TStringGrid* grid, int col, int row) const;

  TTabPanel* PPAGE[6] = {};
  TStringGrid* SREG = nullptr;
  TStringGrid* SByteReg = nullptr;
  TStringGrid* SWordReg = nullptr;
  QLabel* Panel1 = nullptr;
  QLabel* Panel3 = nullptr;
  QMenu* PMBit = nullptr;
  QAction* PMBitSet = nullptr;
  QAction* PMBitClr = nullptr;

  // The hidden core panel: program counter, cycles, work register 29h and the two
  // indirect accesses through FSR0 (0Fh:10h) and FSR1 (11h:12h).
  QWidget* PBase = nullptr;
  QLabel* PnlPC = nullptr;
  QLabel* PnlCycle = nullptr;
  TTabPanel* PnlWork = nullptr;
  TTabPanel* PnlIND0 = nullptr;
  TTabPanel* PnlIND1 = nullptr;
  QMenu* PMWork = nullptr;
  QMenu* PMIND[2] = {};
  int FSR(int n) const;
  void EditWork();
  void EditIND(int n);
  void EditFSR(int n);

private:
  void StylePageTabs();
  bool IsWord(const TStringGrid* grid) const { return grid == SWordReg; }
  // Entry index of a grid cell (column, row), or -1 when the cell holds none.
  int EntryAt(const TStringGrid* grid, int col, int row) const;
  void ValueKey(TStringGrid* grid, QChar key);
  void ValueCellLeft(TStringGrid* grid, int prevCol, int prevRow);
  void CommitValue(TStringGrid* grid, int col, int row);
  void NameCellDblClick(TStringGrid* grid);
  // The keypad at a grid cell's bottom-left corner; true when a value was accepted.
  bool Keypad(const QPoint& at, int& value, const QString& maxText, const QString& caption);
  void WriteWord(int entry, int value);

  bool editing_ = false;
  const TStringGrid* editGrid_ = nullptr;
  int editCol_ = 0, editRow_ = 0;
  int bitAddress_ = 0, bitNumber_ = 0;
  int lastWork_ = -1;
};
