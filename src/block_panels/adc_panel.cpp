#include "block_panels/adc_panel.h"

TADCForm::TADCForm(Program& program, QWidget* parent)
    : TPanelForm(program, "ADCForm", QString::fromUtf8("ADC"), parent) {
  resize(640, 480);
  CreateChipDefinitionControls();
}

void TADCForm::FormCreate() {}

void TADCForm::FormClose() {}

void TADCForm::DataUpdate() {}
