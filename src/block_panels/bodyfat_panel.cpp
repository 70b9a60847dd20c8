#include "block_panels/bodyfat_panel.h"

TbodyfatGUIForm::TbodyfatGUIForm(Program& program, QWidget* parent)
    : TPanelForm(program, "bodyfatGUIForm", QString::fromUtf8("Body fat"), parent) {
  resize(640, 480);
}

void TbodyfatGUIForm::FormCreate() {}

void TbodyfatGUIForm::FormClose() {}

void TbodyfatGUIForm::DataUpdate() {}
