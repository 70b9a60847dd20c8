#pragma once
// Memory view: one bank of 256 shadow addresses as a 16 x 16 grid of hex bytes,
// with change marks (white on blue), colour marks and hint flags, its own ".ram"
// file of banks 0 and 1 and the spreadsheet export. Writes go through WriteReg.
// The chip definition shows the defined banks through the listener methods.

#include "kit/form.h"
#include "link/chip_definition_listener.h"
#include "shell/memory_view_file.h"
#include "shell/view_controls.h"

class QAction;
class QMenu;
class TMxPopSelHex;

class TMx_RAM : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TMx_RAM(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Refresh from the shadow; initial: no change marks are computed.
  void DataUpdate(bool initial = false);
  void PBankClick(int bank);  // PBank0Click .. PBank4Click and "RAMBANK0" .. "RAMBANK4"

  // Chip definition: the banks it declares are shown.
  void DefinitionOpened() override;
  void RamBankShown(int bank) override;

  // The double click on the cell under the last mouse press: the keypad.
  void SGDDblClick();
  // A character typed into the grid (Backspace '\b', Tab '\t', Enter '\r').
  void SGDKeyPress(QChar key);
  void SGDSelectCell(int col, int row);
  void FormDeactivate();
  // The keypad the double click opens (the program sets it).
  TMxPopSelHex* HexKeypad = nullptr;

  void SetMarkClick();
  void newcolor1Click();
  void RstMarkClick();
  void RstAllMarkClick();
  void SetHint1Click() {}
  void ResetHint1Click();
  void ResetAllHint1Click();
  void LoadRamClick();
  void SaveRamClick();
  void Excel1Click();

  // The shadow address of a data cell, -1 for the header row and column.
  int CellAddress(int col, int row) const;
  CellStyle SGDStyle(int col, int row) const;

  TTabPanel* PBank[5] = {};
  TStringGrid* SGD = nullptr;
  QMenu* RamPopup = nullptr;  // the grid's right-click menu
  QAction* RAMBANK[5] = {};
  QLabel* PnlHint = nullptr;

  MemoryMarks Marks;
  uint32_t ColorDlgColor = 0x808080;  // the colour dialog's colour, 00BBGGRR
  // Where the spreadsheet export writes its workbooks, and the last one written.
  QString ExportDir;
  QString LastExportPath;

protected:
  void showEvent(QShowEvent* e) override;

private:
  QAction* AddItem(const QString& name, const QString& caption, void (TMx_RAM::*handler)());
  void RowHeaders();
  void StyleBankTabs();
  // The address of the cell under the last mouse press when it has implemented bits.
  int MarkTarget() const;
  void SetMark(bool on);
  bool Implemented(int address) const;
  void CommitCell(int col, int row);

  bool editing_ = false;
  int editCol_ = 0, editRow_ = 0;
};
