#pragma once
// The waveform generator's files: its settings "WaveformSet.txt" (offset code and
// peak-to-peak millivolts, one decimal integer a line) and the wave table of a ".ram"
// C-array export (two banks of 128 bytes, read by fixed columns as 128 words, high
// byte first). The register list "Config/Reg.reg" is a ".reg" dump, loaded as "Load REG"
// loads one (shell/register_files.h). No widget here.

#include <QList>
#include <QString>
#include <QStringList>

#include "block_panels/wave_math.h"
#include "common/settings_reader.h"

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

// The two values into `s`, line 1 and line 2, each a decimal integer followed by the
// rest of its line. A line that is empty, blank or not an integer, or that the file
// ends before, leaves its value in `s` as it was; what was met is returned. A file
// that cannot be read raises EInOutError with `s` untouched.
SettingsFileFaults ReadWaveformSettings(const QString& path, WaveformSettings& s);
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
