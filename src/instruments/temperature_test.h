#pragma once
// Temperature test window.

#include "shell/form.h"

class TTMP : public TPanelForm {
  Q_OBJECT
public:
  explicit TTMP(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Starts the one-second repaint timer of the result grid.
  void EnableRepaintTimer();
};
