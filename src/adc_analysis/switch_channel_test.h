#pragma once
// Switched ADC channel test window: up to eight ADC channel set-ups scanned by the
// board's microcontroller, with its settings file "StepADC.txt".

#include <QList>
#include <array>
#include <vector>

#include "adc_analysis/switch_scan.h"
#include "kit/form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class TAnxADC;

class TWeightCAL : public TPanelForm {
  Q_OBJECT
public:
  explicit TWeightCAL(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;

  void LoadConfig(const QString& fileName);
  void SaveConfig(const QString& fileName);

  void EvStepLenChange();
  void LoopStepChange();
  void SwitChClick(int k);
  void ReRowColSGD();
  void ClearSGD();
  void PStepSet(int k);
  void PStepClick(int k);

  // The run and its commands.
  void PSwitchSetClick(int k);
  void PSwReviewClick(int k);
  bool SendTO40Q26WR();
  void SendTO40Q26Click();
  void TestBeginClick();
  void PSTPClick() { StopRequested = 1; }
  void SaveExcelClick() { SaveToExcel(); }
  void SaveToExcel();
  void TXScaleChange();
  void ADShiftChange();
  // The selectors as the main configuration keeps them; selections made by code run
  // no handler, and an index out of range selects nothing.
  void SelectScale(int index);
  int ShiftIndex() const;
  void SelectShift(int index);
  void PT2OUTLOW();
  void FormResize();
  // The number of checked channels.
  int CheckedChannels() const;
  bool Running() const { return running_; }

  // The analysis window, whose scale follows this one (the program sets it).
  TAnxADC* Analysis = nullptr;

  TSwitchChannel SwitchChannels[8];
  int CurrentStep = 0;
  uint8_t StopRequested = 0;

  QCheckBox* SwitCh[8] = {};
  QLabel* PSet[8] = {};
  QLabel* PReview[8] = {};
  QLabel* PStep[8] = {};
  QComboBox* EvStepLen = nullptr;
  QComboBox* LoopStep = nullptr;
  QComboBox* TXScale = nullptr;
  QComboBox* ADShift = nullptr;
  QTableWidget* SGDS = nullptr;
  QPushButton* SendTO40Q26 = nullptr;  // "Send"
  QPushButton* TestBegin = nullptr;    // "Begin"
  QLabel* PSTP = nullptr;              // "STOP"
  QPushButton* SaveExcel = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* e) override;

private:
  void StylePanel(QLabel* panel, bool enabled, bool raised, const QColor& face, const QColor& text);
  // A Set or Review panel pressed while its action runs.
  void PressPanel(QLabel* panel, bool down);
  // The commands that would start another run or change its set-up.
  void LockRun(bool locked);
  SwitchScanLink Link();
  void Status(int panel, const QString& text);

  bool running_ = false;
  QList<QLabel*> selectorLabels_;
};
