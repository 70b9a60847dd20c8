#pragma once
// The waveform generator's arithmetic: the output frequency of a clock, divider and
// DGRP, the DGRP for a wanted frequency, the offset and amplitude codes, the 128
// sine or square samples, the resampling of a wave table to a shorter period, and
// the register bytes the generator writes (clock selection 3Eh bits 6:5, divider 0Dh
// bits 3:1, DGRP 0Eh bits 6:0). No widget here.
//
// The chip plays samples 0..DGRP of a 128-word table, one per tick of the selected
// clock divided by 2^divider; a sample word is a 12-bit DAC code times 16.

#include <QString>
#include <array>
#include <cstdint>
#include <optional>

constexpr int WaveTableSize = 128;
using WaveTable = std::array<uint16_t, WaveTableSize>;
using WaveCodes = std::array<int, WaveTableSize>;

// Fixed registers of the generator (decimal as the generator's texts count them).
namespace WaveReg {
constexpr int CounterSource = 2;   // bits 5:4: 10b while the trim or the scan counts
constexpr int Dgrp = 14;           // bits 6:0 DGRP; bit 7 is kept on every write
constexpr int Trim = 43;           // oscillator trim code, 40h = centre
constexpr int Clock = 62;          // bits 6:5 clock selection, bits 7 and 0 set by the trim
}  // namespace WaveReg

enum class WaveType : uint8_t { Sine = 0, Square = 1 };

// The generator's state. ClkIndex, ClkdIndex and Dgrp follow the registers only
// through the generator's refresh; the rest follows its controls.
struct WaveGenState {
  WaveType Type = WaveType::Sine;
  int ClkIndex = 2;          // clock selection last seen in register 62
  int ActualClk = 8000000;   // Hz: the clock of the frequency formula and the trim target
  int ClkdIndex = 6;         // divider index last seen in register 13
  int Dgrp = 127;            // DGRP last seen in register 14
  int WaveFreq = 0;          // Hz, last computed
  int DacSourceMv = 3300;
  int DacOffset = 2048;      // offset code 3..4092
  double VppCode = 0;        // peak-to-peak in DAC codes
  uint8_t ShowVoltage = 0;   // chart in millivolts instead of codes
  uint8_t SavedCntSel = 0;   // register 2 AND 30h saved by the trim or the scan
  WaveTable WaveSamples{};   // code x 16
};

// ---- Frequency and DGRP -------------------------------------------------------------

// 2^index for a divider index 0..7 (other indexes are taken as 0).
int DividerOf(int index);

// actualClk div ((dgrp + 1) x 2^dividerIndex); 0 when the divisor is not positive.
int WaveFrequency(int actualClk, int dgrp, int dividerIndex);

// The DGRP that comes nearest a wanted frequency: actualClk div (2^dividerIndex x f) - 1,
// clamped to 1..127. A frequency of 0 raises EMathError.
int DgrpForFrequency(int actualClk, int dividerIndex, int frequency);

// ---- Codes and samples ----------------------------------------------------------------

// Peak-to-peak amplitude in DAC codes: vppMv x 4095 / sourceMv. A source of 0 raises
// EMathError.
double VppCodeOf(int vppMv, int sourceMv);

// The offset code in millivolts, rounded (halves to even).
int OffsetMillivolts(int offsetCode, int sourceMv);

// The two levels of the square wave: High = Round(vppCode / 2 + offset), at most 4095;
// Low = Round(offset - vppCode / 2), at least 1.
struct SquareLevels {
  int High = 0;
  int Low = 0;
};
SquareLevels SquareLevelsOf(double vppCode, int offsetCode);

// The 128 DAC codes (1..4095) of a sine or square wave with a period of dgrp + 1 samples.
WaveCodes WaveTableCodes(WaveType type, int dgrp, double vppCode, int offsetCode);

// Sample words (code x 16) of the codes.
WaveTable WaveSampleWords(const WaveCodes& codes);

// Resamples a 128-word table so that its first dgrp + 1 words are stretched over the
// 128 outputs (linear interpolation, rounded halves to even). DGRP 127 copies the table.
WaveTable ResampleWaveTable(const WaveTable& table, int dgrp);

// ---- Registers --------------------------------------------------------------------------

// Clock selection 0..2 of register 62 (bits 6:5; 3 is taken as 2).
int ClockSelectionOf(uint8_t r62);
// Divider index 0..7 of register 13 (bits 3:1).
int DividerIndexOf(uint8_t r13);
// DGRP of register 14 (bits 6:0), 0 taken as 1.
int DgrpOf(uint8_t r14);

// Register 62 with the clock selection replaced by k (0..3).
uint8_t WithClockSelection(uint8_t r62, int k);
// Register 13 with the divider index replaced by k (0..7).
uint8_t WithDividerIndex(uint8_t r13, int k);
// Register 14 holding DGRP g (0..127) with its bit 7 kept.
uint8_t WithDgrp(uint8_t r14, int g);

// The generator's input clock in Hz for a clock selection 0, 1, 2: 2, 4 or 8 MHz.
int NominalClock(int clockSelection);

// The DAC source voltage in mV for a supply code of the ADC's VDDAX field:
// 0 2400, 1 2600, 2 2900, 3 3300, 4 3600, 5 4000, 6 4500, 7 5000; nothing otherwise.
std::optional<int> SourceMillivoltsOf(int vddax);

// ---- Texts ------------------------------------------------------------------------------

// A typed edit value: a decimal integer (blanks around it allowed); raises EConvertError
// with the standard message when the text is not one.
int EditInteger(const QString& text);

// Value formats of the wave charts' left axis.
enum class AxisFormat {
  Codes,         // "##0": at least one digit
  CodesBlank,    // "###": zero gives an empty text
  Millivolts,    // "### mV"
};
// The axis text of a value, rounded to a whole number (halves to even).
QString AxisLabel(double value, AxisFormat format);
