#pragma once
// Memory view: the chip's register and RAM banks as a 16 x 16 grid of hexadecimal bytes.

#include "link/chip_definition_listener.h"
#include "shell/form.h"

class QAction;
class QMenu;
class QToolButton;

class TMx_RAM : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TMx_RAM(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow; initial: no change marks are computed.
  void DataUpdate(bool initial = false);

  QToolButton* PBank[5] = {};    // bank tabs PBank0 .. PBank4
  QMenu* RamPopup = nullptr;     // the grid's right-click menu
  QAction* RAMBANK[5] = {};      // its items RAMBANK0 .. RAMBANK4

  // Chip definition: the banks it declares are shown.
  void DefinitionOpened() override;
  void RamBankShown(int bank) override;

private:
  void CreateChipDefinitionControls();
};
