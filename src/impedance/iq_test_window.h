#pragma once
// I/Q impedance test window.

#include "shell/form.h"

class TIQForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TIQForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
};
