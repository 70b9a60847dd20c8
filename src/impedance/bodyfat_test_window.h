#pragma once
// Four-electrode body-fat test window: the register table, the run settings, the
// read-outs and the result rows, kept in "bodyFatFormSet.txt". The calibration, the
// impedance run and the automatic test run in impedance/bodyfat_runs; the window
// passes its texts to them and takes the stop clicks while they pump messages.

#include <QHash>
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

class TbodyFatForm : public TPanelForm, private BodyFatPanel {
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
  // BodyFatPanel
  QString Text(const QString& name) const override;
  void SetText(const QString& name, const QString& text) override;
  void ProcessMessages() override;

  BodyFatContext Context();
  BodyFatSettings SettingsFromControls() const;
  void ApplySettings(const BodyFatSettings& s);
  // The settings file exists but could not be read: the close leaves it as it is.
  bool keepSettings_ = false;
  void ShowChannelRows(int from, int to, bool visible);
  void edtAddrExit(int k);
  void Warning(const QString& text, const QString& caption);
  // The controls and every edit of the register table (the controls a run locks).
  std::vector<QWidget*> WithTable(std::initializer_list<QWidget*> controls) const;

  QLineEdit* Edit(const QString& name, QWidget* parent, const QString& text, int width);
  QLabel* NamedLabel(const QString& name, const QString& text, QWidget* parent);
  QWidget* BuildSettingsBox();
  QWidget* BuildRegisterBox();
  QWidget* BuildReadBox();
  QWidget* BuildResultsBox();
  QWidget* BuildCommands();

  // Edits and labels the runs reach by name.
  QHash<QString, QLineEdit*> edits_;
  QHash<QString, QLabel*> labels_;
  // The controls of each channel row 1..12 that the channel count shows or hides.
  QList<QWidget*> rowControls_[BodyFatTableRows];
};
