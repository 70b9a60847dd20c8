#pragma once
// Switched ADC channel test window.

#include "shell/form.h"

class TWeightCAL : public TPanelForm {
  Q_OBJECT
public:
  explicit TWeightCAL(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
};
