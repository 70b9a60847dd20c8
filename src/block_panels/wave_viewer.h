#pragma once
// DAC wave viewer: loads a wave table from a ".ram" file straight into the chip's
// wave memory (no resampling) and plots one period of it, DGRP + 1 points, in codes
// or millivolts. Every register change refreshes it, so the plot follows DGRP and the
// DAC source voltage.

#include "block_panels/wave_math.h"
#include "kit/form.h"

class QLineEdit;
class QPushButton;
class TWaveChart;

class TShowWaveForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TShowWaveForm(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Repaints from the register shadow.
  void DataUpdate();
  // Loads a wave table file into the chip's wave memory; true when it was loaded.
  bool LoadAsDac();
  // Redraws the chart from WaveWords (words outside 16..65520 are clamped there).
  void Generator();

  void btnChangeUintClick();
  void edtDacSourceExit();
  void edtDacSourceKeyPress();

  WaveTable WaveWords{};      // the words last loaded
  int SourceMv = 3300;        // DAC source voltage of the millivolt plot
  uint8_t LastPoint = 127;    // last plotted index: DGRP, 0 taken as 1
  uint8_t ShowVoltage = 0;

  QLineEdit* edtDacSource = nullptr;
  QPushButton* btnChangeUint = nullptr;
  TWaveChart* chartWaveform = nullptr;

private:
  // The source-voltage check; true when the value changed.
  bool CheckDacSource();
  void FollowDgrp();
};
