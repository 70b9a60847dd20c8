#pragma once
// Temperature test window: the temperature steps of a run, the register-change grid
// with its mode count and step-table files, the run through the chamber's steps with a
// measurement of every mode at each, the single test, manual chamber and calibrator
// commands, and the result grid and files. The sequence, the measurement and the file
// texts live in temperature_sequencer, temperature_measure and temperature_files.

#include <QStringList>
#include <cstdint>
#include <functional>

#include "instruments/temperature_measure.h"
#include "kit/form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;
class TStepGrid;
class TFLUKE;
class TFPower;
class TMeter;

class TTMP : public TPanelForm, public TemperatureRecord {
  Q_OBJECT
public:
  explicit TTMP(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // Starts the one-second repaint timer of the result grid.
  void EnableRepaintTimer();
  // "CHFULL", as the main configuration keeps it.
  bool FullChannels() const;
  void SetFullChannels(bool full);

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

  // ---- handlers ----
  // "SET": the step grid for the count, start and increment fields.
  void TMPCNTSETClick();
  // "T-Begin": a run through every temperature step.
  void TBgClick();
  // "T-Test": one measurement of every mode, the chamber not driven.
  void TTestClick();
  void Button1Click();  // chamber run
  void Button2Click();  // chamber stop; stops a run
  void FlukeSTBYClick();
  void LK330mVClick();
  void LK3VClick();
  void LKENTERClick();
  void TMPDataClick();
  void Timer1Timer();
  void Button3Click();
  // "SaveData": the B and meter snapshots.
  void ENSaveClick();

  // ---- run ----
  void TESTINI();
  // The set points and slopes of step StepNo to the chamber.
  bool LoadTemp();
  // Chamber registers 0001h and 0002h.
  bool ReadTemp(uint16_t& first, uint16_t& second);
  bool FlukeOPER();
  // Measures every mode at step StepNo and advances it.
  void TTESTCOM();
  void ChangeRegStep(int channel, uint8_t address, uint8_t value);
  void CreateFileTempB();
  void CreateFileTempBryMen();
  void CloseFileTempB();
  void CloseFileTempBryMen();
  void SaveOutA();
  void SaveCaptureFile(const QString& fileName);

  // The calibrator, power-supply and meter windows whose grids and readings a run
  // uses (the program sets them).
  TFLUKE* FlukeForm = nullptr;
  TFPower* PowerForm = nullptr;
  TMeter* MeterForm = nullptr;
  // What a run asks of the analysis window (the program fills it): its capture
  // button enabled, the grid cleared for a capture, the trigger wait, the reference
  // text, one capture with its figures (true when it completed), the fast-read
  // switch and the texts of the grid's first positions (at most the grid's size).
  struct AnalysisRequests {
    std::function<void(bool enabled)> EnableCapture;
    std::function<void()> Clear;
    std::function<void(int seconds)> WaitTrigger;
    std::function<void(const QString& text)> SetReferenceText;
    std::function<bool(const QString& refText, uint8_t streamMode, bool temperature)> Capture;
    std::function<bool()> FastRead;
    std::function<QStringList(int count)> GridTexts;
  };
  AnalysisRequests Analysis;

  int TempCount = 0;    // temperature steps
  int StepNo = 1;       // current step, 1-based
  bool Running = false; // a run or a single test is active
  int RegColCount = 0;  // register columns in use, 0..10
  int ModeCount = 0;    // modes in use

  // Controls, by component name.
  QWidget* StepArea = nullptr;  // the temperature steps and run controls
  QLabel* LTempCount = nullptr;
  QLineEdit* ETempCount = nullptr;
  QPushButton* TMPCNTSET = nullptr;
  QLabel* LTMPBG = nullptr;
  QLineEdit* ETMPBG = nullptr;
  QLabel* LTMPBGUnit = nullptr;
  QLabel* LTMPScale = nullptr;
  QLineEdit* ETMPScale = nullptr;
  TStepGrid* TMPGrid = nullptr;
  QLabel* LSoak = nullptr;
  QLineEdit* Edit2 = nullptr;
  QLabel* LSoakUnit = nullptr;
  QLabel* LPDlyT = nullptr;
  QLineEdit* PDlyT = nullptr;
  QLabel* LPDlyTUnit = nullptr;
  QPushButton* TBg = nullptr;
  QPushButton* TTest = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* Button2 = nullptr;
  QPushButton* Button4 = nullptr;
  QPushButton* ENSave = nullptr;
  QCheckBox* LK330mV = nullptr;
  QCheckBox* LK3V = nullptr;
  QPushButton* LKENTER = nullptr;
  QComboBox* CADCBRY = nullptr;
  QComboBox* ComMode = nullptr;
  QCheckBox* CHFULL = nullptr;
  QCheckBox* FkNOINT = nullptr;
  QPushButton* Button3 = nullptr;
  QTimer* Timer1 = nullptr;
  QLabel* LModenum = nullptr;
  QLineEdit* EModenum = nullptr;
  TStepGrid* RegChg = nullptr;
  TStepGrid* TMPData = nullptr;

private:
  class RunHost;
  class StepHost;
  class RunLock;
  // A step grid without steps (the 150-degree rule left none): a message, and true.
  bool RefuseWithoutSteps();

  void CreateStepArea();
  void Status(int panel, const QString& text);
  // The end of every run and single test: controls enabled, the summary (unless the
  // run ended in an error), chamber stop and calibrator standby.
  void EndRun(bool summary);
  // Shows the last calibrator reply line in status panel 2.
  CalibratorReply Calibrator(const QString& command);
  ResultFileInputs FileInputs() const;
  StepInputs Inputs() const;
  MeasureOptions Options() const;
};
