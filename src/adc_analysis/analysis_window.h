#pragma once
// ADC analysis window: the ENOB test. The user picks the sample count, the scale and
// the averaging, starts a capture of the ADC stream (or of I/Q conversions) and reads
// the noise figures beside the value grid or the time chart. The window is a thin
// layer over AnalysisState and the capture, figure, averaging and file logic.

#include <QString>
#include <QStringList>
#include <climits>
#include <cstdint>
#include <functional>
#include <memory>

#include "adc_analysis/analysis_state.h"
#include "adc_analysis/chart_series.h"
#include "adc_analysis/noise_figures.h"
#include "kit/form.h"
#include "link/chip_definition_listener.h"

class QCheckBox;
class QComboBox;
class QCPGraph;
class QCPTextElement;
class QCustomPlot;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimer;
class TLcdArray;
class TWeightCAL;
class ValueGridModel;
struct CaptureHooks;
struct EkgSummary;
struct SingleValueRequest;

inline const QString kIqEkgExclusive = QStringLiteral("IQ Mode and EKG Cannot be used simultaneously");

class TAnxADC : public TPanelForm, public ChipDefinitionListener {
  Q_OBJECT
public:
  explicit TAnxADC(Bench& program, QWidget* parent = nullptr);
  ~TAnxADC() override;
  void FormCreate() override;
  void FormClose() override;
  QSize sizeHint() const override;

  // The capture stores, settings and value grid; they outlive the window's showing.
  AnalysisState st;

  // I/Q mode: "IQ Mode Result" checked and shown (shown by the chip definition),
  // whether or not the window itself is on screen.
  bool IqMode() const;
  // EKG mode: "EKG" checked.
  bool EkgMode() const;

  // Selectors.
  void NPointIndexChange();
  void TXScaleChange();
  void CMAVRChange();
  // Mode switches; they run also when code changes the box.
  void ChangeADIClick();
  void cbEKGClick();

  // Start or stop a capture ("Catch ADC"), and the hidden temperature capture.
  void CatchADCClick();
  void BFlashRDClick();
  // One capture in the current mode with its figures; true when it completed. Used
  // by the capture buttons and by the temperature test (which sets the flags).
  bool CatchACDCOM(const QString& refText, uint8_t mode);
  // A capture the temperature test asks for: its flag set (the temperature or the
  // ADC capture) while it runs.
  bool RequestedCapture(const QString& refText, uint8_t mode, bool temperature);
  // The texts of the grid's first `count` positions, at most as many as it holds.
  QStringList GridTexts(int count) const;
  // Before a temperature-test capture: the normal chart view and an empty grid.
  void ClrTMP();
  // Waits more than `seconds` while messages are processed.
  void WaitTRIGER(int seconds);
  // The analog gain of the AD1GN and VR1GN fields.
  double GetGain() const;
  // Recalculates the last capture from block means of "Avr. Times".
  void ReCalADC();

  // ---- what the main configuration keeps of this window ----
  struct ConfigValues {
    int NPointIndex = -1, TXScale = -1, CFunADC = -1, ComFun = -1, CMAVR = -1;
    QString EREFV, EGv;
    bool ChTemper = false, ChangeADI = false, cbEKG = false, updateChart = false;
  };
  // As the controls stand.
  ConfigValues ConfigShown() const;
  // Each restores one block of the configuration as it is read; an index out of its
  // selector's range selects nothing. The point count and scale: the count's handler
  // runs, the value grid is shown in the chart's place, the window is idle, the scale
  // goes to both scale selectors and its handler runs, moving differences are off.
  void RestorePointsAndScale(int pointIndex, int scaleIndex);
  void RestoreFunction(int cfunIndex);
  // The point-count selector shows `points` (no handler runs).
  void ShowPointCount(int points);
  void RestorePresetChoice(int comFunIndex);
  void RestoreAveraging(int cmavrIndex);
  void RestoreGain(int egv, bool temperature);
  // Checking the mode boxes runs their handlers when the state changes.
  void RestoreModes(bool changeAdi, bool ekg, bool liveChart);
  // The reference voltage's text ("EREFV"), as the configuration and the temperature
  // test set it.
  void SetReferenceText(const QString& text);
  // The temperature test's capture requests: the "ADC-Temp" button enabled, and
  // whether "Fast Read" is checked.
  void EnableTemperatureCapture(bool enabled);
  bool FastReadChecked() const;

