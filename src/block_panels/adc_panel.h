#pragma once
// ADC block panel: the sigma-delta ADC's switches and settings over its block diagram.

#include "shell/form.h"

class TADCForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TADCForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();
};
