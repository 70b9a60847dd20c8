#pragma once
// The CAP TEST runs of the I/Q test without widgets: the phase sequence of the mode
// with the DC inputs' checks, the AC run (one paced conversion a row), the DC run (the
// DAC steps, then stream samples in groups) and the DC+AC(ADC) run (one stream sample
// a row), each with its log. What a run reads of the window and shows in it goes
// through IqRunHost; the stop flag is the state's CapTestIdle, which a second click
// sets while the host processes messages, and which a run sets when it ends itself.

#include <QString>
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

#include "common/impedance_state.h"
#include "impedance/impedance_math.h"
#include "impedance/iq_test_settings.h"

class Clock;
class TMx_UP;

enum class IqRunMode { AC, DC, ACDC, DCAC, DCACADC };  // "AC", "DC", "AC+DC", "DC+AC", "DC+AC(ADC)"

// The DC run's inputs as the window holds them; each text is converted where the run
// uses it, so a text that does not convert fails the run at that point.
struct IqDcInputs {
  QString Dabit[3][2];  // bias, reaction, measuring step: DABIT and DABIT2 codes
  bool ReactionOn = false;   // the reaction step's codes are written ("Reaction")
  bool MeasuringOn = false;  // the measuring step's codes are written ("Measuring")
  QString BiasTime, ReactionTime;  // seconds
  bool ThresholdOn = false;
  QString Threshold;
  QString AverageCycle;  // the group size
};

// Rows of the read-out grid (T_ADC1_n .. T_Theta_n), columns 0 .. 2 each.
enum IqReadOutRow : int {
  ReadOutAdc1, ReadOutAdc2, ReadOutAdc3, ReadOutAdc4, ReadOutI, ReadOutQ, ReadOutY, ReadOutTheta
};

// What the runs take from the window and give to it.
class IqRunHost {
public:
  virtual ~IqRunHost() = default;
  virtual IqRunMode Mode() const = 0;
  // The limits of the AC run (the simple panel's lists while it is shown), of the DC
  // run and of the DC+AC(ADC) run ("AC Set").
  virtual RunLimit AcLimit() const = 0;
  virtual RunLimit DcLimit() const = 0;
  virtual RunLimit DcAdcLimit() const = 0;
  // "AC Set"'s scan time is not "0 ms": the DC+AC(ADC) run takes one row a packet.
  virtual bool DcAdcPaced() const = 0;
  virtual IqDcInputs DcInputs() const = 0;
  // The texts as they stand when asked: the reference and the frequency as typed,
  // the read-outs, and the DC calibration's first average and DC gain.
  virtual QString RrefText() const = 0;
  virtual QString FreqText() const = 0;
  virtual QString ReadOutText(int row, int column) const = 0;
  virtual QString DcAdc1Text() const = 0;
  virtual QString DcGainText() const = 0;
  // Texts into the window's fields by component name, and the progress line.
  virtual void ShowTexts(const std::vector<std::pair<QString, QString>>& texts) = 0;
  virtual void ShowProgress(const QString& text) = 0;
  // A "warning" box.
  virtual void Warning(const QString& text) = 0;
  // Handles the window's pending messages (a stop click among them).
  virtual void ProcessMessages() = 0;
};

// What the impedance is computed from, but the reference and the frequency: the
// readings of the state.
ImpedanceInput IqReadings(const IQTestState& s);

// The runs of one CAP TEST on channel 0, logging into the program folder of `up`'s
// globals. Every conversion's status is checked; a run that ends by an error writes
// the rows taken so far before the error goes on.
class IqRunner {
public:
  IqRunner(TMx_UP& up, IQTestState& s, Clock& clock, IqRunHost& host) : up_(up), s_(s), clock_(clock), host_(host) {}

  // The phases of the host's mode, the DC inputs checked first in every mode but AC;
  // the second phase only while no stop was asked for.
  void Run();
  // One AC run, from the log's start to its file.
  void RunAc();
  // One DC run: the DAC registers put back and the stream stopped on every way out.
  void RunDc();
  // One DC+AC(ADC) run.
  void RunDcAdc();
  // Waits on the clock, processing the host's messages at every check.
  void WaitSeconds(double seconds);

private:
  bool DcInputsValid();
  bool AcSample();
  void DcStep(const QString& caption, int64_t ticks);
  void DcRow(int32_t average);
  // One stream poll: the samples copied to `packet`, the time of the data and the
  // packet times of the state moved on when samples came. Returns their number.
  int ReadPacket(uint8_t* packet, int64_t& lastData);
  bool StreamLost(int64_t lastDataUs) const;
  // After a packet of a DC run: the packet's rows get their times, the amount and the
  // roll-over apply, a lost stream ends the run, messages are processed. True when
  // the run's limit is reached.
  bool AfterPacket(const RunLimit& limit, int taken, bool numbered, int& stamped, int64_t lastData, int64_t runStart);
  // The packet loop of a DC run, from the stream's start (runStart, which `take` may
  // restart): each packet's samples go to `take`, which counts in `taken` those it
  // took, then AfterPacket, until the limit or a stop. On an error the rows so far
  // (those of the packet with its time) are written before it goes on.
  void RunPackets(const RunLimit& limit, bool numbered, int64_t& runStart,
                  const std::function<void(const uint8_t* packet, int count, int& taken)>& take);

  TMx_UP& up_;
  IQTestState& s_;
  Clock& clock_;
  IqRunHost& host_;
};
