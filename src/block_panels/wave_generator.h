#pragma once
// Waveform generator window.

#include "shell/form.h"

class QPushButton;

class TWaveGenForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TWaveGenForm(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();
  // The loaders the main window runs after "USB Scan" when the definition holds #AUTOLOAD.
  void LoadRegFile();
  void LoadDACRam();
  // The firmware name decides whether the oscillator trim and the counter scan are offered.
  void SetTrimEnabled(bool enabled);

  QPushButton* VodCorrection = nullptr;
  QPushButton* btnScan = nullptr;
};
