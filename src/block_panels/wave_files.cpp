#include "block_panels/wave_files.h"

#include "common/number_text.h"
#include "common/settings_reader.h"
#include "common/text_encoding.h"

WaveformSettings ReadWaveformSettings(const QString& path) {
  SettingsReader in = SettingsReader::Open(path);
  WaveformSettings s;
  s.OffsetCode = in.ReadIntLine();
  s.VppMv = in.ReadIntLine();
  return s;
}

void WriteWaveformSettings(const QString& path, const WaveformSettings& s) {
  WriteTextLines(path, {QString::number(s.OffsetCode), QString::number(s.VppMv)});
}

namespace {
// Two hexadecimal digits at 0-based position `at`; 0 when either is missing or foreign.
int HexPair(const QString& line, int at) {
  if (at + 2 > line.size()) return 0;
  return HexStrToInt(line.mid(at, 2));
}

// Words 8r .. 8r + 7 from one data line.
void ReadDataLine(const QString& line, int r, WaveTable& words) {
  for (int j = 0; j < 8; ++j) {
    const int high = HexPair(line, 10 * j + 2);
    const int low = HexPair(line, 10 * j + 7);
    words[8 * r + j] = static_cast<uint16_t>(high * 256 + low);
  }
}
}  // namespace

WaveTable RamArrayWords(const QStringList& lines) {
  WaveTable words{};
  auto line = [&](int index) { return index < lines.size() ? lines[index] : QString(); };
  // Line 1 is bank 0's header; three lines (closing, empty, bank 1's header) lie between.
  for (int r = 0; r < 8; ++r) ReadDataLine(line(1 + r), r, words);
  for (int r = 0; r < 8; ++r) ReadDataLine(line(12 + r), 8 + r, words);
  return words;
}
