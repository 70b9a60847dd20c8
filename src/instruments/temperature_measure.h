#pragma once
// The temperature test's measurement of one step without any widget: for every mode
// in use the power-supply and calibrator commands of its step grids, the mode's
// registers, the settling waits, the ADC capture and the meter readings, with the
// figures stored and the result rows written; a mode whose capture fails is measured
// again, four passes at most.

#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <iterator>
#include <vector>

#include "instruments/meter_reading.h"
#include "instruments/temperature_files.h"

class Clock;
class MeterMatrix;
class SerialProtocols;
class TextGrid;
struct BryMenReading;
struct InstrumentPorts;

// What a run measures (the selector "ADC & Brymen", "ADC", "Brymen").
enum MeasureChoice { MeasureAdcAndMeters = 0, MeasureAdc = 1, MeasureMeters = 2 };
inline bool CapturesAdc(int choice) { return choice == MeasureAdcAndMeters || choice == MeasureAdc; }
inline bool ReadsMeters(int choice) { return choice == MeasureAdcAndMeters || choice == MeasureMeters; }

constexpr int MaxPassesPerMode = 4;
constexpr int SettlingMs = 4000;          // after the instrument commands
constexpr int PowerDelayDefaultMs = 500;  // a power-supply delay text that is no integer
constexpr int PowerDelaySliceMs = 2000;   // a longer power-supply wait goes in slices of this
constexpr int DelayChunkSeconds = 60;     // a long "Delay" is waited a minute at a time
constexpr int MeterReadsPerMode = 4;
constexpr int MeterInvalidRetries = 2;
constexpr int MeterRetryPauseMs = 1000;
constexpr int CalibratorReplyPauseMs = 500;

// Options of the temperature test and analysis windows a step reads.
struct MeasureOptions {
  int Choice = MeasureAdc;
  bool TemperatureCapture = false;  // the chip's 16-bit temperature samples (stream mode 2)
  bool FastRead = true;             // ADC captures in stream mode 3, else 1
  bool KeepCalibratorOn = false;    // no "STBY" before each calibrator command
  QString PowerDelayText = "2000";  // milliseconds
  bool FullCapture = false;         // raw samples of every successful capture
};

// The grids a step reads and the counts in use.
struct StepInputs {
  const TextGrid* Steps = nullptr;       // temperature steps
  const TextGrid* Registers = nullptr;   // register-change grid
  const TextGrid* Calibrator = nullptr;
  const TextGrid* Power = nullptr;
  int RegColCount = 0;
  int ModeCount = 0;
};

// The run state a step writes.
struct TemperatureRecord {
  // A step never recorded since start-up has no temperature and humidity (empty
  // fields in the files), as its figures and readings have none.
  TemperatureRecord() {
    std::fill(std::begin(StepTemp), std::end(StepTemp), NoReading);
    std::fill(std::begin(StepHumb), std::end(StepHumb), NoReading);
  }
  double StepTemp[ResultStepSlots];  // temperature recorded per step
  double StepHumb[ResultStepSlots];  // humidity recorded per step
  ResultMatrices ResultMat;
  ResultStream FileB;       // figure rows
  ResultStream FileBryMen;  // meter rows
  int FullFileNo = 0;       // next raw capture file; counts on until the program ends
};

// What a step asks of the board link and the windows.
class MeasureHost {
public:
  virtual ~MeasureHost() = default;
  virtual bool IsRunning() const = 0;
  // Handles the window's pending messages (a "Stop" click among them).
  virtual void ProcessMessages() = 0;
  // Closes and reopens the board link; true when the board's device is then open.
  virtual bool RefreshLink() = 0;
  virtual void Status(int panel, const QString& text) = 0;
  // Writes a register of the mode at its one-byte address as the chip reads it (a RAM
  // byte in the bank 7Fh selects): write, read back, shadow, refresh.
  virtual void ChangeRegStep(uint8_t address, uint8_t value) = 0;
  virtual void ReadRegister(int address) = 0;
  // Empties the analysis window's grid and disables its interleaved capture.
  virtual void PrepareCapture() = 0;
  // The analysis window's wait that processes messages.
  virtual void WaitTrigger(int seconds) = 0;
  virtual void SetReferenceText(const QString& text) = 0;
  // One capture through the analysis window with its capture flag set; true when it completed.
  virtual bool Capture(const QString& refText, uint8_t streamMode, bool temperature) = 0;
  // The figures of the board's ADC channel after the last capture.
  virtual FigureSpan ChannelResults() const = 0;
  virtual void RepaintResults() = 0;
  virtual double ReadMeter(int channel, BryMenReading& r) = 0;
  virtual MeterMatrix& Meter(int channel) = 0;
  virtual int FilterLimit() const = 0;
  virtual ResultFileInputs FileInputs() = 0;
  // End of a pass: the average into the result grid (when shown), the interleaved
  // capture enabled again, the snapshots rewritten.
  virtual void PassEnded(int step, int mode, bool showAverage) = 0;
  // The raw samples of the last capture into the next raw capture file.
  virtual void SaveRawCapture() = 0;
};

// One calibrator command: the text, CR, half a second, then the reply line.
struct CalibratorReply {
  int Length = 0;
  QString Line;
};
CalibratorReply CalibratorCommand(SerialProtocols& serial, InstrumentPorts& ports, Clock& clock,
                                  const QString& command);

// ---- readings of the step grids' texts ----

// A power command that switches the output off ("OUTP OFF", any letter case).
bool TurnsOutputOff(const QString& command);
// A calibrator command that puts it into standby ("STBY", any letter case).
bool IsStandbyCommand(const QString& command);
// The power-supply settling wait of its text: an integer (500 when it is none), 0 at least.
int PowerDelayMs(const QString& text);
// The median of the readings (the mean of the middle two of an even count);
// NoReading when there is none.
double MedianOf(std::vector<double> values);

class StepMeasurement {
public:
  StepMeasurement(MeasureHost& host, SerialProtocols& serial, InstrumentPorts& ports, Clock& clock);
  // Measures modes 1..ModeCount at step `stepNo`, then advances it.
  void Measure(const StepInputs& in, const MeasureOptions& opt, TemperatureRecord& rec, int& stepNo);

private:
  // One pass of a mode; true when its capture ran and completed.
  bool Pass(const StepInputs& in, const MeasureOptions& opt, TemperatureRecord& rec, int step, int mode);
  void PowerCommand(const StepInputs& in, const MeasureOptions& opt, int mode);
  // True when the calibrator got a command in this mode (and it was not standby).
  bool CalibratorCommandOf(const StepInputs& in, const MeasureOptions& opt, int mode);
  bool FlukeOPER();
  // Waits `total` in pieces of at most `slice`, each through `piece`; between two
  // pieces the window's messages are handled, and a stop request ends the wait there.
  void WaitInSlices(int total, int slice, const std::function<void(int)>& piece);
  void ReadMeters(TemperatureRecord& rec, int step, int mode);
  // Handles pending messages; true when the run has been asked to stop.
  bool StopAsked();

  MeasureHost& host_;
  SerialProtocols& serial_;
  InstrumentPorts& ports_;
  Clock& clock_;
  bool connected_ = false;
};
