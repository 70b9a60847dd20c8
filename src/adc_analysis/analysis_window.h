#pragma once
// ADC analysis window: the ENOB test.

#include "shell/form.h"

class TAnxADC : public TPanelForm {
  Q_OBJECT
public:
  explicit TAnxADC(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Restores the ADC preset registers ("Restore ADC").
  void ComFunChange();
};
