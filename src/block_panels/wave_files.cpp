#include "block_panels/wave_files.h"

#include "common/number_text.h"
#include "common/text_encoding.h"
#include "link/register_files.h"

SettingsFileFaults ReadWaveformSettings(const QString& path, WaveformSettings& s) {
  PanelSettingsReader in = PanelSettingsReader::Open(path);
  in.Int(s.OffsetCode);
  in.Int(s.VppMv);
  return in.Faults();
}

void WriteWaveformSettings(const QString& path, const WaveformSettings& s) {
  WriteTextLines(path, {QString::number(s.OffsetCode), QString::number(s.VppMv)});
}


WaveTable RamArrayWords(const QStringList& lines) {
  // Word k is the byte pair 2k (high) and 2k + 1 (low), bank 0 then bank 1.
  const auto bytes = RamArrayFileBytes(lines);
  WaveTable words{};
  for (size_t k = 0; k < words.size(); ++k) words[k] = static_cast<uint16_t>(bytes[2 * k] * 256 + bytes[2 * k + 1]);
  return words;
}
