#include "block_panels/opamp_panel.h"

TOPForm::TOPForm(Program& program, QWidget* parent)
    : TPanelForm(program, "OPForm", QString::fromUtf8("OP"), parent) {
  resize(640, 480);
  CreateChipDefinitionControls();
}

void TOPForm::FormCreate() {}

void TOPForm::FormClose() {}

void TOPForm::DataUpdate() {}
