#pragma once
// I/Q impedance test window: the reference and frequency inputs, the calibrations
// ("Calculate"), the CAP TEST runs in five modes with their logs, the settings file
// and the hidden diagnostics. The work is done by the logic of impedance/ (the runs
// by IqRunner, iq_runs); the window reads its inputs, shows the results and keeps the
// run's controls locked.

#include <QString>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "kit/form.h"
#include "link/chip_definition_listener.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class TMx_UP;
struct IQFormSettings;
struct ImpedanceInput;
struct InputRange;
struct IQTestState;

class TIQForm : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TIQForm(Bench& program, QWidget* parent = nullptr);
  // Reads "MxIQFormSet.txt" when it exists; sets the interval and the run flags.
  void FormCreate() override;
  // Writes "MxIQFormSet.txt" into the program folder.
  void FormClose() override;
  // The waveform generator's frequency, written into the T_Freq field.
  void SetFrequencyText(const QString& text);

  // ---- controls, by their component names ----
  // top
  QLineEdit* T_Rref = nullptr;
  QLineEdit* T_Freq = nullptr;
  QLineEdit* T_RsDATA = nullptr;
  QLineEdit* T_CsDATA = nullptr;
  QLineEdit* T_RpDATA = nullptr;
  QLineEdit* T_CpDATA = nullptr;
  QPushButton* Pcalculate = nullptr;
  QPushButton* PCAPTEST = nullptr;
  QLabel* Label13 = nullptr;
  // "Mode"
  QGroupBox* gbMode = nullptr;
  QRadioButton* rbACMode = nullptr;
  QRadioButton* rbDCMode = nullptr;
  QRadioButton* rbACDCMode = nullptr;
  QRadioButton* rbDCACMode = nullptr;
  QRadioButton* rbDCACMode2 = nullptr;
  // "AC Set"
  QGroupBox* gbACSet = nullptr;
  QRadioButton* rbACTime = nullptr;
  QRadioButton* rbACAmount = nullptr;
  QRadioButton* rbACManualStop = nullptr;
  QComboBox* cbACTime = nullptr;
  QComboBox* cbACAmount = nullptr;
  QComboBox* scanCAPTimer = nullptr;
  // "DC Set"
  QGroupBox* gbDCSet = nullptr;
  QRadioButton* rbDCTime = nullptr;
  QRadioButton* rbDCAmount = nullptr;
  QRadioButton* rbDCManualStop = nullptr;
  QComboBox* cbDCTime = nullptr;
  QComboBox* cbDCAmount = nullptr;
  QComboBox* cbACAvg = nullptr;
  // edtDABIT0_1 .. edtDABIT2_2: [step][column], steps bias, reaction, measuring.
  QLineEdit* edtDABIT[3][2] = {};
  QCheckBox* cbDABIT1 = nullptr;
  QCheckBox* cbDABIT2 = nullptr;
  QLineEdit* edtBiasTime = nullptr;
  QLineEdit* edtReantionTime = nullptr;
  QCheckBox* cbADCThreshold = nullptr;
  QLineEdit* edtADCThres = nullptr;
  QLabel* lbADCThres = nullptr;  // ":ADC"
  // read-out
  QFrame* Panel3 = nullptr;
  QLineEdit* T_Resd = nullptr;
  QLineEdit* T_Gain = nullptr;
  QLineEdit* T_Theta_Dut = nullptr;
  QLineEdit* T_Zm = nullptr;
  // "DC Type"
  QGroupBox* gbDCType = nullptr;
  QLineEdit* edtADC1 = nullptr;
  QLineEdit* edtADC2 = nullptr;
  QLineEdit* edtDCGain = nullptr;
  QLineEdit* edtDCOhm = nullptr;
  QLineEdit* edtADC = nullptr;
  QLineEdit* edtDCResd = nullptr;
  // simple AC panel
  QFrame* pnlACMode = nullptr;
  QRadioButton* rbACTime2 = nullptr;
  QRadioButton* rbACAmount2 = nullptr;
  QComboBox* cbACTime2 = nullptr;
  QComboBox* cbACAmount2 = nullptr;
  QComboBox* scanCAPTimer2 = nullptr;
  QLineEdit* T_Theta_Dut2 = nullptr;
  QLineEdit* T_Zm2 = nullptr;
  // hidden diagnostics
  QGroupBox* MorvexBox1 = nullptr;
  QPushButton* PIQTEST0 = nullptr;
  QPushButton* PIQTEST1 = nullptr;
  QPushButton* PIQTEST2 = nullptr;
  QPushButton* PADCn[4] = {};  // PADC1 .. PADC4
  QPushButton* PADC = nullptr;
  QPushButton* LoopTest = nullptr;
  QTimer* Timer2 = nullptr;

  // A read-out or result field by its component name (T_IDATA_0, T_Zm2, ...).
  QLineEdit* Field(const QString& name) const;
  // The simple AC panel lies over the other boxes.
  bool SimplePanelShown() const;

  // ---- handlers ----
  void rbACModeClick();
  void rbDCModeClick();
  void rbACDCModeClick();
  void cbADCThresholdClick();
  void scanCAPTimerChange(QComboBox* list);
  void edtBiasTimeExit();
  void edtReantionTimeExit();

  // "Calculate": the calibrations of the mode, then CAP TEST enabled.
  void PcalculateClick();
  void PIQTEST();      // the AC calibration with its read-out columns 0 and 1
  void DCCalibrate();  // the DC calibration with its DC Type fields

  // "CAP TEST": starts a run (IqRunner over the window as its host), or asks the
  // running one to stop.
  void PCAPTESTClick();

  // hidden diagnostics
  void PIQTEST0Click();  // "OneShot"
  void PIQTEST1Click();  // "Sequence"
  void PIQTEST2Click();  // "Measure"
  void PADCPhaseClick(int phase);  // "ADC1" .. "ADC4": phase 0 .. 3
  void PADCClick();
  void LoopTestClick();
  void Timer2Timer();

  // Chip definition: "#DCMODE" offers the DC modes, "#SIMPLEACMODE" the simple AC view.
  void DefinitionOpened() override;
  void KeywordMet(uint16_t code) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The filter's body, which eventFilter runs under the handler guard.
  bool FilterEvent(QObject* watched, QEvent* event);

