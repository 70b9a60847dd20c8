// CAP TEST: the run control and the AC, DC and DC+AC(ADC) runs of the I/Q test.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>

#include "common/errors.h"
#include "common/figure_text.h"
#include "common/scope_exit.h"
#include "impedance/dc_run_sampling.h"
#include "impedance/impedance_math.h"
#include "impedance/iq_calibration.h"
#include "impedance/iq_diagnostics.h"
#include "impedance/iq_test_looks.h"
#include "impedance/iq_test_settings.h"
#include "impedance/iq_test_window.h"
#include "impedance/job_refresh.h"
#include "impedance/run_logs.h"
#include "kit/bench.h"
#include "link/mx_up.h"
#include "platform/clock.h"

namespace {

// Runs a run's loop; when it ends by an error (a setting that no longer converts, a
// failed file), the rows taken so far are written before the error goes on.
template <typename Loop>
void KeepRowsOnError(IQRunLogTable& log, Loop loop, const std::function<void()>& beforeWrite = {}) {
  try {
    loop();
  } catch (...) {
    if (beforeWrite) beforeWrite();
    WriteLogFile(log, log.LogCount);
    throw;
  }
}

// No stream data for this long ends a DC run.
constexpr int64_t DataTimeoutUs = 10'000'000;

void ProcessMessages() { QCoreApplication::processEvents(); }

// Waits, processing no messages, until `targetUs` have passed since `startUs`;
// returns the time passed at the last reading.
int64_t WaitUntil(Clock& clock, int64_t startUs, int64_t targetUs) {
  int64_t elapsed = clock.SteadyUs() - startUs;
  while (elapsed < targetUs) {
    clock.SleepUs(targetUs - elapsed);
    elapsed = clock.SteadyUs() - startUs;
  }
  return elapsed;
}

// Tenths of a second in a step length: seconds x 10, truncated.
int64_t Ticks(double seconds) {
  const double t = std::trunc(seconds * 10);
  return t > 0 ? static_cast<int64_t>(std::min(t, 1e15)) : 0;
}

}  // namespace

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
    RunPhases();
  } catch (const std::exception&) {
    Warning("Setting error");
  }
}

bool TIQForm::DcInputsValid() {
  auto filled = [this](int step) { return !edtDABIT[step][0]->text().isEmpty() && !edtDABIT[step][1]->text().isEmpty(); };
  if (!filled(0) || (cbDABIT1->isChecked() && !filled(1)) || (cbDABIT2->isChecked() && !filled(2))) {
    Warning("DABIT Setting error");
    return false;
  }
  const QString threshold = edtADCThres->text();
  if (cbADCThreshold->isChecked() && (threshold.isEmpty() || threshold == ".")) {
    Warning("ADC Threshold Setting error");
    return false;
  }
  return true;
}

void TIQForm::RunPhases() {
  IQTestState& s = S();
  if (rbACMode->isChecked()) {
    RunACTest();
    return;
  }
  if (!DcInputsValid()) return;
  if (rbDCMode->isChecked()) {
    RunDCTest();
  } else if (rbACDCMode->isChecked()) {
    RunACTest();
    if (!s.CapTestIdle) RunDCTest();
  } else if (rbDCACMode->isChecked()) {
    RunDCTest();
    if (!s.CapTestIdle) RunACTest();
  } else if (rbDCACMode2->isChecked()) {
    RunDCTest();
    if (!s.CapTestIdle) RunDCADCTest();
  }
}

// ---- AC run ----------------------------------------------------------------------

RunLimit TIQForm::AcLimit() const {
  if (SimplePanelShown())
    return AcRunLimit(rbACAmount2->isChecked(), cbACAmount2->currentIndex(), true, cbACTime2->currentIndex());
  return AcRunLimit(rbACAmount->isChecked(), cbACAmount->currentIndex(), rbACTime->isChecked(),
                    cbACTime->currentIndex());
}

