#pragma once
// The temperature test's step sequence without any widget: the step grid's rows, the
// chamber's values in tenths, and the run through the steps (set point, run command,
// approach to the band, soak, measurement, next set point) against a host that talks
// to the chamber, measures and shows.

#include <QString>
#include <cstdint>
#include <functional>

class Clock;
class TextGrid;

// ---- step grid ----

constexpr double StepTemperatureLimit = 150.0;

// The step count of the count field's reading (0 or a negative count give 1), lowered
// by the 150-degree rule and to the 30 steps a run holds; `rewrite` tells whether the
// count field is to be rewritten with it.
int LimitStepCount(int count, double start, double step, bool& rewrite);
// Titles of the step grid and the rows of `count` steps from `start` by `step`: number,
// temperature "%f", humidity 0, temperature slope 0, humidity slope 5. The result
// grid's column 0 gets the step numbers.
void FillStepGrid(TextGrid& steps, TextGrid& results, int count, double start, double step);
void TitleStepGrid(TextGrid& steps);

// ---- chamber values ----

// A step grid value as the chamber takes it: rounded down to a whole number, times 10.
// A text that is not a number raises the conversion error; one beyond the integer range
// the invalid-operation error.
int ChamberTenths(const QString& cell);
// The process temperature word in tenths: above 8000h it is negative.
int ProcessTenths(uint16_t word);
// The approach band: within 1.5 degrees of the target.
bool InBand(int pvTenths, double targetTenths);
// An elapsed time as a time of day, "0:05:23".
QString ElapsedText(int64_t elapsedUs);
// Runs `attempt`; when it fails, waits a second and runs it once more.
bool TwoTries(Clock& clock, const std::function<bool()>& attempt);

// ---- the run ----

enum class RunState { Starting, Approach, Soak, Measuring, Closing };
enum class RunOutcome {
  Completed,         // every step measured
  Stopped,           // "Stop" or the window's close
  SetPointFailed,    // the first set point: nothing started, no streams
  RunCommandFailed,  // the run command: no streams
  ReadFailed,        // a chamber read failed twice
  NextSetPointFailed,
  ApproachTimedOut,  // the chamber did not settle at a step in time
};

// A step's time limit beyond its soak time: the chamber must have soaked by then.
constexpr int ApproachLimitMinutes = 360;

// What the run asks of the window and the instruments.
class ChamberRunHost {
public:
  virtual ~ChamberRunHost() = default;
  virtual bool IsRunning() const = 0;
  virtual void ProcessMessages() = 0;
  // The set points and slopes of a step to the chamber (each write tried twice).
  virtual bool LoadTemp(int step) = 0;
  virtual bool ChamberRun() = 0;
  virtual void RunCommandFailed() = 0;
  // The process temperature in tenths (the read tried twice).
  virtual bool ReadTemp(int& pvTenths) = 0;
  // Ten times the step's temperature as the step grid holds it.
  virtual double TargetTenths(int step) = 0;
  virtual void ShowTemperature(int pvTenths) = 0;
  virtual void ShowSoak(int64_t elapsedUs) = 0;
  virtual void CreateStreams() = 0;
  virtual void CloseStreams() = 0;
  // Measures every mode of the current step and advances the step.
  virtual void MeasureStep() = 0;
  virtual int CurrentStep() const = 0;
  virtual void Entered(RunState) {}
};

struct ChamberRunSettings {
  int TempCount = 1;
  int SoakMinutes = 0;
  int ApproachLimitMinutes = ::ApproachLimitMinutes;
};

// From the first set point to the closed streams. The end of the run (summary, chamber
// stop, calibrator standby) is the caller's.
RunOutcome RunChamberSteps(ChamberRunHost& host, Clock& clock, const ChamberRunSettings& settings);
