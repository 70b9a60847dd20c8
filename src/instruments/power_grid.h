#pragma once
// Power-supply step grid: per mode whether and which command the power supply gets.

#include "instruments/command_grid_form.h"

class TFPower : public TCommandGridForm {
  Q_OBJECT
public:
  explicit TFPower(Bench& program, QWidget* parent = nullptr);

  // "Power.txt": "Save Power" and "Download Power" (every line fills a row).
  void SavePower() { SaveTable("Power.txt"); }
  void DownloadPower() { LoadTable("Power.txt", CommandKeyRule::TakeEveryLine); }

  TStepGrid* PowerGd = nullptr;
};
