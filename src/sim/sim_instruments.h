#pragma once
// Simulated bench instruments, each on its own pseudo-terminal: the temperature and
// humidity chamber controller, the calibrator, the SCPI power supply and the meter.
// Each frames what the program writes into commands, answers after a delay measured
// on the program's clock, logs both directions, and can be armed to stay silent,
// answer short, wrong or in two pieces, skip answers, or answer with scripted bytes.
//
// They run in the program's thread: the simulated serial services (sim_serial.h) hand
// each instrument the bytes the program writes and let it send what is due whenever
// the program looks at its port.

#include <QByteArray>
#include <QList>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>

#include "sim/fault_span.h"
#include "sim/sim_pty.h"

class Clock;

// The ways an instrument misbehaves, each armed by name with SimInstrument::Arm, with
// where it starts and how long it lasts in the commands or answers it names.
enum class InstrumentFault {
  Silent,    // answers: none is sent (the commands are taken and logged)
  Ignore,    // answers: skipped, as Silent, each counted apart from it
  Scripted,  // answers: the bytes SimInstrument::Script gave, verbatim, one each
  Short,     // answers: cut to FaultSpan::bytes bytes
  Wrong,     // commands: answered in a wrong form (each instrument says which)
  Split,     // answers: their first FaultSpan::bytes bytes, the rest FaultSpan::gapMs later
};

class SimInstrument {
public:
  explicit SimInstrument(Clock& clock);
  virtual ~SimInstrument() = default;
  SimInstrument(const SimInstrument&) = delete;
  SimInstrument& operator=(const SimInstrument&) = delete;

  bool Ok() const { return pty_.Ok(); }
  const QString& SlavePath() const { return pty_.SlavePath(); }

  // ---- log ----
  QByteArray received;         // every byte the program wrote
  QList<QByteArray> commands;  // each whole command as framed, terminator included
  QByteArray answered;         // every byte sent back
  struct LineChange {
    int64_t us;         // clock time
    uint32_t function;  // SETRTS, CLRRTS, SETDTR or CLRDTR
  };
  QList<LineChange> lineChanges;
  bool rts = false;
  bool dtr = false;

  // ---- behaviour ----
  int delayMs = 5;  // time from a command to its answer ("late" = long)
  // Arming a fault again replaces its span. Scripted is armed by Script.
  void Arm(InstrumentFault fault, FaultSpan span = {});
  // After `after` more answers, the next ones are `answers`, sent verbatim in place of
  // the real ones, one each.
  void Script(QList<QByteArray> answers, int after = 0);
  // Every fault disarmed (the answer time stays).
  void ClearFaults();

  // ---- called by the serial services ----
  // The program has written `count` bytes to the port: take and handle them.
  void HostWrote(int count);
  // Brings the instrument up to the clock's time and sends the answers now due.
  void Serve();
  void LineFunction(uint32_t function);

protected:
  // Length of the first whole command at the start of `pending`, 0 when none yet.
  virtual qsizetype CommandLength(const QByteArray& pending) const = 0;
  virtual void Handle(const QByteArray& command) = 0;
  // The instrument's own state follows the clock (the chamber's process value).
  virtual void Advance(int64_t /*nowUs*/) {}
  // Queues an answer to the command being handled, applying the behaviour above.
  void Answer(QByteArray reply);
  // Counts the command being handled for InstrumentFault::Wrong: whether it is hit.
  bool Wrong();

  Clock& clock_;

private:
  void Take(const QByteArray& bytes);

  SimPty pty_;
  QByteArray pending_;
  ArmedFaults<InstrumentFault> faults_;
  QList<QByteArray> script_;
  struct Out {
    int64_t dueUs;
    QByteArray bytes;
  };
  std::deque<Out> out_;
};

// Chamber controller, address "01": frames STX "01" WSD/RSD "," count "," address
// ("," value)... CR LF; 16-bit registers; the process temperature and humidity move
// toward their set points while the chamber runs. Wrong: "NG" in place of "OK".
class SimChamber : public SimInstrument {
public:
  explicit SimChamber(Clock& clock);

  std::map<uint16_t, uint16_t> registers;  // as written; 0001h and 0002h follow the process
  double temperature = 25.0;               // process values, degrees and percent
  double humidity = 50.0;
  bool running = false;
  double defaultSlopePerMin = 5.0;  // when the slope register holds 0

  // Register of a 16-bit word as the chamber answers it.
  uint16_t Register(uint16_t address) const;

protected:
  qsizetype CommandLength(const QByteArray& pending) const override;
  void Handle(const QByteArray& command) override;
  void Advance(int64_t nowUs) override;

private:
  int64_t last_us_ = 0;
};

// Calibrator: commands end in CR; each is answered with one CR-ended line: the option
// list for "*OPT", "OK" for a known command, "ERR" otherwise. Wrong: "ERR" for all.
class SimCalibrator : public SimInstrument {
public:
  explicit SimCalibrator(Clock& clock);

  QByteArray options = "0";
  bool operating = false;  // OPER / STBY
  bool rangeLocked = false;
  QByteArray output;       // argument of the last OUT

  // The DC voltage at the output terminals: what the last OUT set ("100 mV ,0 Hz",
  // "1 V") while operating, 0 in standby. An AC output, a current or a resistance is
  // no DC voltage and reads 0 too.
  double TerminalVolts() const;

protected:
  qsizetype CommandLength(const QByteArray& pending) const override;
  void Handle(const QByteArray& command) override;
};

// SCPI power supply: commands end in LF (CR before it ignored); queries are answered
// with CR LF-ended texts, settings are silent. Wrong: every query answered with an
// error text.
class SimPowerSupply : public SimInstrument {
public:
  explicit SimPowerSupply(Clock& clock);

  QByteArray identity = "HEWLETT-PACKARD,SIM-PSU,0,1.0";
  bool remote = false;
  double volts = 0.0;
  double amps = 0.0;
  bool outputOn = false;
  int errors = 0;  // commands it did not understand

protected:
  qsizetype CommandLength(const QByteArray& pending) const override;
  void Handle(const QByteArray& command) override;
};

// Meter: a request DLE STX c1 c2 c3 CK DLE ETX (CK = c1 ^ c2 ^ c3) is answered with a
// 22-byte frame of the current reading; scripted readings are taken one per request,
// and without them a meter that follows a quantity reads it anew at each request.
// Wrong: the frame comes without its DLE STX.
struct MeterReading {
  uint8_t flags1 = 0x06;    // DC, V
  uint8_t flags2 = 0x00;
  char sign = ' ';          // '-' for a negative reading
  QByteArray text = "1.2345 ";  // seven characters: digits, blanks and a "."
  char exponentSign = '+';
  char exponent = '0';
};

class SimMeter : public SimInstrument {
public:
  explicit SimMeter(Clock& clock);

  MeterReading reading;            // answered when no scripted reading waits
  QList<MeterReading> readings;    // taken one per request, each then current
  std::function<MeterReading()> follow;  // when set, the current reading at each request
  int requests = 0;                // valid requests seen

  // The 22-byte frame of a reading: DLE STX, 00h 00h, flags 1 and 2, 00h 00h, sign,
  // seven reading characters, blank, exponent sign and digit, check byte, DLE ETX.
  static QByteArray Frame(const MeterReading& r);

protected:
  qsizetype CommandLength(const QByteArray& pending) const override;
  void Handle(const QByteArray& command) override;
};
