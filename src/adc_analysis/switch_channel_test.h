#pragma once
// Switched ADC channel test window: up to eight ADC channel set-ups scanned by the
// board's microcontroller, with its settings file "StepADC.txt".

#include <QList>
#include <array>
#include <vector>

#include "shell/form.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;

// The chip registers of one channel set-up, always in this order.
inline constexpr std::array<uint8_t, 11> SwitchRegList = {49, 50, 55, 60, 61, 62, 63, 64, 48, 73, 52};

struct TSwitchChannel {
  uint8_t RegAddr[11] = {};
  uint8_t RegValue[11] = {};
  uint8_t StepLen = 0;
  uint16_t LoopCount = 0;
  std::vector<int32_t> Results = std::vector<int32_t>(16384, 0);
};

class TWeightCAL : public TPanelForm {
  Q_OBJECT
public:
  explicit TWeightCAL(Program& program, QWidget* parent = nullptr);
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

  TSwitchChannel SwitchChannels[8];
  int CurrentStep = 0;

  QCheckBox* SwitCh[8] = {};
  QLabel* PSet[8] = {};
  QLabel* PReview[8] = {};
  QLabel* PStep[8] = {};
  QComboBox* EvStepLen = nullptr;
  QComboBox* LoopStep = nullptr;
  QComboBox* TXScale = nullptr;
  QComboBox* ADShift = nullptr;
  QTableWidget* SGDS = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void StylePanel(QLabel* panel, bool enabled, bool raised, const QColor& face, const QColor& text);
};
