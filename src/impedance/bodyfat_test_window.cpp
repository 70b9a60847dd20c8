#include "impedance/bodyfat_test_window.h"

#include <QLineEdit>

TbodyFatForm::TbodyFatForm(Program& program, QWidget* parent)
    : TPanelForm(program, "bodyFatForm", QString::fromUtf8("Body fat GUI Form"), parent) {
  resize(640, 480);
}

void TbodyFatForm::FormCreate() {}

void TbodyFatForm::FormClose() {}

void TbodyFatForm::SetFrequencyText(const QString& text) {
  if (auto* e = findChild<QLineEdit*>("edtFreq")) e->setText(text);
}