void TIQForm::RunACTest() {
  IQTestState& s = S();
  Clock& clock = P.clock();
  StartRunLog(s.Log, IQLogKind::AC, P.G.AppDir, clock);
  bool stopped = false;
  const RunLimit limit = AcLimit();
  ApplyRegList(Up(), IQ_CapAC);
  const int64_t start = clock.SteadyUs();
  // Rows since the start of the run: the pacing goes on across the roll-overs.
  int64_t rows = 0;
  KeepRowsOnError(s.Log, [&] {
    while (AcSample()) {
      ++rows;
      const int64_t elapsed = WaitUntil(clock, start, rows * s.IntervalMs * 1000);
      if (limit.Is(RunLimitKind::Time)) {
        stopped = elapsed >= int64_t{limit.Value} * 1'000'000;
      } else if (limit.Is(RunLimitKind::Amount)) {
        stopped = s.Log.LogCount >= limit.Value;
      } else if (s.Log.LogCount >= LogRollOverRows) {
        RollOverLog(s.Log, clock);
      }
      if (s.CapTestIdle || stopped) break;
    }
  });
  WriteLogFile(s.Log, s.Log.LogCount);
}

// One row of the AC run; false when the run ends here.
bool TIQForm::AcSample() {
  IQTestState& s = S();
  TMx_UP& up = Up();
  Clock& clock = P.clock();
  IQConversion c = IQStartAndWait(up);
  StampSampleTime(s.Log, clock);
  IQReadResults(up, IQReadForm::SixThenThree, IQRefresh::AdcOnly, c);
  const char* problem = !c.Ok() ? kIqConversionFailed : c.Result.I == 0 ? "I value is zero"
                                                      : s.Y0 == 0       ? "Y value is zero"
                                                                        : nullptr;
  if (problem) {
    Warning(problem);
    s.CapTestIdle = true;
    return false;
  }
  PolarForm(c.Result);
  s.Y2 = c.Result.Y;
  s.Theta2 = c.Result.Theta;
  s.DutTheta = s.Theta2 - s.Theta1;
  ShowTexts(ConversionTexts(c.Result, 2));
  T_Theta_Dut->setText(FormatFixed(s.DutTheta, 3));
  T_Theta_Dut2->setText(FormatFixed(s.DutTheta, 3));

  ImpedanceInput in = Inputs(false);
  MagnitudeAndPhase(in, s.Z);
  // The same phase as the reference would make the reactance zero.
  if (s.Theta2 == s.Theta0) return false;
  in.Freq = IntegerOrRaise(T_Freq->text());
  SeriesAndParallel(in, s.Z);
  ShowTexts(ImpedanceTexts(s.Z, true));

  AcRowTexts texts;
  texts.Rref = T_Rref->text();
  texts.Freq = T_Freq->text();
  for (int r = 0; r < 4; ++r)
    for (int col = 0; col < 3; ++col) texts.Adc[3 * r + col] = readOut_[r][col]->text();
  for (int col = 0; col < 3; ++col) {
    texts.IQ[col] = readOut_[4][col]->text();
    texts.IQ[3 + col] = readOut_[5][col]->text();
  }
  AppendAcRow(s.Log, texts, s, clock);
  Label13->setText(QString::number(s.Log.LogCount) + " Save Data");
  ProcessMessages();
  return true;
}

// ---- DC runs ---------------------------------------------------------------------

void TIQForm::WaitSeconds(double seconds) {
  Clock& clock = P.clock();
  const int64_t start = clock.SteadyUs();
  const int64_t us = seconds > 0 ? static_cast<int64_t>(std::min(seconds, 1e9) * 1e6) : 0;
  for (;;) {
    ProcessMessages();
    const int64_t left = us - (clock.SteadyUs() - start);
    if (left <= 0) return;
    clock.SleepUs(std::min<int64_t>(left, 1000));
  }
}

void TIQForm::DcStep(const QString& caption, int64_t ticks) {
  for (int64_t tick = 1; tick <= ticks; ++tick) {
    WaitSeconds(0.1);
    Label13->setText(caption + FormatGeneral(static_cast<double>(tick) * 0.1) + "s");
    ProcessMessages();
    if (S().CapTestIdle) break;
  }
}

