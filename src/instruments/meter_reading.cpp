#include "instruments/meter_reading.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "link/serial_protocols.h"

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

double DecodeBryMenFrame(const uint8_t* frame, int length, BryMenReading& r) {
  r.Invalid = false;
  if (length < BryMenFrameLength) {
    r.Invalid = true;
    return 0;
  }
  r.Decoded = true;
  auto at = [frame](int i) { return static_cast<char>(frame[i]); };
  r.Negative = at(MeterSignAt) == '-';

  QString number;
  if (at(MeterSignAt) != ' ') number += QChar::fromLatin1(at(MeterSignAt));
  r.Digits.clear();
  r.PointPosition = 0;
  r.HasPoint = false;
  bool anyText = false;
  for (int i = MeterFieldAt; i < MeterFieldAt + MeterFieldLength; ++i) {
    const char c = at(i);
    if (c == ' ') continue;
    anyText = true;
    number += QChar::fromLatin1(c);
    if (c == '.') {
      r.PointPosition = i - MeterFieldAt;
      r.HasPoint = true;
      r.IntegerDigits = static_cast<int>(r.Digits.size());
      continue;
    }
    r.Digits += QChar::fromLatin1(c);
  }
  if (!r.HasPoint) r.IntegerDigits = static_cast<int>(r.Digits.size());

  // A right-aligned reading (leading blanks) is a reading as well; a blank field (a
  // blank display) reads 0 and is not flagged.
  r.Value = 0;
  if (anyText) {
    bool ok = false;
    const double v = number.toDouble(&ok);
    if (ok && std::isfinite(v))
      r.Value = v;
    else
      r.Invalid = true;
  }
  r.Flags1 = frame[MeterFlags1At];
  r.Flags2 = frame[MeterFlags2At];
  // A garbled exponent makes the reading invalid rather than raising from a timer tick.
  if (!IsDigit(at(MeterExponentAt))) {
    r.Invalid = true;
    r.Exponent = 0;
    return 0;
  }
  r.Exponent = at(MeterExponentAt) - '0';
  r.ExponentNegative = at(MeterExponentSignAt) != '+';
  if (r.Invalid) return 0;
  double result = r.Value;
  for (int i = 0; i < r.Exponent; ++i) result = r.ExponentNegative ? result / 10.0 : result * 10.0;
  return result;
}

QString MeterUnitText(uint8_t flags1, uint8_t flags2, const QString& prefix) {
  QString t;
  if (flags1 & 0x01) t += "AC ";
  if ((flags1 & 0x02) && !(flags1 & 0x80)) t += "DC ";
  t += prefix;
  static const char* const kUnits1[] = {nullptr, nullptr, "V", "F", "D", "℃", "℉", "Ω"};
  for (int bit = 2; bit < 8; ++bit)
    if (flags1 & (1 << bit)) t += QString::fromUtf8(kUnits1[bit]);
  static const char* const kUnits2[] = {nullptr, "A", "Hz", "%", nullptr, "dB"};
  for (int bit = 1; bit < 6; ++bit)
    if (kUnits2[bit] && (flags2 & (1 << bit))) t += QString::fromUtf8(kUnits2[bit]);
  return t;
}

void MeterPrefix(const BryMenReading& r, QString& prefix, int& shift) {
  const int e = r.Exponent;
  prefix.clear();
  if (!r.ExponentNegative) {
    if (e >= 3 && e <= 5 && !(r.Flags1 & 0x04)) {
      prefix = "k";
      shift = e - 3;
    } else if (e >= 6) {
      prefix = "M";
      shift = e - 6;
    } else {
      shift = e;
    }
  } else if (e <= 2) {
    prefix = "m";
    shift = 3 - e;
  } else if (e <= 6) {
    prefix = "u";
    shift = 6 - e;
  } else {
    // Nano: the prefix's power of ten less the exponent, as for "m" and "u".
    prefix = "n";
    shift = 9 - e;
  }
}

