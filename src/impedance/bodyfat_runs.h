#pragma once
// The body-fat test's calibration, impedance run and automatic test, on channel 0
// through the register API, without any widget. A run takes what the window locks for
// it (the register table, the limits) and the texts it reads once at its start in a
// BodyFatRunInputs; the boxes that stay open to the user and the generator while it
// runs (the reference, the frequency, the ADC boxes) it reads through BodyFatRunHost
// where it uses them, and it hands the texts to show to the host as typed results.
// The host pumps the window's messages between samples, where a second click on the
// starting button sets the stop flag (TestIdle or AutoIdle of BodyFatState).
//
// A conversion that fails (a failed transfer or a chip that never finishes) is not a
// measurement: the channel ends with the rows taken so far written and the run stops.
// A register write that fails ends the run the same way, at once: the shadow takes
// each value only once its packet went through, so it keeps what the chip got.
// An error raised during a channel (an arithmetic or conversion error) writes the
// rows taken so far too before it goes on to the caller.

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <optional>

#include "common/impedance_state.h"
#include "impedance/bodyfat_settings.h"

class Clock;
class TMx_UP;

// A calibration's read-outs as shown: I0, Q0, Y0 and the gain in "%f", Theta0 in "%.6f".
struct BodyFatCalibrationTexts {
  QString I, Q, Y, Theta, Gain;
};
// A sample's read-outs as shown: I, Q, Y in "%f" and Theta in "%.6f"; the impedance and
// the phase of its channel row in "%.3f".
struct BodyFatSampleTexts {
  QString I, Q, Y, Theta, Impedance, DutPhase;
};

// The window as the runs see it.
class BodyFatRunHost {
public:
  virtual ~BodyFatRunHost() = default;
  // The boxes a run leaves open, as they stand when it reads them: the user may edit
  // the reference and the ADC boxes, and the generator writes the frequency, while the
  // run pumps messages.
  virtual QString RrefText() const = 0;
  virtual QString FrequencyText() const = 0;
  // ADC1 .. ADC4 of read-out row 0 (calibration) or 1 (sample).
  virtual std::array<QString, 4> AdcTexts(int row) const = 0;
  virtual void ShowCalibration(const BodyFatCalibrationTexts& texts) = 0;
  // The sample read-outs and the impedance and phase boxes of channel row `channel`.
  virtual void ShowSample(int channel, const BodyFatSampleTexts& texts) = 0;
  // The progress label, channel + " file " + count + " Data".
  virtual void ShowProgress(const QString& text) = 0;
  virtual void ProcessMessages() = 0;
};

// What a run reads of the window at its start.
struct BodyFatRunInputs {
  BodyFatTable Table;  // locked for the run
  BodyFatLimits Limits;
  // The calibration read-outs as they stand, ADC1_0 .. ADC4_0, I0, Q0, Y0, Theta0: the
  // impedance run's calibration columns.
  std::array<QString, 8> Calibration;
  // The gain box as it stands; only a calibration changes it.
  QString GainText;
};

struct BodyFatContext {
  TMx_UP& Up;
  BodyFatState& S;
  Clock& Clk;
  QString ProgramDir;  // where the logs and the file pairs lie
  BodyFatRunHost& Host;
};

enum class BodyFatEnd {
  Finished,          // every channel reached its limit
  Stopped,           // a stop request
  ConversionFailed,  // a conversion, or a register write the run makes, did not complete
  NoPairs,           // the automatic test found no file pair
  FileMissing,       // a file of a pair no longer exists
};
struct BodyFatOutcome {
  BodyFatEnd End = BodyFatEnd::Finished;
  QString MissingFile;  // FileMissing: the file's name
};

// A table text read as hexadecimal: "0x" + text as an integer, the rule of the I/Q
// test's register codes. Raises EConvertError for a text that is no number.
int TableHex(const QString& text);

// The calibration: the reference text read, the "Calculate" row written (each value in
// the shadow once its packet went out; with AutoMode a column whose address text holds
// 0Eh is skipped), one conversion, Theta0 and Gain, the calibration read-outs shown and
// returned. Nothing when a write or the conversion failed: Theta0, Gain and the
// read-outs do not change.
std::optional<BodyFatCalibrationTexts> Calibrate(const BodyFatContext& c, const BodyFatTable& table);

// The impedance run over channels 1..Limits.Channels, one log per channel.
BodyFatOutcome RunImpedanceTest(const BodyFatContext& c, const BodyFatRunInputs& in);
// The automatic test over the file pairs found by SearchFilePairs, then the averages
// file (also after a stop, and after a failed conversion or write or a pair's file gone
// missing once a channel was measured).
BodyFatOutcome RunAutoTest(const BodyFatContext& c, const BodyFatRunInputs& in);

// Pairs prefix + i + ".ram" / ".reg" (i = 1..100) whose two files both exist in the
// folder, in the order of i; PairCount is their number.
void SearchFilePairs(BodyFatState& s, const QString& programDir, const QString& prefix);

// The two RAM banks of a ".ram" C-array export, read by line position and fixed
// columns: line 1 skipped, lines 2..9 bank 0, three lines skipped, lines 13..20
// bank 1; in a data line, column j (0..7) holds the bytes at 1-based characters
// 10j + 3, 10j + 4 and 10j + 8, 10j + 9. A pair that is not hexadecimal, or lies
// beyond a short line or file, gives 0.
struct RamFileImage {
  std::array<uint8_t, 128> Bank0{}, Bank1{};
};
RamFileImage ReadRamFileImage(const QStringList& lines);
// Writes the image: 0Dh := 00h, 7Fh bit 0 cleared, bank 0 byte by byte (80h..FFh),
// 7Fh bit 0 set, bank 1 byte by byte (180h..1FFh), 7Fh bit 0 cleared. Each byte goes
// to the shadow once its packet went through; the first that fails ends the load
// (false).
bool LoadRamFileImage(TMx_UP& up, const RamFileImage& image);

// The 35 registers a ".reg" file gives the automatic test, by line position.
constexpr std::array<int, 35> AutoTestRegisters = {
    0x01, 0x02, 0x0C, 0x0D, 0x0E, 0x0F, 0x10, 0x11, 0x12, 0x13, 0x14, 0x15, 0x16, 0x17, 0x18, 0x19, 0x1A, 0x1B,
    0x1C, 0x1D, 0x1E, 0x1F, 0x20, 0x21, 0x22, 0x23, 0x24, 0x25, 0x26, 0x27, 0x28, 0x29, 0x2A, 0x2B, 0x3E};
// The value word (the second) of each of the first 35 lines; nothing for a line that
// is missing or whose value word is no number.
std::array<std::optional<uint8_t>, 35> ReadRegFileValues(const QStringList& lines);
// Writes each register that has a value, in list order, and stores it in the shadow
// once it went through; the first that fails ends the load (false).
bool LoadRegFileValues(TMx_UP& up, const std::array<std::optional<uint8_t>, 35>& values);

// Sleeps (processing no messages) until count x intervalMs have passed since t0;
// returns the time since t0 in microseconds.
int64_t PaceSample(Clock& clock, int64_t t0, int count, int intervalMs);
