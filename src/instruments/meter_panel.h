#pragma once
// Meter panel: the BryMen multimeters' readings.

#include "shell/form.h"

class TMeter : public TPanelForm {
  Q_OBJECT
public:
  explicit TMeter(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
};
