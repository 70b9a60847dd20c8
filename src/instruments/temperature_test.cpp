#include "instruments/temperature_test.h"

TTMP::TTMP(Program& program, QWidget* parent)
    : TPanelForm(program, "TMP", QString::fromUtf8("Temperature Test"), parent) {
  resize(640, 480);
}

void TTMP::FormCreate() {}

void TTMP::FormClose() {}


void TTMP::EnableRepaintTimer() {}
