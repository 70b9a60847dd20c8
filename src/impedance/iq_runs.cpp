#include "impedance/iq_runs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

#include "common/errors.h"
#include "common/figure_text.h"
#include "common/scope_exit.h"
#include "impedance/dc_run_sampling.h"
#include "impedance/iq_calibration.h"
#include "impedance/iq_conversion.h"
#include "impedance/run_logs.h"
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

ImpedanceInput IqReadings(const IQTestState& s) {
  ImpedanceInput in;
  in.Y0 = s.Y0;
  in.Theta0 = s.Theta0;
  in.Y1 = s.Y1;
  in.Y2 = s.Y2;
  in.Theta2 = s.Theta2;
  return in;
}

// ---- phases ----------------------------------------------------------------------

bool IqRunner::DcInputsValid() {
  const IqDcInputs in = host_.DcInputs();
  auto filled = [&in](int step) { return !in.Dabit[step][0].isEmpty() && !in.Dabit[step][1].isEmpty(); };
  if (!filled(0) || (in.ReactionOn && !filled(1)) || (in.MeasuringOn && !filled(2))) {
    host_.Warning("DABIT Setting error");
    return false;
  }
  if (in.ThresholdOn && (in.Threshold.isEmpty() || in.Threshold == ".")) {
    host_.Warning("ADC Threshold Setting error");
    return false;
  }
  return true;
}

void IqRunner::Run() {
  const IqRunMode mode = host_.Mode();
  if (mode == IqRunMode::AC) {
    RunAc();
    return;
  }
  if (!DcInputsValid()) return;
  switch (mode) {
    case IqRunMode::DC: RunDc(); break;
    case IqRunMode::ACDC:
      RunAc();
      if (!s_.CapTestIdle) RunDc();
      break;
    case IqRunMode::DCAC:
      RunDc();
      if (!s_.CapTestIdle) RunAc();
      break;
    case IqRunMode::DCACADC:
      RunDc();
      if (!s_.CapTestIdle) RunDcAdc();
      break;
    case IqRunMode::AC: break;
  }
}

// ---- AC run ----------------------------------------------------------------------

void IqRunner::RunAc() {
  StartRunLog(s_.Log, IQLogKind::AC, up_.G().AppDir, clock_);
  bool stopped = false;
  const RunLimit limit = host_.AcLimit();
  ApplyRegList(up_, IQ_CapAC);
  const int64_t start = clock_.SteadyUs();
  // Rows since the start of the run: the pacing goes on across the roll-overs.
  int64_t rows = 0;
  KeepRowsOnError(s_.Log, [&] {
    while (AcSample()) {
      ++rows;
      const int64_t elapsed = WaitUntil(clock_, start, rows * s_.IntervalMs * 1000);
      if (limit.Is(RunLimitKind::Time)) {
        stopped = elapsed >= int64_t{limit.Value} * 1'000'000;
      } else if (limit.Is(RunLimitKind::Amount)) {
        stopped = s_.Log.LogCount >= limit.Value;
      } else if (s_.Log.LogCount >= LogRollOverRows) {
        RollOverLog(s_.Log, clock_);
      }
      if (s_.CapTestIdle || stopped) break;
    }
  });
  WriteLogFile(s_.Log, s_.Log.LogCount);
}

// One row of the AC run; false when the run ends here.
bool IqRunner::AcSample() {
  IQConversion c = IQStartAndWait(up_);
  StampSampleTime(s_.Log, clock_);
  IQReadResults(up_, IQReadForm::SixThenThree, IQRefresh::AdcOnly, c);
  const char* problem = !c.Ok() ? kIqConversionFailed : c.Result.I == 0 ? "I value is zero"
                                                      : s_.Y0 == 0      ? "Y value is zero"
                                                                        : nullptr;
  if (problem) {
    host_.Warning(problem);
    s_.CapTestIdle = true;
    return false;
  }
  PolarForm(c.Result);
  s_.Y2 = c.Result.Y;
  s_.Theta2 = c.Result.Theta;
  s_.DutTheta = s_.Theta2 - s_.Theta1;
  host_.ShowTexts(ConversionTexts(c.Result, 2));
  const QString dut = FormatFixed(s_.DutTheta, 3);
  host_.ShowTexts({{"T_Theta_Dut", dut}, {"T_Theta_Dut2", dut}});

  ImpedanceInput in = IqReadings(s_);
  in.Rref = IntegerOrRaise(host_.RrefText());
  MagnitudeAndPhase(in, s_.Z);
  // The same phase as the reference would make the reactance zero.
  if (s_.Theta2 == s_.Theta0) return false;
  in.Freq = IntegerOrRaise(host_.FreqText());
  SeriesAndParallel(in, s_.Z);
  host_.ShowTexts(ImpedanceTexts(s_.Z, true));

  // The row carries the read-outs as they stand, what a diagnostic wrote included.
  AcRowTexts texts;
  texts.Rref = host_.RrefText();
  texts.Freq = host_.FreqText();
  for (int r = ReadOutAdc1; r <= ReadOutAdc4; ++r)
    for (int col = 0; col < 3; ++col) texts.Adc[3 * r + col] = host_.ReadOutText(r, col);
  for (int col = 0; col < 3; ++col) {
    texts.IQ[col] = host_.ReadOutText(ReadOutI, col);
    texts.IQ[3 + col] = host_.ReadOutText(ReadOutQ, col);
  }
  AppendAcRow(s_.Log, texts, s_, clock_);
  host_.ShowProgress(QString::number(s_.Log.LogCount) + " Save Data");
  host_.ProcessMessages();
  return true;
}

