#pragma once
// The body-fat test's calibration, impedance run and automatic test, on channel 0
// through the register API. The window stays out of here: the runs read and show the
// texts of its edits by their component names through BodyFatPanel, and the window
// pumps its messages through it between samples, where a second click on the
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

// The window as the runs see it.
class BodyFatPanel {
public:
  virtual ~BodyFatPanel() = default;
  // The text of a named edit ("edtRref", "edtAddr2_5", "edtIDATA0", ...); empty for
  // a name the window does not have.
  virtual QString Text(const QString& name) const = 0;
  virtual void SetText(const QString& name, const QString& text) = 0;
  virtual void ProcessMessages() = 0;
};

struct BodyFatContext {
  TMx_UP& Up;
  BodyFatState& S;
  Clock& Clk;
  QString ProgramDir;  // where the logs and the file pairs lie
  BodyFatPanel& Panel;
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
// The name of the value edit of column k (0..5), row j (0..12): "edtAddr" + k + "_" + j.
QString ValueEditName(int k, int j);

// The calibration: the "Calculate" row written (each value in the shadow once its
// packet went out; with AutoMode a column whose address edit holds 0Eh is skipped),
// one conversion, Theta0 and Gain, the calibration read-outs. False when a write or the
// conversion failed: Theta0, Gain and the read-outs do not change.
bool Calibrate(const BodyFatContext& c);

// The impedance run over channels 1..limits.Channels, one log per channel.
BodyFatOutcome RunImpedanceTest(const BodyFatContext& c, const BodyFatLimits& limits);
// The automatic test over the file pairs found by SearchFilePairs, then the averages
// file (also after a stop, and after a failed conversion or write or a pair's file gone
// missing once a channel was measured).
BodyFatOutcome RunAutoTest(const BodyFatContext& c, const BodyFatLimits& limits);

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