namespace {

// The magnitude prefixes from small to large, with their powers of ten.
struct Prefix {
  const char* text;
  int power;
};
constexpr Prefix kPrefixes[] = {{"n", -9}, {"u", -6}, {"m", -3}, {"", 0}, {"k", 3}, {"M", 6}};

}  // namespace

MeterDisplay MeterPanelDisplay(const BryMenReading& r, bool read) {
  MeterDisplay d;
  if (!read || !r.Decoded) {
    // No reading came: a dark display and no unit.
    d.Caption = "OL";
    return d;
  }
  QString prefix;
  int shift = 0;
  MeterPrefix(r, prefix, shift);
  d.Unit = MeterUnitText(r.Flags1, r.Flags2, prefix);
  d.Minus = r.Negative;
  if (r.Invalid) {
    d.Caption = "OL";
    return d;
  }
  // The reading's digits with the point moved right by the prefix's shift. An integer
  // part wider than the display goes to the next larger prefix (the point three places
  // left) until it fits; one that fits none leaves the display dark rather than show a
  // wrong magnitude.
  int at = 0;
  while (at + 1 < static_cast<int>(std::size(kPrefixes)) && prefix != QString::fromLatin1(kPrefixes[at].text)) ++at;
  const QString digits = r.Digits;
  int integer = r.IntegerDigits + shift;  // digits before the point
  QString intPart, fraction;
  for (;;) {
    QString all = digits;
    if (integer > all.size()) all += QString(integer - all.size(), '0');
    if (integer < 0) all = QString(-integer, '0') + all;
    const int split = std::max(integer, 0);
    intPart = all.left(split);
    fraction = all.mid(split);
    // No zero left of the first digit.
    while (intPart.size() > 1 && intPart[0] == '0') intPart.remove(0, 1);
    if (intPart.isEmpty()) intPart = "0";
    if (intPart.size() <= MeterDisplayPlaces) break;
    if (at + 1 >= static_cast<int>(std::size(kPrefixes))) {
      d.Caption = "OL";
      return d;
    }
    integer -= kPrefixes[at + 1].power - kPrefixes[at].power;
    ++at;
    d.Unit = MeterUnitText(r.Flags1, r.Flags2, QString::fromLatin1(kPrefixes[at].text));
  }
  // The display puts the point after place DotCount - 1, right of the integer part.
  d.Caption = intPart + '.' + fraction;
  d.DotCount = static_cast<int>(intPart.size());
  return d;
}

const QStringList MeterScanItems = {"100ms", "200ms", "500ms", "1s", "2s", "5s"};

bool MeterScanDue(uint32_t tick, int index) {
  if (index < 0 || index >= 6) index = 0;
  return tick % static_cast<uint32_t>(MeterScanDivisors[index]) == 0;
}

double MeterMatrix::Reading(int step, int mode) const {
  if (!InRange(step, mode) || At(step, mode) >= readings_.size()) return 0;
  return readings_[At(step, mode)];
}

QString MeterMatrix::UnitText(int step, int mode) const {
  if (!InRange(step, mode) || At(step, mode) >= units_.size()) return {};
  return unit_texts_.value(units_[At(step, mode)]);
}

bool MeterMatrix::SetReading(int step, int mode, double value) {
  if (!InRange(step, mode)) return false;
  if (At(step, mode) >= readings_.size()) readings_.resize(static_cast<size_t>(mode + 1) * Steps, 0.0);
  readings_[At(step, mode)] = value;
  return true;
}

bool MeterMatrix::SetUnitText(int step, int mode, const QString& text) {
  if (!InRange(step, mode)) return false;
  uint16_t index = 0;
  if (!text.isEmpty()) {
    auto it = unit_index_.constFind(text);
    if (it != unit_index_.constEnd()) {
      index = *it;
    } else {
      if (unit_texts_.size() > 0xFFFF) return false;
      index = static_cast<uint16_t>(unit_texts_.size());
      unit_texts_ << text;
      unit_index_.insert(text, index);
    }
  }
  if (At(step, mode) >= units_.size()) units_.resize(static_cast<size_t>(mode + 1) * Steps, 0);
  units_[At(step, mode)] = index;
  return true;
}
