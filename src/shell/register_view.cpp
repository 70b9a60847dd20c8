#include "shell/register_view.h"

TMx_Reg2::TMx_Reg2(Program& program, QWidget* parent)
    : TPanelForm(program, "Mx_Reg2", QString::fromUtf8("REG"), parent) {
  resize(640, 480);
  CreateChipDefinitionControls();
}

void TMx_Reg2::FormCreate() {}

void TMx_Reg2::FormClose() {}

void TMx_Reg2::DataUpdate(bool /*initial*/) {}
