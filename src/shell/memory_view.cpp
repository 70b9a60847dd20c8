#include "shell/memory_view.h"

TMx_RAM::TMx_RAM(Program& program, QWidget* parent)
    : TPanelForm(program, "Mx_RAM", QString::fromUtf8("記憶體"), parent) {
  resize(640, 480);
  CreateChipDefinitionControls();
}

void TMx_RAM::FormCreate() {}

void TMx_RAM::FormClose() {}

void TMx_RAM::DataUpdate(bool /*initial*/) {}
