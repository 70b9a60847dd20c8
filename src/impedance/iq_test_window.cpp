#include "impedance/iq_test_window.h"

#include <QLineEdit>

TIQForm::TIQForm(Program& program, QWidget* parent)
    : TPanelForm(program, "IQForm", QString::fromUtf8("IQForm"), parent) {
  resize(640, 480);
  CreateChipDefinitionControls();
}

void TIQForm::FormCreate() {}

void TIQForm::FormClose() {}

void TIQForm::SetFrequencyText(const QString& text) {
  if (auto* e = findChild<QLineEdit*>("T_Freq")) e->setText(text);
}
