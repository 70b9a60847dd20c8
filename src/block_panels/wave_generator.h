#pragma once
// Waveform generator window: clock, divider, DGRP or a target frequency, DAC offset
// and amplitude, sine or square; "Generator" loads the 128 samples into the chip's
// wave memory. It keeps the offset and amplitude in "WaveformSet.txt", carries the
// loaders of "Config/Reg.reg" and "Config/DAC.ram", and the oscillator trim and the
// counter scan. The arithmetic is in wave_math.h, the memory write in wave_memory.h,
// the files in wave_files.h and the trim in oscillator_trim.h.

#include <optional>

#include "block_panels/wave_math.h"
#include "kit/form.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TWaveChart;

class TWaveGenForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TWaveGenForm(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();
  // The loaders of "Config/Reg.reg" and "Config/DAC.ram": a missing file loads nothing,
  // one that did not wholly reach the chip is told.
  void LoadRegFile();
  void LoadDACRam();
  // Both, as the main window runs them after "USB Scan" when the definition holds
  // #AUTOLOAD: the register list first. Once the link is down nothing more is tried,
  // and one message tells the failure and names the files that did not reach the chip.
  void AutoLoad();
  // The firmware name decides whether the oscillator trim and the counter scan are offered.
  void SetTrimEnabled(bool enabled);

  // Frequency, codes, samples and chart from the state and the controls; no register access.
  void CalcWaveform();
  // DGRP from the frequency typed into T_FREQ, written to register 14.
  void SetFrequency();

  // Checks of the edits: a value out of range shows its message and the edit gets the
  // previous value back.
  void CheckActualClk();
  void CheckDacSource();
  void CheckDacOffset();
  void CheckVpp();
  void CheckDGRP();

  // Handlers.
  void CLK_ComboBoxChange();
  void CLKD_ComboBoxChange();
  void Button1Click();
  void btnWaveformSwitchClick();
  void btnChangeUintClick();
  void VodCorrectionClick();
  void btnScanClick();
  void ScanTimeTimer();

  WaveGenState S;

  QComboBox* CLK_ComboBox = nullptr;
  QComboBox* CLKD_ComboBox = nullptr;
  QLineEdit* T_DGRP = nullptr;
  QLineEdit* edtDacOffset = nullptr;
  QLabel* lblDacOffset = nullptr;
  QLineEdit* T_FREQ = nullptr;
  QLineEdit* edtActualClk = nullptr;
  QLabel* ActualCLKRange = nullptr;
  QLineEdit* edtDacSource = nullptr;
  QLineEdit* DAC_Vpp = nullptr;
  QLabel* Label7 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* btnWaveformSwitch = nullptr;
  QPushButton* btnChangeUint = nullptr;
  QPushButton* VodCorrection = nullptr;
  QPushButton* btnScan = nullptr;
  QComboBox* DACbits_ComboBox = nullptr;
  TWaveChart* chartWaveform = nullptr;
  QTimer* ScanTime = nullptr;

signals:
  // The frequency text as shown (the I/Q and body-fat tests take it).
  void FrequencyShown(const QString& text);

private:
  // The loads themselves: what the user is to be told when the file did not wholly
  // reach the chip; nothing when it did or there is no such file.
  std::optional<QString> RegFileLoad();
  std::optional<QString> DacRamLoad();
  void BuildControls();
  void Message(const QString& text);
  void ShowFrequency();
  void ShowClockRange(int c);
  // After a write of the clock, the divider or DGRP: the controls show the clock, the
  // divider and DGRP the registers hold, and the frequency they give.
  void ShowChipClock();
  void StopScan();
  bool Scanning() const;
  bool trimAllowed_ = false;
  // The settings file exists but could not be read: the close leaves it as it is.
  bool keepSettings_ = false;
};
