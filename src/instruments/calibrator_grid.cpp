#include "instruments/calibrator_grid.h"

TFLUKE::TFLUKE(Program& program, QWidget* parent)
    : TPanelForm(program, "FLUKE", QString::fromUtf8("FLUKE-5500"), parent) {
  resize(640, 480);
}

void TFLUKE::FormCreate() {}

void TFLUKE::FormClose() {}

