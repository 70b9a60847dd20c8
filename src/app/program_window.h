#pragma once
// The main window as the program completes it: the start-up and close steps, the
// configuration file "MxADC.cfg" between the windows and the file, the menu table,
// and the menu commands that reach other windows.

#include "shell/main_panel.h"

class Program;

class ProgramWindow : public TMainPanel {
public:
  explicit ProgramWindow(Program& program);

  // The same object as TMainPanel::P, with its windows.
  Program& P;

  void FormActivate();
  void FormClose() override;
  void FormDestroy();

  void USBClient();

  // The main configuration file "MxADC.cfg". LoadConfig is true when the file's
  // caption line matched and its blocks were applied.
  void SaveConfig(const QString& fileName);
  bool LoadConfig(const QString& fileName);
  // Values of the configuration file that no window holds.
  bool ConfigFlags[6] = {};
  // What the firmware name switches: the generator's oscillator trim.
  void ApplyFirmwareName(const QString& name);

  // Menu handlers.
  void USBScanClick();
  void SMenu_OptionClick();
  void LoadRAMClick();
  void WaveGenClick();
  void RestoreADCClick();
  void RegistClick();
  void FileItemClick(const QString& item);

protected:
  void closeEvent(QCloseEvent* e) override;

private:
  void BuildMenus();
  // Settings files the start-up step could not read: the close leaves them as they
  // are rather than replacing what it did not understand.
  bool keepConfig_ = false;
  bool keepSteps_ = false;
};
