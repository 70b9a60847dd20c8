// The switched ADC channel test's commands: the channel snapshots and reviews, the
// scan table, the run with its completion wait and fetch, the scale and the result
// files.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScopeGuard>

#include "adc_analysis/analysis_window.h"
#include "adc_analysis/switch_channel_test.h"
#include "common/waits.h"
#include "kit/bench.h"
#include "link/mx_up.h"
#include "platform/dialogs.h"

namespace {
const QString kSending = QStringLiteral("Data Sending .......");
const QString kSendOk = QStringLiteral("Data Send OK");
const QString kSendFail = QStringLiteral("Data Send Fail");
const QString kSendFailBox = QStringLiteral("Data Send Fail!!");
const QString kErrorCaption = QStringLiteral("Error");
}  // namespace

SwitchScanLink TWeightCAL::Link() { return SwitchScanLink(*P.Mx_UP); }

void TWeightCAL::Status(int panel, const QString& text) { P.Status(panel, text); }

int TWeightCAL::CheckedChannels() const {
  int n = 0;
  for (const QCheckBox* c : SwitCh) n += c->isChecked() ? 1 : 0;
  return n;
}

void TWeightCAL::PressPanel(QLabel* panel, bool down) { panel->setFrameShadow(down ? QFrame::Sunken : QFrame::Raised); }

void TWeightCAL::LockRun(bool locked) {
  running_ = locked;
  for (QWidget* w : std::initializer_list<QWidget*>{SendTO40Q26, TestBegin, SaveExcel, EvStepLen, LoopStep, TXScale})
    w->setEnabled(!locked);
  for (QCheckBox* c : SwitCh) c->setEnabled(!locked);
}

// ---- channel set-ups ----

void TWeightCAL::PSwitchSetClick(int k) {
  if (k < 0 || k > 7 || running_) return;
  PressPanel(PSet[k], true);
  QCoreApplication::processEvents();
  DelayMs(P.clock(), 2000);
  for (size_t j = 0; j < SwitchRegList.size(); ++j)
    SwitchChannels[k].RegValue[j] = P.Mx_UP->GetReg(SwitchRegList[j], 0);
  PressPanel(PSet[k], false);
}

void TWeightCAL::PSwReviewClick(int k) {
  if (k < 0 || k > 7 || running_) return;
  PressPanel(PReview[k], true);
  QCoreApplication::processEvents();
  for (size_t j = 0; j < SwitchRegList.size(); ++j)
    P.Mx_UP->WriteReg(SwitchRegList[j], SwitchChannels[k].RegValue[j], 0);
  PressPanel(PReview[k], false);
}

// ---- the board's scan table ----

bool TWeightCAL::SendTO40Q26WR() {
  SwitchScanLink link = Link();
  return link.SendTable(SwitchChannels, CheckedChannels());
}

void TWeightCAL::SendTO40Q26Click() {
  if (running_) return;
  uint8_t s1 = 0;
  Link().BoardStatus(s1);
  Status(2, kSending);
  QCoreApplication::processEvents();
  if (SendTO40Q26WR()) {
    Status(2, kSendOk);
  } else {
    P.dialogs().MessageBox(this, kSendFailBox, kErrorCaption, MB_OK);
    Status(2, kSendFail);
  }
}

void TWeightCAL::PT2OUTLOW() { Link().PT2OUTLOW(); }

// ---- the run ----

void TWeightCAL::TestBeginClick() {
  if (running_) return;
  SwitchScanLink link = Link();
  QString name;
  if (!link.BoardName(name)) return;
  StopRequested = 0;
  uint8_t s1 = 0;
  link.BoardStatus(s1);
  PT2OUTLOW();
  ClearSGD();

  LockRun(true);
  // The commands come back and the gauge goes on every way out, an error included.
  auto unlock = qScopeGuard([this] {
    LockRun(false);
    P.HideGauge();
  });
  ScanRunSettings settings;
  settings.StepLen = SwitchChannels[0].StepLen;
  settings.LoopCount = SwitchChannels[0].LoopCount;
  settings.Channels = CheckedChannels();
  settings.CompletionBit = P.PhotoMode() && name.startsWith("ENOB") ? 0x10 : 0x20;
  settings.Divisor = P.G.ScaleDivisor;

  ScanRunHooks hooks;
  hooks.ProcessMessages = [] { QCoreApplication::processEvents(); };
  hooks.Status = [this](int panel, const QString& text) { Status(panel, text); };
  hooks.ShowGauge = [this] { P.ShowGauge(0); };
  hooks.SetGauge = P.SetGauge;
  hooks.HideGauge = P.HideGauge;
  hooks.StopRequested = [this] { return StopRequested != 0; };
  if (RunSwitchScan(link, SwitchChannels, settings, hooks) != ScanEnd::Failed) PStepSet(CurrentStep);
}

// ---- scale, shift and result files ----

void TWeightCAL::TXScaleChange() {
  const int i = TXScale->currentIndex();
  TAnxADC* anx = Analysis;
  // The analysis window's selector follows without running its handler.
  if (anx && anx->TXScale) anx->TXScale->setCurrentIndex(i >= 0 && i < anx->TXScale->count() ? i : -1);
  if (i < 0 || i > 15) return;  // "24" changes neither the divisor nor the bits
  P.G.ScaleDivisor = 1 << (15 - i);
  if (anx) anx->st.ScaleBits = i + 8;
}

void TWeightCAL::ADShiftChange() {
  const int i = ADShift->currentIndex();
  if (i >= 0) P.Mx_UP->WriteReg(0xAD, static_cast<uint8_t>(i), 0);
}

void TWeightCAL::SaveToExcel() {
  const TSwitchChannel& ch = SwitchChannels[0];
  const int failed = WriteSwitchResultFiles(P.G.AppDir, SwitchChannels, ch.StepLen, ch.LoopCount);
  if (failed >= 0)
    P.dialogs().MessageBox(this, "Please Close " + SwitchResultName(failed) + " !!!!", kErrorCaption, MB_OK);
}
