#pragma once
// Four-electrode body-fat test window: the register table, the run settings, the
// read-outs and the result rows, kept in "bodyFatFormSet.txt". The calibration, the
// impedance run and the automatic test run in impedance/bodyfat_runs; the window
// hands them its table and settings, is their host (the open boxes, the texts to show)
// and takes the stop clicks while they pump messages.

#include <QString>
#include <initializer_list>
#include <vector>

#include "impedance/bodyfat_runs.h"
#include "impedance/bodyfat_settings.h"
#include "kit/form.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
struct BodyFatState;

// The name of the value edit of column k (0..5), row j (0..12): "edtAddr" + k + "_" + j.
QString ValueEditName(int k, int j);

class TbodyFatForm : public TPanelForm {
  Q_OBJECT
public:
  explicit TbodyFatForm(Bench& program, QWidget* parent = nullptr);
  void FormCreate() override;
  void FormClose() override;
  // The waveform generator's frequency, written into the edtFreq field.
  void SetFrequencyText(const QString& text);

  BodyFatState& State() const;

  // Handlers.
  void btnCalculateClick();
  void btnImpedanceTestClick();
  void btnAutoTestClick();
  void scanTimerChange();
  void cbChannelsChange();
  void edtFileExit();
  void SaveBodyFatSettings();

  QLineEdit* edtRref = nullptr;
  QLineEdit* edtFreq = nullptr;
  QLabel* labRref = nullptr;  // "Rref(OHM)=": a click runs the Impedance Test button's handler
  QRadioButton* rbTime = nullptr;
  QRadioButton* rbAmount = nullptr;
  QComboBox* cbTime = nullptr;
  QComboBox* cbAmount = nullptr;
  QComboBox* scanTimer = nullptr;
  QComboBox* cbChannels = nullptr;
  QLineEdit* edtAddr[BodyFatColumns] = {};
  QLineEdit* edtValue[BodyFatTableRows][BodyFatColumns] = {};  // [row J][column K]
  // "AC Read": row 0 the calibration, row 1 the sample.
  struct ReadoutRow {
    QLineEdit* Adc[4] = {};
    QLineEdit *I = nullptr, *Q = nullptr, *Y = nullptr, *Theta = nullptr;
  };
  ReadoutRow Readout[2];
  QLineEdit* edtGain = nullptr;
  QLineEdit* edtIMP[BodyFatMaxChannels + 1] = {};  // [channel 1..12]
  QLineEdit* edtDUT[BodyFatMaxChannels + 1] = {};
  QLabel* Label13 = nullptr;
  QLineEdit* edtFile = nullptr;
  QLabel* labFile = nullptr;
  QPushButton* btnAutoTest = nullptr;
  QPushButton* btnCalculate = nullptr;
  QPushButton* btnImpedanceTest = nullptr;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  // The filter's body, which eventFilter runs under the handler guard.
  bool FilterEvent(QObject* watched, QEvent* event);

private:
  class RunHost;

  QString ProgramDir() const;
  BodyFatContext Context(BodyFatRunHost& host);
  // The table, the limits and the read-outs a run takes at its start.
  BodyFatRunInputs RunInputs() const;
  BodyFatTable TableFromControls() const;
  BodyFatSettings SettingsFromControls() const;
  void ApplySettings(const BodyFatSettings& s);
  // The settings file exists but could not be read: the close leaves it as it is.
  bool keepSettings_ = false;
  void ShowChannelRows(int from, int to, bool visible);
  void edtAddrExit(int k);
  void Warning(const QString& text, const QString& caption);
  // The controls and every edit of the register table (the controls a run locks).
  std::vector<QWidget*> WithTable(std::initializer_list<QWidget*> controls) const;

  static QLineEdit* Edit(const QString& name, QWidget* parent, const QString& text, int width);
  static QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent);
  QWidget* BuildSettingsBox();
  QWidget* BuildRegisterBox();
  QWidget* BuildReadBox();
  QWidget* BuildResultsBox();
  QWidget* BuildCommands();

  // The controls of each channel row 1..12 that the channel count shows or hides.
  QList<QWidget*> rowControls_[BodyFatTableRows];
};
