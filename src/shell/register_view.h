#pragma once
// Register view: bit, byte and word registers of the chip definition.

#include "link/chip_definition_listener.h"
#include "shell/form.h"

class QTableWidget;
class QToolButton;

class TMx_Reg2 : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TMx_Reg2(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow; initial: no change marks are computed.
  void DataUpdate(bool initial = false);
  // Lays out the bit grid for the current page from RegBitList, then DataUpdate(true).
  void SWSREG();

  QTableWidget* SREG = nullptr;      // bit registers of the current page
  QTableWidget* SByteReg = nullptr;  // byte registers: names in even rows, values below
  QTableWidget* SWordReg = nullptr;  // word registers, laid out like SByteReg
  QToolButton* PPAGE[6] = {};        // page tabs PPAGE1 .. PPAGE6

  // Chip definition: page tabs, grid names and the caption.
  void DefinitionOpened() override;
  void KeywordMet(uint16_t code) override;
  void ProductLine(const QString& productName) override;
  void ByteRegisterDeclared(int index, const QString& name) override;
  void WordRegisterDeclared(int index, const QString& name) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

private:
  void CreateChipDefinitionControls();
};