// ---- DC runs ---------------------------------------------------------------------

void IqRunner::WaitSeconds(double seconds) {
  const int64_t start = clock_.SteadyUs();
  const int64_t us = seconds > 0 ? static_cast<int64_t>(std::min(seconds, 1e9) * 1e6) : 0;
  for (;;) {
    host_.ProcessMessages();
    const int64_t left = us - (clock_.SteadyUs() - start);
    if (left <= 0) return;
    clock_.SleepUs(std::min<int64_t>(left, 1000));
  }
}

void IqRunner::DcStep(const QString& caption, int64_t ticks) {
  for (int64_t tick = 1; tick <= ticks; ++tick) {
    WaitSeconds(0.1);
    host_.ShowProgress(caption + FormatGeneral(static_cast<double>(tick) * 0.1) + "s");
    host_.ProcessMessages();
    if (s_.CapTestIdle) break;
  }
}

int IqRunner::ReadPacket(uint8_t* packet, int64_t& lastData) {
  const int count = up_.ReadStream(0);
  if (count <= 0) return 0;
  lastData = clock_.SteadyUs();
  // Later exchanges (a window refreshed meanwhile) cannot touch the samples.
  std::memcpy(packet, up_.G().PacketBuf, PacketSize);
  s_.PacketTimePrev = s_.PacketTimeNow;
  s_.PacketTimeNow = clock_.LocalNow();
  return count;
}

// No stream data for 10 s, or a link that has closed (nothing more will come).
bool IqRunner::StreamLost(int64_t lastDataUs) const {
  return clock_.SteadyUs() - lastDataUs > DataTimeoutUs || !up_.G().Channels[0].Devc.Opened;
}

void IqRunner::DcRow(int32_t average) {
  const double strip = StripResistance(RealOrRaise(host_.DcGainText()), average, s_.Resd_dc);
  host_.ShowTexts({{"edtADC2", QString::number(average)}, {"edtDCOhm", FormatF(strip)}});
  host_.ShowProgress(QString::number(s_.Log.LogCount + 1) + " Save DC Data");
  AppendLogRow(s_.Log, DcLogRow(host_.DcAdc1Text(), average, host_.DcGainText(), strip), clock_);
  host_.ProcessMessages();
}

bool IqRunner::AfterPacket(const RunLimit& limit, int taken, bool numbered, int& stamped, int64_t lastData,
                           int64_t runStart) {
  bool stopped = false;
  if (taken > 0) stamped = StampPacketRows(s_.Log, stamped, s_.PacketTimePrev, s_.PacketTimeNow, taken, numbered);
  if (limit.Is(RunLimitKind::Amount) && s_.Log.LogCount >= limit.Value) {
    stopped = true;
  } else if (s_.Log.LogCount >= LogRollOverRows) {
    RollOverLog(s_.Log, clock_);
    stamped = 0;
  }
  // A lost stream ends the run and, like a failed conversion of the AC run, says so.
  if (!s_.CapTestIdle && StreamLost(lastData)) {
    host_.Warning(kAdcStreamLost);
    s_.CapTestIdle = true;
  }
  const int64_t elapsed = clock_.SteadyUs() - runStart;
  host_.ProcessMessages();
  return stopped || (limit.Is(RunLimitKind::Time) && elapsed >= int64_t{limit.Value} * 1'000'000);
}

void IqRunner::RunPackets(const RunLimit& limit, bool numbered, int64_t& runStart,
                          const std::function<void(const uint8_t* packet, int count, int& taken)>& take) {
  int64_t lastData = clock_.SteadyUs();
  runStart = lastData;
  int stamped = 0;
  int taken = 0;  // samples taken from the current packet
  bool stopped = false;
  KeepRowsOnError(
      s_.Log,
      [&] {
        do {
          uint8_t packet[PacketSize];
          const int count = ReadPacket(packet, lastData);
          taken = 0;
          take(packet, count, taken);
          stopped = AfterPacket(limit, taken, numbered, stamped, lastData, runStart);
        } while (!stopped && !s_.CapTestIdle);
      },
      [&] { StampPacketRows(s_.Log, stamped, s_.PacketTimePrev, s_.PacketTimeNow, taken, numbered); });
}

