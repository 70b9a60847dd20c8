// The memory view's side of the chip definition: the tabs and menu items of the banks.
#include <QAction>

#include "shell/memory_view.h"

void TMx_RAM::DefinitionOpened() {
  for (int n = 0; n < 5; ++n) {
    PBank[n]->hide();
    RAMBANK[n]->setVisible(false);
  }
}

void TMx_RAM::RamBankShown(int bank) {
  if (bank < 0 || bank >= 5) return;
  PBank[bank]->show();
  RAMBANK[bank]->setVisible(true);
}
