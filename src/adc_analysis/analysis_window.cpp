#include "adc_analysis/analysis_window.h"

TAnxADC::TAnxADC(Program& program, QWidget* parent)
    : TPanelForm(program, "AnxADC", QString::fromUtf8("Analyse ADC"), parent) {
  resize(640, 480);
  CreateChipDefinitionControls();
}

void TAnxADC::FormCreate() {}

void TAnxADC::FormClose() {}


void TAnxADC::ComFunChange() {}
