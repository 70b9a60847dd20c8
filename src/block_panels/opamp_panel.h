#pragma once
// Op-amp block panel: the three op-amps and their switch matrices.

#include "shell/form.h"

class TOPForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TOPForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();
};