  // The switched channel test, whose scale selector follows this one (the program
  // sets it once that window exists).
  TWeightCAL* SwitchTest = nullptr;
  // Clears the ADC panel's hidden read tool (the program fills it).
  std::function<void()> ResetAdcReadTool;

  // Chart and grid.
  void ChartFun(int n);
  void ShowChartClick();
  void ChangeChartClick(QRadioButton* sender);
  void FTChangeClick();
  // The 10 ms link timer's redraw while a capture with live update runs.
  void LiveChartRedraw();

  // Result files.
  void SaveDataClick();
  void SaveOut();
  void SAVECOM(const QString& fileName);

  // The interleaved ADC and temperature capture ("ADC-Temp"): start or stop, and the
  // capture with its figures (always true).
  void BADCClick();
  bool CatchACDCOMSH(const QString& refText);

  // The single-value preview on the seven-segment display: raw ("Int.  ADC") or
  // scaled by the calibration ("Ext. ADC"); each click starts or stops it.
  void PreViewADCClick();
  void ExtADCClick();
  void PreViewCom();
  void Timer1Timer();
  // One single-value exchange; value takes the reading when both transfers succeed,
  // true when the board's status is good.
  bool RetADCValue(int& value);
  // The voltmeter calibration at the voltage typed in "CalVal".
  void BCALValClick();

  // Restores the ADC preset registers of "Scale" or "DMM" ("Restore ADC").
  void ComFunChange();
  // Loads the test series "blood.csv".
  void Button1Click();

  // Chip definition: "#EKG" and "#CATCHIQ" offer the optional controls.
  void DefinitionOpened() override;
  void KeywordMet(uint16_t code) override;
  void ParseEnded(const ChipDefinitionSeen& seen) override;

  // Whether the chart's second series ("EKG") appears in the legend.
  bool Series2InLegend = false;

  // Values of the hidden voltmeter tools, kept by the main configuration file.
  int DmmCalValue = 0;
  int DmmCalReading = 0;
  uint8_t AdcPresetScale[6] = {};
  uint8_t AdcPresetDmm[6] = {};
  int PreviewMode = 0;

  // Controls, by component name.
  QFrame* Panel1 = nullptr;
  QComboBox* NPointIndex = nullptr;
  QComboBox* TXScale = nullptr;
  QLineEdit* EREFV = nullptr;
  QComboBox* CMAVR = nullptr;
  QPushButton* CatchADC = nullptr;
  QPushButton* SaveData = nullptr;
  QPushButton* ShowChart = nullptr;
  QCheckBox* updateChart = nullptr;
  QCheckBox* ChangeADI = nullptr;  // "IQ Mode Result"
  QCheckBox* cbEKG = nullptr;      // "EKG"
  QGroupBox* GroupBox2 = nullptr;  // "Chart display"
  QRadioButton* rdADC = nullptr;
  QRadioButton* rbEKG = nullptr;
  QRadioButton* rbADC_EKG = nullptr;
  QGroupBox* gbECG = nullptr;      // "ECG"
  QLineEdit* edtFactor = nullptr;
  QLineEdit* edtAverCoef = nullptr;
  QLineEdit* edtTHR = nullptr;
  QLabel* labHeartRate = nullptr;
  QLabel* labHR = nullptr;
  QLabel* labSDDN = nullptr;
  QLabel* labNN50 = nullptr;
  QLabel* labPNN50 = nullptr;
  QLabel* Label17 = nullptr;  // "ADC" / "ADI"
  QLabel* Label18 = nullptr;  // "ADQ"
  QLineEdit* TXENOB = nullptr;
  QLineEdit* TXNFREE = nullptr;
  QLineEdit* TXOffset = nullptr;
  QLineEdit* TXVPP = nullptr;
  QLineEdit* TXNrms = nullptr;
  QLineEdit* TXENOB_ADQ = nullptr;
  QLineEdit* TXNFREE_ADQ = nullptr;
  QLineEdit* TXOffset_ADQ = nullptr;
  QLineEdit* TXVPP_ADQ = nullptr;
  QLineEdit* TXNrms_ADQ = nullptr;
  QTableView* MemoryF = nullptr;
  QCustomPlot* Chart1 = nullptr;
  QCPGraph* Series1 = nullptr;
  QCPGraph* Series2 = nullptr;
  QCPTextElement* ChartTitle = nullptr;

