#pragma once
// Power-supply step grid.

#include "shell/form.h"

class TFPower : public TPanelForm {
  Q_OBJECT
public:
  explicit TFPower(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
};
