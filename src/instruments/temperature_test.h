#pragma once
// Temperature test window: the register-change grid with its mode count, and the
// step-table files of the registers, delays and reference voltages.

#include "shell/form.h"

class QLabel;
class QLineEdit;
class TStepGrid;

class TTMP : public TPanelForm {
  Q_OBJECT
public:
  explicit TTMP(Program& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Starts the one-second repaint timer of the result grid.
  void EnableRepaintTimer();

  // Applies the mode count of EModenum to the register-change, calibrator and power
  // grids; returns it.
  int Modenum();
  // Enter in EModenum applies the mode count and lays the instrument grids out again.
  void EModenumKeyPress(QChar key);
  // Applies the mode count, then counts the register columns and the modes in use with
  // the rules of a run into RegColCount and ModeCount.
  void CountInUse();

  // "Save Reg": "Register.txt", "Delay.txt" and "ACM.txt".
  void SaveReg();
  // "Download Reg": the three files back into the register-change grid.
  void DownloadReg();
  // Reads a "Register.txt" layout into RegChg, recounts, and lays out TMPData as a preview.
  void RegDownload(const QString& fileName);

  int RegColCount = 0;  // register columns in use, 0..10
  int ModeCount = 0;    // modes in use

  QWidget* StepArea = nullptr;  // the temperature steps and run controls
  QLabel* LModenum = nullptr;
  QLineEdit* EModenum = nullptr;
  TStepGrid* RegChg = nullptr;
  TStepGrid* TMPData = nullptr;

private:
  void Status(const QString& text);
};
