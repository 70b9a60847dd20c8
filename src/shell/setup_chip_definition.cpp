// The Setup dialog's side of the chip definition: the check box "光耦合", the
// instrument rows the keywords offer and the auto-load flag.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QPushButton>

#include "shell/plain_controls.h"
#include "shell/setup_dialog.h"

void TOption::CreateChipDefinitionControls() {
  PanelENG = new QFrame(this);
  PanelENG->setObjectName("PanelENG");
  PanelENG->setMinimumHeight(60);
  layout()->addWidget(PanelENG);
  QStringList ports;
  for (int n = 1; n <= 16; ++n) ports << QString("COM%1").arg(n);
  PlainControls c(PanelENG);
  c.Label("Label13", "======================Power Supply=================")->hide();
  c.Combo("PowerCOM", ports)->hide();
  c.Button("PowerSelect", "Select")->hide();
  c.NewRow();
  c.Label("Label6", "======================Chamber====================")->hide();
  c.Combo("ChamberCOM", ports)->hide();
  c.Button("ChamberSelect", "Select")->hide();
  PanelENG->hide();
}

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