private:
  // What a run reads of the window and shows in it (iq_test_runs.cpp).
  class RunHost;

  void CreateChipDefinitionControls();
  void CreateTopControls();
  void CreateSetControls();
  void CreateReadOut();
  void CreateSimplePanel();
  void CreateHiddenControls();
  void LayOut();
  void Connect();

  void ApplySettings(const IQFormSettings& s);
  IQFormSettings CurrentSettings() const;
  // The settings file exists but could not be read: the close leaves it as it is.
  bool keepSettings_ = false;

  IQTestState& S() const;
  TMx_UP& Up() const;
  void ShowTexts(const std::vector<std::pair<QString, QString>>& texts);
  // A "warning" box, as the runs and range checks show them.
  void Warning(const QString& text);
  // An error shown the way the application's handler shows it.
  void ShowError(const QString& text);
  // Runs a handler; an error it raises is shown like the application's handler does.
  void Guarded(const std::function<void()>& handler);

  void SetCapTestEnabled(bool enabled);
  void SetCalculateLocked(bool locked);
  void SetRunLocked(bool locked);
  void RangeCheck(QLineEdit* edit, const InputRange& range);

  // What the impedance is computed from: the reference (and frequency) as typed and
  // the readings of the state.
  ImpedanceInput Inputs(bool withFreq) const;

  QLineEdit* readOut_[8][3] = {};  // rows ADC1 .. ADC4, I, Q, Y, Theta by column
};
