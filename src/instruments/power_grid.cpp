#include "instruments/power_grid.h"

TFPower::TFPower(Bench& program, QWidget* parent)
    : TCommandGridForm(program, "FPower", QString::fromUtf8("Power Supply"), "PowerGd", parent) {
  PowerGd = Grid;
}
