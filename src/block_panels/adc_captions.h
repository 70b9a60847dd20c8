#pragma once
// What the ADC panel writes beside its settings and in its read-out, as text from field
// values: the caption tables of gain, offset, oversampling, reference gain, LDO, supply,
// interrupt mode and clock, and the ADC and I/Q results in the chosen format. No widget.

#include <QString>
#include <cstdint>
#include <optional>

#include "common/field_descriptors.h"

// "ADGN = " + the gain caption of the chip definition; values above 7 as 0.
QString GainCaption(const QString (&captions)[CaptionCount], int value);
// "S + 0", "S + VRE*1/8" .. "S + VRE*7/8", "S - VRE*1/8" .. "S - VRE*7/8" for 0..15
// (8 is "S + 0" too); values above 15 as 0.
QString OffsetCaption(int value);
// "ADC_CK / 32" .. "ADC_CK / 32000" for 0..10, "ADC_CK / 64000" from 11 up.
QString OversamplingCaption(int value);
// 1: "VREGN = x 1/2"; anything else "VREGN = x 1".
QString ReferenceGainCaption(int value);
// "LDOM=HighImpedance", "LDOM=VDD", "LDOM=VDD(<1.5mA)", "LDOM=VSS"; above 3 as 0.
QString LdoCaption(int value);
// "VDDAX=" + the supply caption of the chip definition + " V"; values above 7 as 0.
QString SupplyCaption(const QString (&captions)[CaptionCount], int value);
// The supply caption before the first paint.
inline const char InitialSupplyCaption[] = "VDDAX=2.4V";
// "IRQ MODE=Disable", "...=Low Level Mode", "...=Low Pulse Mode", "...=Reserved"; above 3 as 0.
QString IrqModeCaption(int value);
// The ADC clock from the pre-scaler DADC and the oscillator choice HAOSEL, HAOM: clock
// text followed by the divider ("1.95MHz ÷4"), or "Reserved" when DADC or HAOM is 3.
// Out-of-range values are taken as 0 (DADC, HAOM above 3, HAOSEL above 1).
QString ClockCaption(int dadc, int haosel, int haom);

// ---- Read-out -------------------------------------------------------------------------

// The ADC result from its three whole register bytes: 24-bit two's complement.
int32_t AdcResult(uint8_t high, uint8_t middle, uint8_t low);
// An I or Q result: the 24-bit word shifted right by 1, negative from 400000h on.
int32_t IqResult(uint8_t high, uint8_t middle, uint8_t low);
// An I or Q result as shown: upper-case hexadecimal without leading zeros, a negative
// value as the eight digits of its 32-bit two's complement.
QString IqText(int32_t value);

// Read-out formats: OutMode 0 hexadecimal, 1 decimal; OutBits 0..15 = 8..23 bits.
enum AdcOutMode : uint8_t { OutHex = 0, OutDec = 1 };
constexpr uint8_t InitialOutBits = 14;  // 22 bits

// The ADC result cut to the chosen width: divided by 2^(16 - outBits), truncated toward
// zero; an outBits above 15 leaves the value whole.
int32_t AdcScaled(int32_t value, int outBits);
// The text of the ADC read-out; none for an OutMode that is neither format (the label
// keeps its text). Hexadecimal shows "0" for 0, else at most the last 6 digits.
std::optional<QString> AdcText(int32_t value, int outMode, int outBits);