  // Present and never shown; they act as their handlers say.
  QCheckBox* FastRead = nullptr;
  QCheckBox* ChTemper = nullptr;
  QPushButton* BFlashRD = nullptr;
  QPushButton* FTChange = nullptr;
  QLineEdit* ENumD = nullptr;
  QLabel* TXVRMS = nullptr;
  QLabel* Label8 = nullptr;
  QGroupBox* GroupBox3 = nullptr;
  QLineEdit* edtF[6] = {};  // edtF0 .. edtF5
  QLineEdit* edtFGain = nullptr;
  QFrame* ADCPanel = nullptr;
  TLcdArray* LCDADCP = nullptr;
  QPushButton* PreViewADC = nullptr;
  QPushButton* ExtADC = nullptr;
  QLabel* Label11 = nullptr;
  QLineEdit* PreADCAddr = nullptr;
  QComboBox* CFunADC = nullptr;
  QComboBox* ComFun = nullptr;
  QLabel* Label4 = nullptr;
  QLineEdit* CalVal = nullptr;
  QPushButton* BCALVal = nullptr;
  QPushButton* BADC = nullptr;
  QPushButton* Button1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QLineEdit* ECompare = nullptr;
  QCheckBox* ChFilter = nullptr;
  QLineEdit* EGv = nullptr;
  QTimer* Timer1 = nullptr;

protected:
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  void CreateChipDefinitionControls();
  void CreateControls();
  void CreateHiddenTools();
  void CreateChart();
  void LayOut();
  void PlaceHiddenTools();
  void FitGridColumns();
  // Sizes the grid's columns by the longest text it now shows; during a capture by
  // the values that came since the last look.
  void MeasureGridTexts();
  void MeasureNewValues();

  CaptureHooks Hooks();
  void RefreshGrid();
  void ShowFigures(const FigureSet& figures);
  void ShowEkgSummary(const EkgSummary& summary);
  // Empties the RMS edit and the figures of the ADC (or ADI) row, and of the ADQ row too.
  void ClearFigureEdits(bool adqRow = false);
  void ShowAdqRow(bool visible);
  void ApplyModeLayout(bool iq);
  void SetLocked(bool locked, bool fullList);
  void Warn(const QString& text);
  ChartChoice Choice() const;
  void ApplyPlan(const ChartPlan& plan);
  void FitValueTicks();
  SingleValueRequest PreviewRequest() const;
  // Disables the selectors that recompute from the capture stores; the function
  // returned puts them back as they were.
  std::function<void()> HoldSelectors();

  std::unique_ptr<ValueGridModel> gridModel_;
  // The longest text the grid shows (no column is narrower), and the samples and
  // pairs of the running capture measured so far (none when no capture runs).
  QString widestGridText_;
  int measuredSamples_ = INT_MAX;
  int measuredPairs_ = INT_MAX;
  bool layoutIq_ = false;  // the mode whose layout the window shows
  // When the grid last showed the running capture's values.
  int64_t gridShownUs_ = 0;
};
