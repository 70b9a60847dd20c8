#include "impedance/iq_test_settings.h"

#include <array>
#include <variant>

#include "common/text_encoding.h"

namespace {
// The fields in file order, line 1 first.
using Field = std::variant<int*, QString*>;
std::array<Field, 21> Fields(IQFormSettings& s) {
  return {&s.Mode,      &s.AcLimit,     &s.AcTime,      &s.AcAmount,     &s.ScanTime,     &s.DcLimit,
          &s.DcTime,    &s.DcAmount,    &s.AverageCycle, &s.BiasTime,    &s.ReactionTime, &s.ThresholdOn,
          &s.Threshold, &s.Dabit[0][0], &s.Dabit[0][1], &s.Dabit1On,     &s.Dabit[1][0],  &s.Dabit[1][1],
          &s.Dabit2On,  &s.Dabit[2][0], &s.Dabit[2][1]};
}
}  // namespace

QStringList IQFormSettingsLines(const IQFormSettings& s) {
  IQFormSettings copy = s;
  QStringList lines;
  for (const Field& f : Fields(copy))
    lines << (std::holds_alternative<int*>(f) ? QString::number(*std::get<int*>(f)) : *std::get<QString*>(f));
  return lines;
}

void WriteIQFormSettings(const QString& path, const IQFormSettings& s) {
  WriteTextLines(path, IQFormSettingsLines(s));
}

void ReadIQFormSettings(PanelSettingsReader& r, IQFormSettings& s) {
  for (const Field& f : Fields(s)) {
    if (std::holds_alternative<int*>(f))
      r.Int(*std::get<int*>(f));
    else
      r.Text(*std::get<QString*>(f));
  }
}

SettingsFileFaults ReadIQFormSettings(const QString& path, IQFormSettings& s) {
  PanelSettingsReader r = PanelSettingsReader::Open(path);
  ReadIQFormSettings(r, s);
  return r.Faults();
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
