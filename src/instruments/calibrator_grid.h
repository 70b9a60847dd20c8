#pragma once
// Calibrator step grid.

#include "shell/form.h"

class TFLUKE : public TPanelForm {
  Q_OBJECT
public:
  explicit TFLUKE(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
};
