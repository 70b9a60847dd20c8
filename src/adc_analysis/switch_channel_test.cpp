#include "adc_analysis/switch_channel_test.h"

TWeightCAL::TWeightCAL(Program& program, QWidget* parent)
    : TPanelForm(program, "WeightCAL", QString::fromUtf8("Switch ADC Channel Test"), parent) {
  resize(640, 480);
}

void TWeightCAL::FormCreate() {}

void TWeightCAL::FormClose() {}

