#include "impedance/iq_test_settings.h"

#include "common/settings_reader.h"
#include "common/text_encoding.h"

QStringList IQFormSettingsLines(const IQFormSettings& s) {
  auto n = [](int v) { return QString::number(v); };
  return {n(s.Mode),         n(s.AcLimit),    n(s.AcTime),     n(s.AcAmount),     n(s.ScanTime),
          n(s.DcLimit),      n(s.DcTime),     n(s.DcAmount),   n(s.AverageCycle), s.BiasTime,
          s.ReactionTime,    n(s.ThresholdOn), s.Threshold,    s.Dabit[0][0],     s.Dabit[0][1],
          n(s.Dabit1On),     s.Dabit[1][0],   s.Dabit[1][1],   n(s.Dabit2On),     s.Dabit[2][0],
          s.Dabit[2][1]};
}

void WriteIQFormSettings(const QString& path, const IQFormSettings& s) {
  WriteTextLines(path, IQFormSettingsLines(s));
}

void ReadIQFormSettings(SettingsReader& r, IQFormSettings& s) {
  r.ReadIntLine(s.Mode);
  r.ReadIntLine(s.AcLimit);
  r.ReadIntLine(s.AcTime);
  r.ReadIntLine(s.AcAmount);
  r.ReadIntLine(s.ScanTime);
  r.ReadIntLine(s.DcLimit);
  r.ReadIntLine(s.DcTime);
  r.ReadIntLine(s.DcAmount);
  r.ReadIntLine(s.AverageCycle);
  s.BiasTime = r.ReadText();
  s.ReactionTime = r.ReadText();
  r.ReadIntLine(s.ThresholdOn);
  s.Threshold = r.ReadText();
  s.Dabit[0][0] = r.ReadText();
  s.Dabit[0][1] = r.ReadText();
  r.ReadIntLine(s.Dabit1On);
  s.Dabit[1][0] = r.ReadText();
  s.Dabit[1][1] = r.ReadText();
  r.ReadIntLine(s.Dabit2On);
  s.Dabit[2][0] = r.ReadText();
  s.Dabit[2][1] = r.ReadText();
}

QList<int> ReadIQFormSettings(const QString& path, IQFormSettings& s) {
  SettingsReader r = SettingsReader::Open(path);
  ReadIQFormSettings(r, s);
  return r.BadLines();
}

int ScanIntervalMs(int index, int current) {
  constexpr int table[] = {0, 100, 250, 500, 1000, 2000};
  return index >= 0 && index < static_cast<int>(std::size(table)) ? table[index] : current;
}

bool HexKeyAccepted(QChar key) {
  const char16_t c = key.unicode();
  return c == '\b' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

bool DecimalKeyAccepted(QChar key, const QString& text) {
  const char16_t c = key.unicode();
  if (c == '.') return !text.contains('.');
  return c == '\b' || (c >= '0' && c <= '9');
}

const InputRange& BiasTimeRange() {
  static const InputRange r{0, 10, QStringLiteral("Input is out of range, value is between 0~10")};
  return r;
}

const InputRange& ReactionTimeRange() {
  static const InputRange r{1, 200'000'000, QStringLiteral("Input is out of range, value is between 1~200000000")};
  return r;
}

std::optional<QString> OutOfRangeText(const InputRange& range, double value) {
  if (value < range.Low) return QString::number(static_cast<long long>(range.Low));
  if (value > range.High) return QString::number(static_cast<long long>(range.High));
  return std::nullopt;
}

RunLimit AcRunLimit(bool amount, int amountIndex, bool time, int timeIndex) {
  if (amount) return {RunLimitKind::Amount, (amountIndex + 1) * 100};
  if (time) return {RunLimitKind::Time, timeIndex + 1};
  return {};
}

RunLimit DcRunLimit(bool amount, int amountIndex, bool time, int timeIndex) {
  if (amount) return {RunLimitKind::Amount, amountIndex == 0 ? 1 : amountIndex * 100};
  if (time) return {RunLimitKind::Time, timeIndex + 1};
  return {};
}