int TIQForm::ReadPacket(uint8_t* packet, int64_t& lastData) {
  const int count = Up().ReadStream(0);
  if (count <= 0) return 0;
  Clock& clock = P.clock();
  lastData = clock.SteadyUs();
  // Later exchanges (a window refreshed meanwhile) cannot touch the samples.
  std::memcpy(packet, P.G.PacketBuf, PacketSize);
  IQTestState& s = S();
  s.PacketTimePrev = s.PacketTimeNow;
  s.PacketTimeNow = clock.LocalNow();
  return count;
}

// No stream data for 10 s, or a link that has closed (nothing more will come).
bool TIQForm::StreamLost(int64_t lastDataUs) const {
  return P.clock().SteadyUs() - lastDataUs > DataTimeoutUs || !P.G.Channels[0].Devc.Opened;
}

void TIQForm::DcRow(int32_t average) {
  IQTestState& s = S();
  const double strip = StripResistance(RealOrRaise(edtDCGain->text()), average, s.Resd_dc);
  edtADC2->setText(QString::number(average));
  edtDCOhm->setText(FormatF(strip));
  Label13->setText(QString::number(s.Log.LogCount + 1) + " Save DC Data");
  AppendLogRow(s.Log, DcLogRow(edtADC1->text(), average, edtDCGain->text(), strip), P.clock());
  ProcessMessages();
}

bool TIQForm::AfterPacket(const RunLimit& limit, int taken, bool numbered, int& stamped, int64_t lastData,
                          int64_t runStart) {
  IQTestState& s = S();
  Clock& clock = P.clock();
  bool stopped = false;
  if (taken > 0) stamped = StampPacketRows(s.Log, stamped, s.PacketTimePrev, s.PacketTimeNow, taken, numbered);
  if (limit.Is(RunLimitKind::Amount) && s.Log.LogCount >= limit.Value) {
    stopped = true;
  } else if (s.Log.LogCount >= LogRollOverRows) {
    RollOverLog(s.Log, clock);
    stamped = 0;
  }
  // A lost stream ends the run and, like a failed conversion of the AC run, says so.
  if (!s.CapTestIdle && StreamLost(lastData)) {
    Warning(kAdcStreamLost);
    s.CapTestIdle = true;
  }
  const int64_t elapsed = clock.SteadyUs() - runStart;
  ProcessMessages();
  return stopped || (limit.Is(RunLimitKind::Time) && elapsed >= int64_t{limit.Value} * 1'000'000);
}

void TIQForm::RunPackets(const RunLimit& limit, bool numbered, int64_t& runStart,
                         const std::function<void(const uint8_t* packet, int count, int& taken)>& take) {
  IQTestState& s = S();
  int64_t lastData = P.clock().SteadyUs();
  runStart = lastData;
  int stamped = 0;
  int taken = 0;  // samples taken from the current packet
  bool stopped = false;
  KeepRowsOnError(
      s.Log,
      [&] {
        do {
          uint8_t packet[PacketSize];
          const int count = ReadPacket(packet, lastData);
          taken = 0;
          take(packet, count, taken);
          stopped = AfterPacket(limit, taken, numbered, stamped, lastData, runStart);
        } while (!stopped && !s.CapTestIdle);
      },
      [&] { StampPacketRows(s.Log, stamped, s.PacketTimePrev, s.PacketTimeNow, taken, numbered); });
}

