#include "block_panels/wave_math.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "common/errors.h"

int DividerOf(int index) { return 1 << (index >= 0 && index <= 7 ? index : 0); }

int WaveFrequency(int actualClk, int dgrp, int dividerIndex) {
  const long long divisor = static_cast<long long>(dgrp + 1) * DividerOf(dividerIndex);
  if (divisor <= 0) return 0;
  return static_cast<int>(actualClk / divisor);
}

int DgrpForFrequency(int actualClk, int dividerIndex, int frequency) {
  if (frequency == 0) throw EMathError(kFloatDivByZero);
  const long long g = actualClk / (static_cast<long long>(DividerOf(dividerIndex)) * frequency) - 1;
  return static_cast<int>(std::clamp(g, 1LL, 127LL));
}

double VppCodeOf(int vppMv, int sourceMv) {
  if (sourceMv == 0) throw EMathError(kFloatDivByZero);
  return static_cast<double>(static_cast<long double>(vppMv) * 4095 / sourceMv);
}

int OffsetMillivolts(int offsetCode, int sourceMv) {
  return static_cast<int>(std::nearbyint(static_cast<long double>(offsetCode) * sourceMv / 4095));
}

namespace {
// A DAC code kept within 1..4095; the value is clamped before it becomes an integer.
int ClampCode(long double v) { return static_cast<int>(std::clamp<long double>(v, 1, 4095)); }

// sin(2 pi r / period) for 0 <= r < period. The angles whose sine is rational (the
// crossings, the peaks and the sixths of pi) take their exact value: a computed sine a
// hair off 0, 1/2 or 1 would move the truncated sample by one code.
long double PeriodSine(int r, int period) {
  if (r == 0 || 2 * r == period) return 0;
  if (4 * r == period) return 1;
  if (4 * r == 3 * period) return -1;
  if (12 * r == period || 12 * r == 5 * period) return 0.5L;
  if (12 * r == 7 * period || 12 * r == 11 * period) return -0.5L;
  return std::sin(2 * std::numbers::pi_v<long double> * r / period);
}
}  // namespace

SquareLevels SquareLevelsOf(double vppCode, int offsetCode) {
  const long double half = static_cast<long double>(vppCode) / 2;
  SquareLevels s;
  s.High = static_cast<int>(std::min<long double>(std::nearbyint(half + offsetCode), 4095));
  s.Low = static_cast<int>(std::max<long double>(std::nearbyint(offsetCode - half), 1));
  return s;
}

WaveCodes WaveTableCodes(WaveType type, int dgrp, double vppCode, int offsetCode) {
  const int period = std::max(dgrp, 1) + 1;
  const SquareLevels levels = SquareLevelsOf(vppCode, offsetCode);
  WaveCodes codes{};
  for (int i = 0; i < WaveTableSize; ++i) {
    long double v;
    if (type == WaveType::Sine) {
      // The angle of the sample's place within its period, not of i itself.
      v = std::trunc(PeriodSine(i % period, period) * vppCode / 2 + offsetCode);
    } else {
      // The first half of each period is high; the sample at the half is low.
      v = 2 * (i % period) < period ? levels.High : levels.Low;
    }
    codes[i] = ClampCode(v);
  }
  return codes;
}

WaveTable WaveSampleWords(const WaveCodes& codes) {
  WaveTable words{};
  for (int i = 0; i < WaveTableSize; ++i) words[i] = static_cast<uint16_t>(std::clamp(codes[i], 0, 4095) * 16);
  return words;
}

WaveTable ResampleWaveTable(const WaveTable& table, int dgrp) {
  const int period = std::clamp(dgrp, 1, 127) + 1;
  WaveTable out{};
  for (int i = 0; i < WaveTableSize; ++i) {
    // x = i / (128 / period), taken as i x period / 128: exact, so exact halves round to even.
    const double x = static_cast<double>(i * period) / WaveTableSize;
    const int k = std::clamp(static_cast<int>(std::floor(x)), 0, WaveTableSize - 1);
    if (k == WaveTableSize - 1) {
      out[i] = table[k];
      continue;
    }
    const long double f = x - k;
    const long double v = (1 - f) * table[k] + f * table[k + 1];
    out[i] = static_cast<uint16_t>(std::clamp<long double>(std::nearbyint(v), 0, 65535));
  }
  return out;
}

int ClockSelectionOf(uint8_t r62) {
  const int c = (r62 >> 5) & 3;
  return c == 3 ? 2 : c;
}

int DividerIndexOf(uint8_t r13) { return (r13 >> 1) & 7; }

int DgrpOf(uint8_t r14) {
  const int g = r14 & 0x7F;
  return g == 0 ? 1 : g;
}

uint8_t WithClockSelection(uint8_t r62, int k) { return static_cast<uint8_t>((r62 & ~0x60) | ((k & 3) << 5)); }

uint8_t WithDividerIndex(uint8_t r13, int k) { return static_cast<uint8_t>((r13 & ~0x0E) | ((k & 7) << 1)); }

uint8_t WithDgrp(uint8_t r14, int g) { return static_cast<uint8_t>((g & 0x7F) | (r14 & 0x80)); }

int NominalClock(int clockSelection) {
  switch (clockSelection) {
    case 0: return 2000000;
    case 1: return 4000000;
    default: return 8000000;
  }
}

std::optional<int> SourceMillivoltsOf(int vddax) {
  static constexpr int kMillivolts[8] = {2400, 2600, 2900, 3300, 3600, 4000, 4500, 5000};
  if (vddax < 0 || vddax > 7) return std::nullopt;
  return kMillivolts[vddax];
}

int EditInteger(const QString& text) {
  bool ok = false;
  const int v = text.trimmed().toInt(&ok, 10);
  if (!ok) throw EConvertError("'" + text + "' is not a valid integer value");
  return v;
}

QString AxisLabel(double value, AxisFormat format) {
  const double r = std::nearbyint(value);
  const QString digits = r == 0 ? QString() : QString::number(r, 'f', 0);
  switch (format) {
    case AxisFormat::Codes: return r == 0 ? QStringLiteral("0") : digits;
    case AxisFormat::CodesBlank: return digits;
    case AxisFormat::Millivolts: return digits + QStringLiteral(" mV");
  }
  return digits;
}
