#pragma once
// Calibrator step grid: per mode whether and which command the calibrator gets.

#include "instruments/command_grid_form.h"

class TFLUKE : public TCommandGridForm {
  Q_OBJECT
public:
  explicit TFLUKE(Bench& program, QWidget* parent = nullptr);

  // "Fluke.txt": "Save Fluke" and "DownLoad Fluke" (a line whose key has no leading
  // decimal value is dropped).
  void SaveFluke() { SaveTable("Fluke.txt"); }
  void DownLoadFluke() { LoadTable("Fluke.txt", CommandKeyRule::SkipZeroKey); }

  TStepGrid* FlukeGd = nullptr;
};
