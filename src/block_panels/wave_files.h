#pragma once
// The waveform generator's files: its settings "WaveformSet.txt" (offset code and
// peak-to-peak millivolts, one decimal integer a line), the wave table of a ".ram"
// C-array export (two banks of 128 bytes, read by fixed columns as 128 words, high
// byte first) and the register list of a ".reg" dump loaded into the chip. No widget
// here.

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

#include "block_panels/wave_math.h"

class TMx_UP;

namespace WaveFiles {
inline const char Settings[] = "WaveformSet.txt";
inline const char ConfigFolder[] = "Config";
inline const char DacRam[] = "Config/DAC.ram";
inline const char RegList[] = "Config/Reg.reg";
}  // namespace WaveFiles

// ---- WaveformSet.txt ------------------------------------------------------------------

struct WaveformSettings {
  int OffsetCode = 2048;
  int VppMv = 200;
};

// The two values, each a decimal integer followed by the rest of its line (a missing
// line reads as 0). A file that cannot be read, or a word that is not an integer,
// raises EInOutError.
WaveformSettings ReadWaveformSettings(const QString& path);
// The offset code, then the amplitude, one a line (CR LF), written through a temporary
// file so that a failed write keeps the old one. Raises EInOutError on failure.
void WriteWaveformSettings(const QString& path, const WaveformSettings& s);

// ---- Wave table of a ".ram" file ------------------------------------------------------

// 128 words from the lines of a C-array export: line 1 is skipped, the 8 lines after
// it give words 0..63, three lines are skipped and the 8 lines after them give words
// 64..127. In a data line column j (0..7) is characters 10j+1 .. 10j+10 (1-based);
// characters 10j+3, 10j+4 are the high byte and 10j+8, 10j+9 the low byte, two
// hexadecimal digits each. A pair holding another character, or lying beyond the end
// of a short line or of the file, reads as 0.
WaveTable RamArrayWords(const QStringList& lines);

// ---- Register list of a ".reg" file ---------------------------------------------------

struct RegisterListEntry {
  uint16_t Address = 0;  // low 16 bits of the number
  uint8_t Value = 0;     // low byte of the number
};
// A line upper-cased and tokenized: the first word is the address and the second the
// value (suffix H hexadecimal, B binary, D or none decimal). Nothing for a line without
// two numbers (blank and comment lines).
std::optional<RegisterListEntry> ParseRegisterListLine(const QString& line);

// The list into the chip: register 127 bit 0 cleared (shadow and chip, wave memory
// page 0), register 62 := 0 sent (shadow kept), then every line's value stored in the
// shadow and sent alone, in file order, without read-back. Lines without two numbers
// and addresses beyond the transfer buffer are skipped. The caller refreshes.
void LoadRegisterList(TMx_UP& up, const QStringList& lines);
