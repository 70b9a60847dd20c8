#include "instruments/meter_panel.h"

TMeter::TMeter(Program& program, QWidget* parent)
    : TPanelForm(program, "Meter", QString::fromUtf8("Meter"), parent) {
  resize(640, 480);
}

void TMeter::FormCreate() {}

void TMeter::FormClose() {}

