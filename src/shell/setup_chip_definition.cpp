// The Setup dialog's side of the chip definition: the check box "光耦合", the
// instrument rows the keywords offer and the auto-load flag.
#include <QCheckBox>
#include <QFrame>

#include "kit/plain_controls.h"
#include "shell/setup_dialog.h"

void TOption::ParseStarted() {
  Photo->setChecked(true);
  Photo->setEnabled(false);
  PanelENG->hide();
}

void TOption::DefinitionOpened() { AutoLoad = false; }

void TOption::KeywordMet(uint16_t code) {
  switch (code) {
    case ChipKeyword::Fluke: PanelENG->show(); break;
    case ChipKeyword::Power: SetNamedVisible(this, {"Label13", "PowerCOM", "PowerSelect"}, true); break;
    case ChipKeyword::Chamber: SetNamedVisible(this, {"Label6", "ChamberCOM", "ChamberSelect"}, true); break;
    case ChipKeyword::AutoLoad: AutoLoad = true; break;
    default: break;
  }
}