void IqRunner::RunDc() {
  const IqDcInputs in = host_.DcInputs();
  const int64_t biasTicks = Ticks(RealOrRaise(in.BiasTime));
  const int64_t reactionTicks = Ticks(RealOrRaise(in.ReactionTime));
  const double threshold = RealOrRaise(in.Threshold);
  const int n = IntegerOrRaise(in.AverageCycle);
  if (n < 1) throw EMathError(kFloatDivByZero);
  StartRunLog(s_.Log, IQLogKind::DC, up_.G().AppDir, clock_);
  const RunLimit limit = host_.DcLimit();

  const std::array<int, 4> saved = SaveDabitRegs(up_);
  bool streaming = false;
  // The DACs get their codes back and the stream stops on every way out, errors included.
  ScopeExit restore([&] {
    if (streaming) up_.StopStream();
    RestoreDabitRegs(up_, saved);
  });
  auto writeStep = [&](int step) { WriteDabitCodes(up_, DabitCode(in.Dabit[step][0]), DabitCode(in.Dabit[step][1])); };
  writeStep(0);
  DcStep("Bias Time:", biasTicks);
  if (in.ReactionOn && !s_.CapTestIdle) {
    writeStep(1);
    host_.ShowProgress("0s");
  }
  DcStep("Reaction Time:", reactionTicks);
  if (in.MeasuringOn) writeStep(2);
  ApplyRegList(up_, IQ_CapDC);
  up_.StartStream(3);
  streaming = true;

  DcGrouping grouping(n, in.ThresholdOn, threshold);
  s_.Log.LogCount = 0;
  int64_t runStart = 0;
  RunPackets(limit, false, runStart, [&](const uint8_t* packet, int count, int& taken) {
    for (int j = 0; j < count; ++j) {
      const int32_t sample = DcSample(packet, j);
      const DcTakeResult r = grouping.Take(sample, count - j);
      if (r.RestartClock) runStart = clock_.SteadyUs();
      if (r.What == DcTake::DropPacket || r.What == DcTake::ZeroGroup) break;
      if (r.What == DcTake::BelowThreshold) {
        host_.ProcessMessages();
        if (s_.CapTestIdle) break;
        continue;
      }
      ++taken;
      if (r.What == DcTake::Group) DcRow(r.Average);
    }
  });

  // A link that went during the packets was told as a lost stream; one that goes
  // now leaves the DACs on the run's codes, which the user is told, and no phase
  // follows.
  const bool linkUp = up_.G().Channels[0].Devc.Opened != 0;
  up_.StopStream();
  streaming = false;
  WriteLogFile(s_.Log, s_.Log.LogCount);
  restore.Dismiss();
  if (!RestoreDabitRegs(up_, saved) && linkUp) {
    host_.Warning(kDabitNotRestored);
    s_.CapTestIdle = true;
  }
}

void IqRunner::RunDcAdc() {
  StartRunLog(s_.Log, IQLogKind::DC1, up_.G().AppDir, clock_);
  const RunLimit limit = host_.DcAdcLimit();
  ApplyRegList(up_, IQ_CapDC1);
  up_.StartStream(3);
  ScopeExit stopStream([&] { up_.StopStream(); });

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
        runStart = clock_.SteadyUs();
        started = true;
      }
      host_.ShowTexts({{"edtADC", QString::number(sample)}});
      texts.Rref = host_.RrefText();
      texts.Freq = host_.FreqText();
      texts.I0 = host_.ReadOutText(ReadOutI, 0);
      texts.I1 = host_.ReadOutText(ReadOutI, 1);
      texts.Q0 = host_.ReadOutText(ReadOutQ, 0);
      texts.Q1 = host_.ReadOutText(ReadOutQ, 1);
      host_.ShowProgress(QString::number(s_.Log.LogCount + 1) + " Save Data");
      AppendLogRow(s_.Log, DcAdcLogRow(texts, s_, sample), clock_);
      ++rows;
      ++seen;
      ++taken;
      host_.ProcessMessages();
      if (host_.DcAdcPaced()) {
        WaitUntil(clock_, runStart, rows * s_.IntervalMs * 1000);
        break;  // one row a packet when paced
      }
    }
  });

  stopStream.Dismiss();
  up_.StopStream();
  WriteLogFile(s_.Log, s_.Log.LogCount);
}