void TIQForm::RunDCTest() {
  IQTestState& s = S();
  TMx_UP& up = Up();
  Clock& clock = P.clock();
  const int64_t biasTicks = Ticks(RealOrRaise(edtBiasTime->text()));
  const int64_t reactionTicks = Ticks(RealOrRaise(edtReantionTime->text()));
  const double threshold = RealOrRaise(edtADCThres->text());
  const int n = IntegerOrRaise(cbACAvg->currentText());
  if (n < 1) throw EMathError(kFloatDivByZero);
  StartRunLog(s.Log, IQLogKind::DC, P.G.AppDir, clock);
  const RunLimit limit = DcRunLimit(rbDCAmount->isChecked(), cbDCAmount->currentIndex(), rbDCTime->isChecked(),
                                    cbDCTime->currentIndex());

  const std::array<int, 4> saved = SaveDabitRegs(up);
  bool streaming = false;
  // The DACs get their codes back and the stream stops on every way out, errors included.
  ScopeExit restore([&] {
    if (streaming) up.StopStream();
    RestoreDabitRegs(up, saved);
  });
  auto writeStep = [&](int step) {
    WriteDabitCodes(up, DabitCode(edtDABIT[step][0]->text()), DabitCode(edtDABIT[step][1]->text()));
  };
  writeStep(0);
  DcStep("Bias Time:", biasTicks);
  if (cbDABIT1->isChecked() && !s.CapTestIdle) {
    writeStep(1);
    Label13->setText("0s");
  }
  DcStep("Reaction Time:", reactionTicks);
  if (cbDABIT2->isChecked()) writeStep(2);
  ApplyRegList(up, IQ_CapDC);
  up.StartStream(3);
  streaming = true;

  DcGrouping grouping(n, cbADCThreshold->isChecked(), threshold);
  s.Log.LogCount = 0;
  int64_t runStart = 0;
  RunPackets(limit, false, runStart, [&](const uint8_t* packet, int count, int& taken) {
    for (int j = 0; j < count; ++j) {
      const int32_t sample = DcSample(packet, j);
      const DcTakeResult r = grouping.Take(sample, count - j);
      if (r.RestartClock) runStart = clock.SteadyUs();
      if (r.What == DcTake::DropPacket || r.What == DcTake::ZeroGroup) break;
      if (r.What == DcTake::BelowThreshold) {
        ProcessMessages();
        if (s.CapTestIdle) break;
        continue;
      }
      ++taken;
      if (r.What == DcTake::Group) DcRow(r.Average);
    }
  });

  // A link that went during the packets was told as a lost stream; one that goes
  // now leaves the DACs on the run's codes, which the user is told, and no phase
  // follows.
  const bool linkUp = P.G.Channels[0].Devc.Opened != 0;
  up.StopStream();
  streaming = false;
  WriteLogFile(s.Log, s.Log.LogCount);
  restore.Dismiss();
  if (!RestoreDabitRegs(up, saved) && linkUp) {
    Warning(kDabitNotRestored);
    s.CapTestIdle = true;
  }
}

void TIQForm::RunDCADCTest() {
  IQTestState& s = S();
  TMx_UP& up = Up();
  Clock& clock = P.clock();
  StartRunLog(s.Log, IQLogKind::DC1, P.G.AppDir, clock);
  const RunLimit limit =
      AcRunLimit(rbACAmount->isChecked(), cbACAmount->currentIndex(), rbACTime->isChecked(), cbACTime->currentIndex());
  ApplyRegList(up, IQ_CapDC1);
  up.StartStream(3);
  ScopeExit stopStream([&] { up.StopStream(); });

  int seen = 0;
  bool started = false;
  // Rows since the start of the run: the pacing goes on across the roll-overs.
  int64_t rows = 0;
  int64_t runStart = 0;
  DcAdcRowTexts texts;
  RunPackets(limit, true, runStart, [&](const uint8_t* packet, int count, int& taken) {
    for (int j = 0; j < count; ++j) {
      const int32_t sample = DcSample(packet, j);
      if (DropsSettlingPacket(seen, count - j)) break;
      if (!started) {
        runStart = clock.SteadyUs();
        started = true;
      }
      edtADC->setText(QString::number(sample));
      texts.Rref = T_Rref->text();
      texts.Freq = T_Freq->text();
      texts.I0 = readOut_[4][0]->text();
      texts.I1 = readOut_[4][1]->text();
      texts.Q0 = readOut_[5][0]->text();
      texts.Q1 = readOut_[5][1]->text();
      Label13->setText(QString::number(s.Log.LogCount + 1) + " Save Data");
      AppendLogRow(s.Log, DcAdcLogRow(texts, s, sample), clock);
      ++rows;
      ++seen;
      ++taken;
      ProcessMessages();
      if (scanCAPTimer->currentIndex() != 0) {
        WaitUntil(clock, runStart, rows * s.IntervalMs * 1000);
        break;  // one row a packet when paced
      }
    }
  });

  stopStream.Dismiss();
  up.StopStream();
  WriteLogFile(s.Log, s.Log.LogCount);
}
