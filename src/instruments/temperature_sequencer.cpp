#include "instruments/temperature_sequencer.h"

#include <climits>
#include <cmath>

#include "common/figure_text.h"
#include "common/errors.h"
#include "common/waits.h"
#include "instruments/step_tables.h"
#include "instruments/temperature_files.h"
#include "platform/clock.h"

namespace {
constexpr double kSecond = 1.0 / 86400.0;  // one second as a day fraction
constexpr int kBandTenths = 15;
constexpr int64_t kUsPerMinute = 60'000'000;
}  // namespace

// ---- step grid ----

int LimitStepCount(int count, double start, double step, bool& rewrite) {
  if (count <= 0) count = 1;
  rewrite = false;
  auto over = [&](double c) { return start + c * step > StepTemperatureLimit; };
  if (over(count + 1.0)) {
    rewrite = true;
    if (step > 0) {
      // Lowering one by one from a count at which the last step is still above the
      // limit gives the same count, without counting down from a huge entry.
      const double high = std::floor((StepTemperatureLimit - start) / step) + 3;
      if (high < count) count = high > 0 ? static_cast<int>(high) : 0;
    } else if (over(count - 1.0)) {
      count = 0;  // with a step of 0 or below, fewer steps never end lower
    }
    while (count > 0 && over(count - 1.0)) --count;
  }
  if (count > MaxTempSteps) {
    count = MaxTempSteps;
    rewrite = true;
  }
  return count;
}

void TitleStepGrid(TextGrid& steps) {
  steps.SetColCount(5);
  steps.SetColWidth(0, 20);
  for (int c = 1; c <= 4; ++c) steps.SetColWidth(c, 50);
  const char* titles[] = {"溫度", "濕度", "溫度斜率", "濕度斜率"};
  for (int c = 1; c <= 4; ++c) steps.SetCell(c, 0, QString::fromUtf8(titles[c - 1]));
}

void FillStepGrid(TextGrid& steps, TextGrid& results, int count, double start, double step) {
  steps.SetRowCount(count + 1);
  results.SetRowCount(count + 1);
  for (int s = 1; s <= count; ++s) {
    steps.SetCell(0, s, QString::number(s));
    steps.SetCell(1, s, FormatF(start + (s - 1) * step));
    steps.SetCell(2, s, FormatF(0));
    steps.SetCell(3, s, FormatF(0));
    steps.SetCell(4, s, FormatF(5));
    results.SetCell(0, s, QString::number(s));
  }
}

// ---- chamber values ----

int ChamberTenths(const QString& cell) {
  const double whole = std::floor(RealOrRaise(cell));
  if (whole < INT_MIN / 10 || whole > INT_MAX / 10) throw EMathError(kFloatInvalid);
  return static_cast<int>(whole) * 10;
}

int ProcessTenths(uint16_t word) { return word > 0x8000 ? static_cast<int>(word) - 65536 : word; }

bool InBand(int pvTenths, double targetTenths) { return std::fabs(pvTenths - targetTenths) < kBandTenths; }

QString ElapsedText(int64_t elapsedUs) {
  const int64_t seconds = elapsedUs > 0 ? elapsedUs / 1'000'000 : 0;
  const int h = static_cast<int>((seconds / 3600) % 24);
  const int m = static_cast<int>((seconds / 60) % 60);
  const int s = static_cast<int>(seconds % 60);
  return QString("%1:%2:%3").arg(h).arg(m, 2, 10, QChar('0')).arg(s, 2, 10, QChar('0'));
}

bool TwoTries(Clock& clock, const std::function<bool()>& attempt) {
  if (attempt()) return true;
  Delay(clock, kSecond);
  return attempt();
}

// ---- the run ----

namespace {

enum class StepEnd { Soaked, ReadFailed, Stopped, TimedOut };

// Approach and soak of one step until the soak time has passed in the band.
StepEnd ApproachAndSoak(ChamberRunHost& host, Clock& clock, const ChamberRunSettings& set, int step) {
  const int64_t soakUs = static_cast<int64_t>(set.SoakMinutes) * kUsPerMinute;
  const int64_t limitUs = static_cast<int64_t>(set.ApproachLimitMinutes) * kUsPerMinute + soakUs;
  const int64_t stepStart = clock.SteadyUs();
  int pv = 0;
  for (;;) {
    host.Entered(RunState::Approach);
    double target = 0;
    for (;;) {
      host.ProcessMessages();
      if (!host.ReadTemp(pv)) return StepEnd::ReadFailed;
      host.ShowTemperature(pv);
      target = host.TargetTenths(step);
      if (InBand(pv, target)) break;
      if (!host.IsRunning()) return StepEnd::Stopped;
      // A chamber that never settles must not keep the run waiting for ever.
      if (clock.SteadyUs() - stepStart > limitUs) return StepEnd::TimedOut;
      Delay(clock, kSecond);
    }
    host.Entered(RunState::Soak);
    const int64_t t0 = clock.SteadyUs();
    bool left = false;
    for (;;) {
      Delay(clock, kSecond);
      if (!host.ReadTemp(pv)) return StepEnd::ReadFailed;
      if (!InBand(pv, target)) {
        left = true;  // back to the approach; the next soak starts from zero
        break;
      }
      host.ProcessMessages();
      if (!host.IsRunning()) return StepEnd::Stopped;
      host.ShowTemperature(pv);
      const int64_t elapsed = clock.SteadyUs() - t0;
      host.ShowSoak(elapsed);
      if (elapsed > soakUs) break;
    }
    if (!left) return StepEnd::Soaked;
  }
}

}  // namespace

RunOutcome RunChamberSteps(ChamberRunHost& host, Clock& clock, const ChamberRunSettings& set) {
  host.Entered(RunState::Starting);
  if (!host.LoadTemp(host.CurrentStep())) return RunOutcome::SetPointFailed;
  if (!TwoTries(clock, [&] { return host.ChamberRun(); })) {
    host.RunCommandFailed();
    return RunOutcome::RunCommandFailed;
  }
  host.CreateStreams();
  RunOutcome outcome = RunOutcome::Completed;
  while (host.IsRunning() && host.CurrentStep() <= set.TempCount) {
    const int step = host.CurrentStep();
    const StepEnd end = ApproachAndSoak(host, clock, set, step);
    if (end != StepEnd::Soaked) {
      outcome = end == StepEnd::ReadFailed ? RunOutcome::ReadFailed
                : end == StepEnd::Stopped  ? RunOutcome::Stopped
                                           : RunOutcome::ApproachTimedOut;
      break;
    }
    host.Entered(RunState::Measuring);
    host.MeasureStep();
    if (host.CurrentStep() <= set.TempCount && !host.LoadTemp(host.CurrentStep())) {
      outcome = RunOutcome::NextSetPointFailed;
      break;
    }
  }
  if (outcome == RunOutcome::Completed && !host.IsRunning()) outcome = RunOutcome::Stopped;
  host.Entered(RunState::Closing);
  host.CloseStreams();
  return outcome;
}
