// The memory view's side of the chip definition: the tabs and menu items of the banks.
#include <QAction>
#include <QMenu>
#include <QToolButton>

#include "shell/memory_view.h"

void TMx_RAM::CreateChipDefinitionControls() {
  RamPopup = new QMenu(this);
  RamPopup->setObjectName("RamPopup");
  for (int n = 0; n < 5; ++n) {
    PBank[n] = new QToolButton(this);
    PBank[n]->setObjectName(QString("PBank%1").arg(n));
    PBank[n]->setText(QString("Bank%1").arg(n));
    PBank[n]->setGeometry(4 + 60 * n, 4, 56, 20);
    PBank[n]->hide();
    RAMBANK[n] = RamPopup->addAction(QString("RAMBANK%1").arg(n));
    RAMBANK[n]->setObjectName(QString("RAMBANK%1").arg(n));
    RAMBANK[n]->setVisible(false);
  }
}

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
