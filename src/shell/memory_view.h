#pragma once
// Memory view: the chip's register and RAM banks as a 16 x 16 grid of hexadecimal bytes.

#include "shell/form.h"

class TMx_RAM : public TPanelForm {
  Q_OBJECT
public:
  explicit TMx_RAM(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow; initial: no change marks are computed.
  void DataUpdate(bool initial = false);
};
