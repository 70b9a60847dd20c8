#pragma once
// Four-electrode body-fat test window.

#include "shell/form.h"

class TbodyFatForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TbodyFatForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // The waveform generator's frequency, written into the edtFreq field.
  void SetFrequencyText(const QString& text);
};
