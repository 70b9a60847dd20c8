#include "instruments/power_grid.h"

TFPower::TFPower(Program& program, QWidget* parent)
    : TPanelForm(program, "FPower", QString::fromUtf8("Power Supply"), parent) {
  resize(640, 480);
}

void TFPower::FormCreate() {}

void TFPower::FormClose() {}

