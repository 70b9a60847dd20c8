#pragma once
// DAC block panel: the two 12-bit DACs.

#include "shell/form.h"

class TDACForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TDACForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();
};
