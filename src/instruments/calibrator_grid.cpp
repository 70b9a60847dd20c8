#include "instruments/calibrator_grid.h"

TFLUKE::TFLUKE(Bench& program, QWidget* parent)
    : TCommandGridForm(program, "FLUKE", QString::fromUtf8("FLUKE-5500"), "FlukeGd", parent) {
  FlukeGd = Grid;
}
