#include "block_panels/adc_captions.h"

#include <iterator>

#include "common/number_text.h"

namespace {
// v when it lies in 0..last, else 0.
int InRange(int v, int last) { return v >= 0 && v <= last ? v : 0; }
}  // namespace

QString GainCaption(const QString (&captions)[CaptionCount], int value) {
  return "ADGN = " + captions[InRange(value, CaptionCount - 1)];
}

QString OffsetCaption(int value) {
  int v = InRange(value, 15);
  if (v == 0 || v == 8) return "S + 0";
  if (v < 8) return QString("S + VRE*%1/8").arg(v);
  return QString("S - VRE*%1/8").arg(v - 8);
}

QString OversamplingCaption(int value) {
  static const int divisors[] = {32, 64, 125, 250, 500, 1000, 2000, 4000, 8000, 16000, 32000, 64000};
  constexpr int last = static_cast<int>(std::size(divisors)) - 1;
  int v = value < 0 ? 0 : value > last ? last : value;
  return QString("ADC_CK / %1").arg(divisors[v]);
}

QString ReferenceGainCaption(int value) { return value == 1 ? "VREGN = x 1/2" : "VREGN = x 1"; }

QString LdoCaption(int value) {
  static const char* const texts[] = {"LDOM=HighImpedance", "LDOM=VDD", "LDOM=VDD(<1.5mA)", "LDOM=VSS"};
  return texts[InRange(value, 3)];
}

QString SupplyCaption(const QString (&captions)[CaptionCount], int value) {
  return "VDDAX=" + captions[InRange(value, CaptionCount - 1)] + " V";
}

QString IrqModeCaption(int value) {
  static const char* const modes[] = {"Disable", "Low Level Mode", "Low Pulse Mode", "Reserved"};
  return QString("IRQ MODE=") + modes[InRange(value, 3)];
}

QString ClockCaption(int dadc, int haosel, int haom) {
  dadc = InRange(dadc, 3);
  haosel = InRange(haosel, 1);
  haom = InRange(haom, 3);
  if (dadc == 3 || haom == 3) return "Reserved";
  static const char* const dividers[] = {" ÷4", " ÷8", " ÷2"};
  static const char* const clocks[2][3] = {{"1.95MHz", "4.0 MHz", "8.5 MHz"}, {"1.6 MHz", "3.2 MHz", "6.4 MHz"}};
  return QString::fromUtf8(clocks[haosel][haom]) + QString::fromUtf8(dividers[dadc]);
}

// ---- Read-out -------------------------------------------------------------------------

namespace {
int32_t Word24(uint8_t high, uint8_t middle, uint8_t low) { return high * 65536 + middle * 256 + low; }
}  // namespace

int32_t AdcResult(uint8_t high, uint8_t middle, uint8_t low) {
  int32_t a = Word24(high, middle, low);
  return a >= 0x800000 ? a - 0x1000000 : a;
}

int32_t IqResult(uint8_t high, uint8_t middle, uint8_t low) {
  int32_t v = Word24(high, middle, low) >> 1;
  return v >= 0x400000 ? v - 0x800000 : v;
}

QString IqText(int32_t value) { return IntToHexNoPad(static_cast<uint32_t>(value)); }

int32_t AdcScaled(int32_t value, int outBits) {
  if (outBits < 0 || outBits > 15) return value;
  // Integer division truncates toward zero.
  return value / (1 << (16 - outBits));
}

std::optional<QString> AdcText(int32_t value, int outMode, int outBits) {
  int32_t s = AdcScaled(value, outBits);
  if (outMode == OutDec) return QString::number(s);
  if (outMode != OutHex) return std::nullopt;
  if (s == 0) return QString("0");
  QString h = IntToHexNoPad(static_cast<uint32_t>(s));
  return h.size() < 7 ? h : h.right(6);
}
