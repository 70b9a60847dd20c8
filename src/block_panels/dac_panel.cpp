#include "block_panels/dac_panel.h"

TDACForm::TDACForm(Program& program, QWidget* parent)
    : TPanelForm(program, "DACForm", QString::fromUtf8("DAC"), parent) {
  resize(640, 480);
  CreateChipDefinitionControls();
}

void TDACForm::FormCreate() {}

void TDACForm::FormClose() {}

void TDACForm::DataUpdate() {}
