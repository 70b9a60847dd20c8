#include "impedance/iq_test_window.h"

TIQForm::TIQForm(Program& program, QWidget* parent)
    : TPanelForm(program, "IQForm", QString::fromUtf8("IQForm"), parent) {
  resize(640, 480);
  CreateChipDefinitionControls();
}

void TIQForm::FormCreate() {}

void TIQForm::FormClose() {}

