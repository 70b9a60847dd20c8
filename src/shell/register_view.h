#pragma once
// Register view: bit, byte and word registers of the chip definition.

#include "shell/form.h"

class TMx_Reg2 : public TPanelForm {
  Q_OBJECT
public:
  explicit TMx_Reg2(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow; initial: no change marks are computed.
  void DataUpdate(bool initial = false);
};
