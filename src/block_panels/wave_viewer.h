#pragma once
// DAC wave viewer: one period of the wave memory.

#include "shell/form.h"

class TShowWaveForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TShowWaveForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();
  // Loads a wave table file into the chip's wave memory; true when it was loaded.
  bool LoadAsDac();
};
