#include "impedance/bodyfat_test_window.h"

TbodyFatForm::TbodyFatForm(Program& program, QWidget* parent)
    : TPanelForm(program, "bodyFatForm", QString::fromUtf8("Body fat GUI Form"), parent) {
  resize(640, 480);
}

void TbodyFatForm::FormCreate() {}

void TbodyFatForm::FormClose() {}

