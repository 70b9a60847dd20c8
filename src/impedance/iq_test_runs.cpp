// CAP TEST: the run control and the window's side of the runs, which IqRunner makes
// (iq_runs): what they read of the window's controls and show in its fields.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "common/scope_exit.h"
#include "impedance/iq_runs.h"
#include "impedance/iq_test_looks.h"
#include "impedance/iq_test_window.h"
#include "impedance/job_refresh.h"
#include "kit/bench.h"
#include "link/mx_up.h"

class TIQForm::RunHost : public IqRunHost {
public:
  explicit RunHost(TIQForm& w) : w_(w) {}

  IqRunMode Mode() const override {
    return w_.rbACMode->isChecked()     ? IqRunMode::AC
           : w_.rbDCMode->isChecked()   ? IqRunMode::DC
           : w_.rbACDCMode->isChecked() ? IqRunMode::ACDC
           : w_.rbDCACMode->isChecked() ? IqRunMode::DCAC
                                        : IqRunMode::DCACADC;
  }
  RunLimit AcLimit() const override {
    if (w_.SimplePanelShown())
      return AcRunLimit(w_.rbACAmount2->isChecked(), w_.cbACAmount2->currentIndex(), true,
                        w_.cbACTime2->currentIndex());
    return DcAdcLimit();
  }
  RunLimit DcLimit() const override {
    return DcRunLimit(w_.rbDCAmount->isChecked(), w_.cbDCAmount->currentIndex(), w_.rbDCTime->isChecked(),
                      w_.cbDCTime->currentIndex());
  }
  RunLimit DcAdcLimit() const override {
    return AcRunLimit(w_.rbACAmount->isChecked(), w_.cbACAmount->currentIndex(), w_.rbACTime->isChecked(),
                      w_.cbACTime->currentIndex());
  }
  bool DcAdcPaced() const override { return w_.scanCAPTimer->currentIndex() != 0; }
  IqDcInputs DcInputs() const override {
    IqDcInputs in;
    for (int step = 0; step < 3; ++step)
      for (int col = 0; col < 2; ++col) in.Dabit[step][col] = w_.edtDABIT[step][col]->text();
    in.ReactionOn = w_.cbDABIT1->isChecked();
    in.MeasuringOn = w_.cbDABIT2->isChecked();
    in.BiasTime = w_.edtBiasTime->text();
    in.ReactionTime = w_.edtReantionTime->text();
    in.ThresholdOn = w_.cbADCThreshold->isChecked();
    in.Threshold = w_.edtADCThres->text();
    in.AverageCycle = w_.cbACAvg->currentText();
    return in;
  }
  QString RrefText() const override { return w_.T_Rref->text(); }
  QString FreqText() const override { return w_.T_Freq->text(); }
  QString ReadOutText(int row, int column) const override { return w_.readOut_[row][column]->text(); }
  QString DcAdc1Text() const override { return w_.edtADC1->text(); }
  QString DcGainText() const override { return w_.edtDCGain->text(); }
  void ShowTexts(const std::vector<std::pair<QString, QString>>& texts) override { w_.ShowTexts(texts); }
  void ShowProgress(const QString& text) override { w_.Label13->setText(text); }
  void Warning(const QString& text) override { w_.Warning(text); }
  void ProcessMessages() override { QCoreApplication::processEvents(); }

private:
  TIQForm& w_;
};

// ---- run control -----------------------------------------------------------------

void TIQForm::SetRunLocked(bool locked) {
  std::vector<QWidget*> filled = {scanCAPTimer, scanCAPTimer2, cbACTime,        cbACAmount,  cbACTime2,
                                  cbACAmount2,  cbDCTime,      cbDCAmount,      cbACAvg,     edtBiasTime,
                                  edtReantionTime, edtADCThres};
  for (int step = 0; step < 3; ++step) filled.insert(filled.end(), edtDABIT[step], edtDABIT[step] + 2);
  for (QWidget* w : filled) {
    w->setEnabled(!locked);
    if (locked)
      iq_looks::Paint(w, {{QPalette::Base, iq_looks::Light3D}, {QPalette::Button, iq_looks::Light3D}});
    else
      iq_looks::Unpaint(w);
  }
  for (QWidget* w : std::initializer_list<QWidget*>{
           rbACTime, rbACAmount, rbACTime2, rbACAmount2, rbACManualStop, rbDCManualStop, rbDCTime, rbDCAmount, cbDABIT1,
           cbDABIT2, cbADCThreshold, rbACMode, rbDCMode, rbACDCMode, rbDCACMode, rbDCACMode2})
    w->setEnabled(!locked);
  Pcalculate->setEnabled(!locked);
  if (locked) {
    iq_looks::Paint(Pcalculate, {{QPalette::Button, iq_looks::Light3D}});
    iq_looks::PaintRunning(PCAPTEST);
  } else {
    iq_looks::Unpaint(Pcalculate);
    iq_looks::Unpaint(PCAPTEST);
  }
}

void TIQForm::PCAPTESTClick() {
  IQTestState& s = S();
  if (!s.CapTestIdle) {
    s.CapTestIdle = true;  // the running loop ends at its next test
    return;
  }
  SetRunLocked(true);
  // Every way out unlocks the window, then the windows show the shadow the run left.
  const ScopeExit refresh = RefreshChainOnExit(Up());
  ScopeExit unlock([this, &s] {
    SetRunLocked(false);
    s.CapTestIdle = true;
  });
  s.CapTestIdle = false;
  if (SimplePanelShown()) rbACMode->setChecked(true);
  // The button that stops the run stays usable whatever the mode handler decided.
  PCAPTEST->setEnabled(true);
  try {
    RunHost host(*this);
    IqRunner(Up(), s, P.clock(), host).Run();
  } catch (const std::exception&) {
    Warning("Setting error");
  }
}

