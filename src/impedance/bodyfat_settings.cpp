#include "impedance/bodyfat_settings.h"

#include <algorithm>

namespace {
QString HexOrZero(const QString& text) { return text.isEmpty() ? QStringLiteral("00") : text; }
}  // namespace

SettingsFileFaults ReadBodyFatSettings(const QString& path, BodyFatSettings& s) {
  PanelSettingsReader in = PanelSettingsReader::Open(path);
  for (int* n : {&s.Mode, &s.TimeIndex, &s.AmountIndex, &s.ScanIndex, &s.ChannelsIndex}) in.Int(*n);
  auto hex = [&in](QString& field) {
    in.Text(field);
    field = HexOrZero(field);
  };
  for (QString& a : s.Table.Addr) hex(a);
  for (auto& row : s.Table.Values)
    for (QString& v : row) hex(v);
  return in.Faults();
}

QStringList BodyFatSettingsLines(const BodyFatSettings& s) {
  QStringList lines;
  for (int n : {s.Mode, s.TimeIndex, s.AmountIndex, s.ScanIndex, s.ChannelsIndex}) lines << QString::number(n);
  for (const QString& a : s.Table.Addr) lines << a;
  for (const auto& row : s.Table.Values)
    for (const QString& v : row) lines << v;
  return lines;
}

int ScanIntervalOf(int index, int current) {
  constexpr int intervals[] = {100, 250, 500, 1000, 2000};
  return index >= 0 && index < 5 ? intervals[index] : current;
}

BodyFatLimits BodyFatLimitsFrom(bool timeSelected, int timeIndex, int amountIndex, int channelsIndex) {
  BodyFatLimits l;
  l.ByTime = timeSelected;
  l.Seconds = std::clamp(timeIndex, 0, 9) + 1;
  l.Amount = (std::clamp(amountIndex, 0, 9) + 1) * 100;
  l.Channels = std::clamp(channelsIndex, 0, BodyFatMaxChannels - 1) + 1;
  return l;
}
