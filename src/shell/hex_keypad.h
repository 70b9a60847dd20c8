#pragma once
// The hex keypad: a small modal window that asks for one hexadecimal value.

#include "shell/form.h"

class TMxPopSelHex : public TDialogForm {
  Q_OBJECT
public:
  explicit TMxPopSelHex(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
};
