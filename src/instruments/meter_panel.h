#pragma once
// Meter panel: up to six BryMen multimeters, each read on its own interval and shown
// on a seven-segment display with its unit and sign.

#include <memory>

#include "instruments/meter_reading.h"
#include "kit/form.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class SerialProtocols;
class TLedArray;

// One meter channel: its panel controls, its scan settings and the temperature test's
// reading and unit-text matrices.
struct _MeterAll {
  QCheckBox* CheckBox = nullptr;  // continuous store (present, stays disabled)
  QLabel* Label = nullptr;        // "選擇掃瞄時間"
  QComboBox* ComboBox = nullptr;  // scan interval
  TLedArray* LedArray = nullptr;
  QLabel* MUnit = nullptr;
  QFrame* Panel = nullptr;        // minus mark
  int ScanIndex = 0;              // scan-interval index 0..5
  bool StoreFlag = false;         // the check box's state; nothing reads it
  MeterMatrix Matrix;             // per step and mode
};

class TMeter : public TPanelForm {
  Q_OBJECT
public:
  explicit TMeter(Bench& program, QWidget* parent = nullptr);
  ~TMeter() override;
  void FormCreate() override;
  void FormClose() override;

  // Reads and decodes one frame of meter channel 0..5 into `r`; the value scaled by its
  // exponent. A frame that did not come whole, a short frame or a reading that is not
  // a number gives 0 with r.Invalid set (r.Decoded False when no frame was decoded).
  double GetBryMenData(int channel, BryMenReading& r);
  // One 100 ms tick: every connected channel whose interval is due is read and shown.
  void Timer1Timer();
  void RDandStopClick();
  void ComboBox1Change(int channel);
  void CheckBoxDBClick(int channel);
  // A meter answered the Setup dialog's probe: its interval can be chosen and its
  // display, unit and minus mark are shown.
  void ShowChannel(int channel);

  _MeterAll MeterAll[6];
  QPushButton* RDandStop = nullptr;
  QTimer* Timer1 = nullptr;
  uint32_t TickCount = 0;

private:
};
